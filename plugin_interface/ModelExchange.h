/*
 * ModelExchange.h - everything a plug-in author needs to talk to the viewer.
 *
 * A triangle mesh crosses the boundary between the viewer and a plug-in as a
 * ModelExchangeRecord whose arrays live in movable memory blocks.  Whoever
 * fills a record allocates its blocks (the import plug-in on import, the viewer
 * on export); the viewer always frees them in the end.  A block handed across
 * the boundary is unlocked.
 *
 * Results are ints: 1 success, 0 cancelled by the user through the progress
 * callback (nothing left allocated), -1 (or anything else) failure.
 *
 * Narrow strings (paths, filter texts, group names) are UTF-8.
 *
 * The declarations are plain C.  A plug-in compiles MemoryBlock.cpp and
 * ModelExchange.cpp from this folder into itself; the blocks come from the
 * process heap that the viewer and every plug-in share.  The layout of a
 * block (a 32-byte header of magic, size and lock count, then the data) is
 * therefore part of the binary interface, as the record layouts are: it
 * never changes, so plug-ins built against this header keep working.
 */
#ifndef PILVO_MODEL_EXCHANGE_H
#define PILVO_MODEL_EXCHANGE_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- movable memory blocks ------------------------------------------- */

/* Opaque, pointer-sized handle of a movable block; NULL means "no block". */
typedef struct PilvoMemoryBlockHeader* HGLOBAL;

#define GMEM_FIXED 0x0000u
#define GMEM_MOVEABLE 0x0002u
#define GMEM_ZEROINIT 0x0040u
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define GMEM_LOCKCOUNT 0x00FFu

/* Allocates a block of size bytes, zero-filled (every block is zero-filled,
   whatever the flags).  Returns NULL when the memory is not available. */
HGLOBAL GlobalAlloc(unsigned int flags, size_t size);
/* Returns the block's data address and raises its lock count; NULL for a
   null handle.  The address stays valid while the block is locked. */
void* GlobalLock(HGLOBAL block);
/* Lowers the lock count.  Returns non-zero while the block is still locked,
   0 once the count reaches 0 (or for a null handle). */
int GlobalUnlock(HGLOBAL block);
/* Size in bytes given at allocation; 0 for a null handle. */
size_t GlobalSize(HGLOBAL block);
/* Lock count in the low byte (saturated at 255). */
unsigned int GlobalFlags(HGLOBAL block);
/* Releases the block, locked or not.  Returns NULL (as the platform call
   does on success).  A null handle does nothing. */
HGLOBAL GlobalFree(HGLOBAL block);

/* ---- the exchange record --------------------------------------------- */

/* One group of triangles with its OpenGL-style material. */
typedef struct ModelExchangeGroup {
  HGLOBAL nameBlock;   /* exactly 256 bytes, NUL-terminated UTF-8 name */
  uint32_t indexCount; /* number of triangles in the group */
  HGLOBAL indexBlock;  /* indexCount uint32 indices into the triangle block */
  float ambient[4];    /* RGBA */
  float diffuse[4];
  float specular[4];
  float shininess;
} ModelExchangeGroup;

/* A whole mesh.  Entry sizes: vertex and normal 12 bytes (x, y, z floats),
   triangle 24 bytes (vertex index 0..2, normal index 0..2 as int32),
   group sizeof(ModelExchangeGroup). */
typedef struct ModelExchangeRecord {
  uint32_t vertexCount;
  HGLOBAL vertexBlock;
  uint32_t normalCount;
  HGLOBAL normalBlock;
  uint32_t triangleCount;
  HGLOBAL triangleBlock;
  uint32_t groupCount;
  HGLOBAL groupBlock;
} ModelExchangeRecord;

#define MODEL_EXCHANGE_VERTEX_SIZE 12u
#define MODEL_EXCHANGE_NORMAL_SIZE 12u
#define MODEL_EXCHANGE_TRIANGLE_SIZE 24u
#define MODEL_EXCHANGE_GROUP_NAME_SIZE 256u

/* Vertex and normal entries as laid out in their blocks. */
typedef struct ModelExchangeVertex {
  float x, y, z;
} ModelExchangeVertex;

/* Triangle entries as laid out in the triangle block; -1 marks an unset index. */
typedef struct ModelExchangeTriangle {
  int32_t vertexIndex[3];
  int32_t normalIndex[3];
} ModelExchangeTriangle;

#if defined(__cplusplus)
static_assert(sizeof(ModelExchangeRecord) == 8 * sizeof(void*), "record layout");
static_assert(sizeof(void*) != 8 || sizeof(ModelExchangeRecord) == 64, "record layout");
static_assert(sizeof(void*) != 8 || sizeof(ModelExchangeGroup) == 80, "group layout");
static_assert(sizeof(ModelExchangeVertex) == MODEL_EXCHANGE_VERTEX_SIZE, "vertex layout");
static_assert(sizeof(ModelExchangeTriangle) == MODEL_EXCHANGE_TRIANGLE_SIZE, "triangle layout");
#endif

/* Called by a plug-in while it works.  Returns 0 when the user asked to stop:
   the plug-in then frees what it allocated and returns 0.  current = -1 and
   total = -1 are reserved for the viewer itself; a plug-in never passes -1. */
typedef int (*ProgressCallback)(int current, int total);

/* ---- plug-in entry points (exported as extern "C", undecorated) --------

   Import plug-in:
     int GetFilterInfo(HGLOBAL* filterText, HGLOBAL* pattern);
     int IsSupported(const char* path);
     int LoadModel(const char* path, ProgressCallback callback,
                   ModelExchangeRecord* record);
   Export plug-in:
     int GetFilterInfo(HGLOBAL* filterText, HGLOBAL* pattern);
     int GetDefExt(HGLOBAL* extension);
     int IsSupported(const char* path);
     int SaveModel(const char* path, ProgressCallback callback,
                   ModelExchangeRecord* record);
   NC check plug-in:
     int GetPluginInfo(HGLOBAL* name, HGLOBAL* description, double* referenceValue);
     int CheckNcCode(const void* ncCodes, uint32_t* hitCount, HGLOBAL* hits,
                     double referenceValue);
*/
typedef int (*GetFilterInfoFunction)(HGLOBAL* filterText, HGLOBAL* pattern);
typedef int (*IsSupportedFunction)(const char* path);
typedef int (*LoadModelFunction)(const char* path, ProgressCallback callback,
                                 ModelExchangeRecord* record);
typedef int (*GetDefExtFunction)(HGLOBAL* extension);
typedef int (*SaveModelFunction)(const char* path, ProgressCallback callback,
                                 ModelExchangeRecord* record);
typedef int (*GetPluginInfoFunction)(HGLOBAL* name, HGLOBAL* description,
                                     double* referenceValue);
typedef int (*CheckNcCodeFunction)(const void* ncCodes, uint32_t* hitCount,
                                   HGLOBAL* hits, double referenceValue);

/* ---- record helpers --------------------------------------------------- */

/* Zeroes the record, stores the counts and allocates one block per non-zero
   count (entry sizes above).  Every allocated block is returned locked through
   its out-pointer (each out-pointer may be NULL; those given are cleared
   first).  Returns 1, or -1 for a null record or a failed allocation (then
   everything allocated is freed and the record is all zero).  Counts whose
   byte size does not fit in size_t fail like an allocation. */
int AllocModelExchangeRecord(ModelExchangeRecord* record,
                             uint32_t vertexCount, ModelExchangeVertex** vertices,
                             uint32_t normalCount, ModelExchangeVertex** normals,
                             uint32_t triangleCount, ModelExchangeTriangle** triangles,
                             uint32_t groupCount, ModelExchangeGroup** groups);

/* Zeroes the group, allocates its 256-byte name block and (for a non-zero
   indexCount) its index block, returns both locked, writes "(NoName)" and the
   default material.  Returns 1, or -1 for a null group or a failed
   allocation (the group's own blocks are then freed). */
int InitModelExchangeGroup(ModelExchangeGroup* group, char** name,
                           uint32_t indexCount, uint32_t** indices);

/* Frees the group's name and index blocks and zeroes indexCount. */
void FreeModelExchangeGroup(ModelExchangeGroup* group);

/* Frees every block of the record (groups included) and zeroes the counts.
   Safe on an all-zero record.  Returns 1, or -1 for a null record. */
int FreeModelExchangeRecord(ModelExchangeRecord* record);

/* Unlocks every block of the record as often as it is locked.  Returns 1,
   or -1 for a null record. */
int UnlockModelExchangeRecord(ModelExchangeRecord* record);

/* Copies text into a new zero-filled block sized to the text plus its NUL
   and returns it unlocked; NULL on failure.  For GetFilterInfo and friends. */
HGLOBAL AllocTextBlock(const char* text);

#ifdef __cplusplus
}
#endif

#endif /* PILVO_MODEL_EXCHANGE_H */
