// Plug-ins that misbehave on purpose, one per FAKE_* definition, for the
// tests of plug-in discovery and of the import pipeline's failure paths.
#include <cstring>

#include "plugin_interface/ModelExchange.h"

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

#if defined(FAKE_ZERO_VERTICES) || defined(FAKE_FAILING) || defined(FAKE_BAD_INDEX) || defined(FAKE_GARBAGE_FILTER) || \
    defined(FAKE_THREE_GROUPS)

FAKE_EXPORT int GetFilterInfo(HGLOBAL* text, HGLOBAL* pattern) {
  if (!text || !pattern) return 0;
#if defined(FAKE_GARBAGE_FILTER)
  // Handles that are no blocks, and a block without a terminating NUL.
  static char notABlock[64] = "not a block";
  *text = reinterpret_cast<HGLOBAL>(notABlock);
  *pattern = GlobalAlloc(GHND, 8);
  std::memset(GlobalLock(*pattern), 'x', 8);
  GlobalUnlock(*pattern);
#else
  *text = AllocTextBlock("Fake (*.fake)");
  *pattern = AllocTextBlock("*.fake");
#endif
  return 1;
}

FAKE_EXPORT int IsSupported(const char* path) {
  const char* dot = path ? std::strrchr(path, '.') : nullptr;
  return dot && std::strcmp(dot, ".fake") == 0;
}

FAKE_EXPORT int LoadModel(const char* path, ProgressCallback callback, ModelExchangeRecord* record) {
  if (!path || !record) return -1;
  std::memset(record, 0, sizeof *record);
#if defined(FAKE_ZERO_VERTICES)
  // Claims success with a record that holds no vertices.
  return 1;
#elif defined(FAKE_BAD_INDEX)
  // One triangle whose last corner points past the two vertices.
  ModelExchangeVertex* vertices;
  ModelExchangeTriangle* triangles;
  ModelExchangeGroup* groups;
  if (AllocModelExchangeRecord(record, 2, &vertices, 0, nullptr, 1, &triangles, 1, &groups) != 1) return -1;
  triangles[0] = {{0, 1, 2}, {0, 0, 0}};
  uint32_t* indices;
  char* name;
  InitModelExchangeGroup(&groups[0], &name, 1, &indices);
  indices[0] = 0;
  UnlockModelExchangeRecord(record);
  return 1;
#elif defined(FAKE_THREE_GROUPS)
  // Three groups of which the middle one is empty; no materials of their own.
  ModelExchangeVertex* vertices;
  ModelExchangeTriangle* triangles;
  ModelExchangeGroup* groups;
  if (AllocModelExchangeRecord(record, 3, &vertices, 0, nullptr, 2, &triangles, 3, &groups) != 1) return -1;
  vertices[0] = {0, 0, 0};
  vertices[1] = {1, 0, 0};
  vertices[2] = {0, 1, 0};
  triangles[0] = {{0, 1, 2}, {0, 0, 0}};
  triangles[1] = {{0, 2, 1}, {0, 0, 0}};
  const uint32_t sizes[3] = {1, 0, 1};
  for (uint32_t g = 0; g < 3; ++g) {
    uint32_t* indices;
    char* name;
    if (InitModelExchangeGroup(&groups[g], &name, sizes[g], &indices) != 1) {
      FreeModelExchangeRecord(record);
      return -1;
    }
    if (sizes[g]) indices[0] = g == 0 ? 0 : 1;
  }
  UnlockModelExchangeRecord(record);
  return 1;
#else
  (void)callback;
  return -1;
#endif
}

#elif defined(FAKE_NO_ENTRY_POINTS)

FAKE_EXPORT int SomethingElse() { return 42; }

#endif
