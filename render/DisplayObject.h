// Temporary annotations that analyses leave in the view: points, polylines,
// triangles and texts with a model-space position.
#pragma once

#include <vector>

#include "geometry/ZtVector3.h"

class COGLJTextWithPos;

class CDisplayObject {
public:
  enum Type { kPoint = 1, kPolyline = 2, kTriangle = 3, kText = 4 };

  // Takes ownership of data, whose type follows from type:
  // 1 TZtVector3<float>, 2 std::vector<TZtVector3<float>>, 3 TZtVector3<float>[3],
  // 4 COGLJTextWithPos.  Other types own nothing.
  CDisplayObject(int type, void* data);
  virtual ~CDisplayObject();
  CDisplayObject(const CDisplayObject&) = delete;
  CDisplayObject& operator=(const CDisplayObject&) = delete;

  static CDisplayObject* MakePoint(const TZtVector3<float>& p);
  static CDisplayObject* MakePolyline(std::vector<TZtVector3<float>> points);
  static CDisplayObject* MakeLine(const TZtVector3<float>& a, const TZtVector3<float>& b);
  static CDisplayObject* MakeTriangle(const TZtVector3<float>& a, const TZtVector3<float>& b,
                                      const TZtVector3<float>& c);
  static CDisplayObject* MakeText(COGLJTextWithPos* text);

  // Draws with the caller's colour and sizes.
  void Render() const;

  const TZtVector3<float>& Point() const { return *static_cast<const TZtVector3<float>*>(data); }
  const std::vector<TZtVector3<float>>& Polyline() const {
    return *static_cast<const std::vector<TZtVector3<float>>*>(data);
  }
  const TZtVector3<float>* Triangle() const { return static_cast<const TZtVector3<float>*>(data); }
  COGLJTextWithPos* Text() const { return static_cast<COGLJTextWithPos*>(data); }

  int type;
  void* data;
};

// An owning array of display objects.
class CDisplayObjectPtrArray : public std::vector<CDisplayObject*> {
public:
  CDisplayObjectPtrArray() = default;
  virtual ~CDisplayObjectPtrArray() { DeleteAll(); }
  CDisplayObjectPtrArray(const CDisplayObjectPtrArray&) = delete;
  CDisplayObjectPtrArray& operator=(const CDisplayObjectPtrArray&) = delete;

  void DeleteAll() {
    for (CDisplayObject* object : *this) delete object;
    clear();
  }
};
