#include "render/ManagerTemporaryObject.h"

#include <GL/gl.h>

#include "app/SettingsStore.h"

void CManagerTemporaryObject::Profile(bool save) {
  CProfileSection profile(save, QStringLiteral("ManagerTemporaryObject"));
  for (int i = 0; i < 3; ++i)
    profile.Byte(QStringLiteral("DisplayObjectColor[%1]").arg(i), displayObjectColor[i]);
}

void CManagerTemporaryObject::Render() const {
  if (displayObjects.empty()) return;
  glColor3ubv(displayObjectColor);
  glPointSize(pointSize);
  glLineWidth(lineWidth);
  for (const CDisplayObject* object : displayObjects) object->Render();
}
