// Selection picking with the OpenGL selection buffer, the point-on-element
// routines, and the stored view states.
//
// Pick(x, y) draws the scene once more with selection names into a small
// region around the click and hands the hit records to ProcessHits().  The
// names the scene pushes are [object id, object kind, element kind, element
// index, sub-index] (see CPickInformation).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "geometry/ZtVector3.h"
#include "render/PickObject.h"
#include "view/OpenGLLightView.h"
#include "view/PickGeometry.h"

// One stored view state: orientation, centres and rate of a track view.
class CViewingCondition {
public:
  CViewingCondition();  // the initial view: identity, origin, origin, rate 10

  void Capture(const COpenGLTrackView& view);
  // Copies the four values into the view; the caller rebuilds its matrices.
  void Apply(COpenGLTrackView& view) const;
  // Section "ViewingCondition-%02d" of slot; "%f" strings, an empty string
  // keeps that element.
  void Profile(bool save, int slot);

  float objectXform[16];
  TZtVector3<float> rotationCenter{0.0f, 0.0f, 0.0f};
  TZtVector3<float> renderingCenter{0.0f, 0.0f, 0.0f};
  float renderingRate = 10.0f;
};

// The hit records of a selection buffer of size entries that holds
// hitCount records [name count, min depth, max depth, names...].  Depths
// become raw x 2^-31 (0 to 2).  A record that would run past the end of the
// buffer ends the list; names beyond CPickInformation::kMaxNames are
// skipped and the record's nameCount is cut to that many, so that every
// counted name is stored.
std::vector<CPickInformation> ParseSelectionBuffer(const uint32_t* buffer, size_t size, int hitCount);

class COpenGLPickView : public COpenGLLightView {
  Q_OBJECT

public:
  static constexpr int kSelectionBufferSize = 65536;
  static constexpr int kViewStateSlots = 10;

  explicit COpenGLPickView(QWidget* parent = nullptr);

  // The light view's sections, then "OpenGLPickView".
  void Profile(bool save) override;

  // Selects what lies under the device pixel (x, y), y downward, and passes
  // the hits to ProcessHits().  Returns the number of hits, negative when
  // the selection buffer overflowed (ProcessHits is then not called), 0
  // without a context.
  int Pick(int x, int y);

  // Under this view's modelview, projection and viewport; (x, y) in OpenGL
  // window coordinates (origin at the lower left).  The routines themselves
  // are in PickGeometry.h for code that already has the context current.
  WindowPoint ProjectToWindow(const TZtVector3<float>& p) {
    MakeContextCurrent();
    return ::ProjectToWindow(p);
  }
  TZtVector3<float> PointOnEdge(int x, int y, const TZtVector3<float>& p0, const TZtVector3<float>& p1) {
    MakeContextCurrent();
    return ::PointOnEdge(x, y, p0, p1);
  }
  TZtVector3<float> PointOnFacet(int x, int y, const TZtVector3<float>& p0, const TZtVector3<float>& p1,
                                 const TZtVector3<float>& p2) {
    MakeContextCurrent();
    return ::PointOnFacet(x, y, p0, p1, p2);
  }

  // Slots 0..9; other slots are ignored.  Saving keeps the state in memory
  // only; it reaches the settings store with the view's settings.
  void SaveViewState(int slot);
  void RestoreViewState(int slot);

  double pickRegionSize = 10.0;  // pixels, width and height of the pick region

protected:
  // Draws the scene with selection names.  The pick view has no scene.
  virtual void RenderForPick() {}
  // The hits of one Pick in buffer order; (x, y) is the click in OpenGL
  // window coordinates.  The pick view ignores them.
  virtual void ProcessHits(std::vector<CPickInformation> hits, int x, int y) {}
  // Storage of the view states; the util view holds them.
  virtual CViewingCondition* ViewingConditionSlot(int slot) { return nullptr; }

  // Right button up picks; a click on nothing goes on to Qt's default
  // handling.
  void mouseReleaseEvent(QMouseEvent* event) override;
};
