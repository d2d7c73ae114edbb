#include "app/AboutDlg.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

#include "app/Pilvo3DApp.h"
#include "app/ProductInfo.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(GetProductName() + QStringLiteral("のﾊﾞｰｼﾞｮﾝ情報"));
  auto* icon = new QLabel(this);
  icon->setPixmap(QApplication::windowIcon().pixmap(32, 32));
  auto* product = new QLabel(GetProductName(), this);
  product->setObjectName(QStringLiteral("productName"));
  auto* version = new QLabel(CPilvo3DApp::VersionText(), this);
  version->setObjectName(QStringLiteral("versionText"));
  auto* copyright = new QLabel(QStringLiteral("Copyright (C) Quandel"), this);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* texts = new QVBoxLayout;
  texts->addWidget(product);
  texts->addWidget(version);
  texts->addWidget(copyright);
  auto* top = new QHBoxLayout;
  top->addWidget(icon, 0, Qt::AlignTop);
  top->addLayout(texts);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(buttons);
}
