// The rendering object of one imported model file: owns the mesh and knows
// the geometric-model objects made from its groups (which the object tree
// owns).  It draws nothing itself.
#pragma once

#include <set>

#include "geometry/ZtModel.h"
#include "render/RenderingObject.h"

class CRenderingObjectGeometricModel;

class CRenderingObjectModel : public CRenderingObject {
public:
  explicit CRenderingObjectModel(CZtModel* model);  // takes ownership
  ~CRenderingObjectModel() override;

  void SetHighlight(int state) override;
  int GetKind() const override { return kKindModel; }
  // The union of the children's extents; true even without children.
  bool GetExtents(TZtVector3<float>& min, TZtVector3<float>& max) override;
  std::wstring GetInformationText() override { return {}; }
  bool GetPickedPoint(const CPickInformation&, TZtVector3<float>&, int, int) override { return false; }
  bool GetPickedEdge(const CPickInformation&, std::vector<TZtVector3<float>>&) override { return false; }
  bool GetPickedFacet(const CPickInformation&, TZtVector3<float>[3]) override { return false; }
  void RenderPickedElement(const CPickInformation&) override {}
  void RenderPoints(int) override {}
  void RenderLines(int) override {}
  void RenderFaces(int, bool) override {}
  void RenderLabels(int) override {}

  // Model edits.  Each drops every geometric model's display lists.
  bool Translate(const TZtVector3<float>& offset);
  bool Rotate(const TZtVector3<float>& axisStart, const TZtVector3<float>& axisEnd, float angleDegrees);
  bool Scale(float factor);

  CZtModel* model;  // owned
  std::set<CRenderingObjectGeometricModel*> children;  // owned by the object tree

private:
  void AfterEdit();
};
