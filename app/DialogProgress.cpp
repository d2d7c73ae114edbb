#include "app/DialogProgress.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

CDialogProgress::CDialogProgress(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_owner(owner) {
  setWindowTitle(QStringLiteral("進捗"));
  setModal(false);
  m_path = new QLabel(this);
  m_path->setTextInteractionFlags(Qt::NoTextInteraction);
  m_path->setMinimumWidth(360);
  m_percent = new QLabel(QStringLiteral("0%"), this);
  m_percent->setAlignment(Qt::AlignCenter);
  m_bar = new QProgressBar(this);
  m_bar->setRange(0, 100);
  m_bar->setValue(0);
  m_bar->setTextVisible(false);
  auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
  m_cancel = cancel;
  connect(cancel, &QPushButton::clicked, this, &CDialogProgress::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_path);
  layout->addWidget(m_percent);
  layout->addWidget(m_bar);
  layout->addWidget(cancel, 0, Qt::AlignCenter);

  if (m_owner && m_owner->isEnabled()) {
    m_owner->setEnabled(false);
    m_disabledOwner = true;
  }
  // The window itself must stay usable while its owner is disabled.
  setEnabled(true);
}

CDialogProgress::~CDialogProgress() {
  if (m_disabledOwner && m_owner) m_owner->setEnabled(true);
}

void CDialogProgress::SetPath(const QString& path) { m_path->setText(path); }

void CDialogProgress::SetPercent(int percent) {
  m_bar->setValue(percent);
  const QString text = QStringLiteral("%1%").arg(percent == 100 ? 100 : percent % 100);
  if (m_percent->text() != text) m_percent->setText(text);
}

int CDialogProgress::Percent() const { return m_bar->value(); }

QString CDialogProgress::PercentText() const { return m_percent->text(); }

QAbstractButton* CDialogProgress::CancelButton() const { return m_cancel; }

void CDialogProgress::reject() { m_cancelRequested = true; }
