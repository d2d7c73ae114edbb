#include "plugin_interface/ModelConversion.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstring>

#include "plugin_interface/TextCodec.h"

namespace {

const wchar_t kUnnamedGroup[] = L" ";

// A locked view of one block, unlocked again when it goes out of scope.
class LockedBlock {
public:
  explicit LockedBlock(HGLOBAL block) : m_block(block), m_address(GlobalLock(block)) {}
  ~LockedBlock() {
    if (m_address) GlobalUnlock(m_block);
  }
  LockedBlock(const LockedBlock&) = delete;
  LockedBlock& operator=(const LockedBlock&) = delete;

  template <typename T>
  const T* As() const { return static_cast<const T*>(m_address); }
  template <typename T>
  T* AsMutable() const { return static_cast<T*>(m_address); }
  bool Holds(uint64_t count, size_t entrySize) const {
    return count == 0 || (m_address && GlobalSize(m_block) / entrySize >= count);
  }

private:
  HGLOBAL m_block;
  void* m_address;
};

// Filling arrays of many megabytes is dominated by the page faults of their
// first touch.  Asking for transparent huge pages before that touch makes
// them few: on Linux with huge pages "madvise" or "always" a 2 MiB page
// replaces 512 small faults.  Only the whole huge pages inside the array are
// advised, so the hint never reaches memory that is not the array's; where
// huge pages are not to be had, it changes nothing.
void AdviseHugePages(void* address, size_t size) {
  constexpr uintptr_t kHugePage = uintptr_t{2} << 20;
  const auto begin = reinterpret_cast<uintptr_t>(address);
  const uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
  const uintptr_t last = (begin + size) & ~(kHugePage - 1);
  if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

// Makes room for count entries in an empty vector before it is filled.
template <typename T>
void ReserveForFill(std::vector<T>& out, size_t count) {
  out.reserve(count);
  AdviseHugePages(out.data(), count * sizeof(T));
}

bool IndexInRange(int32_t index, uint32_t count) {
  return index >= 0 && static_cast<uint32_t>(index) < count;
}

bool CopyVertices(HGLOBAL block, uint32_t count, std::vector<TZtVector3<float>>& out) {
  static_assert(sizeof(TZtVector3<float>) == sizeof(ModelExchangeVertex));
  out.clear();
  if (count == 0) return true;
  LockedBlock locked(block);
  if (!locked.Holds(count, MODEL_EXCHANGE_VERTEX_SIZE)) return false;
  const auto* first = locked.As<TZtVector3<float>>();
  ReserveForFill(out, count);
  out.assign(first, first + count);
  return true;
}

// Copies the triangles, checks every index and computes the facet normals in
// the same pass, so the triangle block is read once.
bool CopyTriangles(const ModelExchangeRecord& record, CZtModel& model) {
  const uint32_t count = record.triangleCount;
  model.triangles.clear();
  model.facetNormals.clear();
  if (count == 0) return true;
  LockedBlock locked(record.triangleBlock);
  if (!locked.Holds(count, MODEL_EXCHANGE_TRIANGLE_SIZE)) return false;
  const auto* source = locked.As<ModelExchangeTriangle>();
  const uint32_t vertexCount = record.vertexCount;
  const uint32_t normalCount = record.normalCount;
  const TZtVector3<float>* vertices = model.vertices.data();
  const TZtVector3<float> up{0.0f, 0.0f, 1.0f};

  ReserveForFill(model.triangles, count);
  ReserveForFill(model.facetNormals, count);
  model.triangles.resize(count);
  model.facetNormals.resize(count);
  CZtIndexedTriangle* triangles = model.triangles.data();
  TZtVector3<float>* normals = model.facetNormals.data();
  for (uint32_t t = 0; t < count; ++t) {
    const ModelExchangeTriangle& in = source[t];
    CZtIndexedTriangle& out = triangles[t];
    bool unset = false;
    for (int k = 0; k < 3; ++k) {
      const int32_t v = in.vertexIndex[k];
      const int32_t n = in.normalIndex[k];
      if (v == -1) unset = true;
      else if (!IndexInRange(v, vertexCount)) return false;
      if (normalCount != 0 && n != -1 && !IndexInRange(n, normalCount)) return false;
      out.vertexIndex[k] = v;
      out.normalIndex[k] = n;
    }
    out.facetNormalIndex = static_cast<int32_t>(t);
    normals[t] = unset ? up
                       : CZtModel::FacetNormalOf(vertices[in.vertexIndex[0]], vertices[in.vertexIndex[1]],
                                                 vertices[in.vertexIndex[2]]);
  }
  return true;
}

std::wstring GroupName(HGLOBAL nameBlock) {
  if (!nameBlock) return kUnnamedGroup;
  LockedBlock locked(nameBlock);
  const char* text = locked.As<char>();
  if (!text) return kUnnamedGroup;
  return WideFromUtf8(std::string_view(text, strnlen(text, GlobalSize(nameBlock))));
}

void CopyMaterial(const ModelExchangeGroup& in, CZtMaterial& out) {
  std::memcpy(out.ambient, in.ambient, sizeof out.ambient);
  std::memcpy(out.diffuse, in.diffuse, sizeof out.diffuse);
  std::memcpy(out.specular, in.specular, sizeof out.specular);
  out.shininess = in.shininess;
}

bool CopyGroups(const ModelExchangeRecord& record, CZtModel& model) {
  for (CZtGroup* group : model.groups) delete group;
  model.groups.clear();
  if (record.groupCount == 0) return true;
  LockedBlock locked(record.groupBlock);
  if (!locked.Holds(record.groupCount, sizeof(ModelExchangeGroup))) return false;
  const auto* groups = locked.As<ModelExchangeGroup>();
  model.groups.reserve(record.groupCount);
  for (uint32_t g = 0; g < record.groupCount; ++g) {
    const ModelExchangeGroup& in = groups[g];
    auto* group = new CZtGroup;
    model.groups.push_back(group);
    group->name = GroupName(in.nameBlock);
    group->model = &model;
    CopyMaterial(in, group->material);
    if (in.indexCount == 0) continue;
    LockedBlock indices(in.indexBlock);
    if (!indices.Holds(in.indexCount, sizeof(uint32_t))) return false;
    const uint32_t* first = indices.As<uint32_t>();
    for (uint32_t i = 0; i < in.indexCount; ++i)
      if (first[i] >= record.triangleCount) return false;
    ReserveForFill(group->triangleIndices, in.indexCount);
    group->triangleIndices.assign(first, first + in.indexCount);
  }
  return true;
}

}  // namespace

int ModelFromExchangeRecord(ModelExchangeRecord* record, CZtModel* model) {
  if (!record || !model || record->vertexCount == 0) return -1;
  if (!CopyVertices(record->vertexBlock, record->vertexCount, model->vertices)) return -1;
  if (!CopyVertices(record->normalBlock, record->normalCount, model->vertexNormals)) return -1;
  if (!CopyTriangles(*record, *model)) return -1;
  if (!CopyGroups(*record, *model)) return -1;
  return 1;
}

namespace {

// Cuts UTF-8 text to at most maxBytes without splitting a character.
size_t Utf8PrefixLength(const std::string& text, size_t maxBytes) {
  if (text.size() <= maxBytes) return text.size();
  size_t length = maxBytes;
  while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
  return length;
}

bool WriteGroup(const CZtGroup& group, ModelExchangeGroup& out) {
  char* name;
  uint32_t* indices;
  const auto indexCount = static_cast<uint32_t>(group.triangleIndices.size());
  if (InitModelExchangeGroup(&out, &name, indexCount, &indices) != 1) return false;
  const std::string narrow = Utf8FromWide(group.name);
  const size_t length = Utf8PrefixLength(narrow, MODEL_EXCHANGE_GROUP_NAME_SIZE - 1);
  std::memset(name, 0, MODEL_EXCHANGE_GROUP_NAME_SIZE);
  std::memcpy(name, narrow.data(), length);
  if (indexCount) std::memcpy(indices, group.triangleIndices.data(), indexCount * sizeof(uint32_t));
  std::memcpy(out.ambient, group.material.ambient, sizeof out.ambient);
  std::memcpy(out.diffuse, group.material.diffuse, sizeof out.diffuse);
  std::memcpy(out.specular, group.material.specular, sizeof out.specular);
  out.shininess = group.material.shininess;
  return true;
}

}  // namespace

int ModelToExchangeRecord(const CZtModel* model, ModelExchangeRecord* record) {
  if (!model || !record) return -1;
  ModelExchangeVertex* vertices;
  ModelExchangeVertex* normals;
  ModelExchangeTriangle* triangles;
  ModelExchangeGroup* groups;
  const auto groupCount = static_cast<uint32_t>(model->groups.size());
  if (AllocModelExchangeRecord(record, static_cast<uint32_t>(model->vertices.size()), &vertices,
                               static_cast<uint32_t>(model->vertexNormals.size()), &normals,
                               static_cast<uint32_t>(model->triangles.size()), &triangles, groupCount,
                               &groups) != 1)
    return -1;
  if (!model->vertices.empty())
    std::memcpy(vertices, model->vertices.data(), model->vertices.size() * sizeof(ModelExchangeVertex));
  if (!model->vertexNormals.empty())
    std::memcpy(normals, model->vertexNormals.data(), model->vertexNormals.size() * sizeof(ModelExchangeVertex));
  for (size_t t = 0; t < model->triangles.size(); ++t) {
    std::memcpy(triangles[t].vertexIndex, model->triangles[t].vertexIndex, sizeof triangles[t].vertexIndex);
    std::memcpy(triangles[t].normalIndex, model->triangles[t].normalIndex, sizeof triangles[t].normalIndex);
  }
  // Groups are written last to first: model group k goes to slot count-1-k.
  for (uint32_t k = 0; k < groupCount; ++k) {
    if (!WriteGroup(*model->groups[k], groups[groupCount - 1 - k])) {
      FreeModelExchangeRecord(record);
      return -1;
    }
  }
  UnlockModelExchangeRecord(record);
  return 1;
}
