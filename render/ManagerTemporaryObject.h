// The annotations that analyses leave in the view, and the colour and sizes
// they are drawn with.
#pragma once

#include <cstdint>

#include "render/DisplayObject.h"
#include "render/ZtSingleton.h"

class CManagerTemporaryObject : public CZtSingleton<CManagerTemporaryObject> {
public:
  CManagerTemporaryObject() = default;

  // Takes ownership.
  void Add(CDisplayObject* object) {
    if (object) displayObjects.push_back(object);
  }
  void Clear() { displayObjects.DeleteAll(); }
  bool IsEmpty() const { return displayObjects.empty(); }

  // Section "ManagerTemporaryObject": the colour, one integer per channel.
  void Profile(bool save);
  // Draws every object in list order with the manager's colour and sizes.
  void Render() const;

  CDisplayObjectPtrArray displayObjects;
  uint8_t displayObjectColor[3] = {255, 128, 0};
  float pointSize = 5.0f;
  float lineWidth = 3.0f;
};
