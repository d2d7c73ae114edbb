#include "render/PickObject.h"

#include "render/DisplayObject.h"
#include "render/RenderingObject.h"

CPickObject::~CPickObject() {
  if (information.nameCount == 2 && renderingObject) renderingObject->SetHighlight(0);
  delete pointMarker;
}

bool CPickObject::operator<(const CPickObject& other) const {
  if (information.nameCount != other.information.nameCount)
    return information.nameCount < other.information.nameCount;
  const uint32_t count = information.nameCount < CPickInformation::kMaxNames ? information.nameCount
                                                                             : CPickInformation::kMaxNames;
  for (uint32_t i = 0; i < count; ++i)
    if (information.names[i] != other.information.names[i])
      return information.names[i] < other.information.names[i];
  if (renderingObject != other.renderingObject) return renderingObject < other.renderingObject;
  return pointMarker < other.pointMarker;
}

bool CPickObject::HasPointMarker() const { return pointMarker && pointMarker->type == CDisplayObject::kPoint; }

bool CPickObject::GetPoint(TZtVector3<float>& point) const {
  if (HasPointMarker()) {
    point = pointMarker->Point();
    return true;
  }
  return renderingObject && renderingObject->GetPickedPoint(information, point, -1, -1);
}

void CPickObject::SetPointMarker(const TZtVector3<float>& p) {
  delete pointMarker;
  pointMarker = CDisplayObject::MakePoint(p);
}
