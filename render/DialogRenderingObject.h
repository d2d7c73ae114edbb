// Base of the property dialogs that edit one attribute of one rendering
// object.  A dialog registers itself in its object's set of open dialogs (at
// most one per kind) and closes when the object goes away.
#pragma once

#include "app/ZtDialogModeless.h"

class CRenderingObject;

class CDialogRenderingObject : public CZtDialogModeless {
  Q_OBJECT

public:
  CDialogRenderingObject(int dialogKind, CRenderingObject* object, QWidget* parent);
  ~CDialogRenderingObject() override;

  int DialogKind() const { return m_dialogKind; }
  CRenderingObject* Object() const { return m_object; }

  // The object is being destroyed: forget it and close.
  void ObjectDestroyed();

protected:
  CRenderingObject* m_object;  // null once the object is gone

private:
  int m_dialogKind;
};
