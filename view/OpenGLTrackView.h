// The camera model of the view and the mouse tracking that changes it.
//
// The model is drawn under one accumulated orientation matrix (objectXform);
// the camera looks down the view's -Z axis at the rendering centre, which is
// shown at the window centre; the projection is orthographic with
// renderingRate pixels per model unit (mm).  Rotations turn the model about
// the rotation centre, given in model coordinates.
#pragma once

#include <cstdint>

#include "geometry/ZtVector3.h"
#include "view/OpenGLBaseView.h"

class QPoint;

class COpenGLTrackView : public COpenGLBaseView {
  Q_OBJECT

public:
  enum TrackingMode { kTrackNone = 0, kTrackRotate = 1, kTrackPan = 2, kTrackZoom = 3 };
  enum ZoomCenterMode { kZoomWindowCenter = 0, kZoomRotationCenter = 1, kZoomCursor = 2 };
  // The standard view directions, in the order of their commands.
  enum ViewDirection { kViewTop = 0, kViewBottom, kViewFront, kViewBack, kViewLeft, kViewRight };

  explicit COpenGLTrackView(QWidget* parent = nullptr);

  // The base section, then "OpenGLTrackView".
  void Profile(bool save) override;

  // objectXform = translate(p) x rotate(angle, axis) x translate(-p) x
  // objectXform, p = the rotation centre in view space; the axis is in view
  // space.  A zero axis leaves the matrix as it is.
  void RotateAboutCenter(float angleDegrees, float ax, float ay, float az);
  // objectXform applied to p as a point.
  TZtVector3<float> ToViewSpace(const TZtVector3<float>& p) const;
  void SetRenderingCenter(const TZtVector3<float>& center);
  void ResetObjectXform();
  // Clamps to [renderingRateMin, renderingRateMax] and rebuilds the projection.
  void SetRenderingRate(float rate);
  // Turns the model to one of the standard views about the rotation centre,
  // brings the rotation centre to the middle and keeps the rate.
  void ApplyViewDirection(int which);

  // One tracking step of the current mode towards the device pixel (x, y),
  // y downward.  Mode 0 does nothing.
  void Track(int x, int y);

  // Clamping in the order "below the minimum, else above the maximum", which
  // stays defined when a stored minimum exceeds the maximum.
  float ClampRenderingRate(float rate) const;

  float objectXform[16];
  TZtVector3<float> rotationCenter{0.0f, 0.0f, 0.0f};
  TZtVector3<float> renderingCenter{0.0f, 0.0f, 0.0f};
  float renderingRate = 10.0f;  // pixels per model unit
  int32_t trackingMode = kTrackNone;
  int32_t lastX = 0;
  int32_t lastY = 0;
  int32_t zoomCenterMode = kZoomRotationCenter;
  float renderingRateMin = 0.001f;
  float renderingRateMax = 10000000.0f;
  float nearPlane = 0.1f;
  float farPlane = 1000.0f;

protected:
  // glOrtho(-w/2/r, w/2/r, -h/2/r, h/2/r, nearPlane, farPlane).
  void SetupProjection() override;
  // Looks at the rendering centre from (nearPlane + farPlane) / 2 above it.
  void SetupCamera() override;
  // Camera, then objectXform.
  void SetupModelView() override;

  // The cursor's position in the view, device pixels, y downward.
  virtual QPoint CursorPosition() const;
  // Updates the modelview matrix when the context exists.
  void RefreshModelView();

  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

  // Starts tracking in mode at the device pixel (x, y).
  void BeginTracking(int mode, int x, int y);
  void EndTracking();

private:
  void TrackRotate(int x, int y);
  void TrackPan(int x, int y);
  void TrackZoom(int x, int y);
};
