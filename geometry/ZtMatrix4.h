// 4x4 double transforms: row by row, applied to column vectors (p' = M p),
// translation in the fourth column.
#pragma once

#include <vector>

#include "geometry/ZtVector3.h"

using ZtMatrix4 = double[16];

// result = p * q.  False when any pointer is null.  result may alias p or q.
bool MultiplyMatrix4(const double* p, const double* q, double* result);

// Rotation by angle (radians) about an axis through the origin.  Cosine and
// sine are snapped to 0, +-0.5 and +-1 within 2^-23, so multiples of 30 and 90
// degrees give exact entries.  False when result is null or the axis has
// length 0.
bool MakeRotationMatrix(const TZtVector3<double>& axis, double angle, double* result);

// Replaces each point p by the first three rows of m applied to (p, 1),
// computed in double and stored as float.  False when m is null.
bool TransformPoints(std::vector<TZtVector3<float>>& points, const double* m);

void MakeIdentityMatrix(double* result);
