#include "render/RenderingObject.h"

#include <GL/gl.h>

#include <QGuiApplication>

#include <algorithm>
#include <cmath>

#include "render/DialogRenderingObject.h"
#include "render/ManagerPickObject.h"
#include "view/OGLJText.h"

namespace {

int32_t g_nextId = 0;
uint64_t g_compileCount = 0;
bool g_compileSetCursor = false;

void SetBytes(uint8_t (&target)[3], COLORREF color) {
  target[0] = RedOf(color);
  target[1] = GreenOf(color);
  target[2] = BlueOf(color);
}

bool SameBytes(const uint8_t (&bytes)[3], COLORREF color) {
  return bytes[0] == RedOf(color) && bytes[1] == GreenOf(color) && bytes[2] == BlueOf(color);
}

uint8_t ChannelByte(float c) { return static_cast<uint8_t>(std::clamp(std::lround(c * 255.0f), 0L, 255L)); }

float ClampAlpha(float alpha) {
  if (std::isnan(alpha)) return 0.0f;
  return std::clamp(alpha, 0.0f, 1.0f);
}

void ApplyHighlightOr(int highlight, const uint8_t (&own)[3]) {
  const CManagerPickObject* picks = CManagerPickObject::GetInstance();
  if (highlight == 1 && picks) glColor3ubv(picks->selectedColor);
  else if (highlight == 2 && picks) glColor3ubv(picks->highlightedColor);
  else glColor3ubv(own);
}

}  // namespace

void CallList(uint32_t list) { glCallList(list); }

int32_t CRenderingObject::NextId() { return g_nextId++; }

uint64_t CRenderingObject::CompileCount() { return g_compileCount; }

CRenderingObject::CRenderingObject(const std::wstring& name_, float pointSize_, float lineWidth_,
                                   float faceAlpha_, float fontSize_, COLORREF pointColor_,
                                   COLORREF lineColor_, COLORREF faceColor_, COLORREF fontColor_)
    : name(name_),
      pointSize(pointSize_),
      lineWidth(lineWidth_),
      fontSize(fontSize_),
      faceAlpha(ClampAlpha(faceAlpha_)),
      fontName(kDefaultFontName),
      id(NextId()) {
  SetBytes(pointColor, pointColor_);
  SetBytes(lineColor, lineColor_);
  SetBytes(fontColor, fontColor_);
  faceColor[0] = RedOf(faceColor_) / 255.0f;
  faceColor[1] = GreenOf(faceColor_) / 255.0f;
  faceColor[2] = BlueOf(faceColor_) / 255.0f;
}

CRenderingObject::~CRenderingObject() {
  if (CManagerPickObject* picks = CManagerPickObject::GetInstance()) {
    picks->RemovePicksOf(this);
    picks->DiscardCandidate(this);
  }
  // Each dialog removes itself from the map as it goes.
  while (!dialogs.empty()) {
    CDialogRenderingObject* dialog = dialogs.begin()->second;
    dialogs.erase(dialogs.begin());
    dialog->ObjectDestroyed();
  }
  DeleteDisplayLists(kListAll);
}

void CRenderingObject::SetHighlight(int state) {
  if (state != highlight) highlight = state;
}

void CRenderingObject::SetName(const std::wstring& newName) {
  if (newName == name) return;
  name = newName;
  DeleteDisplayLists(kListLabel);
}

void CRenderingObject::SetFaceAlpha(float alpha, bool force) {
  if (!force && alpha == faceAlpha) return;
  faceAlpha = ClampAlpha(alpha);
  DeleteDisplayLists(kListFace);
}

void CRenderingObject::ApplyPointColor() { ApplyHighlightOr(highlight, pointColor); }

void CRenderingObject::ApplyLineColor() { ApplyHighlightOr(highlight, lineColor); }

void CRenderingObject::Render(int mode, bool transparentPass) {
  if (IsOpaque() == transparentPass) return;
  glPushMatrix();
  if (mode == kRenderDraw) {
    RenderFaces(kRenderDraw, transparentPass);
    RenderLines(kRenderDraw);
    RenderPoints(kRenderDraw);
    RenderLabels(kRenderDraw);
  } else if (mode == kRenderSelect) {
    const uint32_t mask = CManagerPickObject::GetInstance() ? CManagerPickObject::GetInstance()->pickMask : 0;
    constexpr uint32_t kObjects = 0x200 | 0x400 | 0x800;
    if (mask & (0x004 | kObjects)) RenderFaces(kRenderSelect, transparentPass);
    if (mask & (0x002 | kObjects)) RenderLines(kRenderSelect);
    if (mask & (0x001 | kObjects)) RenderPoints(kRenderSelect);
  }
  glPopMatrix();
}

void CRenderingObject::DeleteDisplayLists(unsigned mask) {
  uint32_t* lists[4] = {&displayListPoint, &displayListLine, &displayListFace, &displayListLabel};
  for (int i = 0; i < 4; ++i) {
    if ((mask & (1u << i)) && *lists[i] != 0) {
      glDeleteLists(*lists[i], 1);
      *lists[i] = 0;
    }
  }
}

COLORREF CRenderingObject::GetFaceColor() const {
  return MakeColorRef(ChannelByte(faceColor[0]), ChannelByte(faceColor[1]), ChannelByte(faceColor[2]));
}

void CRenderingObject::SetFaceColor(COLORREF color) {
  if (GetFaceColor() == (color & 0xFFFFFF)) return;
  faceColor[0] = RedOf(color) / 255.0f;
  faceColor[1] = GreenOf(color) / 255.0f;
  faceColor[2] = BlueOf(color) / 255.0f;
  DeleteDisplayLists(kListFace);
}

void CRenderingObject::SetPointColor(COLORREF color) {
  if (SameBytes(pointColor, color)) return;
  SetBytes(pointColor, color);
  DeleteDisplayLists(kListPoint);
}

void CRenderingObject::SetLineColor(COLORREF color) {
  if (SameBytes(lineColor, color)) return;
  SetBytes(lineColor, color);
  DeleteDisplayLists(kListLine);
}

void CRenderingObject::SetFontColor(COLORREF color) {
  if (SameBytes(fontColor, color)) return;
  SetBytes(fontColor, color);
  DeleteDisplayLists(kListLabel);
}

void CRenderingObject::SetPointSize(float size) {
  pointSize = size;
  DeleteDisplayLists(kListPoint);
}

void CRenderingObject::SetLineWidth(float width) {
  lineWidth = width;
  DeleteDisplayLists(kListLine);
}

CDialogRenderingObject* CRenderingObject::FindDialog(int dialogKind) const {
  const auto found = dialogs.find(dialogKind);
  return found == dialogs.end() ? nullptr : found->second;
}

bool CRenderingObject::AddDialog(int dialogKind, CDialogRenderingObject* dialog) {
  return dialogs.emplace(dialogKind, dialog).second;
}

void CRenderingObject::RemoveDialog(CDialogRenderingObject* dialog) {
  for (auto it = dialogs.begin(); it != dialogs.end(); ++it)
    if (it->second == dialog) {
      dialogs.erase(it);
      return;
    }
}

void CRenderingObject::Profile(bool save, const wchar_t* suffix) {
  const QString section = suffix ? QStringLiteral("RenderingObject-") + QString::fromWCharArray(suffix)
                                 : QStringLiteral("RenderingObject");
  CProfileSection profile(save, section);
  profile.Float(QStringLiteral("PointSize"), pointSize);
  profile.Float(QStringLiteral("LineWidth"), lineWidth);
  float alpha = faceAlpha;
  profile.Float(QStringLiteral("FaceAlpha"), alpha);
  if (!save) SetFaceAlpha(alpha, false);
  profile.Float(QStringLiteral("FontSize"), fontSize);

  COLORREF colors[4] = {GetPointColor(), GetLineColor(), GetFaceColor(), GetFontColor()};
  profile.Color(QStringLiteral("PointColor"), colors[0]);
  profile.Color(QStringLiteral("LineColor"), colors[1]);
  profile.Color(QStringLiteral("FaceColor"), colors[2]);
  profile.Color(QStringLiteral("FontColor"), colors[3]);
  if (!save) {
    SetPointColor(colors[0]);
    SetLineColor(colors[1]);
    SetFaceColor(colors[2]);
    SetFontColor(colors[3]);
  }
}

void CRenderingObject::BeginCompile(uint32_t& slot) {
  slot = glGenLists(1);
  if (slot == 0) return;
  ++g_compileCount;
  g_compileSetCursor = QGuiApplication::instance() != nullptr;
  if (g_compileSetCursor) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  glNewList(slot, GL_COMPILE);
}

void CRenderingObject::EndCompile() {
  glEndList();
  if (g_compileSetCursor) QGuiApplication::restoreOverrideCursor();
  g_compileSetCursor = false;
}
