// The light sources of the view: the global light model and four lights.
//
// Lights are placed after the camera and before objectXform, so they are
// fixed relative to the viewer while the model turns: light 0's (0, 0, 1, 0)
// shines from the eye toward the scene whatever the orientation.  Lighting
// itself is switched on only by the objects that draw under a material.
#pragma once

#include <cstdint>

#include "view/OpenGLTrackView.h"

class COpenGLLightView : public COpenGLTrackView {
  Q_OBJECT

public:
  // One OpenGL light with its full parameter set; the defaults are
  // OpenGL's own, except that every light starts disabled.
  struct Light {
    bool enable = false;
    float position[4] = {0.0f, 0.0f, 1.0f, 0.0f};
    float ambient[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float diffuse[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float specular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float spotDirection[3] = {0.0f, 0.0f, -1.0f};
    float spotExponent = 0.0f;
    float spotCutoff = 180.0f;
    float constantAttenuation = 1.0f;
    float linearAttenuation = 0.0f;
    float quadraticAttenuation = 0.0f;
  };
  static constexpr int kLightCount = 4;

  explicit COpenGLLightView(QWidget* parent = nullptr);

  // The track view's sections, then "OpenGLLightView".  The light model
  // reaches OpenGL at the next context initialisation.
  void Profile(bool save) override;

  float lightModelAmbient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
  float lightModelReflectionAngle = 0.0f;  // GL_LIGHT_MODEL_LOCAL_VIEWER; 0 = viewer at infinity
  bool lightModelTwoSide = true;
  Light lights[kLightCount];

protected:
  // The base initialisation, then the light model.
  bool InitializeOpenGL() override;
  // Camera, lights, objectXform.
  void SetupModelView() override;
  // Enables and sets each enabled light, disables the others.  Context must
  // be current; positions are taken under the current modelview matrix.
  void ApplyLights();
};
