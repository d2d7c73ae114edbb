// Vertex merge: an open-addressing hash table over the coordinates' bit
// patterns (with -0.0 folded into +0.0), which gives exactly the classes of
// the exact z-y-x float order without the log factor of an ordered set.
// Numbering follows the first occurrence, so the result does not depend on
// the hash.
//
// Corner links: the triangles around each vertex ("fan") are gathered into
// one flat CSR array in descending triangle order, and each fan is linked on
// its own with fan-local link arrays (links only ever join two corners at the
// same vertex).  Small fans are scanned pairwise.  Large fans, where a pairwise
// scan is quadratic, visit only the corners that share the relevant edge,
// found through per-neighbour buckets, and skip the pairings that can no
// longer change anything; the visiting order is the pairwise order, so both
// ways give the same links, including on non-manifold edges.
#include "geometry/ZtMeshAdjacency.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <random>

namespace {

constexpr int32_t kUnlinked = -1;
// Marks a side that took part in a conflict while its fan is being linked;
// turned back into kUnlinked before the fan is written out.
constexpr int32_t kConflict = -2;

// Fans up to this size are scanned pairwise.  Measured over 2M triangles in
// fans of one size: on closed fans in shuffled order the pairwise scan stays
// faster up to about 200 corners, thanks to its early stop; on fans of
// triangles that all share one edge, where nothing stops early, the buckets
// win from about 32.  Real meshes hold about six corners per fan, larger
// ones only at poles and fan-triangulated caps.
constexpr std::size_t kDefaultDirectScanFanLimit = 32;

bool IndexInRange(int32_t index, std::size_t vertexCount) {
  return index >= 0 && static_cast<std::size_t>(index) < vertexCount;
}

bool IsUsable(const CZtIndexedTriangle& t, std::size_t vertexCount) {
  return IndexInRange(t.vertexIndex[0], vertexCount) && IndexInRange(t.vertexIndex[1], vertexCount) &&
         IndexInRange(t.vertexIndex[2], vertexCount);
}

// ---------------------------------------------------------------------------
// Vertex merge

// Bit pattern of a coordinate for equality; replace negative zero with zero so
// that the two compare equal as they do as floats.
uint32_t KeyBits(float f) {
  if (f == 0.0f) f = 0.0f;
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  return bits;
}

struct PointKey {
  uint32_t x, y, z;
  bool operator==(const PointKey&) const = default;
};

PointKey KeyOf(const TZtVector3<float>& p) { return {KeyBits(p.x), KeyBits(p.y), KeyBits(p.z)}; }

// 64-bit finaliser of MurmurHash3, a bijection that spreads every input bit
// over the whole word.
uint64_t Mix(uint64_t h) {
  h ^= h >> 33;
  h *= 0xFF51AFD7ED558CCDull;
  h ^= h >> 33;
  h *= 0xC4CEB9FE1A85EC53ull;
  h ^= h >> 33;
  return h;
}

// The seed is drawn once per process: a file cannot be built to make its
// points collide in the table and the merge quadratic.  Only the time
// depends on it, never the numbering.
uint64_t HashSeed() {
  try {
    std::random_device device;
    return (uint64_t{device()} << 32) | device();
  } catch (...) {  // no entropy source: a fixed seed still gives the right result
    return 0x2545F4914F6CDD1Dull;
  }
}

uint64_t HashOf(const PointKey& k) {
  static const uint64_t seed = HashSeed();
  return Mix(Mix(((uint64_t{k.x} << 32) | k.y) + seed) + k.z);
}

// Set of distinct points, each slot holding the vertex index of the point's
// first occurrence (the representative); -1 is an empty slot.  Linear
// probing, load kept at or below one half.
class RepresentativeTable {
public:
  RepresentativeTable(const std::vector<TZtVector3<float>>& vertices, std::size_t expected)
      : m_vertices(vertices) {
    std::size_t capacity = 16;
    while (capacity < expected * 2) capacity *= 2;
    m_slots.assign(capacity, -1);
  }

  // The representative of vertex i's point, inserting i when the point is
  // new.  hash is HashOf(KeyOf(vertices[i])).
  int32_t FindOrInsert(int32_t i, uint64_t hash) {
    const PointKey key = KeyOf(m_vertices[i]);
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
      const int32_t s = m_slots[slot];
      if (s < 0) {
        m_slots[slot] = i;
        if (++m_count * 2 > m_slots.size()) Grow();
        return i;
      }
      if (KeyOf(m_vertices[s]) == key) return s;
    }
  }

  // Each search waits first for its slot and then for the candidate's
  // coordinates, both at random places; the merge asks for them a few
  // vertices ahead so that the waits overlap.
  void PrefetchSlot(uint64_t hash) const { __builtin_prefetch(&m_slots[hash & (m_slots.size() - 1)]); }
  void PrefetchCandidate(uint64_t hash) const {
    const int32_t s = m_slots[hash & (m_slots.size() - 1)];
    if (s >= 0) __builtin_prefetch(&m_vertices[s]);
  }

private:
  void Grow() {
    std::vector<int32_t> old(m_slots.size() * 2, -1);
    old.swap(m_slots);
    const std::size_t mask = m_slots.size() - 1;
    for (int32_t s : old) {
      if (s < 0) continue;
      std::size_t slot = HashOf(KeyOf(m_vertices[s])) & mask;
      while (m_slots[slot] >= 0) slot = (slot + 1) & mask;
      m_slots[slot] = s;
    }
  }

  const std::vector<TZtVector3<float>>& m_vertices;
  std::vector<int32_t> m_slots;
  std::size_t m_count = 0;
};

bool HasNaN(const TZtVector3<float>& p) { return std::isnan(p.x) || std::isnan(p.y) || std::isnan(p.z); }

// ---------------------------------------------------------------------------
// Corner links

// One corner in a vertex's fan, with the vertices its outgoing edge leads to
// and its incoming edge comes from.
struct FanCorner {
  int32_t corner;  // 3t+k
  int32_t next;    // vertexIndex[k+1 mod 3]
  int32_t prev;    // vertexIndex[k+2 mod 3]
};

// Fan-local link state.  first[p] / second[p] hold the fan position of the
// neighbour across the outgoing / incoming edge of fan corner p, kUnlinked or
// kConflict.  A link always joins one corner's `first` with the other's
// `second`, which is why the two arrays swap roles below.
struct FanLinks {
  std::vector<int32_t> first, second;
  bool conflict = false;

  bool Done(int32_t p) const { return first[p] != kUnlinked && second[p] != kUnlinked; }
};

// Corner c meets the later corner o across one edge: cSide is the side of c
// facing the edge and oSide the opposite side of o.  The side of a linked
// partner that points back at c lies in oSide, and the one pointing back at o
// in cSide.  A side that is already taken makes the edge a conflict: every
// link on it is dropped and both sides are marked.
inline void Meet(int32_t c, int32_t o, int32_t* cSide, int32_t* oSide, bool& conflict) {
  int32_t& cs = cSide[c];
  int32_t& os = oSide[o];
  if (cs == kUnlinked && os == kUnlinked) {
    cs = o;
    os = c;
    return;
  }
  conflict = true;
  if (cs >= 0) oSide[cs] = kConflict;
  if (os >= 0) cSide[os] = kConflict;
  cs = kConflict;
  os = kConflict;
}

// Pairwise scan: every corner against every later one, until both of its
// sides are taken.
void LinkFanDirect(const FanCorner* fan, int32_t m, FanLinks& links) {
  int32_t* first = links.first.data();
  int32_t* second = links.second.data();
  for (int32_t c = 0; c < m; ++c) {
    for (int32_t o = c + 1; o < m && !links.Done(c); ++o) {
      if (fan[c].prev == fan[o].next) Meet(c, o, second, first, links.conflict);
      if (fan[c].next == fan[o].prev) Meet(c, o, first, second, links.conflict);
    }
  }
}

// Scratch of the bucketed scan, sized to the largest fan and reused.  Each
// model vertex that some corner of the fan leads to or comes from gets a
// bucket number; byNext lists the fan positions bucket by bucket of their
// `next` vertex, ascending within a bucket, byPrev the same for `prev`.
struct BucketScratch {
  std::vector<int32_t> bucketOf;    // per model vertex: its bucket in the current fan, or -1
  std::vector<int32_t> neighbours;  // the model vertices that have a bucket, to reset bucketOf
  std::vector<int32_t> byNext, byPrev;
  std::vector<int32_t> nextStart, prevStart;    // bucket u is [start[u], start[u + 1])
  std::vector<int32_t> nextCursor, prevCursor;  // first entry past the corners visited so far
  std::vector<int32_t> skipNext, skipPrev;      // "next candidate" pointers over byNext / byPrev

  void Reserve(std::size_t vertexCount, std::size_t largestFan) {
    bucketOf.assign(vertexCount, -1);
    for (auto* v : {&byNext, &byPrev, &skipNext, &skipPrev}) v->resize(largestFan);
    for (auto* v : {&nextStart, &prevStart}) v->resize(2 * largestFan + 1);
    for (auto* v : {&nextCursor, &prevCursor}) v->resize(2 * largestFan);
    neighbours.reserve(2 * largestFan);
  }
};

// First k in [k, end) whose corner's side is not kConflict, compressing the
// skip pointers on the way.  Marks only ever appear while a fan is linked, so
// a skipped entry stays skipped.
int32_t NextLive(const int32_t* order, int32_t* skip, int32_t k, int32_t end, const int32_t* side) {
  int32_t r = k;
  while (r < end && side[order[r]] == kConflict) r = skip[r];
  while (k < r) {
    const int32_t following = skip[k];
    skip[k] = r;
    k = following;
  }
  return r;
}

// Counting sort of the fan positions by the bucket of their `key` vertex;
// stable, so positions stay ascending within a bucket.
void GroupByBucket(const FanCorner* fan, int32_t m, int32_t FanCorner::*key, const int32_t* bucketOf,
                   int32_t buckets, int32_t* start, int32_t* cursor, int32_t* order) {
  std::fill_n(start, buckets + 1, 0);
  for (int32_t p = 0; p < m; ++p) ++start[bucketOf[fan[p].*key] + 1];
  for (int32_t u = 0; u < buckets; ++u) start[u + 1] += start[u];
  std::copy_n(start, buckets, cursor);
  for (int32_t p = 0; p < m; ++p) order[cursor[bucketOf[fan[p].*key]]++] = p;
  std::copy_n(start, buckets, cursor);
}

// Same result as LinkFanDirect in about linear time.  Corner c only meets
// later corners whose outgoing edge ends where c's incoming edge starts
// (bucket of `next` == c.prev) or whose incoming edge starts where c's
// outgoing edge ends (bucket of `prev` == c.next); they are visited in fan
// order, merged from the two buckets, exactly as the pairwise scan reaches
// them.  Once c's side is kConflict, meeting a corner whose opposite side is
// kConflict too changes nothing, so such corners are skipped; every other
// meeting either settles one of c's sides (at most twice per side) or marks a
// corner kConflict for good, which bounds the work.
void LinkFanBucketed(const FanCorner* fan, int32_t m, FanLinks& links, BucketScratch& s) {
  int32_t* first = links.first.data();
  int32_t* second = links.second.data();

  // number the neighbouring vertices and group the corners by them
  int32_t buckets = 0;
  s.neighbours.clear();
  for (int32_t p = 0; p < m; ++p) {
    for (int32_t v : {fan[p].next, fan[p].prev}) {
      if (s.bucketOf[v] >= 0) continue;
      s.bucketOf[v] = buckets++;
      s.neighbours.push_back(v);
    }
  }
  const int32_t* bucketOf = s.bucketOf.data();
  const int32_t* byNext = s.byNext.data();
  const int32_t* byPrev = s.byPrev.data();
  const int32_t* nextStart = s.nextStart.data();
  const int32_t* prevStart = s.prevStart.data();
  GroupByBucket(fan, m, &FanCorner::next, bucketOf, buckets, s.nextStart.data(), s.nextCursor.data(), s.byNext.data());
  GroupByBucket(fan, m, &FanCorner::prev, bucketOf, buckets, s.prevStart.data(), s.prevCursor.data(), s.byPrev.data());
  for (int32_t k = 0; k < m; ++k) s.skipNext[k] = s.skipPrev[k] = k + 1;

  for (int32_t c = 0; c < m; ++c) {
    if (links.Done(c)) continue;
    // the candidates after c; corners are taken in ascending order, so each
    // bucket's cursor only moves forward
    const int32_t u = bucketOf[fan[c].prev];
    const int32_t w = bucketOf[fan[c].next];
    int32_t& nextCursor = s.nextCursor[u];
    int32_t& prevCursor = s.prevCursor[w];
    const int32_t aEnd = nextStart[u + 1];
    const int32_t bEnd = prevStart[w + 1];
    while (nextCursor < aEnd && byNext[nextCursor] <= c) ++nextCursor;
    while (prevCursor < bEnd && byPrev[prevCursor] <= c) ++prevCursor;
    int32_t a = nextCursor;
    int32_t b = prevCursor;
    while (!links.Done(c)) {
      if (second[c] == kConflict) a = NextLive(byNext, s.skipNext.data(), a, aEnd, first);
      if (first[c] == kConflict) b = NextLive(byPrev, s.skipPrev.data(), b, bEnd, second);
      const int32_t oa = a < aEnd ? byNext[a] : m;
      const int32_t ob = b < bEnd ? byPrev[b] : m;
      const int32_t o = std::min(oa, ob);
      if (o == m) break;
      if (oa == o) {
        Meet(c, o, second, first, links.conflict);
        ++a;
      }
      if (ob == o) {
        Meet(c, o, first, second, links.conflict);
        ++b;
      }
    }
  }
  for (int32_t v : s.neighbours) s.bucketOf[v] = -1;
}

// Turns the conflict marks back into "unlinked" and stores the fan's links
// as corner indices.
void StoreFanLinks(const FanCorner* fan, int32_t m, FanLinks& links,
                   std::vector<std::pair<int32_t, int32_t>>& cornerLinks) {
  for (int32_t p = 0; p < m; ++p) {
    int32_t f = links.first[p];
    int32_t s = links.second[p];
    if (f == kConflict) f = kUnlinked;
    if (s == kConflict) s = kUnlinked;
    cornerLinks[fan[p].corner] = {f >= 0 ? fan[f].corner : f, s >= 0 ? fan[s].corner : s};
  }
}

// The merge and the linking each need one int32 per vertex entry or corner;
// PrepareCornerLinks hands the same buffer to both, since touching fresh
// pages is a large share of the time on models of millions of triangles.

bool MergeVertices(CZtModel* model, std::vector<int32_t>& renumber) {
  if (!model) return false;
  std::vector<TZtVector3<float>>& vertices = model->vertices;
  const std::size_t n = vertices.size();
  if (n > static_cast<std::size_t>(std::numeric_limits<int32_t>::max())) return false;

  // number the distinct points; nothing is changed until this succeeds
  try {
    renumber.resize(n);
    // Files with unshared vertices repeat each point about six times.
    RepresentativeTable table(vertices, n / 4 + 1);
    // hashes of the vertices up to 2 * kAhead ahead, in a ring
    constexpr int32_t kAhead = 8;
    uint64_t hashes[4 * kAhead];
    auto hashAt = [&](int32_t i) -> uint64_t& { return hashes[i % (4 * kAhead)]; };
    const int32_t entries = static_cast<int32_t>(n);
    for (int32_t i = 0; i < std::min(entries, 2 * kAhead); ++i) hashAt(i) = HashOf(KeyOf(vertices[i]));
    int32_t distinct = 0;
    for (int32_t i = 0; i < entries; ++i) {
      if (i < entries - 2 * kAhead) {
        const uint64_t h = HashOf(KeyOf(vertices[i + 2 * kAhead]));
        hashAt(i + 2 * kAhead) = h;
        table.PrefetchSlot(h);
      }
      if (i < entries - kAhead) table.PrefetchCandidate(hashAt(i + kAhead));
      if (HasNaN(vertices[i])) {
        renumber[i] = distinct++;
        continue;
      }
      const int32_t representative = table.FindOrInsert(i, hashAt(i));
      renumber[i] = representative == i ? distinct++ : renumber[representative];
    }
  } catch (const std::bad_alloc&) {
    return false;
  }

  // compact in place: a point's new index never exceeds its old one, and
  // renumber[i] equals the count so far exactly at a first occurrence
  int32_t count = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (renumber[i] == count) vertices[count++] = vertices[i];
  }

  // renumber the usable triangles
  for (CZtIndexedTriangle& t : model->triangles) {
    if (!IsUsable(t, n)) continue;
    for (int32_t& index : t.vertexIndex) index = renumber[index];
  }

  vertices.resize(count);
  vertices.shrink_to_fit();
  return true;
}

bool LinkCorners(CZtModel* model, std::size_t directScanFanLimit, std::vector<int32_t>& fanCorners) {
  if (!model) return false;
  const std::vector<CZtIndexedTriangle>& triangles = model->triangles;
  std::vector<std::pair<int32_t, int32_t>>& cornerLinks = model->cornerLinks;
  const std::size_t triangleCount = triangles.size();
  if (triangleCount > static_cast<std::size_t>(std::numeric_limits<int32_t>::max() / 3)) {
    cornerLinks.clear();
    return false;
  }
  const std::size_t vertexCount = model->vertices.size();
  const int32_t lastTriangle = static_cast<int32_t>(triangleCount) - 1;

  try {
    // count each vertex's fan: offsets[v + 2] holds the count of v, and after
    // the running sum offsets[v + 1] is the start of v's fan
    std::vector<uint32_t> offsets(vertexCount + 2, 0);
    for (const CZtIndexedTriangle& t : triangles) {
      if (!IsUsable(t, vertexCount) || t.IsDegenerate()) continue;
      for (int32_t v : t.vertexIndex) ++offsets[static_cast<std::size_t>(v) + 2];
    }
    for (std::size_t v = 2; v < offsets.size(); ++v) offsets[v] += offsets[v - 1];

    // fill the fans with corner indices, walking the triangles backwards so
    // that each fan lists its triangles in descending order; offsets[v + 1]
    // ends as the end of v's fan
    fanCorners.resize(offsets[vertexCount + 1]);
    for (int32_t t = lastTriangle; t >= 0; --t) {
      const CZtIndexedTriangle& triangle = triangles[t];
      if (!IsUsable(triangle, vertexCount) || triangle.IsDegenerate()) continue;
      for (int32_t k = 0; k < 3; ++k) {
        fanCorners[offsets[static_cast<std::size_t>(triangle.vertexIndex[k]) + 1]++] = 3 * t + k;
      }
    }

    uint32_t largestFan = 0;
    for (std::size_t v = 0; v < vertexCount; ++v) largestFan = std::max(largestFan, offsets[v + 1] - offsets[v]);
    std::vector<FanCorner> fan(largestFan);
    FanLinks links;
    links.first.resize(largestFan);
    links.second.resize(largestFan);
    BucketScratch scratch;
    if (largestFan > directScanFanLimit) scratch.Reserve(vertexCount, largestFan);

    cornerLinks.assign(3 * triangleCount, {kUnlinked, kUnlinked});

    // link each fan on its own
    for (std::size_t v = 0; v < vertexCount; ++v) {
      const int32_t m = static_cast<int32_t>(offsets[v + 1] - offsets[v]);
      if (m == 0) continue;
      const int32_t* corners = fanCorners.data() + offsets[v];
      for (int32_t p = 0; p < m; ++p) {
        const int32_t k = corners[p] % 3;
        const int32_t* vi = triangles[corners[p] / 3].vertexIndex;
        fan[p] = {corners[p], vi[k == 2 ? 0 : k + 1], vi[k == 0 ? 2 : k - 1]};
      }
      std::fill_n(links.first.begin(), m, kUnlinked);
      std::fill_n(links.second.begin(), m, kUnlinked);
      links.conflict = false;
      if (static_cast<std::size_t>(m) <= directScanFanLimit) {
        LinkFanDirect(fan.data(), m, links);
      } else {
        LinkFanBucketed(fan.data(), m, links, scratch);
      }
      StoreFanLinks(fan.data(), m, links, cornerLinks);
    }
  } catch (const std::bad_alloc&) {
    cornerLinks.clear();
    return false;
  }
  return true;
}

}  // namespace

bool MergeCoincidentVertices(CZtModel* model) {
  std::vector<int32_t> renumber;
  return MergeVertices(model, renumber);
}

bool BuildCornerLinks(CZtModel* model) { return BuildCornerLinks(model, kDefaultDirectScanFanLimit); }

bool BuildCornerLinks(CZtModel* model, std::size_t directScanFanLimit) {
  std::vector<int32_t> fanCorners;
  return LinkCorners(model, directScanFanLimit, fanCorners);
}

bool PrepareCornerLinks(CZtModel* model) {
  if (!model) return false;
  if (model->cornerLinks.size() == 3 * model->triangles.size()) return true;
  std::vector<int32_t> scratch;
  if (!MergeVertices(model, scratch) || !LinkCorners(model, kDefaultDirectScanFanLimit, scratch)) {
    model->cornerLinks.clear();
    return false;
  }
  return true;
}

bool FindBoundaryEdges(CZtModel* model, std::vector<CZtEdge>& edges) {
  edges.clear();
  if (!model || model->triangles.empty()) return false;
  if (!PrepareCornerLinks(model)) return false;

  const std::size_t vertexCount = model->vertices.size();
  const std::vector<std::pair<int32_t, int32_t>>& cornerLinks = model->cornerLinks;
  for (std::size_t t = 0; t < model->triangles.size(); ++t) {
    const CZtIndexedTriangle& triangle = model->triangles[t];
    if (!IsUsable(triangle, vertexCount) || triangle.IsDegenerate()) continue;
    for (int k = 0; k < 3; ++k) {
      if (cornerLinks[3 * t + k].first == kUnlinked) {
        edges.emplace_back(triangle.vertexIndex[k], triangle.vertexIndex[(k + 1) % 3]);
      }
    }
  }
  return edges.empty();
}
