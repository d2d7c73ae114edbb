// Edge adjacency of a mesh model: merging coincident vertices, linking the
// corners of neighbouring triangles (CZtModel::cornerLinks) and listing the
// edges that have no neighbour.
//
// Glossary
// - corner 3t+k: corner k of triangle t, lying at triangles[t].vertexIndex[k].
// - outgoing edge of a corner: from its vertex to the next corner's vertex
//   (k -> k+1 mod 3); incoming edge: from the previous corner's vertex to it.
// - cornerLinks[3t+k].first: the corner at the same vertex in the triangle
//   across the outgoing edge, .second: the same across the incoming edge;
//   -1 when there is none.  Two triangles are neighbours only when they run
//   along the shared edge in opposite directions.
// - non-manifold edges: around each vertex the corners are taken in
//   descending triangle order, and each one meets the later ones until both
//   its sides are linked.  Meeting a side that is already taken drops every
//   link of that edge at that vertex.  Loose triangles on one edge thus end
//   up unlinked on it, but a corner linked on both sides stops meeting, so a
//   third triangle it never meets can leave one pair linked: the outcome
//   follows the triangle order.
// - usable triangle: its three vertex indices all lie in [0, vertices.size()).
//   That is the "valid" triangle (no index is -1) plus a bounds check, since
//   a model may come from any file or plug-in; triangles with an index out of
//   the vertex array are skipped like those with -1 and never read through.
//   Links and boundary edges also skip degenerate triangles (two equal
//   indices), which keep the links (-1, -1).
//
// Corner indices are int32, so a model with more than INT32_MAX / 3 triangles
// cannot hold links; BuildCornerLinks refuses it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "geometry/ZtModel.h"

// A directed edge between two vertex indices.
using CZtEdge = std::pair<int32_t, int32_t>;

// Replaces model->vertices by its distinct points in the order of their first
// occurrence and renumbers the vertex indices of every usable triangle.
// Points are the same only when all three coordinates are equal as floats:
// no tolerance, -0.0 equals +0.0 (the first occurrence's value is kept), and
// a point with a NaN coordinate equals nothing, not even a bit-identical copy
// of itself, so every such entry stays its own vertex.  Triangles that are
// not usable are left untouched; their out-of-range indices stay out of range
// because the array only shrinks.  Vertex normals and normal indices are not
// touched.  The change is permanent.
// False only when model is null, the vertex array is too large for int32
// indices or memory runs out; nothing is changed then.
bool MergeCoincidentVertices(CZtModel* model);

// Fills model->cornerLinks (three pairs per triangle) from the current vertex
// indices, without merging.  Non-usable and degenerate triangles get (-1, -1).
// False when model is null, has more than INT32_MAX / 3 triangles or memory
// runs out; cornerLinks is left empty then.
bool BuildCornerLinks(CZtModel* model);

// Same as BuildCornerLinks.  Vertices whose triangle fan is larger than
// directScanFanLimit are linked through per-neighbour buckets instead of
// scanning the fan pairwise; both give the same links.  The one-argument form
// uses a measured default; tests set the limit to force either way.
bool BuildCornerLinks(CZtModel* model, std::size_t directScanFanLimit);

// Returns true at once when cornerLinks already holds three pairs per
// triangle (a cache kept while the triangle count matches); otherwise merges
// the vertices and builds the links.  On failure cornerLinks is emptied and
// the result is false.
bool PrepareCornerLinks(CZtModel* model);

// Empties edges, prepares the links and appends, for every usable,
// non-degenerate triangle in order and each corner k = 0, 1, 2 whose `first`
// link is -1, the edge (vertexIndex[k], vertexIndex[k+1 mod 3]).  Returns true
// exactly when nothing was appended (the surface is closed).  False with no
// edges when model is null, has no triangle, or the links cannot be prepared.
// A model whose triangles are all unusable or degenerate is closed.
bool FindBoundaryEdges(CZtModel* model, std::vector<CZtEdge>& edges);
