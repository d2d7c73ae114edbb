// Draws one group of an imported mesh: faces, edges, corners and a label,
// with four face colour modes (single colour, material under lighting,
// draft-angle bands, facet-area bands).
#pragma once

#include <cstdint>

#include "geometry/ZtModel.h"
#include "render/RenderingObject.h"

class COGLJText;

class CRenderingObjectGeometricModel : public CRenderingObject {
public:
  enum FaceColorMode { kSingleColor = 0, kMaterial = 1, kDraftBands = 2, kAreaBands = 3 };
  static constexpr int kBandCount = 8;
  static constexpr int kBorderCount = 7;
  static constexpr int kNoBand = 10;
  // Always part of a band mask; keeps a mask of 0 distinguishable from "unset".
  static constexpr uint32_t kBandMaskMarker = 0x400;

  // The template: owns an empty group of its own.
  CRenderingObjectGeometricModel(const std::wstring& name, float pointSize, float lineWidth, float faceAlpha,
                                 float fontSize, COLORREF pointColor, COLORREF lineColor, COLORREF faceColor,
                                 COLORREF fontColor);
  // An object for group, with the template's settings (the draft direction
  // is not copied).
  CRenderingObjectGeometricModel(CZtGroup* group, const CRenderingObjectGeometricModel& templ);
  ~CRenderingObjectGeometricModel() override;

  void SetName(const std::wstring& newName) override;
  void SetFaceAlpha(float alpha, bool force) override;
  void ApplyFaceColor() override;
  int GetKind() const override { return kKindGeometricModel; }
  bool GetExtents(TZtVector3<float>& min, TZtVector3<float>& max) override;
  std::wstring GetInformationText() override;
  bool GetPickedPoint(const CPickInformation& hit, TZtVector3<float>& point, int x, int y) override;
  bool GetPickedEdge(const CPickInformation& hit, std::vector<TZtVector3<float>>& points) override;
  bool GetPickedFacet(const CPickInformation& hit, TZtVector3<float> corners[3]) override;
  void RenderPickedElement(const CPickInformation& hit) override;
  void RenderPoints(int mode) override;
  void RenderLines(int mode) override;
  void RenderFaces(int mode, bool transparentPass) override;
  void RenderLabels(int mode) override;
  void Profile(bool save, const wchar_t* suffix) override;

  void SetFaceColorMode(int mode);
  void SetFaceColorDraft(int band, COLORREF color);
  void SetFaceColorArea(int band, COLORREF color);
  void SetRenderFaceBitDraft(uint32_t mask);
  void SetRenderFaceBitArea(uint32_t mask);
  void SetDraftBorder(const float borders[kBorderCount]);
  void SetAreaBorder(const float borders[kBorderCount]);
  void SetVectorDraft(float x, float y, float z);
  CZtMaterial GetMaterial() const;
  void SetMaterial(const float ambient[3], const float diffuse[3], const float specular[3], float shininess);
  bool HasOwnMaterial() const;
  // Band of the triangle at ordinal in the group: 0..7, or 10 without bands.
  int GetBand(uint32_t ordinal) const;
  // Forgets the cached extents (after a model edit).
  void ClearExtents();
  // Sets the template's band defaults (colours, masks, borders).
  void SetBandDefaults();

  COGLJText* label = nullptr;  // owned
  float extentsMin[3] = {0, 0, 0};
  float extentsMax[3] = {0, 0, 0};
  CZtGroup* group = nullptr;  // owned only by the template
  int32_t faceColorMode = kMaterial;
  uint8_t faceColorDraft[kBandCount][4] = {};
  uint8_t faceColorArea[kBandCount][4] = {};
  uint32_t renderFaceBitDraft = 0;
  uint32_t renderFaceBitArea = 0;
  float draftBorder[kBorderCount] = {};
  float areaBorder[kBorderCount] = {};
  float vectorDraft[3] = {0.0f, 0.0f, 1.0f};

private:
  bool OwnsGroup() const { return group && !group->model; }
  // True when the colour mode hides triangles of this band.
  bool BandHidden(int band) const;
  // Calls perTriangle(ordinal, triangle, band, hidden) for every valid triangle.
  template <typename PerTriangle>
  void ForEachShownTriangle(PerTriangle&& perTriangle) const;
  void DrawPoints(int mode) const;
  void DrawLines(int mode) const;
  void DrawFaces(int mode);
};
