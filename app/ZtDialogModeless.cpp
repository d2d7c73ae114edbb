#include "app/ZtDialogModeless.h"

#include <QEvent>

CZtDialogModeless::CZtDialogModeless(QWidget* parent) : QDialog(parent) {
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
}

CZtDialogModeless::~CZtDialogModeless() {
  if (m_clearOwnerSlot) m_clearOwnerSlot();
}

// Hides and schedules the deletion.  The close box and Escape arrive here
// too (through QDialog's close handling), so every way out ends the same.
void CZtDialogModeless::reject() {
  hide();
  deleteLater();
}

void CZtDialogModeless::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
    OnActivated();
    emit activated();
  }
}
