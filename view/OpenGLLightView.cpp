#include "view/OpenGLLightView.h"

#include <GL/gl.h>

#include "app/SettingsStore.h"

namespace {

void Set4(float (&target)[4], float a, float b, float c, float d) {
  target[0] = a;
  target[1] = b;
  target[2] = c;
  target[3] = d;
}

}  // namespace

COpenGLLightView::COpenGLLightView(QWidget* parent) : COpenGLTrackView(parent) {
  lights[0].enable = true;
  Set4(lights[0].diffuse, 1.0f, 1.0f, 1.0f, 1.0f);
  Set4(lights[0].specular, 0.2f, 0.2f, 0.2f, 1.0f);

  Set4(lights[1].position, -1.0f, 0.0f, 1.0f, 0.0f);
  Set4(lights[1].diffuse, 0.2f, 0.2f, 0.2f, 1.0f);

  Set4(lights[2].position, 0.0f, 1.0f, 1.0f, 0.0f);
  Set4(lights[2].diffuse, 0.1f, 0.1f, 0.1f, 1.0f);
}

void COpenGLLightView::Profile(bool save) {
  COpenGLTrackView::Profile(save);
  CProfileSection section(save, QStringLiteral("OpenGLLightView"));
  for (int i = 0; i < 4; ++i)
    section.Float(QStringLiteral("LightModelAmbient[%1]").arg(i), lightModelAmbient[i]);
  section.Float(QStringLiteral("LightModelReflectionAngle"), lightModelReflectionAngle);
  section.Bool(QStringLiteral("LightModelTwoSide"), lightModelTwoSide);
  for (int i = 0; i < kLightCount; ++i)
    section.Bool(QStringLiteral("Light%1Enable").arg(i), lights[i].enable);
}

bool COpenGLLightView::InitializeOpenGL() {
  if (!COpenGLTrackView::InitializeOpenGL()) return false;
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, lightModelAmbient);
  glLightModelf(GL_LIGHT_MODEL_LOCAL_VIEWER, lightModelReflectionAngle);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, lightModelTwoSide ? 1 : 0);
  return true;
}

void COpenGLLightView::SetupModelView() {
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  SetupCamera();
  ApplyLights();
  glMultMatrixf(objectXform);
}

void COpenGLLightView::ApplyLights() {
  for (int i = 0; i < kLightCount; ++i) {
    const GLenum id = GL_LIGHT0 + i;
    const Light& light = lights[i];
    if (!light.enable) {
      glDisable(id);
      continue;
    }
    glEnable(id);
    glLightfv(id, GL_POSITION, light.position);
    glLightfv(id, GL_AMBIENT, light.ambient);
    glLightfv(id, GL_DIFFUSE, light.diffuse);
    glLightfv(id, GL_SPECULAR, light.specular);
    glLightfv(id, GL_SPOT_DIRECTION, light.spotDirection);
    glLightf(id, GL_SPOT_EXPONENT, light.spotExponent);
    glLightf(id, GL_SPOT_CUTOFF, light.spotCutoff);
    glLightf(id, GL_CONSTANT_ATTENUATION, light.constantAttenuation);
    glLightf(id, GL_LINEAR_ATTENUATION, light.linearAttenuation);
    glLightf(id, GL_QUADRATIC_ATTENUATION, light.quadraticAttenuation);
  }
}
