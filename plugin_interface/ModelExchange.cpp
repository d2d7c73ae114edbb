// Record helpers shared by the viewer and every plug-in built from this folder.
#include "plugin_interface/ModelExchange.h"

#include <cstring>
#include <limits>

namespace {

const char kDefaultGroupName[] = "(NoName)";

// Allocates count entries of entrySize bytes and returns the block locked;
// a zero count allocates nothing and succeeds.  Fails when the byte size
// overflows size_t, so a hostile count cannot wrap into a small block.
bool AllocLockedArray(uint32_t count, size_t entrySize, HGLOBAL* block, void** address) {
  *block = nullptr;
  *address = nullptr;
  if (count == 0) return true;
  if (count > std::numeric_limits<size_t>::max() / entrySize) return false;
  *block = GlobalAlloc(GHND, static_cast<size_t>(count) * entrySize);
  if (!*block) return false;
  *address = GlobalLock(*block);
  return true;
}

void SetDefaultMaterial(ModelExchangeGroup* group) {
  const float ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
  const float diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
  const float specular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  std::memcpy(group->ambient, ambient, sizeof ambient);
  std::memcpy(group->diffuse, diffuse, sizeof diffuse);
  std::memcpy(group->specular, specular, sizeof specular);
  group->shininess = 0.0f;
}

void UnlockCompletely(HGLOBAL block) {
  if (!block || GlobalSize(block) == 0) return;
  for (unsigned int count = GlobalFlags(block) & GMEM_LOCKCOUNT; count > 0; --count)
    GlobalUnlock(block);
}

// Locks the group block and returns its groups.  The count never exceeds
// what the block holds, whatever groupCount a plug-in left behind.
ModelExchangeGroup* LockGroups(const ModelExchangeRecord* record, size_t* count) {
  const size_t slots = GlobalSize(record->groupBlock) / sizeof(ModelExchangeGroup);
  *count = record->groupCount < slots ? record->groupCount : slots;
  return static_cast<ModelExchangeGroup*>(GlobalLock(record->groupBlock));
}

template <typename T>
void ClearOut(T** out) {
  if (out) *out = nullptr;
}

template <typename T>
void StoreOut(T** out, void* address) {
  if (out) *out = static_cast<T*>(address);
}

}  // namespace

extern "C" int AllocModelExchangeRecord(ModelExchangeRecord* record, uint32_t vertexCount,
                                        ModelExchangeVertex** vertices, uint32_t normalCount,
                                        ModelExchangeVertex** normals, uint32_t triangleCount,
                                        ModelExchangeTriangle** triangles, uint32_t groupCount,
                                        ModelExchangeGroup** groups) {
  ClearOut(vertices);
  ClearOut(normals);
  ClearOut(triangles);
  ClearOut(groups);
  if (!record) return -1;
  std::memset(record, 0, sizeof *record);
  record->vertexCount = vertexCount;
  record->normalCount = normalCount;
  record->triangleCount = triangleCount;
  record->groupCount = groupCount;

  void* vertexAddress;
  void* normalAddress;
  void* triangleAddress;
  void* groupAddress;
  const bool allocated =
      AllocLockedArray(vertexCount, MODEL_EXCHANGE_VERTEX_SIZE, &record->vertexBlock, &vertexAddress) &&
      AllocLockedArray(normalCount, MODEL_EXCHANGE_NORMAL_SIZE, &record->normalBlock, &normalAddress) &&
      AllocLockedArray(triangleCount, MODEL_EXCHANGE_TRIANGLE_SIZE, &record->triangleBlock,
                       &triangleAddress) &&
      AllocLockedArray(groupCount, sizeof(ModelExchangeGroup), &record->groupBlock, &groupAddress);
  if (!allocated) {
    // The group block, if any, is still zero-filled: no group blocks to free.
    FreeModelExchangeRecord(record);
    return -1;
  }
  StoreOut(vertices, vertexAddress);
  StoreOut(normals, normalAddress);
  StoreOut(triangles, triangleAddress);
  StoreOut(groups, groupAddress);
  return 1;
}

extern "C" int InitModelExchangeGroup(ModelExchangeGroup* group, char** name, uint32_t indexCount,
                                      uint32_t** indices) {
  ClearOut(name);
  ClearOut(indices);
  if (!group) return -1;
  std::memset(group, 0, sizeof *group);
  group->nameBlock = GlobalAlloc(GHND, MODEL_EXCHANGE_GROUP_NAME_SIZE);
  void* indexAddress = nullptr;
  if (!group->nameBlock ||
      !AllocLockedArray(indexCount, sizeof(uint32_t), &group->indexBlock, &indexAddress)) {
    FreeModelExchangeGroup(group);
    return -1;
  }
  group->indexCount = indexCount;
  char* nameAddress = static_cast<char*>(GlobalLock(group->nameBlock));
  std::memcpy(nameAddress, kDefaultGroupName, sizeof kDefaultGroupName);
  SetDefaultMaterial(group);
  StoreOut(name, nameAddress);
  StoreOut(indices, indexAddress);
  return 1;
}

extern "C" void FreeModelExchangeGroup(ModelExchangeGroup* group) {
  if (!group) return;
  group->nameBlock = GlobalFree(group->nameBlock);
  group->indexBlock = GlobalFree(group->indexBlock);
  group->indexCount = 0;
}

extern "C" int FreeModelExchangeRecord(ModelExchangeRecord* record) {
  if (!record) return -1;
  record->vertexBlock = GlobalFree(record->vertexBlock);
  record->vertexCount = 0;
  record->normalBlock = GlobalFree(record->normalBlock);
  record->normalCount = 0;
  record->triangleBlock = GlobalFree(record->triangleBlock);
  record->triangleCount = 0;
  if (record->groupBlock) {
    size_t walk;
    ModelExchangeGroup* groups = LockGroups(record, &walk);
    for (size_t g = 0; g < walk; ++g) FreeModelExchangeGroup(&groups[g]);
    GlobalUnlock(record->groupBlock);
  }
  record->groupBlock = GlobalFree(record->groupBlock);
  record->groupCount = 0;
  return 1;
}

extern "C" int UnlockModelExchangeRecord(ModelExchangeRecord* record) {
  if (!record) return -1;
  UnlockCompletely(record->vertexBlock);
  UnlockCompletely(record->normalBlock);
  UnlockCompletely(record->triangleBlock);
  if (record->groupBlock && GlobalSize(record->groupBlock) != 0) {
    size_t walk;
    ModelExchangeGroup* groups = LockGroups(record, &walk);
    for (size_t g = 0; g < walk; ++g) {
      UnlockCompletely(groups[g].nameBlock);
      UnlockCompletely(groups[g].indexBlock);
    }
    GlobalUnlock(record->groupBlock);
    UnlockCompletely(record->groupBlock);
  }
  return 1;
}

extern "C" HGLOBAL AllocTextBlock(const char* text) {
  if (!text) return nullptr;
  const size_t size = std::strlen(text) + 1;
  HGLOBAL block = GlobalAlloc(GHND, size);
  if (!block) return nullptr;
  std::memcpy(GlobalLock(block), text, size);
  GlobalUnlock(block);
  return block;
}
