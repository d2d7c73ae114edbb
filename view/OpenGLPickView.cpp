#include "view/OpenGLPickView.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <QMouseEvent>
#include <algorithm>
#include <utility>

#include "app/SettingsStore.h"

// ---------------------------------------------------------------------------
// CViewingCondition

CViewingCondition::CViewingCondition() {
  std::fill(objectXform, objectXform + 16, 0.0f);
  objectXform[0] = objectXform[5] = objectXform[10] = objectXform[15] = 1.0f;
}

void CViewingCondition::Capture(const COpenGLTrackView& view) {
  std::copy(view.objectXform, view.objectXform + 16, objectXform);
  rotationCenter = view.rotationCenter;
  renderingCenter = view.renderingCenter;
  renderingRate = view.renderingRate;
}

void CViewingCondition::Apply(COpenGLTrackView& view) const {
  std::copy(objectXform, objectXform + 16, view.objectXform);
  view.rotationCenter = rotationCenter;
  view.renderingCenter = renderingCenter;
  view.renderingRate = renderingRate;
}

void CViewingCondition::Profile(bool save, int slot) {
  CProfileSection section(save, QString::asprintf("ViewingCondition-%02d", slot));
  // Key [i][j] holds element 4i + j of the OpenGL storage order.
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      section.Float(QString::asprintf("OBJECTXFORM[%d][%d]", i, j), objectXform[4 * i + j]);
  section.Float(QStringLiteral("ROTATIONCENTERX"), rotationCenter.x);
  section.Float(QStringLiteral("ROTATIONCENTERY"), rotationCenter.y);
  section.Float(QStringLiteral("ROTATIONCENTERZ"), rotationCenter.z);
  section.Float(QStringLiteral("RENDERINGCENTERX"), renderingCenter.x);
  section.Float(QStringLiteral("RENDERINGCENTERY"), renderingCenter.y);
  section.Float(QStringLiteral("RENDERINGCENTERZ"), renderingCenter.z);
  section.Float(QStringLiteral("RENDERINGRATE"), renderingRate);
}

// ---------------------------------------------------------------------------
// Selection buffer

std::vector<CPickInformation> ParseSelectionBuffer(const uint32_t* buffer, size_t size, int hitCount) {
  std::vector<CPickInformation> hits;
  if (!buffer || hitCount <= 0) return hits;
  hits.reserve(static_cast<size_t>(hitCount));
  constexpr double kDepthScale = 1.0 / 2147483648.0;  // 2^-31
  size_t at = 0;
  for (int h = 0; h < hitCount; ++h) {
    if (size - at < 3) break;
    const uint32_t nameCount = buffer[at];
    if (nameCount > size - at - 3) break;  // names would run past the buffer
    CPickInformation hit;
    hit.depthMin = static_cast<float>(buffer[at + 1] * kDepthScale);
    hit.depthMax = static_cast<float>(buffer[at + 2] * kDepthScale);
    hit.nameCount = std::min<uint32_t>(nameCount, CPickInformation::kMaxNames);
    std::copy(buffer + at + 3, buffer + at + 3 + hit.nameCount, hit.names);
    hits.push_back(hit);
    at += 3 + static_cast<size_t>(nameCount);
  }
  return hits;
}

// ---------------------------------------------------------------------------
// COpenGLPickView

COpenGLPickView::COpenGLPickView(QWidget* parent) : COpenGLLightView(parent) {}

void COpenGLPickView::Profile(bool save) {
  COpenGLLightView::Profile(save);
  CProfileSection section(save, QStringLiteral("OpenGLPickView"));
  if (save) {
    section.Double(QStringLiteral("PickRegionSize"), pickRegionSize);
  } else {
    // Kept with single precision, as it always was.
    float size = static_cast<float>(pickRegionSize);
    section.Float(QStringLiteral("PickRegionSize"), size);
    pickRegionSize = size;
  }
}

int COpenGLPickView::Pick(int x, int y) {
  if (!MakeContextCurrent()) return 0;

  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);

  std::vector<GLuint> buffer(kSelectionBufferSize);
  glSelectBuffer(kSelectionBufferSize, buffer.data());
  glRenderMode(GL_SELECT);
  glInitNames();
  glPushName(0);  // the scene walk replaces it with each object's id

  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  gluPickMatrix(x, viewHeight - y, pickRegionSize, pickRegionSize, viewport);
  SetupProjection();
  glMatrixMode(GL_MODELVIEW);

  RenderForPick();

  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glFlush();
  glMatrixMode(GL_MODELVIEW);

  const int hitCount = glRenderMode(GL_RENDER);
  if (hitCount >= 0)
    ProcessHits(ParseSelectionBuffer(buffer.data(), buffer.size(), hitCount), x, viewHeight - y);
  return hitCount;
}

void COpenGLPickView::SaveViewState(int slot) {
  if (slot < 0 || slot >= kViewStateSlots) return;
  if (CViewingCondition* condition = ViewingConditionSlot(slot)) condition->Capture(*this);
}

void COpenGLPickView::RestoreViewState(int slot) {
  if (slot < 0 || slot >= kViewStateSlots) return;
  CViewingCondition* condition = ViewingConditionSlot(slot);
  if (!condition) return;
  condition->Apply(*this);
  if (MakeContextCurrent()) {
    RebuildProjection();
    SetupModelView();
  }
  update();
}

void COpenGLPickView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::RightButton) {
    COpenGLLightView::mouseReleaseEvent(event);
    return;
  }
  const int hits = Pick(ToDevicePixels(event->position().x()), ToDevicePixels(event->position().y()));
  if (hits <= 0) {
    event->ignore();  // Qt's default handling
    return;
  }
  event->accept();
  update();
}
