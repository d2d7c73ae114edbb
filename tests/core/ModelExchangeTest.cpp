// The model-exchange record: its memory blocks, the record helpers both
// sides of the plug-in boundary share, and the viewer's conversions between
// a record and a CZtModel.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "geometry/ZtModel.h"
#include "plugin_interface/ModelConversion.h"
#include "plugin_interface/ModelExchange.h"

namespace {

using Vec3 = TZtVector3<float>;

unsigned int LockCount(HGLOBAL block) { return GlobalFlags(block) & GMEM_LOCKCOUNT; }

bool IsAllZero(const ModelExchangeRecord& record) {
  const ModelExchangeRecord zero{};
  return std::memcmp(&record, &zero, sizeof zero) == 0;
}

// A record that frees itself.
struct Record {
  ModelExchangeRecord record{};
  Record() = default;
  Record(const Record&) = delete;
  Record& operator=(const Record&) = delete;
  ~Record() { FreeModelExchangeRecord(&record); }
  ModelExchangeRecord* operator->() { return &record; }
};

// One group of a record to build: name (nullptr leaves the name block out)
// and triangle indices.
struct GroupSpec {
  const char* name;
  std::vector<uint32_t> indices;
};

// Builds an unlocked record as a plug-in hands it over.
void BuildRecord(ModelExchangeRecord* record, const std::vector<ModelExchangeVertex>& vertices,
                 const std::vector<ModelExchangeVertex>& normals,
                 const std::vector<ModelExchangeTriangle>& triangles, const std::vector<GroupSpec>& groups) {
  ModelExchangeVertex* v;
  ModelExchangeVertex* n;
  ModelExchangeTriangle* t;
  ModelExchangeGroup* g;
  ASSERT_EQ(AllocModelExchangeRecord(
                record, static_cast<uint32_t>(vertices.size()), &v, static_cast<uint32_t>(normals.size()), &n,
                static_cast<uint32_t>(triangles.size()), &t, static_cast<uint32_t>(groups.size()), &g),
            1);
  std::copy(vertices.begin(), vertices.end(), v);
  std::copy(normals.begin(), normals.end(), n);
  std::copy(triangles.begin(), triangles.end(), t);
  for (size_t i = 0; i < groups.size(); ++i) {
    char* name;
    uint32_t* indices;
    ASSERT_EQ(InitModelExchangeGroup(&g[i], &name, static_cast<uint32_t>(groups[i].indices.size()), &indices),
              1);
    std::copy(groups[i].indices.begin(), groups[i].indices.end(), indices);
    if (groups[i].name) {
      std::strcpy(name, groups[i].name);
    } else {
      g[i].nameBlock = GlobalFree(g[i].nameBlock);
    }
    g[i].diffuse[1] = 0.25f + static_cast<float>(i);  // tells the groups' materials apart
  }
  UnlockModelExchangeRecord(record);
}

ModelExchangeTriangle Tri(int32_t a, int32_t b, int32_t c, int32_t normal = 0) {
  return {{a, b, c}, {normal, normal, normal}};
}

template <typename T>
std::vector<T> BlockContents(HGLOBAL block, size_t count) {
  const auto* first = static_cast<const T*>(GlobalLock(block));
  std::vector<T> out(first, first + count);
  GlobalUnlock(block);
  return out;
}

std::vector<ModelExchangeGroup> Groups(const ModelExchangeRecord& record) {
  return BlockContents<ModelExchangeGroup>(record.groupBlock, record.groupCount);
}

std::string NameOf(const ModelExchangeGroup& group) {
  const std::vector<char> bytes = BlockContents<char>(group.nameBlock, MODEL_EXCHANGE_GROUP_NAME_SIZE);
  return std::string(bytes.data(), strnlen(bytes.data(), bytes.size()));
}

// ---- memory blocks ---------------------------------------------------------------

TEST(MemoryBlock, IsZeroFilledAndCountsItsLocks) {
  HGLOBAL block = GlobalAlloc(GHND, 100);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalSize(block), 100u);
  const auto* bytes = static_cast<const unsigned char*>(GlobalLock(block));
  EXPECT_EQ(GlobalLock(block), bytes);
  EXPECT_EQ(std::vector<unsigned char>(bytes, bytes + 100), std::vector<unsigned char>(100, 0));
  EXPECT_EQ(LockCount(block), 2u);
  EXPECT_NE(GlobalUnlock(block), 0);  // still locked once
  EXPECT_EQ(GlobalUnlock(block), 0);
  EXPECT_EQ(GlobalUnlock(block), 0);  // never below zero
  EXPECT_EQ(LockCount(block), 0u);
  EXPECT_EQ(GlobalFree(block), nullptr);
  EXPECT_EQ(GlobalAlloc(GHND, SIZE_MAX), nullptr);  // header and data would wrap
}

TEST(MemoryBlock, TextBlockHoldsTheTextAndItsNulUnlocked) {
  HGLOBAL block = AllocTextBlock("*.stl");
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalSize(block), 6u);
  EXPECT_EQ(LockCount(block), 0u);
  EXPECT_EQ(BlockContents<char>(block, 6), (std::vector<char>{'*', '.', 's', 't', 'l', '\0'}));
  GlobalFree(block);
  EXPECT_EQ(AllocTextBlock(nullptr), nullptr);
}

// ---- record helpers ----------------------------------------------------------------

TEST(ModelExchangeRecordHelpers, AllocHandsOutLockedZeroedBlocksForNonZeroCounts) {
  Record r;
  std::memset(&r.record, 0x5A, sizeof r.record);  // anything there is overwritten
  ModelExchangeVertex* vertices;
  ModelExchangeVertex* normals;
  ModelExchangeTriangle* triangles;
  ModelExchangeGroup* groups;
  ASSERT_EQ(AllocModelExchangeRecord(&r.record, 3, &vertices, 0, &normals, 2, &triangles, 1, &groups), 1);
  EXPECT_EQ(r->vertexCount, 3u);
  EXPECT_EQ(r->normalCount, 0u);
  EXPECT_EQ(r->normalBlock, nullptr);
  EXPECT_EQ(normals, nullptr);
  EXPECT_EQ(GlobalSize(r->vertexBlock), 36u);
  EXPECT_EQ(GlobalSize(r->triangleBlock), 48u);
  EXPECT_EQ(GlobalSize(r->groupBlock), sizeof(ModelExchangeGroup));
  for (HGLOBAL block : {r->vertexBlock, r->triangleBlock, r->groupBlock}) EXPECT_EQ(LockCount(block), 1u);
  EXPECT_EQ(triangles[1].normalIndex[2], 0);
  EXPECT_EQ(groups[0].nameBlock, nullptr);

  UnlockModelExchangeRecord(&r.record);
  for (HGLOBAL block : {r->vertexBlock, r->triangleBlock, r->groupBlock}) EXPECT_EQ(LockCount(block), 0u);
  EXPECT_EQ(FreeModelExchangeRecord(&r.record), 1);
  EXPECT_TRUE(IsAllZero(r.record));
}

TEST(ModelExchangeRecordHelpers, NullArgumentsFailAndClearTheOutPointers) {
  ModelExchangeVertex* vertices = reinterpret_cast<ModelExchangeVertex*>(1);
  ModelExchangeTriangle* triangles = reinterpret_cast<ModelExchangeTriangle*>(1);
  EXPECT_EQ(AllocModelExchangeRecord(nullptr, 1, &vertices, 0, nullptr, 1, &triangles, 0, nullptr), -1);
  EXPECT_EQ(vertices, nullptr);
  EXPECT_EQ(triangles, nullptr);
  char* name = reinterpret_cast<char*>(1);
  uint32_t* indices = reinterpret_cast<uint32_t*>(1);
  EXPECT_EQ(InitModelExchangeGroup(nullptr, &name, 1, &indices), -1);
  EXPECT_EQ(name, nullptr);
  EXPECT_EQ(indices, nullptr);
  EXPECT_EQ(FreeModelExchangeRecord(nullptr), -1);
  EXPECT_EQ(UnlockModelExchangeRecord(nullptr), -1);
  FreeModelExchangeGroup(nullptr);  // does nothing
}

TEST(ModelExchangeRecordHelpers, InitGroupGivesNoNameDefaultMaterialAndLockedBlocks) {
  ModelExchangeGroup group;
  std::memset(&group, 0x5A, sizeof group);
  char* name;
  uint32_t* indices;
  ASSERT_EQ(InitModelExchangeGroup(&group, &name, 5, &indices), 1);
  EXPECT_STREQ(name, "(NoName)");
  EXPECT_EQ(GlobalSize(group.nameBlock), 256u);
  EXPECT_EQ(group.indexCount, 5u);
  EXPECT_EQ(GlobalSize(group.indexBlock), 20u);
  EXPECT_EQ(LockCount(group.nameBlock), 1u);
  EXPECT_EQ(LockCount(group.indexBlock), 1u);
  EXPECT_EQ(indices[4], 0u);
  const float ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f}, diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f},
              specular[4] = {0, 0, 0, 1};
  EXPECT_EQ(std::memcmp(group.ambient, ambient, sizeof ambient), 0);
  EXPECT_EQ(std::memcmp(group.diffuse, diffuse, sizeof diffuse), 0);
  EXPECT_EQ(std::memcmp(group.specular, specular, sizeof specular), 0);
  EXPECT_EQ(group.shininess, 0.0f);
  FreeModelExchangeGroup(&group);
  EXPECT_EQ(group.nameBlock, nullptr);
  EXPECT_EQ(group.indexBlock, nullptr);
  EXPECT_EQ(group.indexCount, 0u);

  ASSERT_EQ(InitModelExchangeGroup(&group, &name, 0, &indices), 1);
  EXPECT_EQ(group.indexBlock, nullptr);
  EXPECT_EQ(indices, nullptr);
  FreeModelExchangeGroup(&group);
}

TEST(ModelExchangeRecordHelpers, UnlockLeavesEveryBlockUnlockedHoweverOftenItWasLocked) {
  Record r;
  BuildRecord(&r.record, {{0, 0, 0}}, {{0, 0, 1}}, {Tri(0, 0, 0)}, {{"a", {0}}, {"b", {0}}});
  GlobalLock(r->vertexBlock);
  GlobalLock(r->vertexBlock);
  GlobalLock(r->normalBlock);
  const std::vector<ModelExchangeGroup> groups = Groups(r.record);
  GlobalLock(groups[1].nameBlock);
  GlobalLock(groups[1].indexBlock);
  GlobalLock(groups[1].indexBlock);
  GlobalLock(r->groupBlock);
  ASSERT_EQ(LockCount(r->vertexBlock), 2u);

  EXPECT_EQ(UnlockModelExchangeRecord(&r.record), 1);
  for (HGLOBAL block : {r->vertexBlock, r->normalBlock, r->triangleBlock, r->groupBlock, groups[1].nameBlock,
                        groups[1].indexBlock, groups[0].nameBlock})
    EXPECT_EQ(LockCount(block), 0u);

  ModelExchangeRecord zero{};
  EXPECT_EQ(UnlockModelExchangeRecord(&zero), 1);
  EXPECT_EQ(FreeModelExchangeRecord(&zero), 1);
  EXPECT_TRUE(IsAllZero(zero));
}

TEST(ModelExchangeRecordHelpers, FreeReleasesGroupBlocksAndZeroesTheRecord) {
  // The sanitizer build's leak check sees any group block left behind.
  ModelExchangeRecord record{};
  BuildRecord(&record, {{1, 2, 3}}, {}, {Tri(0, 0, 0)}, {{"a", {0}}, {nullptr, {0}}, {"c", {}}});
  GlobalLock(record.vertexBlock);  // freed whether locked or not
  EXPECT_EQ(FreeModelExchangeRecord(&record), 1);
  EXPECT_TRUE(IsAllZero(record));
}

// ---- record to model -------------------------------------------------------------------

TEST(ModelFromExchangeRecord, CopiesArraysGroupsAndComputesFacetNormals) {
  Record r;
  BuildRecord(&r.record, {{0, 0, 0}, {2, 0, 0}, {2, 3, 0}, {5, 5, 5}}, {{0, 0, 1}, {1, 0, 0}},
              {Tri(0, 1, 2, 1), Tri(0, 1, 1), Tri(-1, 1, 2), Tri(0, 1, 3)},
              {{"\xE6\x9C\x88\xE7\x90\x83", {3, 0}}, {nullptr, {1, 2}}, {"", {}}});
  CZtModel model;
  ASSERT_EQ(ModelFromExchangeRecord(&r.record, &model), 1);

  ASSERT_EQ(model.vertices.size(), 4u);
  EXPECT_EQ(model.vertices[2], (Vec3{2, 3, 0}));
  ASSERT_EQ(model.vertexNormals.size(), 2u);
  EXPECT_EQ(model.vertexNormals[1], (Vec3{1, 0, 0}));
  ASSERT_EQ(model.triangles.size(), 4u);
  EXPECT_EQ(model.triangles[0].vertexIndex[2], 2);
  EXPECT_EQ(model.triangles[0].normalIndex[0], 1);
  EXPECT_EQ(model.triangles[2].vertexIndex[0], -1);
  for (int t = 0; t < 4; ++t) EXPECT_EQ(model.triangles[t].facetNormalIndex, t);
  ASSERT_EQ(model.facetNormals.size(), 4u);
  EXPECT_EQ(model.facetNormals[0], (Vec3{0, 0, 1}));  // counter-clockwise seen from +z
  EXPECT_EQ(model.facetNormals[1], (Vec3{0, 0, 1}));  // two equal corners
  EXPECT_EQ(model.facetNormals[2], (Vec3{0, 0, 1}));  // an unset corner
  const Vec3 n = model.facetNormals[3];               // (2,0,0) x (3,5,5), normalised
  EXPECT_NEAR(n.x, 0.0, 1e-6);
  EXPECT_NEAR(n.y, -10 / std::sqrt(200.0), 1e-6);
  EXPECT_NEAR(n.z, 10 / std::sqrt(200.0), 1e-6);

  ASSERT_EQ(model.groups.size(), 3u);
  EXPECT_EQ(model.groups[0]->name, L"\u6708\u7403");
  EXPECT_EQ(model.groups[1]->name, L" ");  // no name block
  EXPECT_EQ(model.groups[2]->name, L"");
  EXPECT_EQ(model.groups[0]->triangleIndices, (std::vector<uint32_t>{3, 0}));
  EXPECT_TRUE(model.groups[2]->triangleIndices.empty());
  EXPECT_EQ(model.groups[1]->material.diffuse[1], 1.25f);
  EXPECT_EQ(model.groups[1]->material.ambient[0], 0.2f);
  EXPECT_EQ(model.groups[1]->model, &model);
}

TEST(ModelFromExchangeRecord, RecordWithoutNormalsKeepsTheTrianglesNormalIndices) {
  Record r;
  BuildRecord(&r.record, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {}, {Tri(0, 1, 2, 0)}, {{"stl", {0}}});
  CZtModel model;
  ASSERT_EQ(ModelFromExchangeRecord(&r.record, &model), 1);
  EXPECT_TRUE(model.vertexNormals.empty());
  EXPECT_EQ(model.triangles[0].normalIndex[1], 0);
}

TEST(ModelFromExchangeRecord, RejectsMissingArgumentsAndRecordsWithoutVertices) {
  Record r;
  BuildRecord(&r.record, {{0, 0, 0}}, {}, {Tri(0, 0, 0)}, {{"a", {0}}});
  CZtModel model;
  EXPECT_EQ(ModelFromExchangeRecord(nullptr, &model), -1);
  EXPECT_EQ(ModelFromExchangeRecord(&r.record, nullptr), -1);

  Record noVertices;
  BuildRecord(&noVertices.record, {}, {}, {Tri(0, 1, 2)}, {{"a", {0}}});
  EXPECT_EQ(ModelFromExchangeRecord(&noVertices.record, &model), -1);
}

// A record whose indices or counts point outside its blocks would make every
// later drawing read outside the model's arrays, so it is refused whole.
TEST(ModelFromExchangeRecord, RejectsIndicesAndCountsOutsideTheBlocks) {
  const struct {
    const char* what;
    std::function<void(ModelExchangeRecord&)> spoil;
  } cases[] = {
      {"vertex index equal to the vertex count",
       [](ModelExchangeRecord& r) {
         static_cast<ModelExchangeTriangle*>(GlobalLock(r.triangleBlock))[1].vertexIndex[2] = 4;
       }},
      {"negative vertex index other than -1",
       [](ModelExchangeRecord& r) {
         static_cast<ModelExchangeTriangle*>(GlobalLock(r.triangleBlock))[0].vertexIndex[0] = -2;
       }},
      {"normal index beyond the normals",
       [](ModelExchangeRecord& r) {
         static_cast<ModelExchangeTriangle*>(GlobalLock(r.triangleBlock))[0].normalIndex[1] = 2;
       }},
      {"negative normal index other than -1",
       [](ModelExchangeRecord& r) {
         static_cast<ModelExchangeTriangle*>(GlobalLock(r.triangleBlock))[1].normalIndex[0] = -7;
       }},
      {"group entry beyond the triangles",
       [](ModelExchangeRecord& r) {
         const auto* groups = static_cast<ModelExchangeGroup*>(GlobalLock(r.groupBlock));
         static_cast<uint32_t*>(GlobalLock(groups[0].indexBlock))[1] = 2;
       }},
      {"vertex count beyond its block", [](ModelExchangeRecord& r) { r.vertexCount = 5; }},
      {"normal count beyond its block", [](ModelExchangeRecord& r) { r.normalCount = 3; }},
      {"triangle count beyond its block", [](ModelExchangeRecord& r) { r.triangleCount = 3; }},
      {"group count beyond its block", [](ModelExchangeRecord& r) { r.groupCount = 2; }},
      {"group index count beyond its block",
       [](ModelExchangeRecord& r) {
         static_cast<ModelExchangeGroup*>(GlobalLock(r.groupBlock))[0].indexCount = 3;
       }},
      {"vertices counted but no block",
       [](ModelExchangeRecord& r) { r.vertexBlock = GlobalFree(r.vertexBlock); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Record r;
    BuildRecord(&r.record, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {{0, 0, 1}, {1, 0, 0}},
                {Tri(0, 1, 2, 0), Tri(0, 2, 3, -1)}, {{"g", {0, 1}}});
    CZtModel valid;
    ASSERT_EQ(ModelFromExchangeRecord(&r.record, &valid), 1);  // the record is fine before
    c.spoil(r.record);
    UnlockModelExchangeRecord(&r.record);
    CZtModel model;
    EXPECT_EQ(ModelFromExchangeRecord(&r.record, &model), -1);
  }
}

TEST(ModelFromExchangeRecord, NormalIndicesAreNotCheckedWhenThereAreNoNormals) {
  Record r;
  BuildRecord(&r.record, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {}, {Tri(0, 1, 2, 99)}, {{"g", {0}}});
  CZtModel model;
  EXPECT_EQ(ModelFromExchangeRecord(&r.record, &model), 1);
  EXPECT_EQ(model.triangles[0].normalIndex[0], 99);
}

// ---- model to record ----------------------------------------------------------------------

CZtGroup* AddGroup(CZtModel& model, const std::wstring& name, std::vector<uint32_t> indices,
                   float shininess) {
  auto* group = new CZtGroup;
  group->name = name;
  group->triangleIndices = std::move(indices);
  group->material.shininess = shininess;
  group->model = &model;
  model.groups.push_back(group);
  return group;
}

void FillTwoTriangles(CZtModel& model) {
  model.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
  model.vertexNormals = {{0, 0, 1}};
  model.triangles.resize(2);
  for (int k = 0; k < 3; ++k) {
    model.triangles[0].vertexIndex[k] = k;
    model.triangles[1].vertexIndex[k] = k + 1;
    model.triangles[0].normalIndex[k] = 0;
  }
}

TEST(ModelToExchangeRecord, WritesArraysAndGroupsInReverseOrderUnlocked) {
  CZtModel model;
  FillTwoTriangles(model);
  AddGroup(model, L"A", {0}, 1.0f);
  AddGroup(model, L"B", {1}, 2.0f);
  AddGroup(model, L"\u6708", {0, 1}, 3.0f);
  Record r;
  ASSERT_EQ(ModelToExchangeRecord(&model, &r.record), 1);

  EXPECT_EQ(r->vertexCount, 4u);
  EXPECT_EQ(r->normalCount, 1u);
  ASSERT_EQ(r->triangleCount, 2u);
  const std::vector<ModelExchangeTriangle> triangles =
      BlockContents<ModelExchangeTriangle>(r->triangleBlock, 2);
  EXPECT_EQ(triangles[1].vertexIndex[2], 3);
  EXPECT_EQ(triangles[0].normalIndex[2], 0);
  EXPECT_EQ(triangles[1].normalIndex[2], -1);
  EXPECT_EQ(BlockContents<ModelExchangeVertex>(r->vertexBlock, 4)[3].y, 1.0f);

  const std::vector<ModelExchangeGroup> groups = Groups(r.record);
  ASSERT_EQ(groups.size(), 3u);
  EXPECT_EQ(NameOf(groups[0]), "\xE6\x9C\x88");
  EXPECT_EQ(NameOf(groups[1]), "B");
  EXPECT_EQ(NameOf(groups[2]), "A");
  EXPECT_EQ(groups[0].shininess, 3.0f);
  EXPECT_EQ(groups[2].shininess, 1.0f);
  EXPECT_EQ(BlockContents<uint32_t>(groups[0].indexBlock, groups[0].indexCount),
            (std::vector<uint32_t>{0, 1}));
  for (HGLOBAL block : {r->vertexBlock, r->normalBlock, r->triangleBlock, r->groupBlock, groups[0].nameBlock,
                        groups[0].indexBlock})
    EXPECT_EQ(LockCount(block), 0u);

  // Back into a model: the same arrays, the groups now in reverse order.
  CZtModel back;
  ASSERT_EQ(ModelFromExchangeRecord(&r.record, &back), 1);
  EXPECT_EQ(back.vertices, model.vertices);
  EXPECT_EQ(back.triangles[1].vertexIndex[0], 1);
  EXPECT_EQ(back.groups[0]->name, L"\u6708");
  EXPECT_EQ(back.groups[2]->name, L"A");
}

TEST(ModelToExchangeRecord, CutsLongGroupNamesTo255BytesWithoutSplittingACharacter) {
  const struct {
    std::wstring name;
    size_t bytes;
  } cases[] = {
      {std::wstring(300, L'n'), 255},
      {std::wstring(255, L'n'), 255},
      {std::wstring(254, L'n') + L"\u00E9", 254},  // the two-byte e-acute would end at byte 256
      {std::wstring(253, L'n') + L"\u00E9", 255},
  };
  for (const auto& c : cases) {
    CZtModel model;
    FillTwoTriangles(model);
    AddGroup(model, c.name, {0}, 0.0f);
    Record r;
    ASSERT_EQ(ModelToExchangeRecord(&model, &r.record), 1);
    EXPECT_EQ(NameOf(Groups(r.record)[0]).size(), c.bytes) << c.name.size() << " characters";
  }
}

TEST(ModelToExchangeRecord, EmptyModelGivesAnEmptyRecordAndNullArgumentsFail) {
  CZtModel model;
  Record r;
  ASSERT_EQ(ModelToExchangeRecord(&model, &r.record), 1);
  EXPECT_TRUE(IsAllZero(r.record));
  EXPECT_EQ(ModelToExchangeRecord(nullptr, &r.record), -1);
  EXPECT_EQ(ModelToExchangeRecord(&model, nullptr), -1);
}

}  // namespace
