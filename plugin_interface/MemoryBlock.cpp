// Movable memory blocks on the process heap.
//
// A handle points at a small header (magic, size, lock count) followed by the
// data.
// Blocks never move here, so "movable" only means that the data address is
// valid while the block is locked; callers that follow that rule keep working
// on a platform where blocks do move.
#include "plugin_interface/ModelExchange.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

struct PilvoMemoryBlockHeader {
  uint64_t magic;  // tells a block of this layer from a stray pointer
  size_t size;
  unsigned int lockCount;
  // Keeps the data that follows the header aligned like malloc's own blocks.
  alignas(std::max_align_t) unsigned char data[1];
};

namespace {

constexpr size_t kHeaderSize = offsetof(PilvoMemoryBlockHeader, data);
constexpr uint64_t kBlockMagic = 0x4B4C424F564C4950ull;  // "PILVOBLK"

// A handle that does not carry the magic (garbage from a faulty plug-in, or
// a block freed already) is treated like no block at all.
bool IsBlock(HGLOBAL block) { return block && block->magic == kBlockMagic; }

}  // namespace

extern "C" HGLOBAL GlobalAlloc(unsigned int /*flags*/, size_t size) {
  if (size > std::numeric_limits<size_t>::max() - kHeaderSize) return nullptr;
  // calloc hands out fresh zero pages for large blocks without touching them.
  void* memory = std::calloc(1, kHeaderSize + size);
  if (!memory) return nullptr;
  auto* block = static_cast<PilvoMemoryBlockHeader*>(memory);
  block->magic = kBlockMagic;
  block->size = size;
  block->lockCount = 0;
  return block;
}

extern "C" void* GlobalLock(HGLOBAL block) {
  if (!IsBlock(block)) return nullptr;
  ++block->lockCount;
  return block->data;
}

extern "C" int GlobalUnlock(HGLOBAL block) {
  if (!IsBlock(block) || block->lockCount == 0) return 0;
  --block->lockCount;
  return block->lockCount != 0;
}

extern "C" size_t GlobalSize(HGLOBAL block) { return IsBlock(block) ? block->size : 0; }

extern "C" unsigned int GlobalFlags(HGLOBAL block) {
  if (!IsBlock(block)) return 0;
  return block->lockCount > GMEM_LOCKCOUNT ? GMEM_LOCKCOUNT : block->lockCount;
}

extern "C" HGLOBAL GlobalFree(HGLOBAL block) {
  if (!IsBlock(block)) return nullptr;
  block->magic = 0;  // makes a stale copy of the handle unlikely to pass for a block
  std::free(block);
  return nullptr;
}
