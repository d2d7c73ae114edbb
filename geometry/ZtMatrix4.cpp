#include "geometry/ZtMatrix4.h"

#include <cmath>
#include <cstring>

namespace {

constexpr double kFloatEpsilon = 1.0 / 8388608.0;  // 2^-23

// Snaps a cosine or sine onto 0, +-0.5 or +-1 when it is within float
// precision of one, so that the matrix of a right or 30-degree rotation is exact.
double SnapTrigValue(double v) {
  if (v > 1.0 - kFloatEpsilon) return 1.0;
  if (v < -(1.0 - kFloatEpsilon)) return -1.0;
  if (v > 0.5 - kFloatEpsilon && v < 0.5 + kFloatEpsilon) return 0.5;
  if (v > -0.5 - kFloatEpsilon && v < -0.5 + kFloatEpsilon) return -0.5;
  if (v > -kFloatEpsilon && v < kFloatEpsilon) return 0.0;
  return v;
}

}  // namespace

void MakeIdentityMatrix(double* result) {
  std::memset(result, 0, 16 * sizeof(double));
  result[0] = result[5] = result[10] = result[15] = 1.0;
}

bool MultiplyMatrix4(const double* p, const double* q, double* result) {
  if (!p || !q || !result) return false;
  double product[16];
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 4; ++col) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k) sum += p[row * 4 + k] * q[k * 4 + col];
      product[row * 4 + col] = sum;
    }
  std::memcpy(result, product, sizeof product);
  return true;
}

bool MakeRotationMatrix(const TZtVector3<double>& axis, double angle, double* result) {
  if (!result) return false;
  const double length = std::sqrt(axis.x * axis.x + axis.y * axis.y + axis.z * axis.z);
  if (length == 0.0) return false;
  const double x = axis.x / length, y = axis.y / length, z = axis.z / length;
  const double c = SnapTrigValue(std::cos(angle));
  const double s = SnapTrigValue(std::sin(angle));
  const double t = 1.0 - c;

  MakeIdentityMatrix(result);
  result[0] = x * x * t + c;
  result[1] = x * y * t - z * s;
  result[2] = x * z * t + y * s;
  result[4] = x * y * t + z * s;
  result[5] = y * y * t + c;
  result[6] = y * z * t - x * s;
  result[8] = x * z * t - y * s;
  result[9] = y * z * t + x * s;
  result[10] = z * z * t + c;
  return true;
}

bool TransformPoints(std::vector<TZtVector3<float>>& points, const double* m) {
  if (!m) return false;
  for (TZtVector3<float>& p : points) {
    const double x = p.x, y = p.y, z = p.z;
    p.x = static_cast<float>(m[0] * x + m[1] * y + m[2] * z + m[3]);
    p.y = static_cast<float>(m[4] * x + m[5] * y + m[6] * z + m[7]);
    p.z = static_cast<float>(m[8] * x + m[9] * y + m[10] * z + m[11]);
  }
  return true;
}
