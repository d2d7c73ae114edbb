#include "app/DialogExport.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/MessageBox.h"
#include "app/Pilvo3DView.h"
#include "render/ManagerPickObject.h"
#include "render/RenderingObjectModel.h"

namespace {
constexpr int kExportPickMode = 11;
}

CDialogExport::CDialogExport(CPilvo3DView* view, QWidget* parent) : CZtDialogModeless(parent), m_view(view) {
  setWindowTitle(QStringLiteral("エクスポート"));
  auto* note = new QLabel(QStringLiteral("エクスポートするモデルをピックしてください。"), this);
  auto* reset = new QPushButton(QStringLiteral("ピックリセット"), this);
  auto* exportButton = new QPushButton(QStringLiteral("エクスポート"), this);
  auto* close = new QPushButton(QStringLiteral("閉じる"), this);
  reset->setObjectName(QStringLiteral("pickReset"));
  exportButton->setObjectName(QStringLiteral("ok"));
  close->setObjectName(QStringLiteral("close"));
  exportButton->setDefault(true);
  connect(reset, &QPushButton::clicked, this, &CDialogExport::OnPickReset);
  connect(exportButton, &QPushButton::clicked, this, &CDialogExport::OnOK);
  connect(close, &QPushButton::clicked, this, &CDialogExport::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(reset);
  buttons->addStretch();
  buttons->addWidget(exportButton);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(note);
  layout->addLayout(buttons);
}

CDialogExport::~CDialogExport() {
  if (CManagerPickObject* picks = CManagerPickObject::GetInstance()) picks->SetPickMode(0);
  if (m_view) m_view->update();
}

void CDialogExport::OnActivated() {
  if (CManagerPickObject* picks = CManagerPickObject::GetInstance()) picks->SetPickMode(kExportPickMode);
  m_view->update();
}

void CDialogExport::OnPickReset() {
  if (CManagerPickObject* picks = CManagerPickObject::GetInstance()) picks->ResetPicks();
  m_view->update();
}

void CDialogExport::OnOK() {
  CManagerPickObject* picks = CManagerPickObject::GetInstance();
  CRenderingObjectModel* model = nullptr;
  if (picks && picks->picks.size() == 1 && picks->picks[0]->renderingObject &&
      picks->picks[0]->renderingObject->GetKind() == kKindModel)
    model = static_cast<CRenderingObjectModel*>(picks->picks[0]->renderingObject);
  if (!model) {
    ShowMessage(QStringLiteral("モデルをピックしてください。"));
    return;
  }
  picks->ResetPicks();
  m_view->Pipeline().ExportCommand(this, model);
  m_view->update();
}
