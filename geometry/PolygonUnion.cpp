// Planar polygon union by a plane sweep over a half-edge subdivision.
//
// Outline of Run():
//   1. BuildVertices, BuildEdges: one vertex per distinct input point, one
//      edge per distinct input segment (copies counted in its winding).
//   2. Sweep: events in sweep order (larger y first, then smaller x).  At each
//      event the status edges that pass through the point are split there,
//      the edges that end leave the status, the edges that start enter it
//      between the point's neighbours, and newly adjacent pairs are tested for
//      a crossing further down (Bentley-Ottmann).  An edge entering the status
//      takes the winding number of the region to its left from its left
//      neighbour, so every face's winding number is known when the sweep ends.
//   3. MergeDuplicateEdges: collinear overlaps split into identical segments.
//   4. BuildRotations, LinkFaces: the edges around each vertex in
//      counter-clockwise order; a union-find over half-edges joins the
//      half-edges that bound one face (consecutive around a vertex, or a hole
//      cycle with the edge the sweep saw directly left of its leftmost vertex)
//      and joins the covered faces across edges that have coverage on both
//      sides.  Each class of covered half-edges is one output polygon.
//   5. TraceBoundary, EmitPolygons: the half-edges with coverage on the left
//      and none on the right are linked into cycles, turning at each vertex to
//      the next boundary edge clockwise; counter-clockwise cycles are outer
//      loops, clockwise ones holes, grouped by their class.
//
// Rounding.  Crossing points are rounded to float, so an edge split there
// bends by up to half a float step, and two edges one float step tall have
// no float point between them.  LocateCrossing keeps every crossing between
// the current event and the edges' lower ends in sweep order (moving it one
// float step, or routing a one-step-tall edge along a row); crossings of
// three or more edges merge into one vertex; and a neighbour whose crossing
// rounds onto the current event is split there.  Where rounding still breaks
// the status order, the winding numbers stop matching: the checks in
// InsertStarting, LinkFaces and TraceBoundary then fail the union instead of
// returning a wrong region.
#include "geometry/PolygonUnion.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <map>
#include <numeric>
#include <set>

#include "geometry/HalfEdge.h"

namespace {

using Vertex = THeVertex<float>;
using Edge = THeEdge<float>;

constexpr double kStatusKeyLow = -1e8;
constexpr double kStatusKeyHigh = 1e8;
constexpr double kStatusKeyMinSpacing = 1e-5;
// Bounds the memory on inputs with very many crossings (about 100 bytes per
// edge over the whole run).
constexpr size_t kMaxEdges = size_t{1} << 24;
// Crossing points this close (relative to the coordinates' magnitude, about
// 8 float steps) to a vertex still to come are merged into it.
constexpr double kMergeRadius = 1.0 / (1 << 20);
// How far beyond the on-edge tolerance the search for edges through an event
// point looks.
constexpr double kScanWindow = 8.0 * kUnionOnEdgeTolerance;

inline bool SweepBefore(float ax, float ay, float bx, float by) {
  return ay > by || (ay == by && ax < bx);
}

struct PointKey {
  float x;
  float y;
};

struct SweepLess {
  bool operator()(const PointKey& a, const PointKey& b) const { return SweepBefore(a.x, a.y, b.x, b.y); }
};

inline double Cross(double ax, double ay, double bx, double by) { return ax * by - ay * bx; }

// 0 for directions with angle in [0, pi), 1 for [pi, 2 pi).
inline int HalfPlane(double dx, double dy) { return (dy < 0.0 || (dy == 0.0 && dx < 0.0)) ? 1 : 0; }

inline bool LessPoint(const CZtPoint2f& a, const CZtPoint2f& b) {
  return a.x < b.x || (a.x == b.x && a.y < b.y);
}

bool LessLoop(const CZtLoop2f& a, const CZtLoop2f& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), LessPoint);
}

// m lies strictly inside the segment a-b.  Exact for float inputs of similar
// magnitude: differences and products of floats are exact in double.
bool StrictlyBetween(const CZtPoint2f& a, const CZtPoint2f& m, const CZtPoint2f& b) {
  const double abx = double(b.x) - a.x, aby = double(b.y) - a.y;
  const double amx = double(m.x) - a.x, amy = double(m.y) - a.y;
  if (Cross(abx, aby, amx, amy) != 0.0) return false;
  const double bmx = double(m.x) - b.x, bmy = double(m.y) - b.y;
  return abx * amx + aby * amy > 0.0 && -abx * bmx - aby * bmy > 0.0;
}

// Drops points that lie on the straight way between their neighbours; the
// first point is kept.
void DropCollinearPoints(CZtLoop2f& loop) {
  CZtLoop2f kept;
  kept.reserve(loop.size());
  for (const CZtPoint2f& p : loop) {
    while (kept.size() >= 2 && StrictlyBetween(kept[kept.size() - 2], kept.back(), p)) kept.pop_back();
    kept.push_back(p);
  }
  while (kept.size() >= 3 && StrictlyBetween(kept[kept.size() - 2], kept.back(), kept.front())) kept.pop_back();
  loop.swap(kept);
}

double TwiceSignedArea(const CZtLoop2f& loop) {
  double sum = 0.0;
  for (size_t i = 0, n = loop.size(); i < n; ++i) {
    const CZtPoint2f& a = loop[i];
    const CZtPoint2f& b = loop[(i + 1) % n];
    sum += double(a.x) * b.y - double(b.x) * a.y;
  }
  return sum;
}

bool IsUsableLoop(const CZtLoop2f& loop) {
  if (loop.size() < 3) return false;
  bool allEqual = true;
  for (const CZtPoint2f& p : loop) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return false;
    if (!(p == loop.front())) allEqual = false;
  }
  return !allEqual;
}

class CSweepUnion {
public:
  // Adds one closed boundary, walked backwards when reverse is set.  Equal
  // consecutive points collapse into one.
  void AddLoop(const CZtLoop2f& loop, bool reverse);
  // Runs the union into polygons (cleared first).  False on failure.
  bool Run(std::vector<CZtPolygon2f>& polygons);

private:
  // A point of the status search: edges compare with it by their x at its y.
  struct Probe {
    float x;
    float y;
    double margin;  // 0: strictly left of the point; else at least this far left
  };

  struct StatusLess {
    using is_transparent = void;
    const CSweepUnion* self;
    bool operator()(int32_t a, int32_t b) const {
      const double ka = self->m_edges[a].statusKey, kb = self->m_edges[b].statusKey;
      return ka < kb || (ka == kb && a < b);
    }
    bool operator()(int32_t e, const Probe& p) const {
      const double dx = self->XAt(e, p.x, p.y) - p.x;
      return p.margin > 0.0 ? dx <= -p.margin : dx < 0.0;
    }
    bool operator()(const Probe& p, int32_t e) const {
      const double dx = self->XAt(e, p.x, p.y) - p.x;
      return p.margin > 0.0 ? dx >= p.margin : dx > 0.0;
    }
  };

  struct ListNode {
    int32_t edge;
    int32_t next;
  };

  // setup
  void BuildVertices();
  void BuildEdges();
  // sweep
  bool Sweep();
  void ProcessEvent(int32_t v);
  void CollectEndingAndPassing(int32_t v);
  void InsertStarting(int32_t v);
  // Where the crossing of two status edges goes: none; onto the current
  // event; an event point after it (xf, yf); or a point on the row of the
  // first lower end, past it, where that edge is routed along the row.
  enum class Crossing { none, atCurrent, after, alongRow };
  Crossing LocateCrossing(int32_t a, int32_t b, float& xf, float& yf, int32_t* rowEdge = nullptr) const;
  void RouteAlongRow(int32_t e, int32_t other, float x, float y);
  void TestCrossing(int32_t a, int32_t b);
  int32_t SplitEdge(int32_t e, int32_t v);
  int32_t FindOrAddVertex(float x, float y);
  int32_t FindNearbyVertex(float x, float y, int32_t a, int32_t b) const;
  void RenumberStatus();
  double XAt(int32_t e, float px, float py) const;
  bool PassesThrough(int32_t e, float px, double dx) const;
  bool Mark(int32_t e);
  void Push(int32_t& head, int32_t e);
  // faces
  void MergeDuplicateEdges();
  void BuildRotations();
  bool LinkFaces();
  bool TraceBoundary();
  bool EmitPolygons(std::vector<CZtPolygon2f>& polygons);
  int32_t Find(int32_t h);
  void Union(int32_t a, int32_t b);
  double DirX(int32_t h) const;
  double DirY(int32_t h) const;
  CZtLoop2f CycleLoop(const TBoundaryCycle& cycle) const;

  // input
  std::vector<CZtPoint2f> m_points;
  std::vector<uint32_t> m_loopEnds;
  std::vector<int32_t> m_pointVertex;

  // subdivision
  std::vector<Vertex> m_vertices;
  std::vector<Edge> m_edges;
  std::vector<ListNode> m_nodes;
  size_t m_staticCount = 0;  // input vertices, sorted in sweep order, come first

  // sweep state
  std::map<PointKey, int32_t, SweepLess> m_queue;  // crossing points still to come
  std::set<int32_t, StatusLess> m_status{StatusLess{this}};
  std::vector<uint32_t> m_mark;
  uint32_t m_stamp = 0;
  uint32_t m_insertCounter = 0;
  int32_t m_current = -1;
  bool m_failed = false;
  std::vector<int32_t> m_ending, m_passing, m_starting;

  // faces
  std::vector<int32_t> m_alias;  // edge -> the edge it was merged into (itself when kept)
  std::vector<uint32_t> m_rotOffset;
  std::vector<int32_t> m_rotation;  // outgoing half-edges per vertex, counter-clockwise
  std::vector<int32_t> m_parent;    // union-find over half-edges; the last entry is the unbounded face
  std::vector<uint8_t> m_covered;   // per half-edge: positive winding on its left
  std::vector<int32_t> m_next;      // boundary half-edge -> following boundary half-edge
  std::vector<int32_t> m_cycleHalfEdges;
  std::vector<TBoundaryCycle> m_cycles;
};

void CSweepUnion::AddLoop(const CZtLoop2f& loop, bool reverse) {
  const size_t begin = m_points.size();
  for (size_t k = 0; k < loop.size(); ++k) {
    const CZtPoint2f& p = reverse ? loop[loop.size() - 1 - k] : loop[k];
    if (m_points.size() > begin && m_points.back() == p) continue;
    m_points.push_back(p);
  }
  while (m_points.size() > begin + 1 && m_points.back() == m_points[begin]) m_points.pop_back();
  m_loopEnds.push_back(static_cast<uint32_t>(m_points.size()));
}

bool CSweepUnion::Run(std::vector<CZtPolygon2f>& polygons) {
  polygons.clear();
  if (m_points.size() > kMaxEdges) return false;
  BuildVertices();
  BuildEdges();
  if (!Sweep()) return false;
  MergeDuplicateEdges();
  BuildRotations();
  if (!LinkFaces() || !TraceBoundary()) return false;
  return EmitPolygons(polygons);
}

void CSweepUnion::BuildVertices() {
  std::vector<uint32_t> order(m_points.size());
  std::iota(order.begin(), order.end(), 0u);
  std::sort(order.begin(), order.end(), [this](uint32_t a, uint32_t b) {
    return SweepBefore(m_points[a].x, m_points[a].y, m_points[b].x, m_points[b].y);
  });
  m_pointVertex.resize(m_points.size());
  m_vertices.reserve(m_points.size() + m_points.size() / 4);
  for (uint32_t index : order) {
    const CZtPoint2f& p = m_points[index];
    if (m_vertices.empty() || m_vertices.back().x != p.x || m_vertices.back().y != p.y) {
      Vertex vertex;
      vertex.x = p.x;
      vertex.y = p.y;
      m_vertices.push_back(vertex);
    }
    m_pointVertex[index] = static_cast<int32_t>(m_vertices.size() - 1);
  }
  m_staticCount = m_vertices.size();
}

void CSweepUnion::BuildEdges() {
  struct Segment {
    int32_t upper, lower, winding;
  };
  std::vector<Segment> segments;
  segments.reserve(m_points.size());
  uint32_t begin = 0;
  for (uint32_t end : m_loopEnds) {
    for (uint32_t k = begin; k < end; ++k) {
      const int32_t a = m_pointVertex[k];
      const int32_t b = m_pointVertex[k + 1 < end ? k + 1 : begin];
      if (a == b) continue;
      // Vertex ids follow sweep order.
      if (a < b) segments.push_back({a, b, 1});
      else segments.push_back({b, a, -1});
    }
    begin = end;
  }
  // Room for the splits of a moderate number of crossings up front: growing
  // these arrays by copying costs more than the sweep on large inputs.
  m_edges.reserve(segments.size() + segments.size() / 4);
  m_nodes.reserve(2 * (segments.size() + segments.size() / 4));
  // Repeated segments (duplicated loops, shared sides) become one edge.
  std::sort(segments.begin(), segments.end(), [](const Segment& s, const Segment& t) {
    return s.upper < t.upper || (s.upper == t.upper && s.lower < t.lower);
  });
  for (size_t i = 0; i < segments.size();) {
    Segment merged = segments[i];
    size_t j = i + 1;
    for (; j < segments.size() && segments[j].upper == merged.upper && segments[j].lower == merged.lower; ++j)
      merged.winding += segments[j].winding;
    i = j;
    if (merged.winding == 0) continue;  // a segment and its reverse change no winding number
    const int32_t e = static_cast<int32_t>(m_edges.size());
    Edge edge;
    edge.upper = merged.upper;
    edge.lower = merged.lower;
    edge.winding = merged.winding;
    m_edges.push_back(edge);
    Push(m_vertices[merged.upper].event.starting, e);
    Push(m_vertices[merged.lower].event.ending, e);
  }
  m_mark.assign(m_edges.size(), 0);
}

void CSweepUnion::Push(int32_t& head, int32_t e) {
  m_nodes.push_back({e, head});
  head = static_cast<int32_t>(m_nodes.size() - 1);
}

bool CSweepUnion::Mark(int32_t e) {
  if (m_mark[e] == m_stamp) return false;
  m_mark[e] = m_stamp;
  return true;
}

bool CSweepUnion::Sweep() {
  size_t nextStatic = 0;
  while (!m_failed) {
    int32_t v;
    const bool haveStatic = nextStatic < m_staticCount;
    if (!m_queue.empty() &&
        (!haveStatic || SweepLess{}(m_queue.begin()->first,
                                    PointKey{m_vertices[nextStatic].x, m_vertices[nextStatic].y}))) {
      v = m_queue.begin()->second;
      m_queue.erase(m_queue.begin());
    } else if (haveStatic) {
      v = static_cast<int32_t>(nextStatic++);
    } else {
      break;
    }
    ProcessEvent(v);
  }
  m_queue.clear();
  m_status.clear();
  return !m_failed;
}

double CSweepUnion::XAt(int32_t e, float px, float py) const {
  const Vertex& u = m_vertices[m_edges[e].upper];
  const Vertex& l = m_vertices[m_edges[e].lower];
  // A horizontal edge lies on the sweep line; within its range it is at the point.
  if (u.y == l.y) return std::clamp(double(px), double(u.x), double(l.x));
  return static_cast<float>((double(py) - u.y) * (double(l.x) - u.x) / (double(l.y) - u.y) + u.x);
}

// A status edge spans the sweep line, so its x there is always in its range;
// the point need not be.  A vertical edge thus bends through a point beside
// it, as a slanted edge does: where several edges meet at a point on a
// vertical line, their rounded crossings land a float step beside it.
bool CSweepUnion::PassesThrough(int32_t e, float px, double dx) const {
  const Vertex& u = m_vertices[m_edges[e].upper];
  const Vertex& l = m_vertices[m_edges[e].lower];
  if (u.y == l.y) return u.x < px && px < l.x;
  return dx > -kUnionOnEdgeTolerance && dx < kUnionOnEdgeTolerance;
}

void CSweepUnion::ProcessEvent(int32_t v) {
  m_current = v;
  ++m_stamp;
  m_ending.clear();
  m_passing.clear();
  m_starting.clear();

  CollectEndingAndPassing(v);
  for (int32_t e : m_ending) {
    m_status.erase(e);
    m_edges[e].inStatus = false;
  }
  for (int32_t e : m_passing) {
    m_status.erase(e);
    m_edges[e].inStatus = false;
  }
  for (int32_t e : m_passing) {
    const int32_t lowerPart = SplitEdge(e, v);
    if (lowerPart < 0) return;
    m_starting.push_back(lowerPart);
  }
  for (int32_t n = m_vertices[v].event.starting; n >= 0; n = m_nodes[n].next) {
    const int32_t e = m_nodes[n].edge;
    if (m_edges[e].upper == v && !m_edges[e].inStatus) m_starting.push_back(e);
  }
  InsertStarting(v);
}

void CSweepUnion::CollectEndingAndPassing(int32_t v) {
  const float px = m_vertices[v].x, py = m_vertices[v].y;
  for (int32_t n = m_vertices[v].event.ending; n >= 0; n = m_nodes[n].next) {
    const int32_t e = m_nodes[n].edge;
    if (m_edges[e].lower == v && m_edges[e].inStatus && Mark(e)) m_ending.push_back(e);
  }
  for (int32_t n = m_vertices[v].event.passing; n >= 0; n = m_nodes[n].next) {
    int32_t e = m_nodes[n].edge;
    // The edge may have been split above this point since the crossing was found.
    while (e >= 0 && m_edges[e].lower != v &&
           SweepBefore(m_vertices[m_edges[e].lower].x, m_vertices[m_edges[e].lower].y, px, py))
      e = m_edges[e].continuation;
    if (e < 0 || !m_edges[e].inStatus || m_edges[e].lower == v) continue;
    if (Mark(e)) m_passing.push_back(e);
  }
  // Status edges within the tolerance of the point.  A crossing still to
  // come on this sweep line can leave two flat edges swapped here, so the
  // search looks a little beyond the tolerance on both sides.
  for (auto it = m_status.lower_bound(Probe{px, py, kScanWindow}); it != m_status.end(); ++it) {
    const int32_t e = *it;
    const double dx = XAt(e, px, py) - px;
    if (dx >= kScanWindow) break;
    if (m_mark[e] == m_stamp) continue;
    if (m_edges[e].lower == v) {
      Mark(e);
      m_ending.push_back(e);
    } else if (PassesThrough(e, px, dx)) {
      Mark(e);
      m_passing.push_back(e);
    }
  }
}

int32_t CSweepUnion::SplitEdge(int32_t e, int32_t v) {
  if (m_edges.size() >= kMaxEdges) {
    m_failed = true;
    return -1;
  }
  const int32_t f = static_cast<int32_t>(m_edges.size());
  Edge lowerPart;
  lowerPart.upper = v;
  lowerPart.lower = m_edges[e].lower;
  lowerPart.winding = m_edges[e].winding;
  m_edges.push_back(lowerPart);
  m_mark.push_back(0);
  m_edges[e].lower = v;
  m_edges[e].continuation = f;
  Push(m_vertices[lowerPart.lower].event.ending, f);
  return f;
}

void CSweepUnion::InsertStarting(int32_t v) {
  const float px = m_vertices[v].x, py = m_vertices[v].y;
  std::set<int32_t, StatusLess>::iterator right;
  int32_t leftEdge, rightEdge;
  for (;;) {
    // Left to right below the sweep line: by the angle of the direction,
    // which runs from pointing left-down to horizontal right.
    std::sort(m_starting.begin(), m_starting.end(), [this, px, py](int32_t a, int32_t b) {
      const Vertex& la = m_vertices[m_edges[a].lower];
      const Vertex& lb = m_vertices[m_edges[b].lower];
      const double c = Cross(double(la.x) - px, double(la.y) - py, double(lb.x) - px, double(lb.y) - py);
      return c > 0.0 || (c == 0.0 && a < b);
    });
    right = m_status.lower_bound(Probe{px, py, 0.0});
    rightEdge = right == m_status.end() ? -1 : *right;
    leftEdge = right == m_status.begin() ? -1 : *std::prev(right);

    // A neighbour whose crossing with the edges here rounds onto this very
    // point passes through it as far as float can tell (a nearly horizontal
    // edge one float step tall has no point in between): it is split here.
    float x, y;
    int32_t through[2];
    int count = 0;
    if (m_starting.empty()) {
      if (leftEdge >= 0 && rightEdge >= 0 && LocateCrossing(leftEdge, rightEdge, x, y) == Crossing::atCurrent) {
        through[count++] = leftEdge;
        through[count++] = rightEdge;
      }
    } else {
      if (leftEdge >= 0 && LocateCrossing(leftEdge, m_starting.front(), x, y) == Crossing::atCurrent)
        through[count++] = leftEdge;
      if (rightEdge >= 0 && LocateCrossing(m_starting.back(), rightEdge, x, y) == Crossing::atCurrent)
        through[count++] = rightEdge;
    }
    if (count == 0) break;
    for (int k = 0; k < count; ++k) {
      const int32_t e = through[k];
      m_status.erase(e);
      m_edges[e].inStatus = false;
      const int32_t lowerPart = SplitEdge(e, v);
      if (lowerPart < 0) return;
      m_starting.push_back(lowerPart);
    }
  }
  m_vertices[v].leftEdge = leftEdge;
  // Winding numbers left to right; a horizontal edge lies on the sweep line
  // and separates nothing below it.
  int32_t winding = 0;
  if (leftEdge >= 0) {
    const Edge& left = m_edges[leftEdge];
    const bool horizontal = m_vertices[left.upper].y == m_vertices[left.lower].y;
    winding = left.windLeft + (horizontal ? 0 : left.winding);
  }
  int32_t windingAfter = winding;
  for (int32_t e : m_starting) {
    if (m_vertices[m_edges[e].upper].y != m_vertices[m_edges[e].lower].y) windingAfter += m_edges[e].winding;
  }
  // Just below the sweep line, the region left of the right neighbour must
  // get the same winding number from both sides.  When rounding has broken
  // the status order it does not, and the union fails rather than mislabel.
  // (Not when the right neighbour ends on this line, or a horizontal edge
  // from here may reach it along the line: its left side changes there.)
  const bool horizontalLast =
      !m_starting.empty() &&
      m_vertices[m_edges[m_starting.back()].upper].y == m_vertices[m_edges[m_starting.back()].lower].y;
  if (rightEdge >= 0 && !horizontalLast && m_vertices[m_edges[rightEdge].lower].y < py &&
      m_edges[rightEdge].windLeft != windingAfter) {
    m_failed = true;
    return;
  }
  if (m_starting.empty()) {
    if (leftEdge >= 0 && rightEdge >= 0) TestCrossing(leftEdge, rightEdge);
    return;
  }

  // Status keys spaced evenly between the neighbours' keys.
  const size_t n = m_starting.size();
  double low = leftEdge >= 0 ? m_edges[leftEdge].statusKey : kStatusKeyLow;
  double high = rightEdge >= 0 ? m_edges[rightEdge].statusKey : kStatusKeyHigh;
  if ((high - low) / double(n + 1) < kStatusKeyMinSpacing) {
    RenumberStatus();
    low = leftEdge >= 0 ? m_edges[leftEdge].statusKey : kStatusKeyLow;
    high = rightEdge >= 0 ? m_edges[rightEdge].statusKey : kStatusKeyHigh;
  }
  for (size_t k = 0; k < n; ++k) {
    Edge& edge = m_edges[m_starting[k]];
    edge.statusKey = low + double(k + 1) * (high - low) / double(n + 1);
    edge.windLeft = winding;
    if (m_vertices[edge.upper].y != m_vertices[edge.lower].y) winding += edge.winding;
    edge.insertOrder = m_insertCounter++;
    edge.inStatus = true;
    m_status.insert(right, m_starting[k]);
  }
  if (leftEdge >= 0) TestCrossing(leftEdge, m_starting.front());
  if (rightEdge >= 0) TestCrossing(m_starting.back(), rightEdge);
}

void CSweepUnion::RenumberStatus() {
  const double step = (kStatusKeyHigh - kStatusKeyLow) / double(m_status.size() + 1);
  double key = kStatusKeyLow;
  // Keys grow in tree order, so the set's order stays valid.
  for (int32_t e : m_status) {
    key += step;
    m_edges[e].statusKey = key;
  }
}

CSweepUnion::Crossing CSweepUnion::LocateCrossing(int32_t a, int32_t b, float& xf, float& yf,
                                                  int32_t* rowEdge) const {
  const Vertex& ua = m_vertices[m_edges[a].upper];
  const Vertex& la = m_vertices[m_edges[a].lower];
  const Vertex& ub = m_vertices[m_edges[b].upper];
  const Vertex& lb = m_vertices[m_edges[b].lower];
  const double px = ua.x, py = ua.y, rx = double(la.x) - ua.x, ry = double(la.y) - ua.y;
  const double qx = ub.x, qy = ub.y, sx = double(lb.x) - ub.x, sy = double(lb.y) - ub.y;
  const double denominator = Cross(rx, ry, sx, sy);
  if (denominator == 0.0) return Crossing::none;  // parallel edges never cross
  const double t = Cross(qx - px, qy - py, sx, sy) / denominator;
  const double u = Cross(qx - px, qy - py, rx, ry) / denominator;
  if (!(t >= 0.0 && t <= 1.0 && u >= 0.0 && u <= 1.0)) return Crossing::none;
  // Along the shorter edge the parameter's error moves the point least.
  double x, y;
  if (rx * rx + ry * ry <= sx * sx + sy * sy) {
    x = px + t * rx;
    y = py + t * ry;
  } else {
    x = qx + u * sx;
    y = qy + u * sy;
  }
  if (rx == 0.0) x = px;
  if (sx == 0.0) x = qx;
  if (ry == 0.0) y = py;
  if (sy == 0.0) y = qy;
  xf = static_cast<float>(x);
  yf = static_cast<float>(y);

  // The crossing must come after the current event and before both lower
  // ends, or the sweep would meet the edges out of order.  Rounding to float
  // can break that along a nearly horizontal edge: a point on it rounds onto
  // the y of one of its ends but to the wrong side in x.  Such a point moves
  // one float step in y, which keeps it on the edges to within that step.
  const Vertex& current = m_vertices[m_current];
  const int32_t endEdge = SweepBefore(la.x, la.y, lb.x, lb.y) ? a : b;
  const Vertex& end = endEdge == a ? la : lb;
  const bool atEnd = (xf == la.x && yf == la.y) || (xf == lb.x && yf == lb.y);
  if (!atEnd && !SweepBefore(xf, yf, end.x, end.y))
    yf = std::nextafter(end.y, std::numeric_limits<float>::infinity());
  if (!SweepBefore(current.x, current.y, xf, yf)) {
    if (xf == current.x && yf == current.y) {
      // Meeting at this event is news only for an edge that does not end here.
      const bool sharedA = m_edges[a].upper == m_current || m_edges[a].lower == m_current;
      const bool sharedB = m_edges[b].upper == m_current || m_edges[b].lower == m_current;
      return sharedA && sharedB ? Crossing::none : Crossing::atCurrent;
    }
    const float below = std::nextafter(current.y, -std::numeric_limits<float>::infinity());
    if (y - current.y > double(current.y) - below) return Crossing::none;  // truly above: handled before
    yf = below;
  }
  if (!atEnd && !SweepBefore(xf, yf, end.x, end.y)) {
    // No float row lies between this event and that end: the edge ending
    // there is one float step tall.  When it runs left, the crossing lies on
    // the end's row right of the end, and the edge is routed along that row.
    yf = end.y;
    const Vertex& endUpper = m_vertices[m_edges[endEdge].upper];
    const Vertex& otherEnd = endEdge == a ? lb : la;
    const bool beforeOtherEnd = (xf == otherEnd.x && yf == otherEnd.y) || SweepBefore(xf, yf, otherEnd.x, otherEnd.y);
    if (xf > end.x && endUpper.x > end.x && beforeOtherEnd) {
      if (rowEdge) *rowEdge = endEdge;
      return Crossing::alongRow;
    }
    xf = end.x;  // the edges meet at that end
  }
  return Crossing::after;
}

void CSweepUnion::TestCrossing(int32_t a, int32_t b) {
  float xf, yf;
  int32_t rowEdge = -1;
  const Crossing crossing = LocateCrossing(a, b, xf, yf, &rowEdge);
  if (crossing == Crossing::alongRow) {
    RouteAlongRow(rowEdge, rowEdge == a ? b : a, xf, yf);
    return;
  }
  if (crossing != Crossing::after) return;
  // Where three or more edges meet, each pair's crossing rounds on its own;
  // the points land a few float steps apart.  A vertex still to come that
  // close is taken as the crossing, so the edges meet in one vertex.
  int32_t w = FindNearbyVertex(xf, yf, a, b);
  if (w < 0) w = FindOrAddVertex(xf, yf);  // may reallocate m_vertices
  for (int32_t e : {a, b}) {
    if (m_edges[e].upper != w && m_edges[e].lower != w) Push(m_vertices[w].event.passing, e);
  }
}

// The edge e, one float step tall and running left to its lower end L,
// crosses `other` on L's row right of L, at (x, y).  e now ends there, and a
// horizontal edge from L to there (opposite in direction) closes the path.
void CSweepUnion::RouteAlongRow(int32_t e, int32_t other, float x, float y) {
  if (m_edges.size() >= kMaxEdges) {
    m_failed = true;
    return;
  }
  const int32_t w = FindOrAddVertex(x, y);
  const int32_t end = m_edges[e].lower;
  const int32_t f = static_cast<int32_t>(m_edges.size());
  Edge alongRow;
  alongRow.upper = end;
  alongRow.lower = w;
  alongRow.winding = -m_edges[e].winding;
  m_edges.push_back(alongRow);
  m_mark.push_back(0);
  m_edges[e].lower = w;
  Push(m_vertices[w].event.ending, e);
  Push(m_vertices[end].event.starting, f);
  Push(m_vertices[w].event.ending, f);
  if (m_edges[other].upper != w && m_edges[other].lower != w) Push(m_vertices[w].event.passing, other);
}

int32_t CSweepUnion::FindNearbyVertex(float x, float y, int32_t a, int32_t b) const {
  const int32_t lowerA = m_edges[a].lower, lowerB = m_edges[b].lower;
  constexpr float kInfinity = std::numeric_limits<float>::infinity();
  const double radius =
      std::max(kUnionOnEdgeTolerance, kMergeRadius * std::max(std::fabs(double(x)), std::fabs(double(y))));
  const float top = std::nextafter(static_cast<float>(y + radius), kInfinity);
  const float left = std::nextafter(static_cast<float>(x - radius), -kInfinity);
  const Vertex& current = m_vertices[m_current];
  const Vertex& endA = m_vertices[lowerA];
  const Vertex& endB = m_vertices[lowerB];
  const Vertex& end = SweepBefore(endA.x, endA.y, endB.x, endB.y) ? endA : endB;
  int32_t best = -1;
  double bestDistance = radius;
  // A crossing on a vertical or horizontal edge was snapped onto it exactly;
  // merging must keep it there.
  const auto isVertical = [this](int32_t e) { return m_vertices[m_edges[e].upper].x == m_vertices[m_edges[e].lower].x; };
  const auto isHorizontal = [this](int32_t e) { return m_vertices[m_edges[e].upper].y == m_vertices[m_edges[e].lower].y; };
  const bool keepX = isVertical(a) || isVertical(b), keepY = isHorizontal(a) || isHorizontal(b);
  auto consider = [&](int32_t v) {
    const Vertex& c = m_vertices[v];
    if ((keepX && c.x != x) || (keepY && c.y != y)) return;
    const double distance = std::max(std::fabs(double(c.x) - x), std::fabs(double(c.y) - y));
    if (distance > bestDistance || !SweepBefore(current.x, current.y, c.x, c.y)) return;
    if (v != lowerA && v != lowerB && !SweepBefore(c.x, c.y, end.x, end.y)) return;
    best = v;
    bestDistance = distance;
  };

  // Input vertices: rows of equal y, in sweep order.
  const auto first = m_vertices.begin();
  const auto last = first + static_cast<ptrdiff_t>(m_staticCount);
  auto rowStart = std::lower_bound(first, last, top, [](const Vertex& v, float t) { return v.y > t; });
  while (rowStart != last && double(rowStart->y) >= y - radius) {
    const float rowY = rowStart->y;
    auto it = std::lower_bound(rowStart, last, left, [rowY](const Vertex& v, float l) {
      return v.y > rowY || (v.y == rowY && v.x < l);
    });
    for (; it != last && it->y == rowY && double(it->x) <= x + radius; ++it)
      consider(static_cast<int32_t>(it - first));
    rowStart = std::lower_bound(it, last, rowY, [](const Vertex& v, float r) { return v.y >= r; });
  }

  // Crossing points still queued.
  auto entry = m_queue.lower_bound(PointKey{-kInfinity, top});
  while (entry != m_queue.end() && double(entry->first.y) >= y - radius) {
    const float rowY = entry->first.y;
    for (entry = m_queue.lower_bound(PointKey{left, rowY});
         entry != m_queue.end() && entry->first.y == rowY && double(entry->first.x) <= x + radius; ++entry)
      consider(entry->second);
    entry = m_queue.lower_bound(PointKey{-kInfinity, std::nextafter(rowY, -kInfinity)});
  }
  return best;
}

int32_t CSweepUnion::FindOrAddVertex(float x, float y) {
  const auto staticEnd = m_vertices.begin() + static_cast<ptrdiff_t>(m_staticCount);
  const auto it = std::lower_bound(m_vertices.begin(), staticEnd, PointKey{x, y},
                                   [](const Vertex& v, const PointKey& k) { return SweepBefore(v.x, v.y, k.x, k.y); });
  if (it != staticEnd && it->x == x && it->y == y) return static_cast<int32_t>(it - m_vertices.begin());
  const auto [entry, added] = m_queue.try_emplace(PointKey{x, y}, static_cast<int32_t>(m_vertices.size()));
  if (added) {
    Vertex vertex;
    vertex.x = x;
    vertex.y = y;
    m_vertices.push_back(vertex);
  }
  return entry->second;
}

void CSweepUnion::MergeDuplicateEdges() {
  const size_t count = m_edges.size();
  std::vector<int32_t> order(count);
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [this](int32_t a, int32_t b) {
    const Edge& s = m_edges[a];
    const Edge& t = m_edges[b];
    if (s.upper != t.upper) return s.upper < t.upper;
    if (s.lower != t.lower) return s.lower < t.lower;
    return s.insertOrder < t.insertOrder;
  });
  // Copies of one segment entered the status together, left to right in
  // insert order, so the leftmost one holds the winding to the left of all.
  m_alias.resize(count);
  for (size_t i = 0; i < count;) {
    const int32_t keep = order[i];
    m_alias[keep] = keep;
    size_t j = i + 1;
    for (; j < count && m_edges[order[j]].upper == m_edges[keep].upper &&
           m_edges[order[j]].lower == m_edges[keep].lower;
         ++j) {
      m_edges[keep].winding += m_edges[order[j]].winding;
      m_alias[order[j]] = keep;
    }
    i = j;
  }
}

double CSweepUnion::DirX(int32_t h) const {
  const Edge& e = m_edges[HalfEdgeEdge(h)];
  return double(m_vertices[HalfEdgeTarget(e, h)].x) - m_vertices[HalfEdgeOrigin(e, h)].x;
}

double CSweepUnion::DirY(int32_t h) const {
  const Edge& e = m_edges[HalfEdgeEdge(h)];
  return double(m_vertices[HalfEdgeTarget(e, h)].y) - m_vertices[HalfEdgeOrigin(e, h)].y;
}

void CSweepUnion::BuildRotations() {
  const size_t vertexCount = m_vertices.size();
  m_rotOffset.assign(vertexCount + 1, 0);
  for (size_t e = 0; e < m_edges.size(); ++e) {
    if (m_alias[e] != static_cast<int32_t>(e)) continue;
    ++m_rotOffset[m_edges[e].upper + 1];
    ++m_rotOffset[m_edges[e].lower + 1];
  }
  for (size_t v = 0; v < vertexCount; ++v) m_rotOffset[v + 1] += m_rotOffset[v];
  m_rotation.resize(m_rotOffset[vertexCount]);
  std::vector<uint32_t> fill(m_rotOffset.begin(), m_rotOffset.end() - 1);
  for (size_t e = 0; e < m_edges.size(); ++e) {
    if (m_alias[e] != static_cast<int32_t>(e)) continue;
    m_rotation[fill[m_edges[e].upper]++] = static_cast<int32_t>(2 * e);
    m_rotation[fill[m_edges[e].lower]++] = static_cast<int32_t>(2 * e + 1);
  }
  // Counter-clockwise from the direction +x.
  for (size_t v = 0; v < vertexCount; ++v) {
    std::sort(m_rotation.begin() + m_rotOffset[v], m_rotation.begin() + m_rotOffset[v + 1],
              [this](int32_t a, int32_t b) {
                const double ax = DirX(a), ay = DirY(a), bx = DirX(b), by = DirY(b);
                const int ha = HalfPlane(ax, ay), hb = HalfPlane(bx, by);
                if (ha != hb) return ha < hb;
                const double c = Cross(ax, ay, bx, by);
                return c > 0.0 || (c == 0.0 && a < b);
              });
  }
}

int32_t CSweepUnion::Find(int32_t h) {
  int32_t root = h;
  while (m_parent[root] != root) root = m_parent[root];
  while (m_parent[h] != root) {
    const int32_t next = m_parent[h];
    m_parent[h] = root;
    h = next;
  }
  return root;
}

void CSweepUnion::Union(int32_t a, int32_t b) {
  a = Find(a);
  b = Find(b);
  if (a != b) m_parent[std::max(a, b)] = std::min(a, b);
}

bool CSweepUnion::LinkFaces() {
  const size_t halfEdgeCount = 2 * m_edges.size();
  const int32_t unbounded = static_cast<int32_t>(halfEdgeCount);
  m_parent.resize(halfEdgeCount + 1);
  std::iota(m_parent.begin(), m_parent.end(), 0);

  // Coverage: half-edge 2e has the edge's right (for a horizontal edge: upper)
  // side on its left.
  m_covered.assign(halfEdgeCount, 0);
  for (size_t e = 0; e < m_edges.size(); ++e) {
    if (m_alias[e] != static_cast<int32_t>(e)) continue;
    const Edge& edge = m_edges[e];
    m_covered[2 * e] = edge.windLeft + edge.winding > 0;
    m_covered[2 * e + 1] = edge.windLeft > 0;
    // Coverage on both sides: the edge lies inside one covered region.
    if (m_covered[2 * e] && m_covered[2 * e + 1]) Union(int32_t(2 * e), int32_t(2 * e + 1));
  }

  for (size_t v = 0; v < m_vertices.size(); ++v) {
    const uint32_t begin = m_rotOffset[v], degree = m_rotOffset[v + 1] - begin;
    if (degree == 0) continue;
    // The wedge between consecutive edges is one face: the half-edge coming
    // in along edge i and the one going out along edge i - 1 bound it.
    // Both must see the same coverage, or the winding numbers that the sweep
    // handed on are inconsistent (status order broken by rounding).
    for (uint32_t i = 0; i < degree; ++i) {
      const int32_t in = HalfEdgeTwin(m_rotation[begin + i]);
      const int32_t out = m_rotation[begin + (i + degree - 1) % degree];
      if (m_covered[in] != m_covered[out]) return false;
      Union(in, out);
    }

    // The wedge that contains the direction -x lies in the face that the
    // sweep saw directly left of the vertex.  This joins each hole cycle to
    // the face around it.
    uint32_t i = 0;
    while (i < degree && HalfPlane(DirX(m_rotation[begin + i]), DirY(m_rotation[begin + i])) == 0) ++i;
    if (i < degree && DirY(m_rotation[begin + i]) == 0.0) continue;  // an edge runs along -x
    const int32_t wedge = m_rotation[begin + (i + degree - 1) % degree];
    const int32_t left = m_vertices[v].leftEdge;
    if (left < 0) {
      if (m_covered[wedge]) return false;
      Union(wedge, unbounded);
    } else {
      const int32_t e = m_alias[left];
      if (m_vertices[m_edges[e].upper].y == m_vertices[m_edges[e].lower].y) continue;
      // The downward half-edge has the edge's right side on its left.
      if (m_covered[wedge] != m_covered[2 * e]) return false;
      Union(wedge, 2 * e);
    }
  }
  return true;
}

bool CSweepUnion::TraceBoundary() {
  auto isBoundary = [this](int32_t h) { return m_covered[h] && !m_covered[HalfEdgeTwin(h)]; };
  m_next.assign(2 * m_edges.size(), -1);
  for (size_t v = 0; v < m_vertices.size(); ++v) {
    const uint32_t begin = m_rotOffset[v], degree = m_rotOffset[v + 1] - begin;
    for (uint32_t i = 0; i < degree; ++i) {
      const int32_t incoming = HalfEdgeTwin(m_rotation[begin + i]);
      if (!isBoundary(incoming)) continue;
      // Covered on the clockwise side of edge i: turn clockwise past edges
      // that lie inside the covered region to the next boundary edge, which
      // must leave the vertex.
      uint32_t j = i;
      for (;;) {
        j = (j + degree - 1) % degree;
        if (j == i) return false;
        const int32_t outgoing = m_rotation[begin + j];
        if (isBoundary(outgoing)) {
          m_next[incoming] = outgoing;
          break;
        }
        if (isBoundary(HalfEdgeTwin(outgoing))) return false;  // inconsistent winding numbers
      }
    }
  }

  std::vector<uint8_t> visited(m_next.size(), 0);
  for (size_t start = 0; start < m_next.size(); ++start) {
    if (m_alias[HalfEdgeEdge(int32_t(start))] != HalfEdgeEdge(int32_t(start))) continue;
    if (visited[start] || !isBoundary(int32_t(start))) continue;
    TBoundaryCycle cycle;
    cycle.begin = static_cast<uint32_t>(m_cycleHalfEdges.size());
    int32_t h = static_cast<int32_t>(start);
    do {
      if (h < 0 || visited[h]) return false;
      visited[h] = 1;
      m_cycleHalfEdges.push_back(h);
      h = m_next[h];
    } while (h != static_cast<int32_t>(start));
    cycle.end = static_cast<uint32_t>(m_cycleHalfEdges.size());

    // Representative: the half-edge leaving the leftmost (then lowest) vertex;
    // among several, the one pointing most counter-clockwise, whose wedge
    // holds the direction -x when the cycle is a hole.
    uint32_t best = cycle.begin;
    for (uint32_t k = cycle.begin + 1; k < cycle.end; ++k) {
      const Edge& ek = m_edges[HalfEdgeEdge(m_cycleHalfEdges[k])];
      const Edge& eb = m_edges[HalfEdgeEdge(m_cycleHalfEdges[best])];
      const Vertex& a = m_vertices[HalfEdgeOrigin(ek, m_cycleHalfEdges[k])];
      const Vertex& b = m_vertices[HalfEdgeOrigin(eb, m_cycleHalfEdges[best])];
      if (a.x < b.x || (a.x == b.x && a.y < b.y)) {
        best = k;
      } else if (&a == &b && Cross(DirX(m_cycleHalfEdges[best]), DirY(m_cycleHalfEdges[best]),
                                   DirX(m_cycleHalfEdges[k]), DirY(m_cycleHalfEdges[k])) > 0.0) {
        best = k;
      }
    }
    const int32_t out = m_cycleHalfEdges[best];
    const int32_t in = m_cycleHalfEdges[best == cycle.begin ? cycle.end - 1 : best - 1];
    cycle.first = best - cycle.begin;
    cycle.isHole = Cross(DirX(in), DirY(in), DirX(out), DirY(out)) < 0.0;
    cycle.face = Find(out);
    m_cycles.push_back(cycle);
  }
  return true;
}

CZtLoop2f CSweepUnion::CycleLoop(const TBoundaryCycle& cycle) const {
  CZtLoop2f loop;
  const uint32_t size = cycle.end - cycle.begin;
  loop.reserve(size);
  for (uint32_t k = 0; k < size; ++k) {
    const int32_t h = m_cycleHalfEdges[cycle.begin + (cycle.first + k) % size];
    const Vertex& v = m_vertices[HalfEdgeOrigin(m_edges[HalfEdgeEdge(h)], h)];
    loop.push_back({v.x, v.y});
  }
  DropCollinearPoints(loop);
  return loop;
}

bool CSweepUnion::EmitPolygons(std::vector<CZtPolygon2f>& polygons) {
  polygons.reserve(size_t(std::count_if(m_cycles.begin(), m_cycles.end(),
                                        [](const TBoundaryCycle& c) { return !c.isHole; })));
  const int32_t unbounded = Find(static_cast<int32_t>(2 * m_edges.size()));
  std::sort(m_cycles.begin(), m_cycles.end(), [](const TBoundaryCycle& a, const TBoundaryCycle& b) {
    return a.face < b.face || (a.face == b.face && !a.isHole && b.isHole);
  });
  for (size_t i = 0; i < m_cycles.size();) {
    size_t j = i + 1;
    while (j < m_cycles.size() && m_cycles[j].face == m_cycles[i].face) ++j;
    // One covered region: exactly one outer cycle (sorted first), the rest
    // holes.  Anything else means the structure is inconsistent.
    if (m_cycles[i].face == unbounded || m_cycles[i].isHole || (i + 1 < j && !m_cycles[i + 1].isHole)) {
      polygons.clear();
      return false;
    }
    CZtPolygon2f polygon;
    polygon.outer = CycleLoop(m_cycles[i]);
    for (size_t k = i + 1; k < j; ++k) {
      CZtLoop2f hole = CycleLoop(m_cycles[k]);
      if (hole.size() >= 3) polygon.holes.push_back(std::move(hole));
    }
    if (polygon.outer.size() < 3) polygon.outer.clear();
    std::sort(polygon.holes.begin(), polygon.holes.end(), LessLoop);
    if (!polygon.outer.empty() || !polygon.holes.empty()) polygons.push_back(std::move(polygon));
    i = j;
  }
  std::sort(polygons.begin(), polygons.end(),
            [](const CZtPolygon2f& a, const CZtPolygon2f& b) { return LessLoop(a.outer, b.outer); });
  return true;
}

}  // namespace

bool UniteLoops(const std::vector<CZtLoop2f>& loops, std::vector<CZtPolygon2f>& polygons) {
  polygons.clear();
  for (const CZtLoop2f& loop : loops) {
    if (!IsUsableLoop(loop)) return false;
  }
  CSweepUnion sweep;
  for (const CZtLoop2f& loop : loops) sweep.AddLoop(loop, false);
  return sweep.Run(polygons);
}

bool UnitePolygons(const std::vector<CZtPolygon2f>& polygonsIn, std::vector<CZtPolygon2f>& polygonsOut) {
  CSweepUnion sweep;
  for (const CZtPolygon2f& polygon : polygonsIn) {
    if (!IsUsableLoop(polygon.outer)) {
      polygonsOut.clear();
      return false;
    }
    for (const CZtLoop2f& hole : polygon.holes) {
      if (!IsUsableLoop(hole)) {
        polygonsOut.clear();
        return false;
      }
    }
    sweep.AddLoop(polygon.outer, TwiceSignedArea(polygon.outer) < 0.0);
    for (const CZtLoop2f& hole : polygon.holes) sweep.AddLoop(hole, TwiceSignedArea(hole) > 0.0);
  }
  std::vector<CZtPolygon2f> result;
  const bool ok = sweep.Run(result);
  polygonsOut.swap(result);
  return ok;
}
