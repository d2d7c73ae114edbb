#include "view/PickGeometry.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

namespace {

float Clamp01(float t) { return std::clamp(t, 0.0f, 1.0f); }

TZtVector3<float> Along(const TZtVector3<float>& from, const TZtVector3<float>& to, float t) {
  return from + (to - from) * t;
}

}  // namespace

WindowPoint ProjectToWindow(const TZtVector3<float>& p) {
  GLdouble modelview[16], projection[16];
  GLint viewport[4];
  glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  glGetIntegerv(GL_VIEWPORT, viewport);
  GLdouble wx = 0, wy = 0, wz = 0;
  gluProject(p.x, p.y, p.z, modelview, projection, viewport, &wx, &wy, &wz);
  return {static_cast<float>(wx), static_cast<float>(wy)};
}

TZtVector3<float> PointOnEdgeWindow(int x, int y, WindowPoint s0, WindowPoint s1, const TZtVector3<float>& p0,
                                    const TZtVector3<float>& p1) {
  const float dx = s1.x - s0.x, dy = s1.y - s0.y;
  if (dx == 0.0f && dy == 0.0f) return p1;
  const float t = std::fabs(dx) > std::fabs(dy) ? (x - s0.x) / dx : (y - s0.y) / dy;
  return Along(p0, p1, Clamp01(t));
}

TZtVector3<float> PointOnFacetWindow(int x, int y, WindowPoint s0, WindowPoint s1, WindowPoint s2,
                                     const TZtVector3<float>& p0, const TZtVector3<float>& p1,
                                     const TZtVector3<float>& p2) {
  const WindowPoint e1{s1.x - s0.x, s1.y - s0.y}, e2{s2.x - s0.x, s2.y - s0.y};
  const WindowPoint b{x - s0.x, y - s0.y};
  if (e1.x == 0.0f && e1.y == 0.0f && e2.x == 0.0f && e2.y == 0.0f) return p1;

  const float det = e1.x * e2.y - e2.x * e1.y;
  if (det != 0.0f) {
    float u = Clamp01((b.x * e2.y - b.y * e2.x) / det);
    float v = Clamp01((b.y * e1.x - b.x * e1.y) / det);
    if (u + v > 1.0f) {
      if (u > v) v = 1.0f - u;
      else u = 1.0f - v;  // equal: v is kept
    }
    return p0 + (p1 - p0) * u + (p2 - p0) * v;
  }

  // Seen edge-on: look along p0-p2 first, then along p0-p1.
  const bool byY = std::fabs(e1.x) <= std::fabs(e1.y);
  const float t = byY ? b.y / e2.y : b.x / e2.x;
  if (t >= 0.0f && t <= 1.0f) return Along(p0, p2, t);
  const float s = byY ? b.y / e1.y : b.x / e1.x;
  return Along(p0, p1, Clamp01(std::isnan(s) ? 0.0f : s));
}

TZtVector3<float> PointOnEdge(int x, int y, const TZtVector3<float>& p0, const TZtVector3<float>& p1) {
  return PointOnEdgeWindow(x, y, ProjectToWindow(p0), ProjectToWindow(p1), p0, p1);
}

TZtVector3<float> PointOnFacet(int x, int y, const TZtVector3<float>& p0, const TZtVector3<float>& p1,
                               const TZtVector3<float>& p2) {
  return PointOnFacetWindow(x, y, ProjectToWindow(p0), ProjectToWindow(p1), ProjectToWindow(p2), p0, p1, p2);
}
