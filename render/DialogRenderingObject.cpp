#include "render/DialogRenderingObject.h"

#include "render/RenderingObject.h"

CDialogRenderingObject::CDialogRenderingObject(int dialogKind, CRenderingObject* object, QWidget* parent)
    : CZtDialogModeless(parent), m_object(object), m_dialogKind(dialogKind) {}

CDialogRenderingObject::~CDialogRenderingObject() {
  if (m_object) m_object->RemoveDialog(this);
}

void CDialogRenderingObject::ObjectDestroyed() {
  m_object = nullptr;
  close();
}
