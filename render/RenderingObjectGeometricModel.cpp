#include "render/RenderingObjectGeometricModel.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

#include "app/TextFormat.h"
#include "render/ManagerPickObject.h"
#include "render/ManagerRenderingObject.h"
#include "render/PickObject.h"
#include "view/OGLJText.h"
#include "view/PickGeometry.h"

namespace {

constexpr int kPointLineBatch = 10000;  // triangles per glBegin/glEnd for points and lines
constexpr int kFaceBatch = 50000;       // triangles per glBegin/glEnd for faces

const uint8_t kDefaultDraftColors[8][3] = {{255, 0, 0},   {255, 128, 0},   {255, 255, 0}, {0, 255, 0},
                                           {0, 255, 255}, {128, 128, 255}, {0, 0, 255},   {0, 0, 128}};
const uint8_t kDefaultAreaColors[8][3] = {{0, 0, 128}, {0, 0, 255},   {128, 128, 255}, {0, 255, 255},
                                          {0, 255, 0}, {255, 255, 0}, {255, 128, 0},   {255, 0, 0}};
const float kDefaultDraftBorders[7] = {0.001f, 45.0f, 89.001f, 90.0f, 90.001f, 135.0f, 179.0f};
const float kDefaultAreaBorders[7] = {0.01f, 0.1f, 1.0f, 10.0f, 100.0f, 1000.0f, 10000.0f};

CManagerRenderingObject& Manager() { return *CManagerRenderingObject::GetInstance(); }

uint8_t AlphaByte(float alpha) { return static_cast<uint8_t>(std::lround(std::clamp(alpha, 0.0f, 1.0f) * 255.0f)); }

bool SameRgb(const uint8_t* rgb, COLORREF color) {
  return rgb[0] == RedOf(color) && rgb[1] == GreenOf(color) && rgb[2] == BlueOf(color);
}

// Pushes the model offset while movement rendering is on; pops on scope exit.
class OffsetScope {
public:
  explicit OffsetScope(const CZtGroup* group) {
    glPushMatrix();
    if (Manager().movementRendering && group && group->model) {
      const TZtVector3<float>& offset = group->model->offset;
      glTranslatef(offset.x, offset.y, offset.z);
    }
  }
  ~OffsetScope() { glPopMatrix(); }
};

// Restarts a primitive every batchSize triangles to keep batches bounded.
class PrimitiveBatch {
public:
  PrimitiveBatch(GLenum primitive, int batchSize) : m_primitive(primitive), m_batchSize(batchSize) {
    glBegin(primitive);
  }
  ~PrimitiveBatch() { glEnd(); }
  void At(size_t ordinal) {
    if (ordinal > 0 && ordinal % static_cast<size_t>(m_batchSize) == 0) {
      glEnd();
      glBegin(m_primitive);
    }
  }

private:
  GLenum m_primitive;
  int m_batchSize;
};

}  // namespace

CRenderingObjectGeometricModel::CRenderingObjectGeometricModel(const std::wstring& name_, float pointSize_,
                                                               float lineWidth_, float faceAlpha_,
                                                               float fontSize_, COLORREF pointColor_,
                                                               COLORREF lineColor_, COLORREF faceColor_,
                                                               COLORREF fontColor_)
    : CRenderingObject(name_, pointSize_, lineWidth_, faceAlpha_, fontSize_, pointColor_, lineColor_, faceColor_,
                       fontColor_),
      group(new CZtGroup) {
  SetFaceAlpha(faceAlpha_, true);
  label = new COGLJText(fontSize, fontName.c_str(), COGLJText::kBottomLeft);
  label->SetPlainText(name);
}

CRenderingObjectGeometricModel::CRenderingObjectGeometricModel(CZtGroup* group_,
                                                               const CRenderingObjectGeometricModel& templ)
    : CRenderingObject(templ.name, templ.pointSize, templ.lineWidth, templ.faceAlpha, templ.fontSize,
                       templ.GetPointColor(), templ.GetLineColor(), templ.GetFaceColor(), templ.GetFontColor()),
      group(group_) {
  name = group ? group->name : std::wstring();
  std::memcpy(faceColor, templ.faceColor, sizeof faceColor);
  fontName = templ.fontName;
  faceColorMode = templ.faceColorMode;
  std::memcpy(faceColorDraft, templ.faceColorDraft, sizeof faceColorDraft);
  std::memcpy(faceColorArea, templ.faceColorArea, sizeof faceColorArea);
  renderFaceBitDraft = templ.renderFaceBitDraft;
  renderFaceBitArea = templ.renderFaceBitArea;
  std::memcpy(draftBorder, templ.draftBorder, sizeof draftBorder);
  std::memcpy(areaBorder, templ.areaBorder, sizeof areaBorder);
  SetFaceAlpha(templ.faceAlpha, true);
  TZtVector3<float> min, max;
  GetExtents(min, max);
  label = new COGLJText(fontSize, fontName.c_str(), COGLJText::kBottomLeft);
  label->SetPlainText(name);
}

CRenderingObjectGeometricModel::~CRenderingObjectGeometricModel() {
  delete label;
  if (OwnsGroup()) delete group;
}

void CRenderingObjectGeometricModel::SetBandDefaults() {
  for (int b = 0; b < kBandCount; ++b) {
    std::memcpy(faceColorDraft[b], kDefaultDraftColors[b], 3);
    std::memcpy(faceColorArea[b], kDefaultAreaColors[b], 3);
    faceColorDraft[b][3] = faceColorArea[b][3] = AlphaByte(faceAlpha);
  }
  SetRenderFaceBitDraft(0xFF);
  SetRenderFaceBitArea(0xFF);
  SetDraftBorder(kDefaultDraftBorders);
  SetAreaBorder(kDefaultAreaBorders);
}

void CRenderingObjectGeometricModel::SetName(const std::wstring& newName) {
  CRenderingObject::SetName(newName);
  if (label) label->SetPlainText(name);
}

void CRenderingObjectGeometricModel::SetFaceAlpha(float alpha, bool force) {
  if (!force && alpha == faceAlpha) return;
  faceAlpha = std::isnan(alpha) ? 0.0f : std::clamp(alpha, 0.0f, 1.0f);
  if (group) {
    group->material.ambient[3] = faceAlpha;
    group->material.diffuse[3] = faceAlpha;
    group->material.specular[3] = faceAlpha;
  }
  for (int b = 0; b < kBandCount; ++b) faceColorDraft[b][3] = faceColorArea[b][3] = AlphaByte(faceAlpha);
  DeleteDisplayLists(kListFace);
}

void CRenderingObjectGeometricModel::ApplyFaceColor() {
  const CManagerPickObject* picks = CManagerPickObject::GetInstance();
  if ((highlight == 1 || highlight == 2) && picks) {
    glColor3ubv(highlight == 1 ? picks->selectedColor : picks->highlightedColor);
  } else if (faceColorMode != kMaterial) {
    glColor4f(faceColor[0], faceColor[1], faceColor[2], faceAlpha);
  } else {
    glEnable(GL_LIGHTING);
    const CZtMaterial& material = group->material;
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, material.ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, material.diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, material.specular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, std::clamp(material.shininess, 0.0f, 128.0f));
  }
}

void CRenderingObjectGeometricModel::ClearExtents() {
  std::fill(extentsMin, extentsMin + 3, 0.0f);
  std::fill(extentsMax, extentsMax + 3, 0.0f);
}

namespace {

// The triangle at ordinal of a group when it is valid and every corner lies
// inside the vertex array; null otherwise.
const CZtIndexedTriangle* ValidTriangle(const CZtGroup* group, uint32_t ordinal) {
  if (!group || !group->model || ordinal >= group->triangleIndices.size()) return nullptr;
  const CZtModel& model = *group->model;
  const uint32_t index = group->triangleIndices[ordinal];
  if (index >= model.triangles.size()) return nullptr;
  const CZtIndexedTriangle& t = model.triangles[index];
  const auto vertexCount = static_cast<int64_t>(model.vertices.size());
  for (int k = 0; k < 3; ++k)
    if (t.vertexIndex[k] < 0 || t.vertexIndex[k] >= vertexCount) return nullptr;
  return &t;
}

}  // namespace

bool CRenderingObjectGeometricModel::GetExtents(TZtVector3<float>& min, TZtVector3<float>& max) {
  const bool cached = std::any_of(extentsMin, extentsMin + 3, [](float v) { return v != 0.0f; }) ||
                      std::any_of(extentsMax, extentsMax + 3, [](float v) { return v != 0.0f; });
  if (!cached && group && group->model) {
    bool first = true;
    const CZtModel& model = *group->model;
    for (uint32_t i = 0; i < group->triangleIndices.size(); ++i) {
      const CZtIndexedTriangle* t = ValidTriangle(group, i);
      if (!t) continue;
      for (int k = 0; k < 3; ++k) {
        const TZtVector3<float>& p = model.vertices[static_cast<size_t>(t->vertexIndex[k])];
        const float c[3] = {p.x, p.y, p.z};
        for (int a = 0; a < 3; ++a) {
          if (first || c[a] < extentsMin[a]) extentsMin[a] = c[a];
          if (first || c[a] > extentsMax[a]) extentsMax[a] = c[a];
        }
        first = false;
      }
    }
  }
  min = {extentsMin[0], extentsMin[1], extentsMin[2]};
  max = {extentsMax[0], extentsMax[1], extentsMax[2]};
  if (Manager().movementRendering && group && group->model) {
    min += group->model->offset;
    max += group->model->offset;
  }
  return true;
}

std::wstring CRenderingObjectGeometricModel::GetInformationText() {
  TZtVector3<float> min, max;
  GetExtents(min, max);
  std::wstring text = L"NAME : " + name + L"\r\n";
  text += FormatText(L"MAX : ( %9.4lf, %9.4lf, %9.4lf )\r\n", double(max.x), double(max.y), double(max.z));
  text += FormatText(L"min : ( %9.4lf, %9.4lf, %9.4lf )\r\n", double(min.x), double(min.y), double(min.z));
  text += FormatText(L"三角形数 : %d\r\n", group ? static_cast<int>(group->triangleIndices.size()) : 0);
  return text;
}

int CRenderingObjectGeometricModel::GetBand(uint32_t ordinal) const {
  if (faceColorMode == kSingleColor || faceColorMode == kMaterial) return kNoBand;
  if (faceColorMode != kDraftBands && faceColorMode != kAreaBands) return 1;
  const CZtIndexedTriangle* t = ValidTriangle(group, ordinal);
  if (!t) return kBandCount - 1;
  const CZtModel& model = *group->model;
  if (faceColorMode == kDraftBands) {
    TZtVector3<double> n{0.0, 0.0, 1.0};
    if (t->facetNormalIndex >= 0 && static_cast<size_t>(t->facetNormalIndex) < model.facetNormals.size())
      n = ToDouble(model.facetNormals[static_cast<size_t>(t->facetNormalIndex)]);
    TZtVector3<double> d{vectorDraft[0], vectorDraft[1], vectorDraft[2]};
    double length = d.Length();
    if (length == 0.0) {
      d = {0.0, 0.0, 1.0};
      length = 1.0;
    }
    const double angle = std::acos(std::clamp(n.Dot(d) / length, -1.0, 1.0)) * 180.0 / M_PI;
    for (int i = 0; i < kBorderCount; ++i)
      if (angle < draftBorder[i]) return i;
    return kBandCount - 1;
  }
  const TZtVector3<float>& p0 = model.vertices[static_cast<size_t>(t->vertexIndex[0])];
  const TZtVector3<float>& p1 = model.vertices[static_cast<size_t>(t->vertexIndex[1])];
  const TZtVector3<float>& p2 = model.vertices[static_cast<size_t>(t->vertexIndex[2])];
  const TZtVector3<double> c = (ToDouble(p2) - ToDouble(p0)).Cross(ToDouble(p1) - ToDouble(p0));
  const double doubled = c.Dot(c);  // (2 x area)^2
  for (int i = 0; i < kBorderCount; ++i)
    if (doubled < 4.0 * double(areaBorder[i]) * double(areaBorder[i])) return i;
  return kBandCount - 1;
}

// ---- picking ---------------------------------------------------------------

namespace {

bool PickedTriangle(const CZtGroup* group, const CPickInformation& hit, uint32_t minNames,
                    TZtVector3<float> corners[3]) {
  if (hit.nameCount < minNames) return false;
  const CZtIndexedTriangle* t = ValidTriangle(group, hit.names[3]);
  if (!t) return false;
  const CZtModel& model = *group->model;
  const bool moved = Manager().movementRendering;
  for (int k = 0; k < 3; ++k) {
    corners[k] = model.vertices[static_cast<size_t>(t->vertexIndex[k])];
    if (moved) corners[k] += model.offset;
  }
  return true;
}

}  // namespace

bool CRenderingObjectGeometricModel::GetPickedPoint(const CPickInformation& hit, TZtVector3<float>& point, int x,
                                                    int y) {
  TZtVector3<float> c[3];
  if (hit.nameCount < 3) return false;
  switch (hit.names[2]) {
    case 1:
      if (hit.nameCount < 5 || hit.names[4] > 2 || !PickedTriangle(group, hit, 5, c)) return false;
      point = c[hit.names[4]];
      return true;
    case 2:
      if (hit.nameCount < 5 || hit.names[4] > 2 || !PickedTriangle(group, hit, 5, c)) return false;
      point = PointOnEdge(x, y, c[hit.names[4]], c[(hit.names[4] + 1) % 3]);
      return true;
    case 4:
      if (!PickedTriangle(group, hit, 4, c)) return false;
      point = PointOnFacet(x, y, c[0], c[1], c[2]);
      return true;
    default:
      return false;
  }
}

bool CRenderingObjectGeometricModel::GetPickedEdge(const CPickInformation& hit,
                                                   std::vector<TZtVector3<float>>& points) {
  TZtVector3<float> c[3];
  if (hit.nameCount < 5 || hit.names[2] != 2 || hit.names[4] > 2 || !PickedTriangle(group, hit, 5, c))
    return false;
  points.clear();
  points.push_back(c[hit.names[4]]);
  points.push_back(c[(hit.names[4] + 1) % 3]);
  return true;
}

bool CRenderingObjectGeometricModel::GetPickedFacet(const CPickInformation& hit, TZtVector3<float> corners[3]) {
  return hit.nameCount >= 4 && hit.names[2] == 4 && PickedTriangle(group, hit, 4, corners);
}

void CRenderingObjectGeometricModel::RenderPickedElement(const CPickInformation& hit) {
  if (hit.nameCount < 4) return;
  const CZtIndexedTriangle* t = ValidTriangle(group, hit.names[3]);
  if (!t) return;
  const std::vector<TZtVector3<float>>& v = group->model->vertices;
  const auto vertex = [&](uint32_t corner) { glVertex3fv(&v[static_cast<size_t>(t->vertexIndex[corner % 3])].x); };
  OffsetScope offset(group);
  const uint32_t sub = hit.nameCount >= 5 ? hit.names[4] : 0;
  switch (hit.names[2]) {
    case 1:
      glBegin(GL_POINTS);
      vertex(sub);
      glEnd();
      break;
    case 2:
      glBegin(GL_LINES);
      vertex(sub);
      vertex(sub + 1);
      glEnd();
      break;
    case 4:
      glBegin(GL_TRIANGLES);
      vertex(0);
      vertex(1);
      vertex(2);
      glEnd();
      break;
    default:
      break;
  }
}

// ---- drawing ----------------------------------------------------------------

namespace {

bool ElementShown(bool managerSwitch, uint32_t pickBit) {
  const CManagerPickObject* picks = CManagerPickObject::GetInstance();
  return managerSwitch || (picks && picks->showPickableElements && (picks->pickMask & pickBit));
}

}  // namespace

bool CRenderingObjectGeometricModel::BandHidden(int band) const {
  if (band == kNoBand) return false;
  if (faceColorMode == kDraftBands) return !(renderFaceBitDraft & (1u << band));
  if (faceColorMode == kAreaBands) return !(renderFaceBitArea & (1u << band));
  return faceColorMode > kAreaBands;
}

template <typename PerTriangle>
void CRenderingObjectGeometricModel::ForEachShownTriangle(PerTriangle&& perTriangle) const {
  if (!group || !group->model) return;
  const uint32_t count = static_cast<uint32_t>(group->triangleIndices.size());
  for (uint32_t i = 0; i < count; ++i) {
    const CZtIndexedTriangle* t = ValidTriangle(group, i);
    if (!t) continue;
    const int band = GetBand(i);
    perTriangle(i, *t, band, BandHidden(band));
  }
}

void CRenderingObjectGeometricModel::DrawPoints(int mode) const {
  const std::vector<TZtVector3<float>>& v = group->model->vertices;
  const bool select = mode == kRenderSelect;
  if (select) {
    glPushName(kKindGeometricModel);
    glPushName(1);
  }
  std::optional<PrimitiveBatch> batch;
  if (!select) batch.emplace(GL_POINTS, kPointLineBatch);
  ForEachShownTriangle([&](uint32_t i, const CZtIndexedTriangle& t, int, bool hidden) {
    if (hidden) return;
    const int32_t* c = t.vertexIndex;
    const bool send[3] = {true, c[1] != c[0], c[2] != c[0] && c[2] != c[1]};
    if (!select) {
      batch->At(i);
      for (int k = 0; k < 3; ++k)
        if (send[k]) glVertex3fv(&v[static_cast<size_t>(c[k])].x);
      return;
    }
    glPushName(i);
    for (GLuint k = 0; k < 3; ++k) {
      if (!send[k]) continue;
      glPushName(k);
      glBegin(GL_POINTS);
      glVertex3fv(&v[static_cast<size_t>(c[k])].x);
      glEnd();
      glPopName();
    }
    glPopName();
  });
  batch.reset();
  if (select) {
    glPopName();
    glPopName();
  }
}

void CRenderingObjectGeometricModel::DrawLines(int mode) const {
  const std::vector<TZtVector3<float>>& v = group->model->vertices;
  const bool select = mode == kRenderSelect;
  if (select) {
    glPushName(kKindGeometricModel);
    glPushName(2);
  }
  std::optional<PrimitiveBatch> batch;
  if (!select) batch.emplace(GL_LINES, kPointLineBatch);
  ForEachShownTriangle([&](uint32_t i, const CZtIndexedTriangle& t, int, bool hidden) {
    if (hidden) return;
    const int32_t* c = t.vertexIndex;
    const bool edge01 = c[0] != c[1];
    const bool edge12 = c[2] != c[0] && c[2] != c[1];
    const bool send[3] = {edge01, edge12, edge01 && edge12};
    if (!select) batch->At(i);
    else glPushName(i);
    for (GLuint e = 0; e < 3; ++e) {
      if (!send[e]) continue;
      if (select) {
        glPushName(e);
        glBegin(GL_LINES);
      }
      glVertex3fv(&v[static_cast<size_t>(c[e])].x);
      glVertex3fv(&v[static_cast<size_t>(c[(e + 1) % 3])].x);
      if (select) {
        glEnd();
        glPopName();
      }
    }
    if (select) glPopName();
  });
  batch.reset();
  if (select) {
    glPopName();
    glPopName();
  }
}

void CRenderingObjectGeometricModel::DrawFaces(int mode) {
  const CZtModel& model = *group->model;
  const std::vector<TZtVector3<float>>& v = model.vertices;
  const bool select = mode == kRenderSelect;
  if (select) {
    glPushName(kKindGeometricModel);
    glPushName(4);
  } else {
    ApplyFaceColor();
  }
  enum { kNoNormals, kFlat, kSmooth } normals = kNoNormals;
  if (!model.vertexNormals.empty() && Manager().geometricModelShadingMode == 2) normals = kSmooth;
  else if (!model.facetNormals.empty()) normals = kFlat;
  const bool bandColors = !select && (faceColorMode == kDraftBands || faceColorMode == kAreaBands) &&
                          highlight != 1 && highlight != 2;
  const auto normalOk = [](int32_t index, size_t size) { return index >= 0 && static_cast<size_t>(index) < size; };

  std::optional<PrimitiveBatch> batch;
  if (!select) batch.emplace(GL_TRIANGLES, kFaceBatch);
  int previousBand = -1;
  ForEachShownTriangle([&](uint32_t i, const CZtIndexedTriangle& t, int band, bool hidden) {
    if (t.IsDegenerate()) return;
    const bool bandChanged = band != previousBand;
    previousBand = band;
    if (hidden) return;
    if (select) {
      glPushName(i);
      glBegin(GL_TRIANGLES);
    } else {
      batch->At(i);
      if (bandColors && bandChanged) {
        const uint8_t* color = faceColorMode == kDraftBands ? faceColorDraft[band] : faceColorArea[band];
        glColor4ubv(color);
      }
      if (normals == kFlat && normalOk(t.facetNormalIndex, model.facetNormals.size()))
        glNormal3fv(&model.facetNormals[static_cast<size_t>(t.facetNormalIndex)].x);
    }
    for (int k = 0; k < 3; ++k) {
      if (!select && normals == kSmooth && normalOk(t.normalIndex[k], model.vertexNormals.size()))
        glNormal3fv(&model.vertexNormals[static_cast<size_t>(t.normalIndex[k])].x);
      glVertex3fv(&v[static_cast<size_t>(t.vertexIndex[k])].x);
    }
    if (select) {
      glEnd();
      glPopName();
    }
  });
  batch.reset();
  if (select) {
    glPopName();
    glPopName();
  }
}

void CRenderingObjectGeometricModel::RenderPoints(int mode) {
  if ((mode != kRenderDraw && mode != kRenderSelect) || !group || !group->model) return;
  if (!(pointSize > 0.0f) || !ElementShown(Manager().geometricModelRenderPoint, kPickPoint)) return;
  OffsetScope offset(group);
  const auto draw = [&] {
    glPushAttrib(GL_ENABLE_BIT | GL_POLYGON_BIT);
    glPointSize(pointSize);
    if (mode == kRenderDraw) ApplyPointColor();
    DrawPoints(mode);
    glPopAttrib();
  };
  if (mode == kRenderDraw && highlight == 0 && Manager().geometricModelUseDisplayListPoint)
    CallOrCompile(displayListPoint, draw);
  else
    draw();
}

void CRenderingObjectGeometricModel::RenderLines(int mode) {
  if ((mode != kRenderDraw && mode != kRenderSelect) || !group || !group->model) return;
  if (!(lineWidth > 0.0f) || !ElementShown(Manager().geometricModelRenderLine, kPickLine)) return;
  OffsetScope offset(group);
  const auto draw = [&] {
    glPushAttrib(GL_ENABLE_BIT | GL_POLYGON_BIT);
    glLineWidth(lineWidth);
    if (mode == kRenderDraw) ApplyLineColor();
    DrawLines(mode);
    glPopAttrib();
  };
  if (mode == kRenderDraw && highlight == 0 && Manager().geometricModelUseDisplayListLine)
    CallOrCompile(displayListLine, draw);
  else
    draw();
}

void CRenderingObjectGeometricModel::RenderFaces(int mode, bool transparentPass) {
  if ((mode != kRenderDraw && mode != kRenderSelect) || !group || !group->model) return;
  if (!(faceAlpha > 0.0f) || !ElementShown(Manager().geometricModelRenderFace, kPickFacet)) return;
  OffsetScope offset(group);
  // Lets edges and corners drawn at the same depth show on top of the faces.
  // Kept out of the display list: the switches change without dropping it.
  const bool offsetFill = Manager().geometricModelRenderPoint || Manager().geometricModelRenderLine;
  if (offsetFill) glEnable(GL_POLYGON_OFFSET_FILL);
  const auto draw = [&] {
    glPushAttrib(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT);
    if (transparentPass) {
      glEnable(GL_BLEND);
      glDepthMask(GL_FALSE);
    }
    if (!Manager().geometricModelRenderBackFace || transparentPass) glEnable(GL_CULL_FACE);
    DrawFaces(mode);
    glPopAttrib();
  };
  // An object draws in one pass only (its alpha decides, and an alpha change
  // drops the list), so the pass may be part of what the list holds.
  if (mode == kRenderDraw && highlight == 0 && Manager().geometricModelUseDisplayListFace)
    CallOrCompile(displayListFace, draw);
  else
    draw();
  if (offsetFill) glDisable(GL_POLYGON_OFFSET_FILL);
}

void CRenderingObjectGeometricModel::RenderLabels(int mode) {
  if (mode != kRenderDraw || !Manager().geometricModelRenderLabel || !label) return;
  const CZtIndexedTriangle* first = ValidTriangle(group, 0);
  if (!first) return;
  OffsetScope offset(group);
  const TZtVector3<float> anchor = group->model->vertices[static_cast<size_t>(first->vertexIndex[0])];
  glColor3ubv(fontColor);
  TZtVector3<float> rasterAt = anchor;
  const int leader = Manager().geometricModelLeaderLineLength;
  if (leader != 0) {
    const TZtVector3<float> centre{(extentsMin[0] + extentsMax[0]) / 2, (extentsMin[1] + extentsMax[1]) / 2,
                                   (extentsMin[2] + extentsMax[2]) / 2};
    const TZtVector3<float> direction = (anchor - centre).Normalized();
    rasterAt = anchor + direction * static_cast<float>(leader);
    glLineWidth(1.0f);
    glBegin(GL_LINES);
    glVertex3fv(&anchor.x);
    glVertex3fv(&rasterAt.x);
    glEnd();
  }
  glRasterPos3fv(&rasterAt.x);
  label->Render();
}

// ---- settings and setters ---------------------------------------------------

void CRenderingObjectGeometricModel::SetFaceColorMode(int mode) {
  if (mode == faceColorMode) return;
  faceColorMode = mode;
  DeleteDisplayLists(kListAll);
}

void CRenderingObjectGeometricModel::SetFaceColorDraft(int band, COLORREF color) {
  if (band < 0 || band >= kBandCount || SameRgb(faceColorDraft[band], color)) return;
  faceColorDraft[band][0] = RedOf(color);
  faceColorDraft[band][1] = GreenOf(color);
  faceColorDraft[band][2] = BlueOf(color);
  DeleteDisplayLists(kListFace);
}

void CRenderingObjectGeometricModel::SetFaceColorArea(int band, COLORREF color) {
  if (band < 0 || band >= kBandCount || SameRgb(faceColorArea[band], color)) return;
  faceColorArea[band][0] = RedOf(color);
  faceColorArea[band][1] = GreenOf(color);
  faceColorArea[band][2] = BlueOf(color);
  DeleteDisplayLists(kListFace);
}

void CRenderingObjectGeometricModel::SetRenderFaceBitDraft(uint32_t mask) {
  renderFaceBitDraft = mask | kBandMaskMarker;
  DeleteDisplayLists(kListAll);
}

void CRenderingObjectGeometricModel::SetRenderFaceBitArea(uint32_t mask) {
  renderFaceBitArea = mask | kBandMaskMarker;
  DeleteDisplayLists(kListAll);
}

void CRenderingObjectGeometricModel::SetDraftBorder(const float borders[kBorderCount]) {
  std::copy(borders, borders + kBorderCount, draftBorder);
  DeleteDisplayLists(kListAll);
}

void CRenderingObjectGeometricModel::SetAreaBorder(const float borders[kBorderCount]) {
  std::copy(borders, borders + kBorderCount, areaBorder);
  DeleteDisplayLists(kListAll);
}

void CRenderingObjectGeometricModel::SetVectorDraft(float x, float y, float z) {
  vectorDraft[0] = x;
  vectorDraft[1] = y;
  vectorDraft[2] = z;
  DeleteDisplayLists(kListAll);
}

CZtMaterial CRenderingObjectGeometricModel::GetMaterial() const {
  return group ? group->material : CZtMaterial();
}

void CRenderingObjectGeometricModel::SetMaterial(const float ambient[3], const float diffuse[3],
                                                 const float specular[3], float shininess) {
  if (!group) return;
  CZtMaterial& m = group->material;
  const bool same = std::equal(ambient, ambient + 3, m.ambient) && std::equal(diffuse, diffuse + 3, m.diffuse) &&
                    std::equal(specular, specular + 3, m.specular) && shininess == m.shininess;
  if (same) return;
  std::copy(ambient, ambient + 3, m.ambient);
  std::copy(diffuse, diffuse + 3, m.diffuse);
  std::copy(specular, specular + 3, m.specular);
  m.shininess = shininess;
  DeleteDisplayLists(kListFace);
}

bool CRenderingObjectGeometricModel::HasOwnMaterial() const {
  if (!group) return false;
  const CZtMaterial defaults;
  const CZtMaterial& m = group->material;
  return !(std::equal(m.ambient, m.ambient + 3, defaults.ambient) &&
           std::equal(m.diffuse, m.diffuse + 3, defaults.diffuse) &&
           std::equal(m.specular, m.specular + 3, defaults.specular) && m.shininess == defaults.shininess);
}

void CRenderingObjectGeometricModel::Profile(bool save, const wchar_t* suffix) {
  CRenderingObject::Profile(save, suffix);
  const QString section = suffix ? QStringLiteral("RenderingObjectGeometricModel-") + QString::fromWCharArray(suffix)
                                 : QStringLiteral("RenderingObjectGeometricModel");
  CProfileSection profile(save, section);
  profile.Int(QStringLiteral("FaceColorMode"), faceColorMode);
  for (int i = 0; i < 3; ++i) profile.Float(QStringLiteral("vectorDraft[%1]").arg(i), vectorDraft[i]);

  uint32_t masks[2] = {renderFaceBitDraft, renderFaceBitArea};
  profile.UInt(QStringLiteral("RenderFaceBit_Draft"), masks[0]);
  profile.UInt(QStringLiteral("RenderFaceBit_Area"), masks[1]);
  if (!save) {
    SetRenderFaceBitDraft(masks[0]);
    SetRenderFaceBitArea(masks[1]);
  }
  for (int b = 0; b < kBandCount; ++b) {
    COLORREF color = MakeColorRef(faceColorDraft[b][0], faceColorDraft[b][1], faceColorDraft[b][2]);
    profile.Color(QStringLiteral("FaceColor_Draft[%1]").arg(b), color);
    if (!save) SetFaceColorDraft(b, color);
  }
  for (int b = 0; b < kBandCount; ++b) {
    COLORREF color = MakeColorRef(faceColorArea[b][0], faceColorArea[b][1], faceColorArea[b][2]);
    profile.Color(QStringLiteral("FaceColor_Area[%1]").arg(b), color);
    if (!save) SetFaceColorArea(b, color);
  }
  for (int i = 0; i < kBorderCount; ++i) profile.Float(QStringLiteral("DraftBorder[%1]").arg(i), draftBorder[i]);
  for (int i = 0; i < kBorderCount; ++i) profile.Float(QStringLiteral("AreaBorder[%1]").arg(i), areaBorder[i]);
  if (group) {
    CZtMaterial& m = group->material;
    for (int i = 0; i < 3; ++i) profile.Float(QStringLiteral("MaterialAmbient[%1]").arg(i), m.ambient[i]);
    for (int i = 0; i < 3; ++i) profile.Float(QStringLiteral("MaterialDiffuse[%1]").arg(i), m.diffuse[i]);
    for (int i = 0; i < 3; ++i) profile.Float(QStringLiteral("MaterialSpecular[%1]").arg(i), m.specular[i]);
    profile.Float(QStringLiteral("MaterialShininess"), m.shininess);
  }
}
