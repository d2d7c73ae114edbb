// First link of the view chain: an OpenGL drawing surface with the fixed
// state every later drawing relies on, and a repaint made of overridable
// steps.
//
// Chain: COpenGLBaseView (context, frame) <- COpenGLTrackView (camera, mouse)
// <- COpenGLLightView (lights) <- COpenGLPickView (selection, view states)
// <- COpenGLUtilView (texts, scales) <- the application's view.
//
// Qt owns the context (QOpenGLWidget); it is created when the widget is first
// shown with a positive size, and initializeGL() then runs InitializeOpenGL()
// once.  Qt makes the context current around initializeGL, resizeGL and
// paintGL; everything else that touches OpenGL goes through
// MakeContextCurrent() first.  All sizes and positions the chain keeps are in
// device pixels (the framebuffer's), so they agree with glViewport.
#pragma once

#include <QOpenGLWidget>
#include <cstdint>

class COpenGLBaseView : public QOpenGLWidget {
  Q_OBJECT

public:
  explicit COpenGLBaseView(QWidget* parent = nullptr);
  ~COpenGLBaseView() override;

  // The surface every view of the chain asks for: compatibility profile
  // (fixed function, display lists, selection), depth >= 24 bits, RGB
  // without alpha, double buffered.
  static QSurfaceFormat RequestedFormat();

  // Settings section "OpenGLBaseView".  Loaded values take effect the next
  // time the context is initialised.
  virtual void Profile(bool save);

  // The OpenGL value of a depth-function name ("GL_LEQUAL" -> 515), or 0
  // when the text is not exactly one of the eight names.
  static uint32_t DepthFuncFromName(const QString& name);
  // The name of a depth function 512..519, or an empty string.
  static QString DepthFuncName(uint32_t func);

  bool IsOpenGLInitialized() const { return initialized; }

  uint32_t depthFunc;   // GL_LEQUAL
  float clearColor[4];  // alpha is always sent as 0
  int32_t viewWidth = 0;
  int32_t viewHeight = 0;

protected:
  // Runs at most once per context: false when it already ran or the
  // context is not usable.  The light view extends it.
  virtual bool InitializeOpenGL();
  // glMatrixMode(GL_MODELVIEW), glLoadIdentity, SetupCamera().
  virtual void SetupModelView();
  // Orthographic, 10 pixels per unit.
  virtual void SetupProjection();
  virtual void SetupCamera();
  virtual void RenderScene() {}
  virtual void PreRender() {}
  virtual void PostRender() {}
  // Called while the context is current, just before it goes away; drops
  // what lives in it.  Derived classes call the base last.
  virtual void ReleaseOpenGL();

  // Makes the view's context current for work outside paintGL.  False while
  // there is no initialised context; callers then skip their OpenGL calls.
  bool MakeContextCurrent();
  // glMatrixMode(GL_PROJECTION), glLoadIdentity, SetupProjection(),
  // glMatrixMode(GL_MODELVIEW).  Context must be current.
  void RebuildProjection();
  // A logical widget coordinate in device pixels.
  int ToDevicePixels(double logical) const;

  // QOpenGLWidget.
  void initializeGL() override;
  void resizeGL(int w, int h) override;
  void paintGL() override;

private:
  void ApplySize(int cx, int cy);
  void OnContextDestroyed();

  bool initialized = false;
};
