// Shared fixtures of the GUI tests: the process-wide managers, an offscreen
// OpenGL context for code that compiles display lists, and small models.
#pragma once

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QSurfaceFormat>

#include <gtest/gtest.h>

#include <memory>

#include "app/MessageBox.h"
#include "geometry/ZtModel.h"
#include "render/ManagerMaterialLibrary.h"
#include "render/ManagerPickObject.h"
#include "render/ManagerRenderingObject.h"
#include "render/ManagerTemporaryObject.h"

namespace guitest {

// The four managers for the life of a test, created in start-up order.
struct Managers {
  Managers() { materials.Fill(); }
  CManagerMaterialLibrary materials;
  CManagerTemporaryObject temporary;
  CPilvo3DManagerPickObject picks;
  CManagerRenderingObject rendering;
};

// A current compatibility-profile context on an offscreen surface.
class OffscreenGL {
public:
  OffscreenGL() {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setDepthBufferSize(24);
    m_context.setFormat(format);
    m_surface.setFormat(format);
    m_surface.create();
    m_ok = m_context.create() && m_context.makeCurrent(&m_surface);
  }
  ~OffscreenGL() { m_context.doneCurrent(); }
  bool ok() const { return m_ok; }

private:
  QOffscreenSurface m_surface;
  QOpenGLContext m_context;
  bool m_ok = false;
};

// Records every message instead of showing a box; answers with answer.
class MessageRecorder {
public:
  explicit MessageRecorder(QMessageBox::StandardButton answer = QMessageBox::Ok) {
    SetMessageHandler([this, answer](const QString& text, QMessageBox::StandardButtons) {
      messages << text;
      return answer;
    });
  }
  ~MessageRecorder() { SetMessageHandler(nullptr); }
  QStringList messages;
};

// A model with one group per entry of groupSizes, each group a strip of
// unit right triangles at z = 0 placed side by side along x.
std::unique_ptr<CZtModel> MakeStripModel(const std::vector<int>& groupSizes);

}  // namespace guitest
