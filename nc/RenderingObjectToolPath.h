// The rendering object of one NC program's tool path.
//
// At this stage it carries the template's base settings and its kind; the
// tool path drawing, colouring and statistics are added with NC import.
#pragma once

#include "render/RenderingObject.h"

class CRenderingObjectToolPath : public CRenderingObject {
public:
  CRenderingObjectToolPath(const std::wstring& name, float pointSize, float lineWidth, float faceAlpha,
                           float fontSize, COLORREF pointColor, COLORREF lineColor, COLORREF faceColor,
                           COLORREF fontColor);

  // The "ToolPathDefault" template with its constructor values.
  static CRenderingObjectToolPath* MakeDefault();

  int GetKind() const override { return kKindToolPath; }
  // No moves yet, so no extents.
  bool GetExtents(TZtVector3<float>&, TZtVector3<float>&) override { return false; }
  std::wstring GetInformationText() override { return {}; }
  bool GetPickedPoint(const CPickInformation&, TZtVector3<float>&, int, int) override { return false; }
  bool GetPickedEdge(const CPickInformation&, std::vector<TZtVector3<float>>&) override { return false; }
  bool GetPickedFacet(const CPickInformation&, TZtVector3<float>[3]) override { return false; }
  void RenderPickedElement(const CPickInformation&) override {}
  void RenderPoints(int) override {}
  void RenderLines(int) override {}
  void RenderFaces(int, bool) override {}
  void RenderLabels(int) override {}
};
