// Common base of everything the view draws: axes, the groups of imported
// models, tool paths, and the model objects that own meshes.
//
// An object carries the drawing attributes every kind has, owns the display
// lists that cache its geometry, and answers the view's questions through its
// virtual interface.  Setters drop exactly the display lists they affect;
// lists are rebuilt lazily at the next draw.  The view's OpenGL context is
// current whenever lists are created, called or deleted.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "app/SettingsStore.h"
#include "geometry/ZtVector3.h"

class CPickInformation;
class CDialogRenderingObject;

// Object kinds; also the second selection name and the object bits of the
// pick mask.
enum RenderingObjectKind : int {
  kKindAxis = 512,
  kKindGeometricModel = 1024,
  kKindToolPath = 2048,
  kKindModel = 4096,
};

// Render modes.
enum RenderMode : int { kRenderDraw = 1, kRenderSelect = 2, kRenderResolve = 3 };

// Bits of DeleteDisplayLists.
enum DisplayListBits : unsigned {
  kListPoint = 1,
  kListLine = 2,
  kListFace = 4,
  kListLabel = 8,
  kListAll = 15,
};

// glCallList, kept out of this header's includes.
void CallList(uint32_t list);

// A face is opaque above this alpha.
constexpr float kOpaqueAlpha = 0.9999f;

class CRenderingObject {
public:
  CRenderingObject(const std::wstring& name, float pointSize, float lineWidth, float faceAlpha, float fontSize,
                   COLORREF pointColor, COLORREF lineColor, COLORREF faceColor, COLORREF fontColor);
  virtual ~CRenderingObject();
  CRenderingObject(const CRenderingObject&) = delete;
  CRenderingObject& operator=(const CRenderingObject&) = delete;

  virtual void SetHighlight(int state);
  virtual void SetName(const std::wstring& newName);
  virtual void SetFaceAlpha(float alpha, bool force);
  virtual void ApplyPointColor();
  virtual void ApplyLineColor();
  virtual void ApplyFaceColor() {}
  virtual int GetKind() const = 0;
  virtual bool GetExtents(TZtVector3<float>& min, TZtVector3<float>& max) = 0;
  virtual std::wstring GetInformationText() = 0;
  // x, y: the window pixel of the click, or (-1, -1) when not known.
  virtual bool GetPickedPoint(const CPickInformation& hit, TZtVector3<float>& point, int x, int y) = 0;
  virtual bool GetPickedEdge(const CPickInformation& hit, std::vector<TZtVector3<float>>& points) = 0;
  virtual bool GetPickedFacet(const CPickInformation& hit, TZtVector3<float> corners[3]) = 0;
  virtual void RenderPickedElement(const CPickInformation& hit) = 0;
  virtual void RenderPoints(int mode) = 0;
  virtual void RenderLines(int mode) = 0;
  virtual void RenderFaces(int mode, bool transparentPass) = 0;
  virtual void RenderLabels(int mode) = 0;
  // Section "RenderingObject" (suffix null) or "RenderingObject-<suffix>".
  virtual void Profile(bool save, const wchar_t* suffix);

  // Draws the object when it belongs to the pass: opaque objects (alpha above
  // 0.9999, or highlighted) in the first pass, the others in the transparent one.
  void Render(int mode, bool transparentPass);
  bool IsOpaque() const { return faceAlpha > kOpaqueAlpha || highlight != 0; }
  void DeleteDisplayLists(unsigned mask);

  void SetFaceColor(COLORREF color);
  void SetPointColor(COLORREF color);
  void SetLineColor(COLORREF color);
  void SetFontColor(COLORREF color);
  void SetPointSize(float size);
  void SetLineWidth(float width);

  COLORREF GetPointColor() const { return MakeColorRef(pointColor[0], pointColor[1], pointColor[2]); }
  COLORREF GetLineColor() const { return MakeColorRef(lineColor[0], lineColor[1], lineColor[2]); }
  COLORREF GetFaceColor() const;
  COLORREF GetFontColor() const { return MakeColorRef(fontColor[0], fontColor[1], fontColor[2]); }

  // Property dialogs open on this object, at most one per dialog kind.
  CDialogRenderingObject* FindDialog(int dialogKind) const;
  bool AddDialog(int dialogKind, CDialogRenderingObject* dialog);
  void RemoveDialog(CDialogRenderingObject* dialog);

  // Runs body between glNewList and glEndList of the list in slot, compiling
  // it first when it is 0, with the wait cursor shown while compiling.
  template <typename Body>
  void CallOrCompile(uint32_t& slot, Body&& body);

  // The next object id; the first object built gets 0.
  static int32_t NextId();

  int32_t highlight = 0;  // 0 normal, 1 selected, 2 highlighted
  std::map<int, CDialogRenderingObject*> dialogs;
  uint32_t displayListPoint = 0;
  uint32_t displayListLine = 0;
  uint32_t displayListFace = 0;
  uint32_t displayListLabel = 0;
  std::wstring name;
  float pointSize;
  float lineWidth;
  float fontSize;
  uint8_t pointColor[3];
  uint8_t lineColor[3];
  float faceColor[3];
  float faceAlpha;
  uint8_t fontColor[3];
  std::wstring fontName;
  int32_t id;

  // Compiles counted for tests that check that redraws only replay lists.
  static uint64_t CompileCount();

private:
  static void BeginCompile(uint32_t& slot);
  static void EndCompile();
};

template <typename Body>
void CRenderingObject::CallOrCompile(uint32_t& slot, Body&& body) {
  if (slot == 0) {
    BeginCompile(slot);
    if (slot == 0) return;
    body();
    EndCompile();
  }
  CallList(slot);
}
