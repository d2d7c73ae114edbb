// Fuzzes the STL plug-in with arbitrary files.
//
// Each input becomes the content of an in-memory file that LoadModel reads
// through its /proc/self/fd path, so both forms, the counting pass and the
// rewinds run exactly as on disk.  The record is then checked against what
// the viewer relies on, and freed; the sanitizers catch the rest (bad
// accesses, leaks of blocks on any path).
//
// Inputs whose size is 3 modulo 7 cancel at the first progress call, so the
// cancel path is fuzzed as well.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "plugin_interface/ModelExchange.h"

extern "C" int LoadModel(const char* path, ProgressCallback callback, ModelExchangeRecord* record);

namespace {

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

// The progress calls of one load: current runs 0, 10000, 20000, ... below a
// constant total.
struct Progress {
  int calls = 0;
  int total = 0;
  bool cancel = false;
};
Progress g_progress;

int OnProgress(int current, int total) {
  Check(current == g_progress.calls * 10000, "progress comes every 10000");
  Check(total > 0 && current < total, "progress below its total");
  Check(g_progress.calls == 0 || total == g_progress.total, "progress total stays the same");
  g_progress.total = total;
  ++g_progress.calls;
  return g_progress.cancel ? 0 : 1;
}

bool IsAllZero(const ModelExchangeRecord& record) {
  const ModelExchangeRecord zero{};
  return std::memcmp(&record, &zero, sizeof zero) == 0;
}

bool Unlocked(HGLOBAL block) { return (GlobalFlags(block) & GMEM_LOCKCOUNT) == 0; }

// What a successful load hands the viewer: one vertex triple per triangle,
// no normals, one group over every triangle, every block sized to its count
// and unlocked, every index inside its array.
void CheckLoaded(ModelExchangeRecord& record) {
  const uint32_t facets = record.triangleCount;
  Check(facets > 0 && record.vertexCount == 3 * facets, "three vertices per facet");
  Check(record.normalCount == 0 && record.normalBlock == nullptr, "no normals");
  Check(record.groupCount == 1, "one group");
  Check(GlobalSize(record.vertexBlock) == size_t{12} * record.vertexCount, "vertex block size");
  Check(GlobalSize(record.triangleBlock) == size_t{24} * facets, "triangle block size");
  Check(GlobalSize(record.groupBlock) == sizeof(ModelExchangeGroup), "group block size");
  Check(Unlocked(record.vertexBlock) && Unlocked(record.triangleBlock) && Unlocked(record.groupBlock),
        "record blocks unlocked");

  auto* group = static_cast<ModelExchangeGroup*>(GlobalLock(record.groupBlock));
  Check(group->indexCount == facets, "group holds every facet");
  Check(GlobalSize(group->indexBlock) == size_t{4} * facets, "index block size");
  Check(GlobalSize(group->nameBlock) == MODEL_EXCHANGE_GROUP_NAME_SIZE, "name block size");
  Check(Unlocked(group->indexBlock) && Unlocked(group->nameBlock), "group blocks unlocked");

  const auto* name = static_cast<const char*>(GlobalLock(group->nameBlock));
  Check(memchr(name, '\0', MODEL_EXCHANGE_GROUP_NAME_SIZE) != nullptr, "name NUL-terminated");
  GlobalUnlock(group->nameBlock);

  const auto* indices = static_cast<const uint32_t*>(GlobalLock(group->indexBlock));
  for (uint32_t i = 0; i < facets; ++i) Check(indices[i] < facets, "group entry inside the triangles");
  GlobalUnlock(group->indexBlock);
  GlobalUnlock(record.groupBlock);

  const auto* triangles = static_cast<const ModelExchangeTriangle*>(GlobalLock(record.triangleBlock));
  for (uint32_t t = 0; t < facets; ++t) {
    for (int k = 0; k < 3; ++k) {
      Check(triangles[t].vertexIndex[k] >= 0 &&
                static_cast<uint32_t>(triangles[t].vertexIndex[k]) < record.vertexCount,
            "vertex index inside the vertices");
      Check(triangles[t].normalIndex[k] == 0, "normal index 0");
    }
  }
  GlobalUnlock(record.triangleBlock);
}

// The in-memory file, made once; every input replaces its content.
int FileDescriptor() {
  static const int fd = memfd_create("fuzz.stl", MFD_CLOEXEC);
  return fd;
}

bool WriteInput(const uint8_t* data, size_t size) {
  const int fd = FileDescriptor();
  if (fd < 0 || ftruncate(fd, 0) != 0) return false;
  size_t done = 0;
  while (done < size) {
    const ssize_t written = pwrite(fd, data + done, size - done, static_cast<off_t>(done));
    if (written <= 0) return false;
    done += static_cast<size_t>(written);
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!WriteInput(data, size)) std::abort();
  char path[64];
  std::snprintf(path, sizeof path, "/proc/self/fd/%d", FileDescriptor());

  g_progress = Progress{};
  g_progress.cancel = size % 7 == 3;
  ModelExchangeRecord record;
  std::memset(&record, 0xA5, sizeof record);  // the loader must zero it first
  const int result = LoadModel(path, &OnProgress, &record);

  Check(result == 1 || result == 0 || result == -1, "result is 1, 0 or -1");
  if (result == 1) {
    Check(!g_progress.cancel, "a cancelled load does not succeed");
    CheckLoaded(record);
  } else {
    Check(IsAllZero(record), "a failed or cancelled load leaves the record all zero");
  }
  if (result == 0) Check(g_progress.cancel && g_progress.calls == 1, "cancel only when asked, at once");
  FreeModelExchangeRecord(&record);
  Check(IsAllZero(record), "a freed record is all zero");
  return 0;
}
