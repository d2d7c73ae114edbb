#include "view/OpenGLTrackView.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <QCursor>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "app/SettingsStore.h"

namespace {

// 4x4 matrices in OpenGL's column-major order, in double precision while
// they are multiplied.
using Matrix = double[16];

void Identity(Matrix m) {
  std::fill(m, m + 16, 0.0);
  m[0] = m[5] = m[10] = m[15] = 1.0;
}

// out = a x b; out may not alias a or b.
void Multiply(const Matrix a, const Matrix b, Matrix out) {
  for (int col = 0; col < 4; ++col)
    for (int row = 0; row < 4; ++row) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k) sum += a[k * 4 + row] * b[col * 4 + k];
      out[col * 4 + row] = sum;
    }
}

void Translation(Matrix m, double x, double y, double z) {
  Identity(m);
  m[12] = x;
  m[13] = y;
  m[14] = z;
}

// The matrix of glRotate; false for a zero axis.
bool Rotation(Matrix m, double degrees, double x, double y, double z) {
  const double length = std::sqrt(x * x + y * y + z * z);
  if (length == 0.0) return false;
  x /= length;
  y /= length;
  z /= length;
  const double radians = degrees * std::numbers::pi / 180.0;
  const double c = std::cos(radians), s = std::sin(radians), t = 1.0 - c;
  Identity(m);
  m[0] = x * x * t + c;
  m[1] = y * x * t + z * s;
  m[2] = x * z * t - y * s;
  m[4] = x * y * t - z * s;
  m[5] = y * y * t + c;
  m[6] = y * z * t + x * s;
  m[8] = x * z * t + y * s;
  m[9] = y * z * t - x * s;
  m[10] = z * z * t + c;
  return true;
}

// Window position of p under the current OpenGL matrices and viewport.
void ProjectCurrent(const TZtVector3<float>& p, double& wx, double& wy) {
  GLdouble modelview[16], projection[16];
  GLint viewport[4];
  glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  glGetIntegerv(GL_VIEWPORT, viewport);
  GLdouble wz = 0.0;
  wx = wy = 0.0;
  gluProject(p.x, p.y, p.z, modelview, projection, viewport, &wx, &wy, &wz);
}

}  // namespace

COpenGLTrackView::COpenGLTrackView(QWidget* parent) : COpenGLBaseView(parent) {
  std::fill(objectXform, objectXform + 16, 0.0f);
  objectXform[0] = objectXform[5] = objectXform[10] = objectXform[15] = 1.0f;
}

void COpenGLTrackView::Profile(bool save) {
  COpenGLBaseView::Profile(save);
  CProfileSection section(save, QStringLiteral("OpenGLTrackView"));
  section.Float(QStringLiteral("RenderingRate_min"), renderingRateMin);
  section.Float(QStringLiteral("RenderingRate_max"), renderingRateMax);
  section.Int(QStringLiteral("ZoomCenterMode"), zoomCenterMode);
}

void COpenGLTrackView::SetupProjection() {
  const double w = viewWidth, h = viewHeight, r = renderingRate;
  glOrtho(-w / 2.0 / r, w / 2.0 / r, -h / 2.0 / r, h / 2.0 / r, nearPlane, farPlane);
}

void COpenGLTrackView::SetupCamera() {
  const TZtVector3<float>& c = renderingCenter;
  gluLookAt(c.x, c.y, c.z + (static_cast<double>(nearPlane) + farPlane) / 2.0, c.x, c.y, c.z, 0.0, 1.0, 0.0);
}

void COpenGLTrackView::SetupModelView() {
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  SetupCamera();
  glMultMatrixf(objectXform);
}

void COpenGLTrackView::RefreshModelView() {
  if (MakeContextCurrent()) SetupModelView();
}

float COpenGLTrackView::ClampRenderingRate(float rate) const {
  if (rate < renderingRateMin) return renderingRateMin;
  if (rate > renderingRateMax) return renderingRateMax;
  return rate;
}

void COpenGLTrackView::RotateAboutCenter(float angleDegrees, float ax, float ay, float az) {
  Matrix rotation;
  if (Rotation(rotation, angleDegrees, ax, ay, az)) {
    const TZtVector3<float> p = ToViewSpace(rotationCenter);
    Matrix toCenter, fromCenter, current, a, b, c;
    Translation(toCenter, p.x, p.y, p.z);
    Translation(fromCenter, -p.x, -p.y, -p.z);
    for (int i = 0; i < 16; ++i) current[i] = objectXform[i];
    Multiply(toCenter, rotation, a);
    Multiply(a, fromCenter, b);
    Multiply(b, current, c);
    for (int i = 0; i < 16; ++i) objectXform[i] = static_cast<float>(c[i]);
  }
  RefreshModelView();
}

TZtVector3<float> COpenGLTrackView::ToViewSpace(const TZtVector3<float>& p) const {
  const float* m = objectXform;
  return {m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12], m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
          m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]};
}

void COpenGLTrackView::SetRenderingCenter(const TZtVector3<float>& center) {
  renderingCenter = center;
  RefreshModelView();
  update();
}

void COpenGLTrackView::ResetObjectXform() {
  std::fill(objectXform, objectXform + 16, 0.0f);
  objectXform[0] = objectXform[5] = objectXform[10] = objectXform[15] = 1.0f;
}

void COpenGLTrackView::SetRenderingRate(float rate) {
  renderingRate = ClampRenderingRate(rate);
  if (MakeContextCurrent()) RebuildProjection();
  update();
}

void COpenGLTrackView::ApplyViewDirection(int which) {
  struct Step {
    float angle, x, y, z;
  };
  // Every view but the top one first stands the model up (-90 about X).
  static const Step kStandUp{-90.0f, 1.0f, 0.0f, 0.0f};
  ResetObjectXform();
  switch (which) {
    case kViewTop:
      break;
    case kViewBottom:
      RotateAboutCenter(-180.0f, 0.0f, 1.0f, 0.0f);
      break;
    case kViewFront:
      RotateAboutCenter(kStandUp.angle, kStandUp.x, kStandUp.y, kStandUp.z);
      break;
    case kViewBack:
      RotateAboutCenter(kStandUp.angle, kStandUp.x, kStandUp.y, kStandUp.z);
      RotateAboutCenter(-180.0f, 0.0f, 1.0f, 0.0f);
      break;
    case kViewLeft:
      RotateAboutCenter(kStandUp.angle, kStandUp.x, kStandUp.y, kStandUp.z);
      RotateAboutCenter(90.0f, 0.0f, 1.0f, 0.0f);
      break;
    case kViewRight:
      RotateAboutCenter(kStandUp.angle, kStandUp.x, kStandUp.y, kStandUp.z);
      RotateAboutCenter(-90.0f, 0.0f, 1.0f, 0.0f);
      break;
    default:
      break;
  }
  SetRenderingCenter(ToViewSpace(rotationCenter));
}

void COpenGLTrackView::Track(int x, int y) {
  switch (trackingMode) {
    case kTrackRotate:
      TrackRotate(x, y);
      break;
    case kTrackPan:
      TrackPan(x, y);
      break;
    case kTrackZoom:
      TrackZoom(x, y);
      break;
    default:
      return;
  }
  update();
}

void COpenGLTrackView::TrackRotate(int x, int y) {
  const double dx = x - lastX, dy = y - lastY;
  const double distance = std::sqrt(dx * dx + dy * dy);
  // A drag across the smaller window dimension turns the model by 180 degrees.
  const int smaller = std::max(1, std::min(viewWidth, viewHeight));
  const double angle = distance * 180.0 / smaller;
  lastX = x;
  lastY = y;
  // The axis lies in the screen plane, perpendicular to the drag.
  RotateAboutCenter(static_cast<float>(angle), static_cast<float>(dy), static_cast<float>(dx), 0.0f);
}

void COpenGLTrackView::TrackPan(int x, int y) {
  const float r = renderingRate;
  renderingCenter.x -= (x - lastX) / r;
  renderingCenter.y += (y - lastY) / r;  // window y grows downward
  lastX = x;
  lastY = y;
  RefreshModelView();
}

void COpenGLTrackView::TrackZoom(int x, int y) {
  // Without a context there are no matrices to keep a point fixed with;
  // the rate still changes.
  const bool haveContext = MakeContextCurrent();
  double s0x = 0.0, s0y = 0.0;
  if (haveContext) ProjectCurrent(rotationCenter, s0x, s0y);

  const float factor = static_cast<float>(std::pow(2.0, (lastY - y) * 0.002));
  lastX = x;
  lastY = y;
  const float r0 = renderingRate;
  const float r1 = ClampRenderingRate(r0 * factor);
  renderingRate = r1;
  if (haveContext) RebuildProjection();

  if (zoomCenterMode == kZoomRotationCenter) {
    // Keeps the rotation centre where it was on the screen.
    if (!haveContext) return;
    double s1x = 0.0, s1y = 0.0;
    ProjectCurrent(rotationCenter, s1x, s1y);
    renderingCenter.x += static_cast<float>((s1x - s0x) / r1);
    renderingCenter.y += static_cast<float>((s1y - s0y) / r1);
    SetupModelView();
  } else if (zoomCenterMode == kZoomCursor) {
    // Keeps the model point under the cursor under it.
    const QPoint cursor = CursorPosition();
    const double k = 1.0 / r0 - 1.0 / r1;
    TZtVector3<float> center = renderingCenter;
    center.x += static_cast<float>((cursor.x() - viewWidth / 2.0) * k);
    center.y += static_cast<float>((viewHeight / 2.0 - cursor.y()) * k);
    SetRenderingCenter(center);
  }
}

QPoint COpenGLTrackView::CursorPosition() const {
  const QPoint local = mapFromGlobal(QCursor::pos());
  return {ToDevicePixels(local.x()), ToDevicePixels(local.y())};
}

void COpenGLTrackView::BeginTracking(int mode, int x, int y) {
  lastX = x;
  lastY = y;
  trackingMode = mode;
}

void COpenGLTrackView::EndTracking() { trackingMode = kTrackNone; }

void COpenGLTrackView::mousePressEvent(QMouseEvent* event) {
  // The widget keeps receiving moves while a button is held, which is the
  // capture the tracking needs.
  const int x = ToDevicePixels(event->position().x()), y = ToDevicePixels(event->position().y());
  if (event->button() == Qt::LeftButton)
    BeginTracking(kTrackRotate, x, y);
  else if (event->button() == Qt::MiddleButton)
    BeginTracking(kTrackPan, x, y);
  COpenGLBaseView::mousePressEvent(event);
  // Accepted, so that the view and not its parent receives the release.
  event->accept();
}

void COpenGLTrackView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton || event->button() == Qt::MiddleButton) EndTracking();
  COpenGLBaseView::mouseReleaseEvent(event);
  event->accept();
}

void COpenGLTrackView::mouseMoveEvent(QMouseEvent* event) {
  Track(ToDevicePixels(event->position().x()), ToDevicePixels(event->position().y()));
  COpenGLBaseView::mouseMoveEvent(event);
  event->accept();
}

void COpenGLTrackView::wheelEvent(QWheelEvent* event) {
  const int d = event->angleDelta().y();
  const int x = ToDevicePixels(event->position().x()), y = ToDevicePixels(event->position().y());
  BeginTracking(kTrackZoom, x, y);
  // One notch (120) moves 40 pixels: a zoom by 2^0.08; turning toward the
  // user zooms out.  Integer division truncates toward zero.
  Track(x - d / 3, y - d / 3);
  EndTracking();
  COpenGLBaseView::wheelEvent(event);
  event->accept();  // not a scroll of a parent
}
