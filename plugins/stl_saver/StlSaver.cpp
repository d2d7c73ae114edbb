// Export plug-in: writes a model-exchange record as a binary STL file.
//
// The file is written under a temporary name beside the target and renamed
// into place only when complete, so a failure or a cancel never leaves a
// partial file behind.  Triangles are written in record order; the facet
// normal is computed from the corners, as readers that use it expect.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

#include "plugin_interface/ModelExchange.h"

#define STLSAVER_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr uint32_t kProgressStep = 10000;
constexpr size_t kFacetBytes = 50;
constexpr size_t kFacetsPerWrite = 4096;

bool HasStlExtension(const char* path) {
  const char* slash = std::strrchr(path, '/');
  const char* name = slash ? slash + 1 : path;
  const char* dot = std::strrchr(name, '.');
  return dot && dot != name && strcasecmp(dot, ".stl") == 0;
}

void PutFloat(unsigned char* out, float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  for (int i = 0; i < 4; ++i) out[i] = static_cast<unsigned char>(bits >> (8 * i));
}

void PutUInt32(unsigned char* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<unsigned char>(value >> (8 * i));
}

// Unit normal of (b - a) x (c - b); zero for a degenerate facet.
void FacetNormal(const ModelExchangeVertex& a, const ModelExchangeVertex& b, const ModelExchangeVertex& c,
                 float normal[3]) {
  const double u[3] = {double(b.x) - a.x, double(b.y) - a.y, double(b.z) - a.z};
  const double v[3] = {double(c.x) - b.x, double(c.y) - b.y, double(c.z) - b.z};
  const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
  const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  for (int i = 0; i < 3; ++i) normal[i] = length > 0.0 ? static_cast<float>(n[i] / length) : 0.0f;
}

// The record's blocks locked for reading; unlocked again on scope exit.
class LockedRecord {
public:
  explicit LockedRecord(ModelExchangeRecord* record) : m_record(record) {
    vertices = static_cast<const ModelExchangeVertex*>(GlobalLock(record->vertexBlock));
    triangles = static_cast<const ModelExchangeTriangle*>(GlobalLock(record->triangleBlock));
    groups = static_cast<const ModelExchangeGroup*>(GlobalLock(record->groupBlock));
  }
  ~LockedRecord() {
    if (vertices) GlobalUnlock(m_record->vertexBlock);
    if (triangles) GlobalUnlock(m_record->triangleBlock);
    if (groups) GlobalUnlock(m_record->groupBlock);
  }
  LockedRecord(const LockedRecord&) = delete;
  LockedRecord& operator=(const LockedRecord&) = delete;

  // True when every block holds what its count announces.
  bool Consistent() const {
    const ModelExchangeRecord& r = *m_record;
    return (r.vertexCount == 0 || (vertices && GlobalSize(r.vertexBlock) / sizeof(ModelExchangeVertex) >= r.vertexCount)) &&
           (r.triangleCount == 0 ||
            (triangles && GlobalSize(r.triangleBlock) / sizeof(ModelExchangeTriangle) >= r.triangleCount)) &&
           (r.groupCount == 0 || (groups && GlobalSize(r.groupBlock) / sizeof(ModelExchangeGroup) >= r.groupCount));
  }

  const ModelExchangeVertex* vertices = nullptr;
  const ModelExchangeTriangle* triangles = nullptr;
  const ModelExchangeGroup* groups = nullptr;

private:
  ModelExchangeRecord* m_record;
};

// The 80-byte header: the first group's name, else a fixed text.  A name
// that starts with "solid" is avoided: some readers take such a file for
// ASCII.
void MakeHeader(const LockedRecord& locked, uint32_t groupCount, unsigned char header[80]) {
  std::memset(header, 0, 80);
  std::string text = "Pilvo binary STL";
  if (groupCount > 0 && locked.groups[0].nameBlock) {
    HGLOBAL nameBlock = locked.groups[0].nameBlock;
    if (const char* name = static_cast<const char*>(GlobalLock(nameBlock))) {
      text.assign(name, strnlen(name, GlobalSize(nameBlock)));
      GlobalUnlock(nameBlock);
    }
  }
  if (text.compare(0, 5, "solid") == 0) text.insert(0, "_");
  std::memcpy(header, text.data(), text.size() < 80 ? text.size() : 80);
}

bool TriangleInRange(const ModelExchangeTriangle& t, uint32_t vertexCount) {
  for (int k = 0; k < 3; ++k)
    if (t.vertexIndex[k] < 0 || static_cast<uint32_t>(t.vertexIndex[k]) >= vertexCount) return false;
  return true;
}

// Writes the facets; returns 1, 0 (cancelled) or -1.
int WriteFacets(std::FILE* file, const ModelExchangeRecord& record, const LockedRecord& locked,
                ProgressCallback callback) {
  std::vector<unsigned char> buffer(kFacetsPerWrite * kFacetBytes);
  size_t used = 0;
  for (uint32_t i = 0; i < record.triangleCount; ++i) {
    if (callback && i % kProgressStep == 0 && callback(static_cast<int>(i), static_cast<int>(record.triangleCount)) == 0)
      return 0;
    const ModelExchangeTriangle& t = locked.triangles[i];
    if (!TriangleInRange(t, record.vertexCount)) return -1;
    const ModelExchangeVertex* corner[3] = {&locked.vertices[t.vertexIndex[0]], &locked.vertices[t.vertexIndex[1]],
                                             &locked.vertices[t.vertexIndex[2]]};
    unsigned char* out = buffer.data() + used;
    float normal[3];
    FacetNormal(*corner[0], *corner[1], *corner[2], normal);
    for (int k = 0; k < 3; ++k) PutFloat(out + 4 * k, normal[k]);
    for (int c = 0; c < 3; ++c) {
      PutFloat(out + 12 + 12 * c, corner[c]->x);
      PutFloat(out + 16 + 12 * c, corner[c]->y);
      PutFloat(out + 20 + 12 * c, corner[c]->z);
    }
    out[48] = out[49] = 0;
    used += kFacetBytes;
    if (used == buffer.size()) {
      if (std::fwrite(buffer.data(), 1, used, file) != used) return -1;
      used = 0;
    }
  }
  if (used && std::fwrite(buffer.data(), 1, used, file) != used) return -1;
  return 1;
}

}  // namespace

STLSAVER_EXPORT int GetFilterInfo(HGLOBAL* filterText, HGLOBAL* pattern) {
  if (!filterText || !pattern) return 0;
  HGLOBAL text = AllocTextBlock("STL ファイル (*.stl)");
  HGLOBAL patternBlock = AllocTextBlock("*.stl");
  if (!text || !patternBlock) {
    GlobalFree(text);
    GlobalFree(patternBlock);
    return 0;
  }
  *filterText = text;
  *pattern = patternBlock;
  return 1;
}

STLSAVER_EXPORT int GetDefExt(HGLOBAL* extension) {
  if (!extension) return 0;
  *extension = AllocTextBlock("stl");
  return *extension ? 1 : 0;
}

STLSAVER_EXPORT int IsSupported(const char* path) { return path && HasStlExtension(path) ? 1 : 0; }

STLSAVER_EXPORT int SaveModel(const char* path, ProgressCallback callback, ModelExchangeRecord* record) {
  if (!path || !*path || !record) return -1;
  LockedRecord locked(record);
  if (!locked.Consistent()) return -1;

  const std::string temporary = std::string(path) + ".part";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) return -1;
  unsigned char header[84];
  MakeHeader(locked, record->groupCount, header);
  PutUInt32(header + 80, record->triangleCount);
  int result = std::fwrite(header, 1, sizeof header, file) == sizeof header ? 1 : -1;
  if (result == 1) result = WriteFacets(file, *record, locked, callback);
  if (std::fclose(file) != 0 && result == 1) result = -1;
  if (result == 1 && std::rename(temporary.c_str(), path) != 0) result = -1;
  if (result != 1) unlink(temporary.c_str());
  return result;
}
