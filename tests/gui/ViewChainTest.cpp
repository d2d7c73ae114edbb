// The OpenGL view chain on a real widget under Mesa: context set-up and
// settings, mouse tracking, lights, selection picking, view states, text
// fields and scales.  A small scene view draws a known square (or any
// triangles) so that pixels and selection hits can be predicted.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QImage>
#include <QSettings>
#include <QTest>
#include <QWheelEvent>
#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/SettingsStore.h"
#include "view/OGLJText.h"
#include "view/OpenGLUtilView.h"

namespace {

using V3 = TZtVector3<float>;
using Triangle = std::array<V3, 3>;

constexpr int kWidth = 400;
constexpr int kHeight = 300;
constexpr uint32_t kObjectId = 7;
constexpr uint32_t kKindGeometric = 1024;
constexpr uint32_t kElementFacet = 4;

// The square [-5, 5] x [-5, 5] in z = 0, split along its rising diagonal.
std::vector<Triangle> SquareTriangles() {
  return {Triangle{V3{-5, -5, 0}, V3{5, -5, 0}, V3{5, 5, 0}},
          Triangle{V3{-5, -5, 0}, V3{5, 5, 0}, V3{-5, 5, 0}}};
}

class CSceneView : public COpenGLUtilView {
public:
  using COpenGLUtilView::COpenGLUtilView;
  using COpenGLUtilView::InitializeOpenGL;
  using COpenGLUtilView::resizeGL;

  struct PickCall {
    std::vector<CPickInformation> hits;
    int x, y;
  };

  std::vector<Triangle> triangles = SquareTriangles();
  // Draw under lighting with a white material instead of a flat white.
  bool lit = false;
  std::vector<PickCall> pickCalls;
  // Runs inside ProcessHits, with the view's matrices current.
  std::function<void(const std::vector<CPickInformation>&, int, int)> onHits;
  // Runs at the end of PostRender.
  std::function<void()> overlay;

protected:
  void RenderScene() override {
    glPushAttrib(GL_ENABLE_BIT | GL_LIGHTING_BIT);
    if (lit) {
      const float white[4] = {1, 1, 1, 1}, black[4] = {0, 0, 0, 1};
      glEnable(GL_LIGHTING);
      glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, white);
      glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, white);
      glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, black);
      glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, black);
    }
    glColor3ub(255, 255, 255);
    DrawTriangles();
    glPopAttrib();
    COpenGLUtilView::RenderScene();
  }

  void RenderForPick() override {
    glLoadName(kObjectId);
    glPushName(kKindGeometric);
    glPushName(kElementFacet);
    for (size_t i = 0; i < triangles.size(); ++i) {
      glPushName(static_cast<GLuint>(i));
      glBegin(GL_TRIANGLES);
      for (const V3& p : triangles[i]) glVertex3f(p.x, p.y, p.z);
      glEnd();
      glPopName();
    }
    glPopName();
    glPopName();
  }

  void ProcessHits(std::vector<CPickInformation> hits, int x, int y) override {
    if (onHits) onHits(hits, x, y);
    pickCalls.push_back({std::move(hits), x, y});
  }

  void PostRender() override {
    COpenGLUtilView::PostRender();
    if (overlay) overlay();
  }

private:
  void DrawTriangles() {
    glBegin(GL_TRIANGLES);
    for (const Triangle& t : triangles) {
      const V3 n = (t[1] - t[0]).Cross(t[2] - t[0]).Normalized();
      glNormal3f(n.x, n.y, n.z);
      for (const V3& p : t) glVertex3f(p.x, p.y, p.z);
    }
    glEnd();
  }
};

bool WaitUntil(const std::function<bool()>& condition, int milliseconds = 5000) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > milliseconds) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

QRgb PixelAt(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

std::string Hex(QRgb rgb) {
  char text[16];
  std::snprintf(text, sizeof text, "%06X", rgb & 0xFFFFFF);
  return text;
}

void SendWheel(QWidget* widget, QPoint at, int delta) {
  QWheelEvent event(QPointF(at), QPointF(widget->mapToGlobal(at)), QPoint(), QPoint(0, delta), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(widget, &event);
}

// Window position (OpenGL, origin lower left) under the view's current matrices.
std::array<double, 3> Project(const V3& p) {
  GLdouble modelview[16], projection[16], wx, wy, wz;
  GLint viewport[4];
  glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  glGetIntegerv(GL_VIEWPORT, viewport);
  gluProject(p.x, p.y, p.z, modelview, projection, viewport, &wx, &wy, &wz);
  return {wx, wy, wz};
}

class ViewChainTest : public testing::Test {
protected:
  void SetUp() override { settingsstore::Store().clear(); }
  void TearDown() override { settingsstore::Store().clear(); }

  // A view shown at 400 x 300 with its context initialised; settings can
  // be loaded first with prepare.
  static std::unique_ptr<CSceneView> ShownView(const std::function<void(CSceneView&)>& prepare = {}) {
    auto view = std::make_unique<CSceneView>();
    if (prepare) prepare(*view);
    view->resize(kWidth, kHeight);
    view->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    EXPECT_TRUE(WaitUntil([&] { return view->IsOpenGLInitialized() && view->viewHeight == kHeight; }));
    return view;
  }

  static void WriteSetting(const QString& key, const QVariant& value) {
    settingsstore::Store().setValue(key, value);
  }
  static QVariant ReadSetting(const QString& key) { return settingsstore::Store().value(key); }
};

// ===========================================================================
// Base view

TEST_F(ViewChainTest, ContextIsInitialisedOnceWithADeepEnoughDepthBuffer) {
  auto view = ShownView();
  view->makeCurrent();
  EXPECT_FALSE(view->InitializeOpenGL());
  GLint depthBits = 0;
  glGetIntegerv(GL_DEPTH_BITS, &depthBits);
  EXPECT_GE(depthBits, 24);
  EXPECT_EQ(view->viewWidth, kWidth);
  EXPECT_EQ(view->viewHeight, kHeight);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_NORMALIZE));
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
}

TEST_F(ViewChainTest, SettingsLoadedBeforeTheFirstShowSetDepthFunctionAndBackground) {
  WriteSetting("OpenGLBaseView/DepthFunc", "GL_GREATER");
  WriteSetting("OpenGLBaseView/ClearColor_R", "1.000000");
  WriteSetting("OpenGLBaseView/ClearColor_G", "");  // empty keeps 0
  WriteSetting("OpenGLBaseView/ClearColor_B", "0.501961");
  auto view = ShownView([](CSceneView& v) { v.Profile(false); });
  view->renderScale[COpenGLUtilView::SP_BOTTOM] = view->renderScale[COpenGLUtilView::SP_RIGHT] = 0;
  for (int& shown : view->renderTextField) shown = 0;
  view->makeCurrent();
  GLint func = 0;
  glGetIntegerv(GL_DEPTH_FUNC, &func);
  EXPECT_EQ(func, GL_GREATER);
  const QImage image = view->grabFramebuffer();
  EXPECT_EQ(Hex(PixelAt(image, 5, 5)), "FF0080");
}

TEST_F(ViewChainTest, DepthFunctionNamesMatchExactly) {
  struct Case {
    const char* stored;
    uint32_t expected;
  };
  const Case cases[] = {
      {"GL_NEVER", GL_NEVER}, {"GL_ALWAYS", GL_ALWAYS}, {"GL_NOTEQUAL", GL_NOTEQUAL},
      {"gl_less", GL_LEQUAL}, {"GL_LESS ", GL_LEQUAL},  {" GL_LESS", GL_LEQUAL},
      {"GL_Less", GL_LEQUAL}, {"", GL_LEQUAL},          {"515", GL_LEQUAL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    WriteSetting("OpenGLBaseView/DepthFunc", QString::fromLatin1(c.stored));
    CSceneView view;
    view.Profile(false);
    EXPECT_EQ(view.depthFunc, c.expected);
  }
  // Saving writes the name; a value outside the eight writes no key.
  CSceneView view;
  view.depthFunc = GL_GEQUAL;
  view.Profile(true);
  EXPECT_EQ(ReadSetting("OpenGLBaseView/DepthFunc").toString(), "GL_GEQUAL");
  settingsstore::Store().clear();
  view.depthFunc = 0x0201 + 100;
  view.Profile(true);
  EXPECT_FALSE(ReadSetting("OpenGLBaseView/DepthFunc").isValid());
  EXPECT_EQ(ReadSetting("OpenGLBaseView/ClearColor_R").toString(), "0.000000");
}

TEST_F(ViewChainTest, NonPositiveSizesChangeNeitherViewportNorProjection) {
  auto view = ShownView();
  view->makeCurrent();
  GLdouble before[16], after[16];
  GLint viewportBefore[4], viewportAfter[4];
  glGetDoublev(GL_PROJECTION_MATRIX, before);
  glGetIntegerv(GL_VIEWPORT, viewportBefore);
  for (auto [w, h] : {std::pair{kWidth, 0}, std::pair{0, kHeight}, std::pair{-3, 20}}) {
    view->resizeGL(w, h);
    glGetDoublev(GL_PROJECTION_MATRIX, after);
    glGetIntegerv(GL_VIEWPORT, viewportAfter);
    EXPECT_EQ(view->viewWidth, kWidth);
    EXPECT_EQ(view->viewHeight, kHeight);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(after[i], before[i]) << i;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(viewportAfter[i], viewportBefore[i]) << i;
  }
  // A real minimise-like resize is ignored as well.
  view->resize(kWidth, 0);
  QApplication::processEvents();
  EXPECT_EQ(view->viewHeight, kHeight);
}

TEST_F(ViewChainTest, ModelAtTheWindowCentreCoversTheCentrePixel) {
  auto view = ShownView();
  QImage image = view->grabFramebuffer();
  ASSERT_EQ(image.size(), QSize(kWidth, kHeight));
  // The 10 mm square at 10 pixels per mm covers 150..250 x 100..200.
  EXPECT_EQ(Hex(PixelAt(image, 200, 150)), "FFFFFF");
  EXPECT_EQ(Hex(PixelAt(image, 155, 105)), "FFFFFF");
  EXPECT_EQ(Hex(PixelAt(image, 145, 150)), "000000");
  EXPECT_EQ(Hex(PixelAt(image, 200, 95)), "000000");
}

TEST_F(ViewChainTest, ANewContextAfterMovingToAnotherWindowGetsTheSameStateAndTexts) {
  auto view = ShownView();
  view->SetSystemText(COGLJTextField::TFP_LEFTTOP, L"上面図");
  const QImage before = view->grabFramebuffer();
  const QRgb textColour = qRgb(0, 255, 255) & 0xFFFFFF;
  const auto hasText = [&](const QImage& image) {
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 60; ++x)
        if (PixelAt(image, x, y) == textColour) return true;
    return false;
  };
  ASSERT_TRUE(hasText(before));

  QWidget window;
  window.resize(kWidth, kHeight);
  view->setParent(&window);
  view->move(0, 0);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  const QImage after = view->grabFramebuffer();
  view->makeCurrent();
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_EQ(Hex(PixelAt(after, 200, 150)), "FFFFFF");
  EXPECT_EQ(Hex(PixelAt(after, 145, 150)), "000000");  // the projection came back too
  EXPECT_TRUE(hasText(after));
  view->setParent(nullptr);  // the view is deleted by its owner, not by window
}

// ===========================================================================
// Track view

TEST_F(ViewChainTest, MiddleDragPansTheSceneWithTheMouse) {
  auto view = ShownView();
  QTest::mousePress(view.get(), Qt::MiddleButton, {}, QPoint(100, 100));
  EXPECT_EQ(view->trackingMode, COpenGLTrackView::kTrackPan);
  QTest::mouseMove(view.get(), QPoint(180, 130));
  QTest::mouseMove(view.get(), QPoint(250, 140));
  QTest::mouseRelease(view.get(), Qt::MiddleButton, {}, QPoint(250, 140));
  EXPECT_EQ(view->trackingMode, COpenGLTrackView::kTrackNone);
  EXPECT_FLOAT_EQ(view->renderingCenter.x, -15.0f);
  EXPECT_FLOAT_EQ(view->renderingCenter.y, 4.0f);
  // The square moved 150 pixels right and 40 down.
  const QImage image = view->grabFramebuffer();
  EXPECT_EQ(Hex(PixelAt(image, 200, 150)), "000000");
  EXPECT_EQ(Hex(PixelAt(image, 350, 190)), "FFFFFF");
  EXPECT_EQ(Hex(PixelAt(image, 305, 145)), "FFFFFF");
  EXPECT_EQ(Hex(PixelAt(image, 295, 190)), "000000");
}

TEST_F(ViewChainTest, HorizontalDragAcrossHalfTheHeightTurnsNinetyDegreesAboutTheVerticalAxis) {
  auto view = ShownView();
  view->rotationCenter = V3{3.0f, -2.0f, 1.0f};
  const V3 centreBefore = view->ToViewSpace(view->rotationCenter);
  // 150 pixels in three moves on a 400 x 300 window: 3 x 30 degrees.
  QTest::mousePress(view.get(), Qt::LeftButton, {}, QPoint(100, 150));
  EXPECT_EQ(view->trackingMode, COpenGLTrackView::kTrackRotate);
  for (int x : {150, 200, 250}) QTest::mouseMove(view.get(), QPoint(x, 150));
  QTest::mouseRelease(view.get(), Qt::LeftButton, {}, QPoint(250, 150));
  EXPECT_EQ(view->trackingMode, COpenGLTrackView::kTrackNone);

  // +90 degrees about the screen's Y axis: X goes to -Z, Z to +X, Y stays.
  const float* m = view->objectXform;
  const float expectedLinear[9] = {0, 0, -1, 0, 1, 0, 1, 0, 0};
  for (int col = 0; col < 3; ++col)
    for (int row = 0; row < 3; ++row)
      EXPECT_NEAR(m[col * 4 + row], expectedLinear[col * 3 + row], 1e-6f) << col << "," << row;
  // The rotation centre is the fixed point.
  const V3 centreAfter = view->ToViewSpace(view->rotationCenter);
  EXPECT_NEAR(centreAfter.x, centreBefore.x, 1e-5f);
  EXPECT_NEAR(centreAfter.y, centreBefore.y, 1e-5f);
  EXPECT_NEAR(centreAfter.z, centreBefore.z, 1e-5f);
}

TEST_F(ViewChainTest, WheelZoomsByAThirdOfTheDeltaTruncatedTowardZero) {
  auto view = ShownView();
  struct Case {
    int delta, pixels;
  };
  // One notch is 40 pixels of zoom drag; -100 / 3 is -33, not -34.
  for (const Case& c : {Case{120, 40}, Case{-120, -40}, Case{100, 33}, Case{-100, -33}}) {
    SCOPED_TRACE(c.delta);
    view->SetRenderingRate(10.0f);
    SendWheel(view.get(), QPoint(200, 150), c.delta);
    EXPECT_FLOAT_EQ(view->renderingRate, 10.0f * static_cast<float>(std::pow(2.0, c.pixels * 0.002)));
    EXPECT_EQ(view->trackingMode, COpenGLTrackView::kTrackNone);
  }
}

TEST_F(ViewChainTest, ZoomDragUpFiveHundredPixelsDoublesTheRateAndKeepsTheRotationCentreOnScreen) {
  auto view = ShownView();
  view->rotationCenter = V3{6.0f, -4.0f, 2.0f};
  view->makeCurrent();
  const auto before = Project(view->rotationCenter);
  view->trackingMode = COpenGLTrackView::kTrackZoom;
  view->lastX = 200;
  view->lastY = 600;
  view->Track(200, 100);
  EXPECT_FLOAT_EQ(view->renderingRate, 20.0f);
  view->makeCurrent();
  const auto after = Project(view->rotationCenter);
  EXPECT_NEAR(after[0], before[0], 1e-3);
  EXPECT_NEAR(after[1], before[1], 1e-3);
  EXPECT_EQ(view->lastY, 100);
}

TEST_F(ViewChainTest, ZoomAtTheMaximumRateChangesNothing) {
  auto view = ShownView();
  view->rotationCenter = V3{6.0f, -4.0f, 2.0f};
  view->SetRenderingCenter(V3{1.5f, 2.5f, 0.0f});
  view->SetRenderingRate(view->renderingRateMax);
  const V3 centre = view->renderingCenter;
  view->trackingMode = COpenGLTrackView::kTrackZoom;
  view->lastX = 200;
  view->lastY = 150;
  view->Track(200, 50);
  EXPECT_EQ(view->renderingRate, view->renderingRateMax);
  EXPECT_EQ(view->renderingCenter, centre);
}

TEST_F(ViewChainTest, CursorModeZoomKeepsTheModelPointUnderTheCursor) {
  auto view = ShownView();
  view->zoomCenterMode = COpenGLTrackView::kZoomCursor;
  const auto placeCursor = [&](QPoint at) {
    QCursor::setPos(view->mapToGlobal(at));
    return WaitUntil([&] { return view->mapFromGlobal(QCursor::pos()) == at; }, 2000);
  };
  const auto zoomIn = [&] {
    view->trackingMode = COpenGLTrackView::kTrackZoom;
    view->lastX = 200;
    view->lastY = 150;
    view->Track(200, 100);
    view->trackingMode = COpenGLTrackView::kTrackNone;
  };

  ASSERT_TRUE(placeCursor(QPoint(200, 150)));
  view->SetRenderingCenter(V3{1.0f, 2.0f, 0.0f});
  zoomIn();
  EXPECT_GT(view->renderingRate, 10.0f);
  EXPECT_EQ(view->renderingCenter, (V3{1.0f, 2.0f, 0.0f}));

  ASSERT_TRUE(placeCursor(QPoint(300, 60)));
  const auto modelXUnderCursor = [&] { return view->renderingCenter.x + (300 - 200) / view->renderingRate; };
  const auto modelYUnderCursor = [&] { return view->renderingCenter.y + (150 - 60) / view->renderingRate; };
  const float x0 = modelXUnderCursor(), y0 = modelYUnderCursor();
  zoomIn();
  EXPECT_NEAR(modelXUnderCursor(), x0, 1e-4f);
  EXPECT_NEAR(modelYUnderCursor(), y0, 1e-4f);
  EXPECT_NE(view->renderingCenter.x, 1.0f);
}

TEST_F(ViewChainTest, RateLimitsFromSettingsClampBelowFirstThenAbove) {
  WriteSetting("OpenGLTrackView/RenderingRate_min", "5.000000");
  WriteSetting("OpenGLTrackView/RenderingRate_max", "1.000000");
  WriteSetting("OpenGLTrackView/ZoomCenterMode", 0);
  auto view = ShownView([](CSceneView& v) { v.Profile(false); });
  ASSERT_EQ(view->renderingRateMin, 5.0f);
  ASSERT_EQ(view->renderingRateMax, 1.0f);
  ASSERT_EQ(view->zoomCenterMode, COpenGLTrackView::kZoomWindowCenter);
  struct Case {
    float start;
    int drag;  // pixels, negative = upward = zoom in
    float expected;
  };
  for (const Case& c : {Case{10.0f, -100, 1.0f}, Case{10.0f, 100, 1.0f}, Case{3.0f, -100, 5.0f}}) {
    SCOPED_TRACE(testing::Message() << c.start << " " << c.drag);
    view->renderingRate = c.start;
    view->trackingMode = COpenGLTrackView::kTrackZoom;
    view->lastX = 200;
    view->lastY = 150;
    view->Track(200, 150 + c.drag);
    EXPECT_EQ(view->renderingRate, c.expected);
  }
  view->SetRenderingRate(0.5f);
  EXPECT_EQ(view->renderingRate, 5.0f);

  // Empty strings keep the current limits.
  WriteSetting("OpenGLTrackView/RenderingRate_min", "");
  CSceneView fresh;
  fresh.Profile(false);
  EXPECT_EQ(fresh.renderingRateMin, 0.001f);
  EXPECT_EQ(fresh.renderingRateMax, 1.0f);
}

TEST_F(ViewChainTest, StandardViewsTurnTheModelAndCentreTheRotationCentre) {
  auto view = ShownView();
  view->rotationCenter = V3{1.0f, 2.0f, 3.0f};
  view->SetRenderingRate(12.0f);
  struct Case {
    int which;
    const char* name;
    V3 x, y, z;  // where the model axes point in view space (x right, y up, z toward the eye)
  };
  const Case cases[] = {
      {COpenGLTrackView::kViewTop, "top", {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
      {COpenGLTrackView::kViewBottom, "bottom", {-1, 0, 0}, {0, 1, 0}, {0, 0, -1}},
      {COpenGLTrackView::kViewFront, "front", {1, 0, 0}, {0, 0, -1}, {0, 1, 0}},
      {COpenGLTrackView::kViewBack, "back", {-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
      {COpenGLTrackView::kViewLeft, "left", {0, 0, -1}, {-1, 0, 0}, {0, 1, 0}},
      {COpenGLTrackView::kViewRight, "right", {0, 0, 1}, {1, 0, 0}, {0, 1, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    view->RotateAboutCenter(33.0f, 1.0f, 2.0f, 0.5f);  // whatever came before is reset
    view->ApplyViewDirection(c.which);
    const V3 origin = view->ToViewSpace(V3{0, 0, 0});
    const V3 axes[3] = {view->ToViewSpace(V3{1, 0, 0}) - origin, view->ToViewSpace(V3{0, 1, 0}) - origin,
                        view->ToViewSpace(V3{0, 0, 1}) - origin};
    const V3 expected[3] = {c.x, c.y, c.z};
    for (int a = 0; a < 3; ++a) {
      EXPECT_NEAR(axes[a].x, expected[a].x, 1e-5f) << "axis " << a;
      EXPECT_NEAR(axes[a].y, expected[a].y, 1e-5f) << "axis " << a;
      EXPECT_NEAR(axes[a].z, expected[a].z, 1e-5f) << "axis " << a;
    }
    EXPECT_EQ(view->renderingCenter, view->ToViewSpace(view->rotationCenter));
    EXPECT_EQ(view->renderingRate, 12.0f);
  }
}

// ===========================================================================
// Light view

TEST_F(ViewChainTest, LightsStayWithTheViewerAndAmbientAloneRemainsWhenAllAreOff) {
  auto view = ShownView();
  view->lit = true;
  const auto centreGrey = [&] { return qRed(view->grabFramebuffer().pixel(200, 150)); };

  EXPECT_EQ(centreGrey(), 255);  // light 0 head-on plus the 0.2 ambient, clamped
  // Turning the model 60 degrees halves the diffuse light: 0.2 + 0.5.
  view->RotateAboutCenter(60.0f, 0.0f, 1.0f, 0.0f);
  EXPECT_NEAR(centreGrey(), 178, 3);
  // Light model ambient only: 0.2.
  for (auto& light : view->lights) light.enable = false;
  view->RotateAboutCenter(0.0f, 0.0f, 1.0f, 0.0f);  // sends the lights again
  EXPECT_NEAR(centreGrey(), 51, 3);
}

TEST_F(ViewChainTest, LightSwitchesReadAnyNonZeroAsOnAndSaveOne) {
  WriteSetting("OpenGLLightView/Light1Enable", 5);
  WriteSetting("OpenGLLightView/Light0Enable", 0);
  WriteSetting("OpenGLLightView/LightModelAmbient[1]", "0.500000");
  WriteSetting("OpenGLLightView/LightModelReflectionAngle", "");
  CSceneView view;
  view.Profile(false);
  EXPECT_TRUE(view.lights[1].enable);
  EXPECT_FALSE(view.lights[0].enable);
  EXPECT_EQ(view.lightModelAmbient[1], 0.5f);
  EXPECT_EQ(view.lightModelReflectionAngle, 0.0f);
  view.Profile(true);
  EXPECT_EQ(ReadSetting("OpenGLLightView/Light1Enable").toInt(), 1);
  EXPECT_EQ(ReadSetting("OpenGLLightView/LightModelTwoSide").toInt(), 1);
}

// ===========================================================================
// Pick view

TEST_F(ViewChainTest, PickReturnsTheFacetUnderTheClickWithItsNames) {
  auto view = ShownView();
  // (225, 140) is model (2.5, 1): the 10-pixel region, model [2, 3] x
  // [0.5, 1.5], lies below the diagonal.
  EXPECT_EQ(view->Pick(225, 140), 1);
  ASSERT_EQ(view->pickCalls.size(), 1u);
  const auto& call = view->pickCalls[0];
  EXPECT_EQ(call.x, 225);
  EXPECT_EQ(call.y, kHeight - 140);
  ASSERT_EQ(call.hits.size(), 1u);
  const CPickInformation& hit = call.hits[0];
  ASSERT_EQ(hit.nameCount, 4u);
  EXPECT_EQ(hit.names[0], kObjectId);
  EXPECT_EQ(hit.names[1], kKindGeometric);
  EXPECT_EQ(hit.names[2], kElementFacet);
  EXPECT_EQ(hit.names[3], 0u);
  // z = 0 lies half way between the near and far planes: depth 0.5 x 2.
  EXPECT_NEAR(hit.depthMin, 1.0f, 1e-3f);
  EXPECT_NEAR(hit.depthMax, 1.0f, 1e-3f);

  // Reaching the diagonal, both triangles are hit, in drawing order.
  view->pickCalls.clear();
  EXPECT_EQ(view->Pick(220, 140), 2);
  ASSERT_EQ(view->pickCalls.at(0).hits.size(), 2u);
  EXPECT_EQ(view->pickCalls[0].hits[0].names[3], 0u);
  EXPECT_EQ(view->pickCalls[0].hits[1].names[3], 1u);

  // Empty space: 0, and ProcessHits still sees the (empty) list.
  view->pickCalls.clear();
  EXPECT_EQ(view->Pick(20, 20), 0);
  ASSERT_EQ(view->pickCalls.size(), 1u);
  EXPECT_TRUE(view->pickCalls[0].hits.empty());
}

TEST_F(ViewChainTest, RightClickPicksAndLeavesTheDrawingStateIntact) {
  auto view = ShownView();
  for (int& shown : view->renderTextField) shown = 0;  // the statistics change every frame
  const QImage before = view->grabFramebuffer();
  QTest::mouseClick(view.get(), Qt::RightButton, {}, QPoint(180, 130));
  ASSERT_EQ(view->pickCalls.size(), 1u);
  EXPECT_EQ(view->pickCalls[0].x, 180);
  EXPECT_EQ(view->pickCalls[0].y, kHeight - 130);
  ASSERT_EQ(view->pickCalls[0].hits.size(), 1u);
  EXPECT_EQ(view->pickCalls[0].hits[0].names[3], 1u);  // above the diagonal
  // The pick region projection was popped again.
  EXPECT_EQ(view->grabFramebuffer(), before);
}

TEST_F(ViewChainTest, PointOnTheFacetUnderTheClickLiesWhereTheClickRayMeetsIt) {
  auto view = ShownView();
  const Triangle facet{V3{-6.0f, -4.0f, 2.0f}, V3{5.0f, -3.0f, -1.0f}, V3{1.0f, 6.0f, 3.0f}};
  const double modelSize = 15.0;
  view->triangles = {facet};
  view->RotateAboutCenter(30.0f, 1.0f, 1.0f, 0.0f);
  view->SetRenderingRate(17.0f);

  bool computed = false;
  V3 onFacet{0, 0, 0};
  V3 expected{0, 0, 0};
  view->onHits = [&](const std::vector<CPickInformation>& hits, int x, int y) {
    if (hits.empty()) return;
    onFacet = view->PointOnFacet(x, y, facet[0], facet[1], facet[2]);
    // Where the ray through the window point (x, y) meets the facet's plane.
    GLdouble modelview[16], projection[16], n[3], f[3];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    gluUnProject(x, y, 0.0, modelview, projection, viewport, &n[0], &n[1], &n[2]);
    gluUnProject(x, y, 1.0, modelview, projection, viewport, &f[0], &f[1], &f[2]);
    const V3 normal = (facet[1] - facet[0]).Cross(facet[2] - facet[0]);
    const double dn = normal.x * (f[0] - n[0]) + normal.y * (f[1] - n[1]) + normal.z * (f[2] - n[2]);
    const double t =
        (normal.x * (facet[0].x - n[0]) + normal.y * (facet[0].y - n[1]) + normal.z * (facet[0].z - n[2])) /
        dn;
    expected = V3{static_cast<float>(n[0] + t * (f[0] - n[0])), static_cast<float>(n[1] + t * (f[1] - n[1])),
                  static_cast<float>(n[2] + t * (f[2] - n[2]))};
    computed = true;
  };

  // Click a few pixels away from the projected centroid.
  view->makeCurrent();
  const auto centroid = Project((facet[0] + facet[1] + facet[2]) * (1.0f / 3.0f));
  const QPoint click(static_cast<int>(centroid[0]) + 7, kHeight - static_cast<int>(centroid[1]) - 5);
  QTest::mouseClick(view.get(), Qt::RightButton, {}, click);
  ASSERT_TRUE(computed);
  const double distance = (onFacet - expected).Length();
  EXPECT_LE(distance, 1e-4 * modelSize) << onFacet.x << " " << onFacet.y << " " << onFacet.z;
}

// ===========================================================================
// View states

TEST_F(ViewChainTest, ViewStatesRoundTripExactlyInMemory) {
  auto view = ShownView();
  view->rotationCenter = V3{1.1f, 2.2f, 3.3f};
  view->RotateAboutCenter(37.0f, 0.3f, 1.0f, 0.2f);
  view->SetRenderingCenter(V3{0.123456789f, -7.7f, 1.0f / 3.0f});
  view->SetRenderingRate(12.3456789f);
  CViewingCondition saved;
  saved.Capture(*view);
  view->SaveViewState(4);

  view->ResetObjectXform();
  view->rotationCenter = V3{0, 0, 0};
  view->SetRenderingCenter(V3{9, 9, 9});
  view->SetRenderingRate(3.0f);
  view->SaveViewState(10);     // ignored
  view->RestoreViewState(-1);  // ignored
  EXPECT_EQ(view->renderingRate, 3.0f);

  view->RestoreViewState(4);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(view->objectXform[i], saved.objectXform[i]) << i;
  EXPECT_EQ(view->rotationCenter, saved.rotationCenter);
  EXPECT_EQ(view->renderingCenter, saved.renderingCenter);
  EXPECT_EQ(view->renderingRate, saved.renderingRate);
  // The matrices follow the restored state.
  view->makeCurrent();
  GLdouble projection[16];
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  EXPECT_NEAR(projection[0], 2.0 / (kWidth / saved.renderingRate), 1e-6);

  // A slot never saved gives the initial view.
  view->RestoreViewState(8);
  EXPECT_EQ(view->renderingRate, 10.0f);
  EXPECT_EQ(view->objectXform[0], 1.0f);
  EXPECT_EQ(view->objectXform[2], 0.0f);
  EXPECT_EQ(view->renderingCenter, (V3{0, 0, 0}));
}

TEST_F(ViewChainTest, ViewStatesSurviveARestartThroughTheSettingsStore) {
  // Values with at most six decimals come back bit for bit.
  CViewingCondition exact;
  const float matrix[16] = {0.5f,    0.25f,    -0.75f,  0, -0.125f, 0.875f, 0.0625f,   0,
                            0.8125f, 0.03125f, 0.5625f, 0, 1.5f,    -2.25f, 3.015625f, 1};
  std::copy(matrix, matrix + 16, exact.objectXform);
  exact.rotationCenter = V3{1.25f, -3.5f, 0.125f};
  exact.renderingCenter = V3{-0.375f, 100.5f, 7.0f};
  exact.renderingRate = 12.5f;
  {
    CSceneView view;
    exact.Apply(view);
    view.SaveViewState(3);
    view.Profile(true);
    settingsstore::Sync();
  }
  // Key [i][j] holds element 4i + j.
  EXPECT_EQ(ReadSetting("ViewingCondition-03/OBJECTXFORM[3][0]").toString(), "1.500000");
  EXPECT_EQ(ReadSetting("ViewingCondition-03/OBJECTXFORM[0][2]").toString(), "-0.750000");
  EXPECT_EQ(ReadSetting("ViewingCondition-03/RENDERINGRATE").toString(), "12.500000");
  EXPECT_EQ(ReadSetting("ViewingCondition-03/ROTATIONCENTERY").toString(), "-3.500000");
  EXPECT_TRUE(ReadSetting("ViewingCondition-09/RENDERINGRATE").isValid());

  auto restarted = ShownView([](CSceneView& v) { v.Profile(false); });
  restarted->RestoreViewState(3);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(restarted->objectXform[i], exact.objectXform[i]) << i;
  EXPECT_EQ(restarted->rotationCenter, exact.rotationCenter);
  EXPECT_EQ(restarted->renderingCenter, exact.renderingCenter);
  EXPECT_EQ(restarted->renderingRate, exact.renderingRate);

  // A free rotation has more digits than "%f" keeps: equal to 6 decimals.
  {
    CSceneView view;
    view.RotateAboutCenter(37.0f, 0.3f, 1.0f, 0.2f);
    view.SaveViewState(5);
    view.Profile(true);
    CSceneView again;
    again.Profile(false);
    again.RestoreViewState(5);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(again.objectXform[i], view.objectXform[i], 5.01e-7f) << i;
  }
}

// ===========================================================================
// Util view: texts and scales

TEST_F(ViewChainTest, ScalesAreDrawnWhereTheLayoutSays) {
  auto view = ShownView();
  for (int& shown : view->renderTextField) shown = 0;
  view->triangles.clear();
  view->renderScale[COpenGLUtilView::SP_TOP] = 1;
  const QImage image = view->grabFramebuffer();
  const QRgb scale = qRgb(192, 192, 192) & 0xFFFFFF;
  // A line at distance 30 from an edge lands on one of the two pixel rows
  // around it.
  const auto onRowNear = [&](int x, int y) {
    return PixelAt(image, x, y) == scale || PixelAt(image, x, y - 1) == scale;
  };
  const auto onColumnNear = [&](int x, int y) {
    return PixelAt(image, x, y) == scale || PixelAt(image, x - 1, y) == scale;
  };
  // Width 400 at rate 10: L = 20, two units of 10 (200 pixels from x = 100).
  EXPECT_TRUE(onRowNear(150, kHeight - 30));
  EXPECT_TRUE(onRowNear(295, kHeight - 30));
  EXPECT_FALSE(onRowNear(80, kHeight - 30));
  EXPECT_TRUE(onRowNear(150, 30));
  EXPECT_EQ(view->ScaleLabel(4)->GetText(), L"20");
  // Height 300: L = 10, one unit (100 pixels from y = 100) with ten ticks.
  EXPECT_TRUE(onColumnNear(kWidth - 30, 150));
  EXPECT_FALSE(onColumnNear(kWidth - 30, 60));
  EXPECT_FALSE(onColumnNear(30, 150));  // left scale off
  EXPECT_EQ(view->ScaleLabel(7)->GetText(), L"10");
  // Ticks 10 pixels apart run 10 pixels inward from the right scale line.
  EXPECT_TRUE(onRowNear(kWidth - 35, 170));
  EXPECT_FALSE(onRowNear(kWidth - 35, 165));
}

TEST_F(ViewChainTest, RedrawsThatChangeNothingRasteriseNoText) {
  auto view = ShownView();
  view->SetSystemText(COGLJTextField::TFP_LEFTTOP,
                      L" F5　　　　 ：回転中心設定\n F6　　　　 ：描画中心設定\n");
  view->SetSystemText(COGLJTextField::TFP_RIGHTTOP, L" 左ボタンドラッグ　：回転\n");
  view->SetSystemText(COGLJTextField::TFP_RIGHTBOTTOM, L"Version 1.00.0000.0001");
  // The statistics change from frame to frame; show a fixed text there.
  view->SetUserText(COGLJTextField::TFP_LEFTBOTTOM, L"固定");
  view->SetUseUserText(COGLJTextField::TFP_LEFTBOTTOM, true);
  view->renderScale[COpenGLUtilView::SP_TOP] = view->renderScale[COpenGLUtilView::SP_LEFT] = 1;
  view->grabFramebuffer();
  const uint64_t settled = COGLJText::RasterizeCount();
  view->grabFramebuffer();
  view->grabFramebuffer();
  EXPECT_EQ(COGLJText::RasterizeCount(), settled);
  for (int i = 0; i < 4; ++i) EXPECT_NE(view->TextField(i)->GetDisplayList(), 0u) << i;
  EXPECT_EQ(view->TextField(COGLJTextField::TFP_LEFTBOTTOM)->GetText(), L"固定");
  // A changed text is rasterised again, once.
  view->SetSystemText(COGLJTextField::TFP_RIGHTBOTTOM, L"Version 1.00.0000.0002");
  view->grabFramebuffer();
  view->grabFramebuffer();
  EXPECT_EQ(COGLJText::RasterizeCount(), settled + 1);
}

TEST_F(ViewChainTest, BottomLeftFieldShowsTheFrameStatistics) {
  auto view = ShownView();
  view->grabFramebuffer();
  const std::wstring text = view->TextField(COGLJTextField::TFP_LEFTBOTTOM)->GetText();
  const std::wstring head = L"描画倍率：  10.0000[倍]\n描画所要時間：";
  const std::wstring tail = L"[spf] )\n画面サイズ　：  400 x  300 =  120000 [dot]\n";
  ASSERT_GE(text.size(), head.size() + tail.size());
  EXPECT_EQ(text.substr(0, head.size()), head);
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
  // "%5d[fps] ( %9.4lf" in between.
  const std::wstring middle = text.substr(head.size(), text.size() - head.size() - tail.size());
  EXPECT_EQ(middle.size(), std::wstring(L"    1[fps] (    0.0010").size())
      << QString::fromStdWString(middle).toStdString();
  EXPECT_EQ(middle.substr(5, 8), L"[fps] ( ");
}

TEST_F(ViewChainTest, FieldTextsFollowTheUserOrSystemChoice) {
  CSceneView view;  // texts need no context until drawn
  const auto shown = [&](int i) { return view.TextField(i)->GetText(); };
  view.SetSystemText(0, L"system");
  EXPECT_EQ(shown(0), L"system");
  view.SetUserText(0, L"user");
  EXPECT_EQ(shown(0), L"system");  // the field shows the system text
  view.SetUseUserText(0, true);
  EXPECT_EQ(shown(0), L"user");
  view.SetSystemText(0, L"system 2");
  EXPECT_EQ(shown(0), L"user");  // a user-text field keeps its text
  view.SetUseUserText(0, false);
  EXPECT_EQ(shown(0), L"system 2");
  view.SetSystemText(7, L"ignored");
  view.SetUseUserText(-1, true);
  EXPECT_EQ(shown(0), L"system 2");
}

TEST_F(ViewChainTest, UtilSettingsRoundTripUnderTheirKeys) {
  {
    CSceneView view;
    view.antialias = true;
    view.renderScale[COpenGLUtilView::SP_TOP] = 1;
    view.renderScale[COpenGLUtilView::SP_BOTTOM] = 0;
    view.renderTextField[COGLJTextField::TFP_RIGHTTOP] = 0;
    view.TextField(1)->SetFontSize(12.5f);
    view.TextField(2)->SetFontName(L"IPAGothic");
    view.SetUserText(0, L"ユーザー文字列");
    view.SetUseUserText(0, true);
    view.textFieldColor[2][0] = 1;
    view.textFieldColor[2][1] = 2;
    view.textFieldColor[2][2] = 3;
    view.viewingConditions[7].renderingRate = 2.5f;
    view.Profile(true);
  }
  EXPECT_EQ(ReadSetting("OpenGLUtilView/Antialias").toInt(), 1);
  EXPECT_EQ(ReadSetting("OpenGLUtilView/RenderScale[SP_TOP]").toInt(), 1);
  EXPECT_EQ(ReadSetting("OpenGLUtilView/RenderTextField[COGLJTextField::TFP_RIGHTTOP]").toInt(), 0);
  EXPECT_EQ(ReadSetting("OpenGLUtilView/TextFieldFontSize[COGLJTextField::TFP_RIGHTTOP]").toString(),
            "12.500000");
  EXPECT_EQ(ReadSetting("OpenGLUtilView/TextFieldFontName[COGLJTextField::TFP_LEFTTOP]").toString(),
            QString::fromWCharArray(kDefaultFontName));
  EXPECT_EQ(ReadSetting("OpenGLUtilView/TextFieldColor[LEFTBOTTOM]").toInt(), 0x030201);
  EXPECT_EQ(ReadSetting("OpenGLUtilView/UserDefinedText[LEFTTOP]").toString(), QString("ユーザー文字列"));
  EXPECT_FALSE(ReadSetting("OpenGLUtilView/UserDefinedText[RIGHTTOP]").isValid());
  EXPECT_EQ(ReadSetting("ViewingCondition-07/RENDERINGRATE").toString(), "2.500000");

  CSceneView loaded;
  loaded.SetSystemText(0, L"system");
  loaded.Profile(false);
  EXPECT_TRUE(loaded.antialias);
  EXPECT_EQ(loaded.renderScale[COpenGLUtilView::SP_TOP], 1);
  EXPECT_EQ(loaded.renderScale[COpenGLUtilView::SP_BOTTOM], 0);
  EXPECT_EQ(loaded.renderTextField[COGLJTextField::TFP_RIGHTTOP], 0);
  EXPECT_EQ(loaded.TextField(1)->GetFontSize(), 12.5f);
  EXPECT_EQ(std::wstring(loaded.TextField(2)->GetFontName()), L"IPAGothic");
  EXPECT_EQ(loaded.textFieldColor[2][0], 1);
  EXPECT_EQ(loaded.textFieldColor[2][2], 3);
  EXPECT_EQ(loaded.viewingConditions[7].renderingRate, 2.5f);
  // The loaded choice decides what the field shows.
  EXPECT_EQ(loaded.TextField(0)->GetText(), L"ユーザー文字列");
}

// ===========================================================================
// Bitmap texts

TEST_F(ViewChainTest, EmptyTextDrawsNothingAndBuildsNoList) {
  auto view = ShownView();
  view->makeCurrent();
  COGLJText text(9.0f, nullptr, COGLJText::kTopLeft);
  text.SetText(L"%s", "");
  const uint64_t before = COGLJText::RasterizeCount();
  text.Render();
  EXPECT_EQ(text.GetDisplayList(), 0u);
  EXPECT_EQ(COGLJText::RasterizeCount(), before);
  EXPECT_EQ(std::wstring(text.GetFontName()), std::wstring(kDefaultFontName));
}

TEST_F(ViewChainTest, BottomAnchoredLinesStackUpwardEndingAtTheRasterPosition) {
  auto view = ShownView();
  view->triangles.clear();
  for (int& shown : view->renderTextField) shown = 0;
  view->renderScale[COpenGLUtilView::SP_BOTTOM] = view->renderScale[COpenGLUtilView::SP_RIGHT] = 0;
  const int rasterX = 100, rasterY = 200;  // window pixels, y downward

  const auto drawn = [&](const wchar_t* content) {
    view->makeCurrent();
    auto text = std::make_unique<COGLJText>(20.0f, nullptr, COGLJText::kBottomLeft);
    text->SetPlainText(content);
    view->overlay = [&] {
      glMatrixMode(GL_PROJECTION);
      glPushMatrix();
      glLoadIdentity();
      glOrtho(0, kWidth, kHeight, 0, -1, 1);
      glMatrixMode(GL_MODELVIEW);
      glPushMatrix();
      glLoadIdentity();
      glColor3ub(255, 255, 255);
      glRasterPos2i(rasterX, rasterY);
      text->Render();
      glPopMatrix();
      glMatrixMode(GL_PROJECTION);
      glPopMatrix();
      glMatrixMode(GL_MODELVIEW);
    };
    const QImage image = view->grabFramebuffer();
    view->overlay = nullptr;
    view->makeCurrent();
    text.reset();
    return image;
  };
  // Lit rows of an image, top to bottom.
  const auto litRows = [](const QImage& image) {
    std::vector<int> rows;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if (PixelAt(image, x, y) != 0) {
          rows.push_back(y);
          break;
        }
    return rows;
  };

  const QImage twoLines = drawn(L"AB\r\nCD");
  const QImage secondOnly = drawn(L"CD");
  EXPECT_EQ(twoLines, drawn(L"AB\nCD"));  // the carriage return is not drawn
  const std::vector<int> rows = litRows(twoLines), secondRows = litRows(secondOnly);
  ASSERT_FALSE(secondRows.empty());
  ASSERT_FALSE(rows.empty());
  EXPECT_LT(rows.back(), rasterY);  // everything above the raster position
  // The second line sits directly above the raster position, as if alone...
  for (int y = secondRows.front(); y <= secondRows.back(); ++y)
    for (int x = 0; x < kWidth; ++x)
      ASSERT_EQ(PixelAt(twoLines, x, y), PixelAt(secondOnly, x, y)) << x << "," << y;
  // ...and the first line above it.
  EXPECT_LT(rows.front(), secondRows.front());
}

}  // namespace
