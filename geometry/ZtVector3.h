// Three-component vector used for vertices, normals and directions.
//
// Plain packed triple with no virtual functions, so a std::vector of it is a
// flat array of floats that can be copied to and from files and OpenGL as is.
#pragma once

#include <cmath>

template <typename T>
struct TZtVector3 {
  T x, y, z;

  TZtVector3() = default;  // left uninitialised: arrays of millions are filled right after
  constexpr TZtVector3(T x_, T y_, T z_) : x(x_), y(y_), z(z_) {}

  constexpr TZtVector3 operator+(const TZtVector3& o) const { return {x + o.x, y + o.y, z + o.z}; }
  constexpr TZtVector3 operator-(const TZtVector3& o) const { return {x - o.x, y - o.y, z - o.z}; }
  constexpr TZtVector3 operator*(T s) const { return {x * s, y * s, z * s}; }
  TZtVector3& operator+=(const TZtVector3& o) { x += o.x; y += o.y; z += o.z; return *this; }
  TZtVector3& operator-=(const TZtVector3& o) { x -= o.x; y -= o.y; z -= o.z; return *this; }
  TZtVector3& operator*=(T s) { x *= s; y *= s; z *= s; return *this; }
  constexpr bool operator==(const TZtVector3& o) const { return x == o.x && y == o.y && z == o.z; }

  constexpr T Dot(const TZtVector3& o) const { return x * o.x + y * o.y + z * o.z; }
  constexpr TZtVector3 Cross(const TZtVector3& o) const {
    return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x};
  }

  // The squared length is summed in T and widened to double before the root.
  double Length() const {
    const double sum = static_cast<double>(x * x + y * y + z * z);
    return sum < 0.0 ? 0.0 : std::sqrt(sum);
  }

  // Divides by the length.  A zero vector is multiplied by 2^23 instead, so it
  // stays the zero vector and nothing divides by zero.
  TZtVector3& Normalize() {
    const double length = Length();
    if (length == 0.0) {
      *this *= static_cast<T>(8388608.0);
    } else {
      x = static_cast<T>(x / length);
      y = static_cast<T>(y / length);
      z = static_cast<T>(z / length);
    }
    return *this;
  }
  TZtVector3 Normalized() const {
    TZtVector3 v = *this;
    return v.Normalize();
  }
};

using CZtVector3f = TZtVector3<float>;
using CZtVector3d = TZtVector3<double>;

template <typename T>
constexpr TZtVector3<T> operator*(T s, const TZtVector3<T>& v) { return v * s; }

// Conversions between the float storage and the double arithmetic of derived results.
inline CZtVector3d ToDouble(const CZtVector3f& v) { return {v.x, v.y, v.z}; }
inline CZtVector3f ToFloat(const CZtVector3d& v) {
  return {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)};
}
