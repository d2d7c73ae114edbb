#include "render/RenderingObjectModel.h"

#include <cmath>
#include <limits>

#include "geometry/ZtMatrix4.h"
#include "render/ManagerRenderingObject.h"
#include "render/RenderingObjectGeometricModel.h"

CRenderingObjectModel::CRenderingObjectModel(CZtModel* model_)
    : CRenderingObject(L"", 0.0f, 0.0f, 0.0f, 0.0f, 0, 0, 0, 0), model(model_) {}

CRenderingObjectModel::~CRenderingObjectModel() { delete model; }

void CRenderingObjectModel::SetHighlight(int state) {
  CRenderingObject::SetHighlight(state);
  for (CRenderingObjectGeometricModel* child : children) child->SetHighlight(state);
}

bool CRenderingObjectModel::GetExtents(TZtVector3<float>& min, TZtVector3<float>& max) {
  constexpr float kHuge = std::numeric_limits<float>::max();
  min = {kHuge, kHuge, kHuge};
  max = {-kHuge, -kHuge, -kHuge};
  for (CRenderingObjectGeometricModel* child : children) {
    TZtVector3<float> childMin, childMax;
    if (!child->GetExtents(childMin, childMax)) continue;
    min = {std::fmin(min.x, childMin.x), std::fmin(min.y, childMin.y), std::fmin(min.z, childMin.z)};
    max = {std::fmax(max.x, childMax.x), std::fmax(max.y, childMax.y), std::fmax(max.z, childMax.z)};
  }
  return true;
}

void CRenderingObjectModel::AfterEdit() {
  for (CRenderingObjectGeometricModel* child : children) child->ClearExtents();
  if (CManagerRenderingObject* manager = CManagerRenderingObject::GetInstance())
    manager->InvalidateGeometricModelDisplayLists(kListAll);
}

bool CRenderingObjectModel::Translate(const TZtVector3<float>& offset) {
  if (offset.x == 0.0f && offset.y == 0.0f && offset.z == 0.0f) return true;
  double m[16];
  MakeIdentityMatrix(m);
  m[3] = offset.x;
  m[7] = offset.y;
  m[11] = offset.z;
  if (!model || !TransformPoints(model->vertices, m)) return false;
  AfterEdit();
  return true;
}

bool CRenderingObjectModel::Rotate(const TZtVector3<float>& axisStart, const TZtVector3<float>& axisEnd,
                                   float angleDegrees) {
  if (axisStart == axisEnd) return false;
  if (angleDegrees == 0.0f) return true;
  if (!model) return false;
  const TZtVector3<double> axis = ToDouble(axisEnd) - ToDouble(axisStart);
  double rotation[16];
  if (!MakeRotationMatrix(axis, angleDegrees * M_PI / 180.0, rotation)) return false;
  if (!TransformPoints(model->facetNormals, rotation) || !TransformPoints(model->vertexNormals, rotation))
    return false;
  double toOrigin[16], back[16], partial[16], full[16];
  MakeIdentityMatrix(toOrigin);
  toOrigin[3] = -axisStart.x;
  toOrigin[7] = -axisStart.y;
  toOrigin[11] = -axisStart.z;
  MakeIdentityMatrix(back);
  back[3] = axisStart.x;
  back[7] = axisStart.y;
  back[11] = axisStart.z;
  if (!MultiplyMatrix4(rotation, toOrigin, partial) || !MultiplyMatrix4(back, partial, full) ||
      !TransformPoints(model->vertices, full))
    return false;
  AfterEdit();
  return true;
}

bool CRenderingObjectModel::Scale(float factor) {
  if (!(factor > 0.0f)) return false;
  if (factor == 1.0f) return true;
  double m[16];
  MakeIdentityMatrix(m);
  m[0] = m[5] = m[10] = factor;
  if (!model || !TransformPoints(model->vertices, m)) return false;
  AfterEdit();
  return true;
}
