#include "app/ZtDialogModeless.h"

#include <QEvent>

CZtDialogModeless::CZtDialogModeless(QWidget* parent) : QDialog(parent) {
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
}

CZtDialogModeless::~CZtDialogModeless() {
  if (m_clearOwnerSlot) m_clearOwnerSlot();
}

void CZtDialogModeless::reject() { close(); }

void CZtDialogModeless::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
    OnActivated();
    emit activated();
  }
}
