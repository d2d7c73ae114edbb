// Enclosed volume of a mesh model and the running axis-aligned box of the
// min-max analysis.
#pragma once

#include "geometry/ZtModel.h"

// Signed volume: the sum of c . (a x b) over every triangle (a, b, c) whose
// three vertex indices lie in the vertex array, evaluated and summed in double
// and divided by 6, then stored as float.  Triangles wound counter-clockwise seen
// from outside count positive; degenerate ones add 0; triangles with an index
// of -1 or outside the vertex array are skipped.  The position offset is not
// used.  False only when model or volume is null; no triangle gives 0.
bool SignedVolume(const CZtModel* model, float* volume);

// The signed volume of a closed model (FindBoundaryEdges true, which merges
// the vertices and builds the corner links first).  False, leaving *volume
// unchanged, when model or volume is null or the surface is not closed.
bool ComputeModelVolume(CZtModel* model, float* volume);

// Common box of several extents.  It starts inverted (min at the largest
// float, max at the lowest) so that the first Merge sets it.
struct CZtMinMaxBox {
  TZtVector3<float> min{3.4028235e38f, 3.4028235e38f, 3.4028235e38f};
  TZtVector3<float> max{-3.4028235e38f, -3.4028235e38f, -3.4028235e38f};

  // Component-wise min of the mins and max of the maxes.
  void Merge(const TZtVector3<float>& otherMin, const TZtVector3<float>& otherMax);
};
