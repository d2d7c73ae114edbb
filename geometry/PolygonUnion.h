// Planar polygon union: closed loops or polygons with holes in the x-y plane
// in, the non-overlapping polygons with holes that cover their union out.
//
// Method: a plane sweep from the largest y down (Bentley-Ottmann) splits the
// input edges at every crossing and builds a half-edge subdivision
// (HalfEdge.h); the winding number of every face is carried along the sweep,
// and the boundary between covered and uncovered faces is traced into loops
// that are grouped into polygons.  O((n + k) log n) for n input edges and k
// crossings.
//
// Precision: coordinates are single precision; segment tests run in double.
// A point that lies less than 1.8e-4 in x from a non-horizontal edge at the
// same y, or inside the x range of a horizontal edge at the same y, is taken
// to lie on that edge: the edge is split there and bends through the point.
// Results are exact for axis-aligned input whose vertices are not that close
// to edges they do not lie on; otherwise they hold to within the tolerance.
#pragma once

#include <vector>

struct CZtPoint2f {
  float x;
  float y;

  constexpr bool operator==(const CZtPoint2f& o) const { return x == o.x && y == o.y; }
};

// A closed loop: the last point connects back to the first.
using CZtLoop2f = std::vector<CZtPoint2f>;

// A polygon with holes.  Seen from +z, outer loops run counter-clockwise and
// holes clockwise, so that the shoelace areas of outer and holes add up to the
// covered area.
struct CZtPolygon2f {
  CZtLoop2f outer;
  std::vector<CZtLoop2f> holes;

  bool operator==(const CZtPolygon2f& o) const = default;
};

// Distance in x within which a point at the same y counts as lying on an edge.
inline constexpr double kUnionOnEdgeTolerance = 1.8e-4;

// Unites closed loops.  A point is covered when the loops wind around it a
// positive number of times: counter-clockwise loops add area, clockwise loops
// (holes, as boundary tracing produces them) take it away, and overlapping or
// repeated counter-clockwise loops cover their area once.
//
// Output (cleared first): polygons whose outer loops are counter-clockwise and
// holes clockwise, that cover exactly the covered points and do not overlap.
// Each loop starts at its leftmost (then lowest) point; collinear points along
// a straight side are left out; holes and polygons are sorted by their first
// points, so the result of a result is the same result.  Polygons may touch
// each other at single points, and a loop may touch itself at a point.
//
// Returns false, with the output empty, when a loop has fewer than 3 points,
// when all points of a loop are equal, when a coordinate is not finite, or
// when the computation fails: more than 2^24 edges after splitting, or float
// rounding that leaves the winding numbers inconsistent (seen only with many
// edges crossing within a float step of each other).  No loops: true with no
// polygons.
bool UniteLoops(const std::vector<CZtLoop2f>& loops, std::vector<CZtPolygon2f>& polygons);

// Unites polygons with holes.  A polygon covers the points inside its outer
// loop and outside its holes; the holes are expected to lie inside the outer
// loop without overlapping each other (as UniteLoops produces them).  Each
// loop's orientation is normalised first (outer counter-clockwise, holes
// clockwise), so either orientation is accepted.  Output, failures and
// ordering as for UniteLoops.  polygonsIn and polygonsOut may be the same
// object.
bool UnitePolygons(const std::vector<CZtPolygon2f>& polygonsIn,
                   std::vector<CZtPolygon2f>& polygonsOut);
