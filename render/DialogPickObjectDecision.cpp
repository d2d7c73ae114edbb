#include "render/DialogPickObjectDecision.h"

#include <QHBoxLayout>
#include <QPushButton>

#include "render/ManagerPickObject.h"

namespace {
CPilvo3DManagerPickObject* Picks() {
  return dynamic_cast<CPilvo3DManagerPickObject*>(CManagerPickObject::GetInstance());
}
}  // namespace

CDialogPickObjectDecision::CDialogPickObjectDecision(QWidget* view)
    : QDialog(view, Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint), m_view(view) {
  setWindowTitle(QStringLiteral("ピックオブジェクト決定"));
  setModal(false);
  const std::pair<const char*, void (CDialogPickObjectDecision::*)()> buttons[] = {
      {"次", &CDialogPickObjectDecision::Next},
      {"前", &CDialogPickObjectDecision::Previous},
      {"決定", &CDialogPickObjectDecision::Decide},
      {"ｷｬﾝｾﾙ", &CDialogPickObjectDecision::Cancel}};
  auto* layout = new QHBoxLayout(this);
  for (const auto& [text, handler] : buttons) {
    auto* button = new QPushButton(QString::fromUtf8(text), this);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, handler);
    layout->addWidget(button);
  }
}

void CDialogPickObjectDecision::Next() {
  if (CPilvo3DManagerPickObject* picks = Picks()) picks->StepCandidate(1);
  m_view->update();
}

void CDialogPickObjectDecision::Previous() {
  if (CPilvo3DManagerPickObject* picks = Picks()) picks->StepCandidate(-1);
  m_view->update();
}

void CDialogPickObjectDecision::Decide() {
  if (CPilvo3DManagerPickObject* picks = Picks()) picks->DecideCandidate();
  m_view->update();
  hide();
}

void CDialogPickObjectDecision::Cancel() {
  if (CPilvo3DManagerPickObject* picks = Picks()) picks->CancelCandidate();
  m_view->update();
  hide();
}
