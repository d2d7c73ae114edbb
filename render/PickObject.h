// One selection hit and one chosen pick.
#pragma once

#include <cstdint>

#include "geometry/ZtVector3.h"

class CRenderingObject;
class CDisplayObject;

// A selection hit: its name stack (bottom first) and depth range.  Names:
// [0] object id, [1] object kind, [2] element kind (1 point, 2 line or edge,
// 4 facet), [3] element number, [4] corner or edge 0..2.  Two names denote a
// whole object; three or more an element.
class CPickInformation {
public:
  static constexpr int kMaxNames = 10;

  virtual ~CPickInformation() = default;
  CPickInformation() = default;
  CPickInformation(const CPickInformation&) = default;
  CPickInformation& operator=(const CPickInformation&) = default;

  uint32_t nameCount = 0;
  float depthMin = 0.0f;
  float depthMax = 1.0f;
  uint32_t names[kMaxNames] = {};

  bool IsWholeObject() const { return nameCount == 2; }
  // 0 without names, names[1] with one or two, names[2] otherwise.
  uint32_t Kind() const { return nameCount == 0 ? 0 : nameCount <= 2 ? names[1] : names[2]; }
};

class CPickObject {
public:
  CPickObject() = default;
  virtual ~CPickObject();
  CPickObject(const CPickObject&) = delete;
  CPickObject& operator=(const CPickObject&) = delete;

  // Orders by name count, then names, then object, then marker; two picks
  // are equal when neither comes first.
  bool operator<(const CPickObject& other) const;
  bool SameAs(const CPickObject& other) const { return !(*this < other) && !(other < *this); }

  // The marker's point, else the object's picked point.  False when neither
  // gives one.
  bool GetPoint(TZtVector3<float>& point) const;
  bool HasPointMarker() const;
  // Replaces the marker by a point marker at p.
  void SetPointMarker(const TZtVector3<float>& p);

  CRenderingObject* renderingObject = nullptr;  // not owned
  CPickInformation information;
  CDisplayObject* pointMarker = nullptr;  // owned
};
