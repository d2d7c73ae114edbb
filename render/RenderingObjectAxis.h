// A coordinate triad: red, green and blue arms along +X, +Y and +Z from the
// origin, the origin and tips as points, and the labels X, Y, Z.
#pragma once

#include "render/RenderingObject.h"

class COGLJText;

class CRenderingObjectAxis : public CRenderingObject {
public:
  // isMain: the scene's axis (draws points; labels show the length after a
  // length change) rather than the corner indicator.
  CRenderingObjectAxis(float length, float pointSize, bool isMain, float lineWidth, float fontSize);
  ~CRenderingObjectAxis() override;

  int GetKind() const override { return kKindAxis; }
  bool GetExtents(TZtVector3<float>& min, TZtVector3<float>& max) override;
  std::wstring GetInformationText() override { return {}; }
  bool GetPickedPoint(const CPickInformation& hit, TZtVector3<float>& point, int x, int y) override;
  bool GetPickedEdge(const CPickInformation& hit, std::vector<TZtVector3<float>>& points) override;
  bool GetPickedFacet(const CPickInformation&, TZtVector3<float>[3]) override { return false; }
  void RenderPickedElement(const CPickInformation& hit) override;
  void RenderPoints(int mode) override;
  void RenderLines(int mode) override;
  void RenderFaces(int, bool) override {}
  void RenderLabels(int mode) override;
  void Profile(bool save, const wchar_t* suffix) override;

  void SetLength(float newLength);
  // Corner i of the triad: 0 the origin, 1..3 the tips of X, Y, Z.
  TZtVector3<float> Corner(int i) const;

  bool isMain;
  float length;
  COGLJText* labelX;
  COGLJText* labelY;
  COGLJText* labelZ;

private:
  bool ShowsElement(bool managerSwitch, uint32_t pickBit) const;
};
