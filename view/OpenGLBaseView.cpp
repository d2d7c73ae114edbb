#include "view/OpenGLBaseView.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <QOpenGLContext>
#include <QSurfaceFormat>
#include <cmath>

#include "app/SettingsStore.h"

namespace {

// In the order of their OpenGL values, GL_NEVER (512) to GL_ALWAYS (519).
const char* const kDepthFuncNames[8] = {"GL_NEVER",   "GL_LESS",     "GL_EQUAL",  "GL_LEQUAL",
                                        "GL_GREATER", "GL_NOTEQUAL", "GL_GEQUAL", "GL_ALWAYS"};

}  // namespace

COpenGLBaseView::COpenGLBaseView(QWidget* parent)
    : QOpenGLWidget(parent), depthFunc(GL_LEQUAL), clearColor{0.0f, 0.0f, 0.0f, 0.0f} {
  setFormat(RequestedFormat());
  // The scene is redrawn completely every frame.
  setUpdateBehavior(QOpenGLWidget::NoPartialUpdate);
}

COpenGLBaseView::~COpenGLBaseView() {
  // The context dies in ~QOpenGLWidget, after this object's virtuals are gone.
  if (QOpenGLContext* current = context()) disconnect(current, nullptr, this, nullptr);
}

QSurfaceFormat COpenGLBaseView::RequestedFormat() {
  QSurfaceFormat format;
  format.setRenderableType(QSurfaceFormat::OpenGL);
  format.setProfile(QSurfaceFormat::CompatibilityProfile);
  format.setVersion(2, 1);
  format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
  format.setRedBufferSize(8);
  format.setGreenBufferSize(8);
  format.setBlueBufferSize(8);
  format.setAlphaBufferSize(0);
  format.setDepthBufferSize(24);
  format.setStencilBufferSize(0);
  return format;
}

uint32_t COpenGLBaseView::DepthFuncFromName(const QString& name) {
  for (uint32_t i = 0; i < 8; ++i)
    if (name == QLatin1String(kDepthFuncNames[i])) return GL_NEVER + i;
  return 0;
}

QString COpenGLBaseView::DepthFuncName(uint32_t func) {
  if (func < GL_NEVER || func > GL_ALWAYS) return {};
  return QLatin1String(kDepthFuncNames[func - GL_NEVER]);
}

void COpenGLBaseView::Profile(bool save) {
  CProfileSection section(save, QStringLiteral("OpenGLBaseView"));
  if (save) {
    const QString name = DepthFuncName(depthFunc);
    if (!name.isEmpty()) section.WriteText(QStringLiteral("DepthFunc"), name);
  } else {
    QString name;
    if (section.ReadText(QStringLiteral("DepthFunc"), name)) {
      const uint32_t func = DepthFuncFromName(name);
      if (func != 0) depthFunc = func;
    }
  }
  section.Float(QStringLiteral("ClearColor_R"), clearColor[0]);
  section.Float(QStringLiteral("ClearColor_G"), clearColor[1]);
  section.Float(QStringLiteral("ClearColor_B"), clearColor[2]);
}

bool COpenGLBaseView::InitializeOpenGL() {
  if (initialized) return false;
  QOpenGLContext* current = context();
  if (!current || !current->isValid()) return false;
  initialized = true;
  // Forget the state when Qt drops the context (e.g. the widget moves to
  // another top-level window); the next initializeGL sets it up again.
  connect(current, &QOpenGLContext::aboutToBeDestroyed, this, &COpenGLBaseView::OnContextDestroyed,
          Qt::UniqueConnection);

  glClearDepth(1.0);
  glDepthMask(GL_TRUE);
  glDisable(GL_CULL_FACE);
  glDisable(GL_POLYGON_OFFSET_FILL);
  glDisable(GL_LIGHTING);
  glDisable(GL_COLOR_MATERIAL);
  glDisable(GL_BLEND);
  glDisable(GL_POINT_SMOOTH);
  glDisable(GL_LINE_SMOOTH);
  glDisable(GL_POLYGON_SMOOTH);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glShadeModel(GL_SMOOTH);
  glClearColor(clearColor[0], clearColor[1], clearColor[2], 0.0f);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(depthFunc);
  glEnable(GL_NORMALIZE);
  // Lets wireframe lines and points show on top of faces drawn with
  // GL_POLYGON_OFFSET_FILL.
  glPolygonOffset(1.0f, 1.0f);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glHint(GL_POINT_SMOOTH_HINT, GL_FASTEST);
  glHint(GL_LINE_SMOOTH_HINT, GL_FASTEST);
  glHint(GL_POLYGON_SMOOTH_HINT, GL_FASTEST);
  return true;
}

void COpenGLBaseView::SetupModelView() {
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  SetupCamera();
}

void COpenGLBaseView::SetupProjection() {
  const double w = viewWidth, h = viewHeight;
  glOrtho(-w / 2.0 / 10.0, w / 2.0 / 10.0, -h / 2.0 / 10.0, h / 2.0 / 10.0, 0.1, 1000.0);
}

void COpenGLBaseView::SetupCamera() { gluLookAt(0.0, 0.0, 500.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0); }

void COpenGLBaseView::ReleaseOpenGL() { initialized = false; }

void COpenGLBaseView::OnContextDestroyed() {
  // Qt has released the context by now; what lives in it is deleted in it.
  makeCurrent();
  ReleaseOpenGL();
}

bool COpenGLBaseView::MakeContextCurrent() {
  if (!initialized) return false;
  makeCurrent();
  return true;
}

void COpenGLBaseView::RebuildProjection() {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  SetupProjection();
  glMatrixMode(GL_MODELVIEW);
}

int COpenGLBaseView::ToDevicePixels(double logical) const {
  return static_cast<int>(std::lround(logical * devicePixelRatioF()));
}

void COpenGLBaseView::initializeGL() {
  InitializeOpenGL();
  // A context made again after the first one (the widget changed windows)
  // gets no resize call from Qt: set the viewport and matrices here.
  if (initialized && viewWidth > 0 && viewHeight > 0) ApplySize(viewWidth, viewHeight);
}

void COpenGLBaseView::resizeGL(int w, int h) {
  if (w <= 0 || h <= 0) return;  // minimised: keep viewport and projection
  if (!initialized) InitializeOpenGL();
  if (!initialized) return;
  ApplySize(ToDevicePixels(w), ToDevicePixels(h));
}

void COpenGLBaseView::ApplySize(int cx, int cy) {
  viewWidth = cx;
  viewHeight = cy;
  glViewport(0, 0, cx, cy);
  RebuildProjection();
  SetupModelView();
}

void COpenGLBaseView::paintGL() {
  if (!initialized) return;
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  PreRender();
  glPushMatrix();
  RenderScene();
  glPopMatrix();
  PostRender();
  glFinish();
  // Qt presents the frame buffer after paintGL returns.
}
