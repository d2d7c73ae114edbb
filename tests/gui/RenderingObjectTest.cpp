// Rendering objects, their manager, picks and the material library.
#include <gtest/gtest.h>

#include <QSettings>

#include <cmath>
#include <functional>
#include <map>
#include <limits>

#include <GL/gl.h>

#include "GuiTestSupport.h"
#include "app/SettingsStore.h"
#include "render/DisplayObject.h"
#include "render/RenderingObjectGeometricModel.h"
#include "render/RenderingObjectModel.h"

namespace {

using guitest::Managers;
using guitest::OffscreenGL;

// Records which of its drawing steps ran, per pass.
class RecordingObject : public CRenderingObject {
public:
  RecordingObject() : CRenderingObject(L"recording", 1, 1, 1.0f, 9, 0, 0, 0, 0) {}
  int GetKind() const override { return kKindGeometricModel; }
  bool GetExtents(TZtVector3<float>&, TZtVector3<float>&) override { return false; }
  std::wstring GetInformationText() override { return {}; }
  bool GetPickedPoint(const CPickInformation&, TZtVector3<float>&, int, int) override { return false; }
  bool GetPickedEdge(const CPickInformation&, std::vector<TZtVector3<float>>&) override { return false; }
  bool GetPickedFacet(const CPickInformation&, TZtVector3<float>[3]) override { return false; }
  void RenderPickedElement(const CPickInformation&) override {}
  void RenderPoints(int) override { calls += "P"; }
  void RenderLines(int) override { calls += "L"; }
  void RenderFaces(int, bool) override { calls += "F"; }
  void RenderLabels(int) override { calls += "T"; }
  std::string calls;
};

class RenderingObjectTest : public ::testing::Test {
protected:
  OffscreenGL gl;
  Managers managers;
};

TEST_F(RenderingObjectTest, OpaqueAndTransparentPassesFollowAlphaAndHighlight) {
  ASSERT_TRUE(gl.ok());
  struct Case {
    float alpha;
    int highlight;
    const char* opaquePass;
    const char* transparentPass;
  } cases[] = {
      {1.0f, 0, "FLPT", ""},
      {0.9999f, 0, "", "FLPT"},
      {0.5f, 1, "FLPT", ""},  // a selected transparent object is drawn with the opaque ones
      {0.5f, 2, "FLPT", ""},
  };
  for (const Case& c : cases) {
    RecordingObject object;
    object.SetFaceAlpha(c.alpha, true);
    object.SetHighlight(c.highlight);
    object.Render(kRenderDraw, false);
    EXPECT_EQ(object.calls, c.opaquePass) << c.alpha;
    object.calls.clear();
    object.Render(kRenderDraw, true);
    EXPECT_EQ(object.calls, c.transparentPass) << c.alpha;
  }
}

TEST_F(RenderingObjectTest, SelectionDrawsWhatThePickMaskAsksForAndNeverLabels) {
  ASSERT_TRUE(gl.ok());
  struct Case {
    uint32_t mask;
    const char* calls;
  } cases[] = {{kPickFacet, "F"}, {kPickLine, "L"}, {kPickPoint, "P"}, {kPickGeometricModel, "FLP"}, {0, ""}};
  for (const Case& c : cases) {
    managers.picks.pickMask = c.mask;
    RecordingObject object;
    object.Render(kRenderSelect, false);
    EXPECT_EQ(object.calls, c.calls) << c.mask;
  }
}

TEST_F(RenderingObjectTest, FaceAlphaIsClampedAndAnUnchangedValueKeepsTheList) {
  ASSERT_TRUE(gl.ok());
  RecordingObject object;
  object.SetFaceAlpha(1.7f, false);
  EXPECT_EQ(object.faceAlpha, 1.0f);
  object.SetFaceAlpha(-0.2f, false);
  EXPECT_EQ(object.faceAlpha, 0.0f);
  object.CallOrCompile(object.displayListFace, [] {});
  const uint32_t list = object.displayListFace;
  ASSERT_NE(list, 0u);
  object.SetFaceAlpha(0.0f, false);
  EXPECT_EQ(object.displayListFace, list);
  object.SetFaceAlpha(0.5f, false);
  EXPECT_EQ(object.displayListFace, 0u);
}

TEST_F(RenderingObjectTest, SettersDropOnlyTheListsTheyAffect) {
  ASSERT_TRUE(gl.ok());
  RecordingObject object;
  const auto compileAll = [&] {
    for (uint32_t* slot : {&object.displayListPoint, &object.displayListLine, &object.displayListFace,
                           &object.displayListLabel})
      object.CallOrCompile(*slot, [] {});
  };
  struct Case {
    const char* what;
    std::function<void()> change;
    unsigned dropped;
  } cases[] = {
      {"name", [&] { object.SetName(L"other"); }, kListLabel},
      {"point colour", [&] { object.SetPointColor(0x123456); }, kListPoint},
      {"line colour", [&] { object.SetLineColor(0x123456); }, kListLine},
      {"face colour", [&] { object.SetFaceColor(0x123456); }, kListFace},
      {"font colour", [&] { object.SetFontColor(0x123456); }, kListLabel},
      {"same face colour", [&] { object.SetFaceColor(0x123456); }, 0},
  };
  for (const Case& c : cases) {
    compileAll();
    c.change();
    EXPECT_EQ(object.displayListPoint == 0, (c.dropped & kListPoint) != 0) << c.what;
    EXPECT_EQ(object.displayListLine == 0, (c.dropped & kListLine) != 0) << c.what;
    EXPECT_EQ(object.displayListFace == 0, (c.dropped & kListFace) != 0) << c.what;
    EXPECT_EQ(object.displayListLabel == 0, (c.dropped & kListLabel) != 0) << c.what;
  }
}

TEST_F(RenderingObjectTest, ModelWithoutChildrenReportsAnEmptyBox) {
  CRenderingObjectModel model(new CZtModel);
  TZtVector3<float> min, max;
  EXPECT_TRUE(model.GetExtents(min, max));
  const float huge = std::numeric_limits<float>::max();
  EXPECT_EQ(min, (TZtVector3<float>{huge, huge, huge}));
  EXPECT_EQ(max, (TZtVector3<float>{-huge, -huge, -huge}));
}

TEST_F(RenderingObjectTest, ModelEditsThatChangeNothingKeepListsAndBadArgumentsFail) {
  ASSERT_TRUE(gl.ok());
  auto mesh = guitest::MakeStripModel({2});
  CZtGroup* group = mesh->groups[0];
  CRenderingObjectModel model(mesh.release());
  CRenderingObjectGeometricModel child(group, *managers.rendering.geometricDefault);
  model.children.insert(&child);

  child.CallOrCompile(child.displayListFace, [] {});
  EXPECT_TRUE(model.Scale(1.0f));
  EXPECT_TRUE(model.Translate({0, 0, 0}));
  EXPECT_TRUE(model.Rotate({0, 0, 0}, {0, 0, 1}, 0.0f));
  EXPECT_NE(child.displayListFace, 0u);
  EXPECT_FALSE(model.Scale(0.0f));
  EXPECT_FALSE(model.Scale(-2.0f));
  EXPECT_FALSE(model.Rotate({1, 2, 3}, {1, 2, 3}, 45.0f));

  // A quarter turn about the z axis through (1, 0, 0) moves (2, 0, 0) to (1, 1, 0).
  ASSERT_TRUE(model.Rotate({1, 0, 0}, {1, 0, 1}, 90.0f));
  EXPECT_NEAR(model.model->vertices[4].x, 1.0f, 1e-6);
  EXPECT_NEAR(model.model->vertices[4].y, 1.0f, 1e-6);
  TZtVector3<float> min, max;
  child.GetExtents(min, max);
  EXPECT_NEAR(min.y, -1.0f, 1e-6) << "extents are recomputed after an edit";
  model.children.clear();
}

TEST_F(RenderingObjectTest, ProfileKeepsValuesForEmptyOrMissingStringsAndFreshStoreGivesDefaults) {
  QSettings& store = settingsstore::Store();
  store.remove(QString());
  managers.rendering.Profile(false);
  EXPECT_EQ(managers.rendering.geometricModelShadingMode, 2);
  EXPECT_TRUE(managers.rendering.movementRendering);
  EXPECT_FALSE(managers.rendering.geometricModelRenderPoint);
  EXPECT_EQ(managers.rendering.geometricDefault->pointSize, 3.0f);

  store.setValue(QStringLiteral("RenderingObject-GeometricDefault/PointSize"), QString());
  store.setValue(QStringLiteral("RenderingObject-GeometricDefault/LineWidth"), QStringLiteral("2.500000"));
  store.setValue(QStringLiteral("RenderingObject-GeometricDefault/FaceAlpha"), QStringLiteral("garbage"));
  store.setValue(QStringLiteral("ManagerRenderingObject/GeometricModelShadingMode"), 9);
  store.setValue(QStringLiteral("ManagerRenderingObject/AxisRenderPoint"), 5);
  managers.rendering.Profile(false);
  EXPECT_EQ(managers.rendering.geometricDefault->pointSize, 3.0f);
  EXPECT_EQ(managers.rendering.geometricDefault->lineWidth, 2.5f);
  EXPECT_EQ(managers.rendering.geometricDefault->faceAlpha, 1.0f);
  EXPECT_EQ(managers.rendering.geometricModelShadingMode, 2) << "an unknown shading mode is not trusted";
  EXPECT_TRUE(managers.rendering.axisRenderPoint);
  store.remove(QString());
}

// ---- geometric model ------------------------------------------------------

class GeometricModelTest : public RenderingObjectTest {
protected:
  // A one-triangle object whose facet normal makes the given angle with +z.
  float BandAtAngle(float degrees, TZtVector3<float> draft = {0, 0, 1}) {
    auto mesh = guitest::MakeStripModel({1});
    const float radians = degrees * static_cast<float>(M_PI) / 180.0f;
    mesh->facetNormals[0] = {std::sin(radians), 0.0f, std::cos(radians)};
    CRenderingObjectGeometricModel object(mesh->groups[0], *managers.rendering.geometricDefault);
    object.SetFaceColorMode(CRenderingObjectGeometricModel::kDraftBands);
    object.SetVectorDraft(draft.x, draft.y, draft.z);
    return static_cast<float>(object.GetBand(0));
  }
};

TEST_F(GeometricModelTest, DraftBandsUseStrictUpperBorders) {
  struct Case {
    float degrees;
    int band;
  } cases[] = {{0.0f, 0}, {45.0f, 2}, {89.9995f, 3}, {90.0f, 4}, {179.5f, 7}};
  for (const Case& c : cases) EXPECT_EQ(BandAtAngle(c.degrees), c.band) << c.degrees;
  EXPECT_EQ(BandAtAngle(90.0f, {0, 0, 0}), 4) << "a zero draft direction acts as +z";
  EXPECT_EQ(BandAtAngle(0.0f, {0, 0, 0}), 0);
}

TEST_F(GeometricModelTest, AreaBandsCompareFacetAreaStrictly) {
  auto mesh = guitest::MakeStripModel({1});  // one triangle of area 0.5
  CRenderingObjectGeometricModel object(mesh->groups[0], *managers.rendering.geometricDefault);
  object.SetFaceColorMode(CRenderingObjectGeometricModel::kAreaBands);
  EXPECT_EQ(object.GetBand(0), 2);  // 0.1 <= 0.5 < 1
  const float borders[7] = {0.5f, 1, 2, 3, 4, 5, 6};
  object.SetAreaBorder(borders);
  EXPECT_EQ(object.GetBand(0), 1) << "an area equal to a border belongs to the next band";
  object.SetFaceColorMode(CRenderingObjectGeometricModel::kMaterial);
  EXPECT_EQ(object.GetBand(0), CRenderingObjectGeometricModel::kNoBand);
}

TEST_F(GeometricModelTest, TemplateCopiesSettingsButNotTheDraftDirection) {
  CRenderingObjectGeometricModel* templ = managers.rendering.geometricDefault;
  EXPECT_EQ(templ->renderFaceBitDraft, 0x4FFu);
  templ->SetVectorDraft(1, 0, 0);
  templ->SetFaceColorMode(CRenderingObjectGeometricModel::kAreaBands);
  auto mesh = guitest::MakeStripModel({0});
  CRenderingObjectGeometricModel object(mesh->groups[0], *templ);
  EXPECT_EQ(object.faceColorMode, CRenderingObjectGeometricModel::kAreaBands);
  EXPECT_EQ(object.vectorDraft[0], 0.0f);
  EXPECT_EQ(object.vectorDraft[2], 1.0f);
  object.SetRenderFaceBitDraft(0);
  EXPECT_EQ(object.renderFaceBitDraft, 0x400u);

  TZtVector3<float> min, max;
  object.GetExtents(min, max);
  EXPECT_EQ(min, (TZtVector3<float>{0, 0, 0}));
  EXPECT_EQ(max, (TZtVector3<float>{0, 0, 0}));
  EXPECT_NE(object.GetInformationText().find(L"三角形数 : 0\r\n"), std::wstring::npos);
}

TEST_F(GeometricModelTest, ExtentsAndPickedCornersFollowTheOffsetWhileMovementRenderingIsOn) {
  auto mesh = guitest::MakeStripModel({1});
  mesh->offset = {10, 0, 0};
  CRenderingObjectGeometricModel object(mesh->groups[0], *managers.rendering.geometricDefault);
  TZtVector3<float> min, max;
  object.GetExtents(min, max);
  EXPECT_EQ(min.x, 10.0f);
  CPickInformation hit;
  hit.nameCount = 5;
  const uint32_t names[5] = {static_cast<uint32_t>(object.id), kKindGeometricModel, 1, 0, 1};
  std::copy(names, names + 5, hit.names);
  TZtVector3<float> point;
  ASSERT_TRUE(object.GetPickedPoint(hit, point, -1, -1));
  EXPECT_EQ(point, (TZtVector3<float>{11, 0, 0}));
  managers.rendering.movementRendering = false;
  object.GetExtents(min, max);
  EXPECT_EQ(min.x, 0.0f);
  hit.names[3] = 7;  // no such triangle
  EXPECT_FALSE(object.GetPickedPoint(hit, point, -1, -1));
}

TEST_F(GeometricModelTest, RedrawReplaysListsAndDegenerateCornersAreSkipped) {
  ASSERT_TRUE(gl.ok());
  auto mesh = guitest::MakeStripModel({3});
  mesh->triangles[1].vertexIndex[1] = mesh->triangles[1].vertexIndex[0];  // corners 0 and 1 coincide
  CRenderingObjectGeometricModel object(mesh->groups[0], *managers.rendering.geometricDefault);
  managers.rendering.geometricModelRenderLine = true;
  const uint64_t before = CRenderingObject::CompileCount();
  object.Render(kRenderDraw, false);
  EXPECT_EQ(CRenderingObject::CompileCount() - before, 2u) << "faces and lines";
  object.Render(kRenderDraw, false);
  EXPECT_EQ(CRenderingObject::CompileCount() - before, 2u) << "a redraw compiles nothing";

  // Selection names of the lines: the degenerate triangle sends only edge 1-2.
  GLuint buffer[4096];
  glSelectBuffer(4096, buffer);
  glRenderMode(GL_SELECT);
  glInitNames();
  glPushName(0);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-1, 10, -1, 10, -10, 10);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  managers.picks.pickMask = kPickLine;
  object.Render(kRenderSelect, false);
  const GLint hits = glRenderMode(GL_RENDER);
  int edgesOfTriangle1 = 0;
  for (GLint h = 0, at = 0; h < hits; ++h) {
    const GLuint count = buffer[at];
    const GLuint* names = buffer + at + 3;
    if (count == 5 && names[3] == 1) {
      ++edgesOfTriangle1;
      EXPECT_EQ(names[4], 1u);
    }
    at += 3 + static_cast<GLint>(count);
  }
  EXPECT_EQ(edgesOfTriangle1, 1);
}

// ---- picks ------------------------------------------------------------------

class FakeHost : public CPickHost {
public:
  std::map<uint32_t, CRenderingObject*> objects;
  std::map<CRenderingObject*, CRenderingObject*> owners;
  int shown = 0, hidden = 0, changes = 0;
  CRenderingObject* ResolveHitObject(const CPickInformation& hit) override {
    const auto found = objects.find(hit.names[0]);
    return found == objects.end() ? nullptr : found->second;
  }
  CRenderingObject* FindModelOfChild(CRenderingObject* child) override { return owners[child]; }
  void ShowDecisionDialog() override { ++shown; }
  void HideDecisionDialog() override { ++hidden; }
  void PicksChanged(int, const CPickObject*) override { ++changes; }
};

CPickInformation Hit(std::initializer_list<uint32_t> names, float depth) {
  CPickInformation hit;
  hit.nameCount = static_cast<uint32_t>(names.size());
  std::copy(names.begin(), names.end(), hit.names);
  hit.depthMin = hit.depthMax = depth;
  return hit;
}

class PickManagerTest : public RenderingObjectTest {
protected:
  PickManagerTest() {
    managers.picks.SetHost(&host);
    host.objects[static_cast<uint32_t>(object.id)] = &object;
  }
  ~PickManagerTest() override {
    managers.picks.SetPickMode(0);
    managers.picks.SetHost(nullptr);
  }
  FakeHost host;
  RecordingObject object;
};

TEST_F(PickManagerTest, ModeTableSetsMaskLimitAndFlags) {
  struct Row {
    int mode;
    bool pointOnElement;
    uint32_t mask, limit;
    bool showPickable, immediate, pickPoint;
  } rows[] = {
      {0, true, 0, 0, false, false, false},
      {1, true, 0x7, 1, false, true, false},
      {11, true, 0x1400, 1, false, false, false},
      {22, false, 0x1, 2, true, false, false},
      {22, true, 0x7, 2, false, true, true},
      {24, true, 0x7, 3, false, true, true},
      {25, true, 0x4, 2, true, false, false},
      {34, true, 0xE00, 1, false, false, false},
      {41, true, 0x1C00, 0, false, false, false},
      {43, true, 0x1400, 0, false, false, false},
      {99, true, 0, 0, false, false, false},
  };
  for (const Row& row : rows) {
    managers.picks.enablePickPointOnElement = row.pointOnElement;
    managers.picks.SetPickMode(0);
    managers.picks.SetPickMode(row.mode);
    EXPECT_EQ(managers.picks.pickMask, row.mask) << row.mode;
    EXPECT_EQ(managers.picks.maxPicks, row.limit) << row.mode;
    EXPECT_EQ(managers.picks.showPickableElements, row.showPickable) << row.mode;
    EXPECT_EQ(managers.picks.pickImmediately, row.immediate) << row.mode;
    EXPECT_EQ(managers.picks.pickPointOnElement, row.pickPoint) << row.mode;
  }
}

TEST_F(PickManagerTest, AThirdPointInTwoPointModeStartsAFreshSetAndARepeatedPickTogglesOff) {
  managers.picks.enablePickPointOnElement = false;
  managers.picks.SetPickMode(22);
  const auto pickVertex = [&](uint32_t triangle) {
    managers.picks.ProcessHits({Hit({uint32_t(object.id), kKindGeometricModel, 1, triangle, 0}, 0.5f)}, 0, 0);
  };
  pickVertex(0);
  pickVertex(1);
  ASSERT_EQ(managers.picks.picks.size(), 2u);
  pickVertex(2);
  ASSERT_EQ(managers.picks.picks.size(), 1u);
  EXPECT_EQ(managers.picks.picks[0]->information.names[3], 2u);
  pickVertex(2);
  EXPECT_TRUE(managers.picks.picks.empty());
  EXPECT_EQ(host.changes, 4);
}

TEST_F(PickManagerTest, OneVertexHitThroughAdjacentTrianglesGivesOneCandidate) {
  managers.picks.enablePickPointOnElement = false;
  managers.picks.SetPickMode(21);
  const uint32_t id = static_cast<uint32_t>(object.id);
  // The same corner drawn by two triangles: same kind and depths, other triangle.
  managers.picks.ProcessHits({Hit({id, kKindGeometricModel, 1, 4, 2}, 0.25f), Hit({id, kKindGeometricModel, 1, 5, 0}, 0.25f)},
                             0, 0);
  EXPECT_EQ(managers.picks.picks.size(), 1u) << "one hit left: picked at once";
  EXPECT_EQ(host.shown, 0);

  managers.picks.ResetPicks();
  managers.picks.ProcessHits({Hit({id, kKindGeometricModel, 1, 4, 2}, 0.25f), Hit({id, kKindGeometricModel, 1, 9, 1}, 0.5f)},
                             0, 0);
  EXPECT_TRUE(managers.picks.picks.empty());
  EXPECT_EQ(managers.picks.candidates.size(), 2u);
  ASSERT_NE(managers.picks.candidate, nullptr);
  EXPECT_EQ(host.shown, 1);
  managers.picks.StepCandidate(1);
  EXPECT_EQ(managers.picks.candidate->information.names[3], 9u);
  managers.picks.DecideCandidate();
  ASSERT_EQ(managers.picks.picks.size(), 1u);
  EXPECT_EQ(managers.picks.candidate, nullptr);
}

TEST_F(PickManagerTest, AClickOnAGroupInModelModePicksTheWholeModel) {
  CRenderingObjectModel model(new CZtModel);
  host.owners[&object] = &model;
  managers.picks.SetPickMode(44);
  managers.picks.ProcessHits({Hit({uint32_t(object.id), kKindGeometricModel, 4, 0}, 0.3f)}, 0, 0);
  ASSERT_EQ(managers.picks.picks.size(), 1u);
  const CPickObject& pick = *managers.picks.picks[0];
  EXPECT_EQ(pick.renderingObject, &model);
  EXPECT_EQ(pick.information.nameCount, 2u);
  EXPECT_EQ(pick.information.names[1], static_cast<uint32_t>(kKindModel));
  EXPECT_EQ(model.highlight, 1);
  managers.picks.ResetPicks();
  EXPECT_EQ(model.highlight, 0);
}

TEST_F(PickManagerTest, DeletingTheCandidatesObjectDropsTheCandidate) {
  auto* doomed = new RecordingObject;
  host.objects[static_cast<uint32_t>(doomed->id)] = doomed;
  managers.picks.SetPickMode(33);
  const uint32_t id = static_cast<uint32_t>(doomed->id);
  managers.picks.ProcessHits({Hit({id, kKindGeometricModel, 4, 0}, 0.1f), Hit({id, kKindGeometricModel, 4, 1}, 0.2f)}, 0, 0);
  ASSERT_NE(managers.picks.candidate, nullptr);
  delete doomed;
  EXPECT_EQ(managers.picks.candidate, nullptr);
  EXPECT_GE(host.hidden, 1);
}

// ---- materials and annotations ---------------------------------------------

TEST_F(RenderingObjectTest, PresetsWrapAroundAndAnEmptyLibraryGivesTheDefaultMaterial) {
  ASSERT_EQ(managers.materials.GetCount(), 24u);
  EXPECT_EQ(managers.materials.GetName(3), L"真珠");
  const CZtMaterial emerald = managers.materials.GetPreset(24);
  EXPECT_EQ(emerald.shininess, 76.8f);
  EXPECT_EQ(emerald.ambient[1], 0.1745f);
  EXPECT_EQ(managers.materials.GetPreset(25).diffuse[0], 0.54f);
  const CManagerMaterialLibrary empty;
  const CZtMaterial fallback = empty.GetPreset(3);
  EXPECT_EQ(fallback.ambient[0], 0.2f);
  EXPECT_EQ(fallback.diffuse[3], 1.0f);
  EXPECT_EQ(fallback.shininess, 0.0f);
}

TEST_F(RenderingObjectTest, AnnotationColourChannelsAreReadOneByOne) {
  QSettings& store = settingsstore::Store();
  store.setValue(QStringLiteral("ManagerTemporaryObject/DisplayObjectColor[1]"), 64);
  managers.temporary.Profile(false);
  EXPECT_EQ(managers.temporary.displayObjectColor[0], 255);
  EXPECT_EQ(managers.temporary.displayObjectColor[1], 64);
  EXPECT_EQ(managers.temporary.displayObjectColor[2], 0);
  store.remove(QStringLiteral("ManagerTemporaryObject"));
}

}  // namespace
