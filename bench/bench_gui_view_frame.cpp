// Frame times of the OpenGL view chain with a large mesh, drawn the way the
// viewer draws an imported model: a CRenderingObjectModel owning a CZtModel,
// and one CRenderingObjectGeometricModel for its group, whose faces are
// compiled into a display list on the first draw.
//
//   first frame:   the paint that compiles the face list and draws it
//   rotation:      frames while the left button drags (list replay): median
//                  and mean of the view's paint step (paintGL, which ends in
//                  glFinish), called right after each tracked mouse move, and
//                  of grabFramebuffer() (the paint plus reading the pixels
//                  back), the closest synchronous stand-in for a shown frame
//   immediate:     the same rotation with the face list switched off, for
//                  comparison
//
// The model is a height field of cols x rows quads (two triangles each),
// 1,000,000 triangles by default, shaded under the view's light 0.  The view
// is 800 x 600 with the corner texts and two scales as in the viewer.  Run it
// under an X server, for example (one line):
//   LIBGL_ALWAYS_SOFTWARE=1 xvfb-run -a -s "-screen 0 1280x1024x24"
//       build/bin/bench_gui_view_frame [triangles] [frames]
// The program prints its figures and never fails on them.
#include <GL/gl.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <numeric>
#include <vector>

#include "app/SettingsStore.h"
#include "geometry/ZtModel.h"
#include "render/ManagerMaterialLibrary.h"
#include "render/ManagerPickObject.h"
#include "render/ManagerRenderingObject.h"
#include "render/ManagerTemporaryObject.h"
#include "render/RenderingObjectGeometricModel.h"
#include "render/RenderingObjectModel.h"
#include "view/OpenGLUtilView.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A wavy height field of cols x rows quads, 0.1 mm apart, with facet normals
// and the corner normal indices the STL import writes.
CZtModel* MakeHeightField(int cols, int rows) {
  auto* model = new CZtModel;
  const float step = 0.1f;
  model->vertices.reserve(static_cast<size_t>(cols + 1) * (rows + 1));
  for (int j = 0; j <= rows; ++j)
    for (int i = 0; i <= cols; ++i) {
      const float x = i * step, y = j * step;
      model->vertices.push_back({x, y, 2.0f * std::sin(x * 0.3f) * std::cos(y * 0.2f)});
    }
  auto* group = new CZtGroup;
  group->name = L"height field";
  group->model = model;
  const size_t count = static_cast<size_t>(cols) * rows * 2;
  model->triangles.reserve(count);
  model->facetNormals.reserve(count);
  group->triangleIndices.reserve(count);
  const auto at = [cols](int i, int j) { return static_cast<int32_t>(j * (cols + 1) + i); };
  const auto add = [&](int32_t a, int32_t b, int32_t c) {
    CZtIndexedTriangle t;
    t.vertexIndex[0] = a;
    t.vertexIndex[1] = b;
    t.vertexIndex[2] = c;
    t.normalIndex[0] = t.normalIndex[1] = t.normalIndex[2] = 0;
    t.facetNormalIndex = static_cast<int32_t>(model->facetNormals.size());
    const auto& v = model->vertices;
    model->facetNormals.push_back(CZtModel::FacetNormalOf(v[a], v[b], v[c]));
    group->triangleIndices.push_back(static_cast<uint32_t>(model->triangles.size()));
    model->triangles.push_back(t);
  };
  for (int j = 0; j < rows; ++j)
    for (int i = 0; i < cols; ++i) {
      add(at(i, j), at(i + 1, j), at(i + 1, j + 1));
      add(at(i, j), at(i + 1, j + 1), at(i, j + 1));
    }
  model->groups.push_back(group);
  return model;
}

class CBenchView : public COpenGLUtilView {
public:
  CRenderingObject* object = nullptr;
  std::vector<double> paintMilliseconds;

  // One frame into the widget's frame buffer, now.
  void PaintNow() {
    makeCurrent();
    paintGL();
  }

protected:
  void RenderScene() override {
    if (object) {
      object->Render(1, false);
      object->Render(1, true);
    }
    DrawScales();
  }
  void paintGL() override {
    const Clock::time_point start = Clock::now();
    COpenGLUtilView::paintGL();  // ends with glFinish
    paintMilliseconds.push_back(MillisecondsSince(start));
  }
};

struct Figures {
  double median, mean;
};

Figures Summarise(std::vector<double> values) {
  if (values.empty()) return {0.0, 0.0};
  const double mean = std::accumulate(values.begin(), values.end(), 0.0) / values.size();
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return {values[values.size() / 2], mean};
}

void SendMouse(QWidget& widget, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
  QMouseEvent event(type, QPointF(at), QPointF(widget.mapToGlobal(at)), button, held, Qt::NoModifier);
  QApplication::sendEvent(&widget, &event);
}

// Draws frames frames while the left button drags to the right, then as
// many grabbed frames; returns the paintGL and the grab times.
std::pair<Figures, Figures> RotationFrames(CBenchView& view, int frames) {
  const QPoint start(200, 300);
  SendMouse(view, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
  QApplication::processEvents();  // lets any pending paint go first
  view.paintMilliseconds.clear();
  for (int f = 1; f <= frames; ++f) {
    SendMouse(view, QEvent::MouseMove, start + QPoint(4 * f, f % 3), Qt::NoButton, Qt::LeftButton);
    view.PaintNow();
  }
  const Figures paint = Summarise(view.paintMilliseconds);
  std::vector<double> grabs;
  for (int f = 1; f <= frames; ++f) {
    SendMouse(view, QEvent::MouseMove, start + QPoint(4 * (frames + f), f % 3), Qt::NoButton, Qt::LeftButton);
    const Clock::time_point begin = Clock::now();
    view.grabFramebuffer();
    grabs.push_back(MillisecondsSince(begin));
  }
  SendMouse(view, QEvent::MouseButtonRelease, start + QPoint(8 * frames, 0), Qt::LeftButton, Qt::NoButton);
  QApplication::processEvents();
  return {paint, Summarise(grabs)};
}

}  // namespace

int main(int argc, char** argv) {
  const long triangles = argc > 1 ? std::max(2L, std::atol(argv[1])) : 1'000'000L;
  const int frames = argc > 2 ? std::max(1, std::atoi(argv[2])) : 30;

  QTemporaryDir settingsDir;
  settingsstore::OpenFile(settingsDir.filePath(QStringLiteral("bench.ini")));
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");

  CManagerMaterialLibrary materials;
  materials.Fill();
  CManagerTemporaryObject temporary;
  CPilvo3DManagerPickObject picks;
  CManagerRenderingObject rendering;

  // cols : rows = 2 : 1, cols x rows x 2 = triangles.
  const int rows = std::max(1, static_cast<int>(std::lround(std::sqrt(triangles / 4.0))));
  const int cols = std::max(1, static_cast<int>(triangles / (2L * rows)));
  Clock::time_point start = Clock::now();
  CZtModel* mesh = MakeHeightField(cols, rows);
  auto modelObject = std::make_unique<CRenderingObjectModel>(mesh);  // owns the mesh
  auto geometric =
      std::make_unique<CRenderingObjectGeometricModel>(mesh->groups[0], *rendering.geometricDefault);
  modelObject->children.insert(geometric.get());
  std::printf("model: %zu triangles, %zu vertices, built in %.0f ms\n", mesh->triangles.size(),
              mesh->vertices.size(), MillisecondsSince(start));

  CBenchView view;
  view.object = geometric.get();
  view.SetSystemText(0, L" F5　　　　 ：回転中心設定\n F6　　　　 ：描画中心設定\n");
  view.SetSystemText(1, L" 左ボタンドラッグ　：回転\n 中ボタンドラッグ　：パン\n");
  view.SetSystemText(3, L"Version 1.00.0000.0001");
  view.resize(800, 600);

  // Fit the model as the viewer does after an import.
  TZtVector3<float> min, max;
  modelObject->GetExtents(min, max);
  const TZtVector3<float> centre = (min + max) * 0.5f;
  const double diagonal = (max - min).Length();
  view.rotationCenter = centre;
  view.farPlane = view.nearPlane + static_cast<float>(10.0 * diagonal);
  float rate = static_cast<float>(600.0 / diagonal);
  if (rate > 1.0f) rate = std::floor(rate);
  view.SetRenderingRate(rate);
  view.SetRenderingCenter(view.ToViewSpace(centre));

  // The first paint after show compiles the face list.
  start = Clock::now();
  view.show();
  QElapsedTimer wait;
  wait.start();
  const auto exposed = [&] { return view.windowHandle() && view.windowHandle()->isExposed(); };
  while ((view.paintMilliseconds.empty() || !exposed()) && wait.elapsed() < 120000)
    QApplication::processEvents();
  if (!exposed()) {
    std::printf("the view was not exposed; is there an X server?\n");
    return 1;
  }
  const double showToFirstFrame = MillisecondsSince(start);
  if (view.paintMilliseconds.empty()) {
    std::printf("no frame was drawn\n");
    return 1;
  }
  const double firstFrame = view.paintMilliseconds.front();
  std::printf("renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
  std::printf("first frame (face list compile + draw): paintGL %.0f ms; show to first frame %.0f ms\n",
              firstFrame, showToFirstFrame);

  const QImage image = view.grabFramebuffer();
  const QRgb centrePixel = image.pixel(400, 300);
  std::printf("centre pixel %02X%02X%02X (background 000000)\n", qRed(centrePixel), qGreen(centrePixel),
              qBlue(centrePixel));

  const auto [listPaint, listGrab] = RotationFrames(view, frames);
  std::printf(
      "rotation, display list, %d frames: paintGL median %.1f ms (mean %.1f) = %.1f frames/s; "
      "grabFramebuffer median %.1f ms (mean %.1f)\n",
      frames, listPaint.median, listPaint.mean, 1000.0 / listPaint.median, listGrab.median, listGrab.mean);

  rendering.geometricModelUseDisplayListFace = false;
  view.makeCurrent();
  geometric->DeleteDisplayLists(15);
  const int immediateFrames = std::max(1, frames / 3);
  const auto [immediatePaint, immediateGrab] = RotationFrames(view, immediateFrames);
  std::printf(
      "rotation, immediate mode, %d frames: paintGL median %.1f ms (mean %.1f); "
      "grabFramebuffer median %.1f ms (mean %.1f)\n",
      immediateFrames, immediatePaint.median, immediatePaint.mean, immediateGrab.median, immediateGrab.mean);

  view.makeCurrent();
  modelObject->children.clear();
  geometric.reset();
  modelObject.reset();
  return 0;
}
