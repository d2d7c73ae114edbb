#include "geometry/ZtModel.h"

CZtMaterial::CZtMaterial()
    : ambient{0.2f, 0.2f, 0.2f, 1.0f},
      diffuse{0.8f, 0.8f, 0.8f, 1.0f},
      specular{0.0f, 0.0f, 0.0f, 1.0f},
      shininess(0.0f) {}

CZtModel::~CZtModel() {
  for (CZtGroup* group : groups) delete group;
}
