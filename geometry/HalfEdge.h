// The half-edge subdivision that the polygon union (PolygonUnion.cpp) builds.
//
// Glossary
//   vertex      a distinct point; also the sweep's event point at that point.
//               Equal points (both coordinates) are one vertex.
//   sweep order larger y first, then smaller x.  The sweep line runs from the
//               largest y down.
//   edge        a segment between two vertices, stored once with its upper end
//               (first in sweep order) and its lower end.  Copies of the same
//               segment are merged into one edge whose winding counts them.
//   half-edge   one direction of an edge: half-edge 2e runs upper -> lower,
//               2e + 1 runs lower -> upper; the twin of h is h ^ 1.  Half-edges
//               (THeHalfEdge) have no struct of their own: what belongs to
//               one (its next half-edge, its coverage, its face) lives in
//               arrays indexed by h.
//   face        (THeFace) a region of the subdivision: a class of a union-find
//               over half-edges joining those with the region on their left.
//               Its winding number decides whether the union covers it.
//   winding     the winding number of the input boundaries around a point.  An
//               input edge adds 1 to the region on its left.
//   status      the edges that cross the sweep line, left to right, ordered by
//               their status key.  It and the event queue are ordered trees
//               (std::set, std::map) standing for TTreeAvl; growable arrays
//               (TArray) are std::vector.
//
// Plain structs in flat vectors indexed by int32; -1 means "none".  They are
// generic over the coordinate type; the union instantiates them for float.
#pragma once

#include <cstdint>

// The lists of one event point, heads of singly linked lists in a shared
// pool of (edge, next) nodes: edges whose upper end is the point, edges whose
// lower end is the point, and edges that a crossing test found passing
// through it.  Entries may go stale when an edge is split; readers check.
struct TEventPoint {
  int32_t starting = -1;
  int32_t ending = -1;
  int32_t passing = -1;
};

template <typename T>
struct THeVertex {
  T x;
  T y;
  TEventPoint event;
  // The edge directly left of the vertex, at the vertex's y, when the sweep
  // reached it; -1 when there was none (the unbounded face lies to the left).
  int32_t leftEdge = -1;
};

template <typename T>
struct THeEdge {
  int32_t upper = -1;
  int32_t lower = -1;
  // Sum over the input copies of this segment: +1 for a copy directed
  // upper -> lower, -1 for one directed lower -> upper.
  int32_t winding = 0;
  // Winding number of the region just left of the edge (for a horizontal
  // edge: just below it).  Set when the edge enters the status.
  int32_t windLeft = 0;
  // After a split at a vertex the edge keeps its upper part and this is the
  // edge of the lower part.
  int32_t continuation = -1;
  // Order in which edges entered the status; copies of one segment enter it
  // together, left to right in this order.
  uint32_t insertOrder = 0;
  double statusKey = 0.0;
  bool inStatus = false;
};

// Half-edge helpers.
inline constexpr int32_t HalfEdgeTwin(int32_t h) { return h ^ 1; }
inline constexpr int32_t HalfEdgeEdge(int32_t h) { return h >> 1; }
template <typename T>
inline int32_t HalfEdgeOrigin(const THeEdge<T>& e, int32_t h) { return (h & 1) ? e.lower : e.upper; }
template <typename T>
inline int32_t HalfEdgeTarget(const THeEdge<T>& e, int32_t h) { return (h & 1) ? e.upper : e.lower; }

// A closed chain of boundary half-edges, stored as a range of a shared array.
// first is the representative: the half-edge leaving the cycle's leftmost
// (then lowest) vertex.
struct TBoundaryCycle {
  uint32_t begin = 0;  // range in the shared half-edge array
  uint32_t end = 0;
  uint32_t first = 0;  // index of the representative within the range
  bool isHole = false;
  int32_t face = -1;  // the covered region it bounds
};
