#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <list>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "geometry/AnalysisReport.h"
#include "geometry/ZtMeshAdjacency.h"
#include "geometry/ZtModel.h"
#include "support/TestSupport.h"

namespace {

using testsupport::Facet;
using Links = std::vector<std::pair<int32_t, int32_t>>;
using Point = TZtVector3<float>;

// A model as the STL import builds it: three vertices of its own per facet,
// every normal index 0, facet normal t for triangle t, one group.
std::unique_ptr<CZtModel> StlStyleModel(const std::vector<Facet>& facets) {
  auto model = std::make_unique<CZtModel>();
  auto* group = new CZtGroup;
  group->model = model.get();
  model->groups.push_back(group);
  for (const Facet& f : facets) {
    const int32_t base = static_cast<int32_t>(model->vertices.size());
    for (int k = 0; k < 3; ++k) model->vertices.push_back({f[3 * k], f[3 * k + 1], f[3 * k + 2]});
    CZtIndexedTriangle t;
    const int32_t t_index = static_cast<int32_t>(model->triangles.size());
    for (int k = 0; k < 3; ++k) {
      t.vertexIndex[k] = base + k;
      t.normalIndex[k] = 0;
    }
    t.facetNormalIndex = t_index;
    model->facetNormals.push_back(
        CZtModel::FacetNormalOf(model->vertices[base], model->vertices[base + 1], model->vertices[base + 2]));
    model->triangles.push_back(t);
    group->triangleIndices.push_back(static_cast<uint32_t>(t_index));
  }
  return model;
}

CZtIndexedTriangle Triangle(int32_t a, int32_t b, int32_t c) {
  CZtIndexedTriangle t;
  t.vertexIndex[0] = a;
  t.vertexIndex[1] = b;
  t.vertexIndex[2] = c;
  return t;
}

std::unique_ptr<CZtModel> IndexedModel(std::vector<Point> vertices, const std::vector<CZtIndexedTriangle>& triangles) {
  auto model = std::make_unique<CZtModel>();
  model->vertices = std::move(vertices);
  model->triangles = triangles;
  return model;
}

// Four facets wound outwards around (0,0,0), (1,0,0), (0,1,0), (0,0,1).
std::vector<Facet> TetrahedronFacets() {
  return {
      {0, 0, 0, 0, 1, 0, 1, 0, 0},
      {0, 0, 0, 1, 0, 0, 0, 0, 1},
      {0, 0, 0, 0, 0, 1, 0, 1, 0},
      {1, 0, 0, 0, 1, 0, 0, 0, 1},
  };
}

// Edges as coordinates, which do not depend on how the merge numbered them.
using CoordinateEdge = std::pair<std::array<float, 3>, std::array<float, 3>>;
std::vector<CoordinateEdge> AsCoordinates(const CZtModel& model, const std::vector<CZtEdge>& edges) {
  std::vector<CoordinateEdge> out;
  for (const CZtEdge& e : edges) {
    const Point& a = model.vertices.at(e.first);
    const Point& b = model.vertices.at(e.second);
    out.push_back({{a.x, a.y, a.z}, {b.x, b.y, b.z}});
  }
  return out;
}

uint32_t Bits(float f) {
  uint32_t b;
  std::memcpy(&b, &f, sizeof b);
  return b;
}

// The linking procedure transcribed step by step, with a linked list per
// vertex: the reference that the flat implementation must reproduce exactly.
Links ReferenceCornerLinks(const CZtModel& model) {
  const auto& tris = model.triangles;
  const std::size_t vertexCount = model.vertices.size();
  auto proper = [&](const CZtIndexedTriangle& t) {
    for (int32_t v : t.vertexIndex) {
      if (v < 0 || static_cast<std::size_t>(v) >= vertexCount) return false;
    }
    return !t.IsDegenerate();
  };
  std::vector<std::list<int32_t>> lists(vertexCount);
  for (std::size_t t = 0; t < tris.size(); ++t) {
    if (!proper(tris[t])) continue;
    for (int32_t v : tris[t].vertexIndex) lists[v].push_front(static_cast<int32_t>(t));
  }
  auto cornerAt = [&](int32_t t, int32_t b) {
    for (int32_t k = 0; k < 3; ++k) {
      if (tris[t].vertexIndex[k] == b) return k;
    }
    return -100;
  };
  Links links(3 * tris.size(), {-1, -1});
  for (int32_t b = 0; b < static_cast<int32_t>(vertexCount); ++b) {
    bool conflict = false;
    for (auto it = lists[b].begin(); it != lists[b].end(); ++it) {
      const int32_t c = *it, d = cornerAt(c, b);
      auto& cl = links[3 * c + d];
      if (cl.first != -1 && cl.second != -1) continue;
      for (auto jt = std::next(it); jt != lists[b].end(); ++jt) {
        if (cl.first != -1 && cl.second != -1) break;
        const int32_t o = *jt, a = cornerAt(o, b);
        auto& ol = links[3 * o + a];
        const int32_t* cv = tris[c].vertexIndex;
        const int32_t* ov = tris[o].vertexIndex;
        if (cv[(d + 2) % 3] == ov[(a + 1) % 3]) {
          if (cl.second == -1 && ol.first == -1) {
            cl.second = 3 * o + a;
            ol.first = 3 * c + d;
          } else {
            conflict = true;
            if (cl.second >= 0) links[cl.second].first = -2;
            if (ol.first >= 0) links[ol.first].second = -2;
            cl.second = -2;
            ol.first = -2;
          }
        }
        if (cv[(d + 1) % 3] == ov[(a + 2) % 3]) {
          if (cl.first == -1 && ol.second == -1) {
            cl.first = 3 * o + a;
            ol.second = 3 * c + d;
          } else {
            conflict = true;
            if (cl.first >= 0) links[cl.first].second = -2;
            if (ol.second >= 0) links[ol.second].first = -2;
            cl.first = -2;
            ol.second = -2;
          }
        }
      }
    }
    if (!conflict) continue;
    for (int32_t t : lists[b]) {
      auto& l = links[3 * t + cornerAt(t, b)];
      if (l.first == -2) l.first = -1;
      if (l.second == -2) l.second = -1;
    }
  }
  return links;
}

// Every link points back: a corner's `first` partner has it as `second`.
void ExpectLinksConsistent(const Links& links) {
  for (std::size_t c = 0; c < links.size(); ++c) {
    const auto [first, second] = links[c];
    ASSERT_GE(first, -1) << "corner " << c;
    ASSERT_GE(second, -1) << "corner " << c;
    if (first >= 0) {
      EXPECT_EQ(links.at(first).second, static_cast<int32_t>(c)) << "corner " << c;
    }
    if (second >= 0) {
      EXPECT_EQ(links.at(second).first, static_cast<int32_t>(c)) << "corner " << c;
    }
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// MergeCoincidentVertices

TEST(MergeCoincidentVertices, KeepsFirstOccurrenceOrderAndRenumbersOnlyUsableTriangles) {
  // The first point has the largest z, so an order by coordinates would put
  // it last; numbering must follow first occurrence instead.
  auto model = IndexedModel({{0, 0, 9}, {4, 5, 6}, {0, 0, 9}, {7, 8, 1}, {4, 5, 6}, {0, 0, 1}},
                            {Triangle(0, 1, 3), Triangle(2, 4, 5), Triangle(-1, 4, 5), Triangle(2, 4, 99),
                             Triangle(2, -7, 4)});
  model->vertexNormals = {{1, 0, 0}};
  model->triangles[1].normalIndex[0] = 0;

  ASSERT_TRUE(MergeCoincidentVertices(model.get()));

  EXPECT_EQ(model->vertices, (std::vector<Point>{{0, 0, 9}, {4, 5, 6}, {7, 8, 1}, {0, 0, 1}}));
  const std::vector<std::array<int32_t, 3>> expected{
      {0, 1, 2}, {0, 1, 3},
      {-1, 4, 5},   // a -1 leaves the triangle as it was
      {2, 4, 99},   // so does an index past the end of the array ...
      {2, -7, 4}};  // ... or below -1
  for (std::size_t t = 0; t < expected.size(); ++t) {
    const int32_t* vi = model->triangles[t].vertexIndex;
    EXPECT_EQ((std::array<int32_t, 3>{vi[0], vi[1], vi[2]}), expected[t]) << "triangle " << t;
  }
  EXPECT_EQ(model->vertexNormals.size(), 1u);
  EXPECT_EQ(model->triangles[1].normalIndex[0], 0);
}

TEST(MergeCoincidentVertices, PointsMergeOnlyWhenEqualAsFloats) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const float tiny = std::numeric_limits<float>::denorm_min();
  struct Case {
    const char* name;
    Point a, b;
    bool merged;
  };
  const Case cases[] = {
      {"identical", {1.5f, -2, 3}, {1.5f, -2, 3}, true},
      {"last bit of x", {1, 2, 3}, {std::nextafter(1.0f, 2.0f), 2, 3}, false},
      {"last bit of z", {1, 2, 3}, {1, 2, std::nextafter(3.0f, 0.0f)}, false},
      {"x and z swapped", {1, 2, 3}, {3, 2, 1}, false},
      {"negative zero x", {-0.0f, 1, 1}, {0.0f, 1, 1}, true},
      {"negative zero in every axis", {0.0f, 0.0f, 0.0f}, {-0.0f, -0.0f, -0.0f}, true},
      {"denormal vs zero", {tiny, 0, 0}, {0, 0, 0}, false},
      {"denormal vs itself", {tiny, 0, 0}, {tiny, 0, 0}, true},
      {"infinity vs itself", {inf, 0, -inf}, {inf, 0, -inf}, true},
      {"infinity vs its negative", {inf, 0, 0}, {-inf, 0, 0}, false},
      {"bit-identical NaN", {nan, 0, 0}, {nan, 0, 0}, false},
      {"NaN in z only", {1, 1, nan}, {1, 1, nan}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto model = IndexedModel({c.a, c.b}, {});
    ASSERT_TRUE(MergeCoincidentVertices(model.get()));
    ASSERT_EQ(model->vertices.size(), c.merged ? 1u : 2u);
    // the kept point is the first occurrence, bit for bit (the sign of zero too)
    EXPECT_EQ(Bits(model->vertices[0].x), Bits(c.a.x));
    EXPECT_EQ(Bits(model->vertices[0].z), Bits(c.a.z));
  }
}

TEST(MergeCoincidentVertices, NullAndEmptyModels) {
  EXPECT_FALSE(MergeCoincidentVertices(nullptr));
  CZtModel empty;
  EXPECT_TRUE(MergeCoincidentVertices(&empty));
  EXPECT_TRUE(empty.vertices.empty());
  auto noVertices = IndexedModel({}, {Triangle(0, 1, 2)});  // every index out of range
  EXPECT_TRUE(MergeCoincidentVertices(noVertices.get()));
  EXPECT_EQ(noVertices->triangles[0].vertexIndex[2], 2);
}

TEST(MergeCoincidentVertices, ManyRepeatsOfFewPointsInterleavedWithNaN) {
  // Each repeat must hit the same table entry however the table grows, and
  // NaN entries (which equal nothing) must neither merge nor get stuck.
  std::vector<Point> vertices;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (int round = 0; round < 50; ++round) {
    for (int i = 0; i < 1000; ++i) vertices.push_back({static_cast<float>(i), static_cast<float>(i % 7), 0.5f});
    vertices.push_back({nan, 0, 0});
  }
  auto model = IndexedModel(vertices, {Triangle(1000, 1999, 2003)});
  ASSERT_TRUE(MergeCoincidentVertices(model.get()));
  ASSERT_EQ(model->vertices.size(), 1000u + 50u);
  EXPECT_EQ(model->vertices[999], (Point{999, 999 % 7, 0.5f}));
  EXPECT_TRUE(std::isnan(model->vertices[1000].x));
  EXPECT_TRUE(std::isnan(model->vertices[1049].x));
  // 1000 was the first NaN, 1999 repeats point 998, 2003 is point 1 of the third round
  const int32_t* vi = model->triangles[0].vertexIndex;
  EXPECT_EQ((std::array<int32_t, 3>{vi[0], vi[1], vi[2]}), (std::array<int32_t, 3>{1000, 998, 1}));
}

// ---------------------------------------------------------------------------
// BuildCornerLinks

TEST(BuildCornerLinks, LinksCornersOfTrianglesRunningOppositeWaysOnly) {
  const std::vector<Point> square{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, -1, 0}};
  struct Case {
    const char* name;
    CZtIndexedTriangle second;
    Links expected;
  };
  const Case cases[] = {
      // Triangle 0 runs 0->1, triangle 1 runs 1->0.  At vertex 0, corner 0's
      // outgoing edge meets corner 4 (triangle 1, corner 1) whose incoming
      // edge it is; at vertex 1, corner 1's incoming edge meets corner 3.
      {"opposite", Triangle(1, 0, 3), {{4, -1}, {-1, 3}, {-1, -1}, {1, -1}, {-1, 0}, {-1, -1}}},
      {"same direction", Triangle(0, 1, 3), Links(6, {-1, -1})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto model = IndexedModel(square, {Triangle(0, 1, 2), c.second});
    ASSERT_TRUE(BuildCornerLinks(model.get()));
    EXPECT_EQ(model->cornerLinks, c.expected);
  }
}

TEST(BuildCornerLinks, IgnoresInvalidDegenerateAndOutOfRangeTriangles) {
  // Every extra triangle also runs along the edge 1->0; were any of them
  // looked at, the edge would become a conflict or be read out of bounds.
  auto model = IndexedModel({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, -1, 0}},
                            {Triangle(0, 1, 2), Triangle(1, 0, 3), Triangle(1, 0, 0), Triangle(1, 0, -1),
                             Triangle(1, 0, 4), Triangle(1, 0, -5), Triangle(1, 0, std::numeric_limits<int32_t>::max())});
  ASSERT_TRUE(BuildCornerLinks(model.get()));
  Links expected{{4, -1}, {-1, 3}, {-1, -1}, {1, -1}, {-1, 0}, {-1, -1}};
  expected.resize(3 * 7, {-1, -1});
  EXPECT_EQ(model->cornerLinks, expected);
}

TEST(BuildCornerLinks, NullModelFailsAndEmptyModelHasNoLinks) {
  EXPECT_FALSE(BuildCornerLinks(nullptr));
  CZtModel empty;
  EXPECT_TRUE(BuildCornerLinks(&empty));
  EXPECT_TRUE(empty.cornerLinks.empty());
}

TEST(BuildCornerLinks, EdgeOfThreeTrianglesStaysUnlinkedOnAllThree) {
  // Vertices 0 and 1 form the shared edge; 2, 3, 4 are the tips.
  const std::vector<Point> points{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}};
  struct Case {
    const char* name;
    std::vector<CZtIndexedTriangle> triangles;
  };
  const Case cases[] = {
      {"two forward, one back", {Triangle(0, 1, 2), Triangle(1, 0, 3), Triangle(0, 1, 4)}},
      {"one forward, two back", {Triangle(0, 1, 2), Triangle(1, 0, 3), Triangle(1, 0, 4)}},
      {"odd one first", {Triangle(1, 0, 4), Triangle(0, 1, 2), Triangle(0, 1, 3)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto model = IndexedModel(points, c.triangles);
    ASSERT_TRUE(BuildCornerLinks(model.get()));
    // Two of the three would pair up without the conflict rule; nothing else
    // touches, so every link stays -1 (and no conflict mark survives).
    EXPECT_EQ(model->cornerLinks, Links(9, {-1, -1}));
  }
}

TEST(BuildCornerLinks, FinOnClosedSurfacePairsWithTheFaceItMeetsFirst) {
  // A closed tetrahedron with a fin hanging off the edge from its first to its
  // second point.  Around each of the two points the fin's corner comes first
  // (highest triangle) and takes facet 2, which runs the other way; facet 2's
  // corner then has both sides linked and stops looking, so it never meets
  // facet 0, and no conflict arises.  Facet 0 is left open on that edge, the
  // fin on its two others.
  auto model = StlStyleModel(TetrahedronFacets());
  ASSERT_TRUE(MergeCoincidentVertices(model.get()));
  ASSERT_EQ(model->vertices.size(), 4u);
  model->vertices.push_back({5, 5, 5});
  model->triangles.push_back(Triangle(0, 1, 4));  // runs 0->1 like facet 0
  ASSERT_TRUE(BuildCornerLinks(model.get()));
  EXPECT_EQ(model->cornerLinks, ReferenceCornerLinks(*model));
  EXPECT_EQ(model->cornerLinks[12].first, 6);   // fin corner 0 -> facet 2 corner 0 (point 0)
  EXPECT_EQ(model->cornerLinks[13].second, 8);  // fin corner 1 -> facet 2 corner 2 (point 1)
  EXPECT_EQ(model->cornerLinks[0].first, -1);
  std::vector<CZtEdge> edges;
  EXPECT_FALSE(FindBoundaryEdges(model.get(), edges));
  EXPECT_EQ(edges, (std::vector<CZtEdge>{{0, 1}, {1, 4}, {4, 0}}));
  ExpectLinksConsistent(model->cornerLinks);
}

TEST(BuildCornerLinks, MatchesTheStepByStepProcedureOnRandomNonManifoldMeshes) {
  // Random triangles over few vertices give large fans full of conflicts,
  // where the order of the pairings decides which links survive.  Both ways
  // of linking a fan (pairwise and bucketed) must give the reference result.
  std::mt19937 random(20240611);
  for (int round = 0; round < 400; ++round) {
    const int vertexCount = 3 + static_cast<int>(random() % 8);
    const int triangleCount = 1 + static_cast<int>(random() % 120);
    std::vector<Point> vertices(vertexCount, Point{0, 0, 0});
    std::vector<CZtIndexedTriangle> triangles;
    for (int t = 0; t < triangleCount; ++t) {
      auto index = [&] {
        const unsigned roll = random() % 100;
        if (roll == 0) return -1;           // unset
        if (roll == 1) return vertexCount;  // out of range
        return static_cast<int>(random() % vertexCount);
      };
      triangles.push_back(Triangle(index(), index(), index()));
    }
    auto model = IndexedModel(vertices, triangles);
    const Links reference = ReferenceCornerLinks(*model);
    ASSERT_TRUE(BuildCornerLinks(model.get(), 0));
    ASSERT_EQ(model->cornerLinks, reference) << "bucketed, round " << round;
    ASSERT_TRUE(BuildCornerLinks(model.get(), std::numeric_limits<std::size_t>::max()));
    ASSERT_EQ(model->cornerLinks, reference) << "pairwise, round " << round;
    ExpectLinksConsistent(model->cornerLinks);
  }
}

TEST(BuildCornerLinks, MatchesTheStepByStepProcedureOnLargeFans) {
  // A closed cone of 2000 segments in shuffled triangle order (two fans of
  // 2000), with some triangles flipped, doubled or dropped, and a 3000-fold
  // edge of random directions.
  constexpr int kSegments = 2000;
  std::vector<Point> vertices{{0, 0, 1}, {0, 0, 0}};
  for (int i = 0; i < kSegments; ++i) {
    const double a = 2 * M_PI * i / kSegments;
    vertices.push_back({static_cast<float>(std::cos(a)), static_cast<float>(std::sin(a)), 0});
  }
  std::vector<CZtIndexedTriangle> cone;
  for (int i = 0; i < kSegments; ++i) {
    const int32_t p = 2 + i, q = 2 + (i + 1) % kSegments;
    cone.push_back(Triangle(0, p, q));
    cone.push_back(Triangle(1, q, p));
  }
  std::mt19937 random(7);
  std::shuffle(cone.begin(), cone.end(), random);

  auto closed = IndexedModel(vertices, cone);
  std::vector<CZtEdge> edges;
  EXPECT_TRUE(FindBoundaryEdges(closed.get(), edges));

  std::vector<CZtIndexedTriangle> damaged = cone;
  for (int i = 0; i < 40; ++i) std::swap(damaged[random() % damaged.size()].vertexIndex[1],
                                         damaged[random() % damaged.size()].vertexIndex[1]);
  for (int i = 0; i < 40; ++i) damaged.push_back(damaged[random() % damaged.size()]);
  damaged.erase(damaged.begin() + 100, damaged.begin() + 140);
  for (int i = 0; i < 3000; ++i) damaged.push_back(random() % 2 ? Triangle(0, 2, 1) : Triangle(2, 0, 1));
  std::shuffle(damaged.begin(), damaged.end(), random);

  for (const auto* triangles : {&cone, &damaged}) {
    auto model = IndexedModel(vertices, *triangles);
    const Links reference = ReferenceCornerLinks(*model);
    for (std::size_t limit : {std::size_t{0}, std::size_t{32}, std::numeric_limits<std::size_t>::max()}) {
      ASSERT_TRUE(BuildCornerLinks(model.get(), limit));
      EXPECT_EQ(model->cornerLinks, reference) << "direct scan up to fans of " << limit;
    }
  }
}

// ---------------------------------------------------------------------------
// FindBoundaryEdges and the solid-check text

TEST(FindBoundaryEdges, ClosedSurfacesFromUnsharedVertices) {
  struct Case {
    const char* name;
    std::vector<Facet> facets;
    std::size_t mergedVertices;
  };
  const Case cases[] = {
      {"tetrahedron from 12 vertices", TetrahedronFacets(), 4},
      {"cube from 36 vertices", testsupport::CubeFacets(2.0f), 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto model = StlStyleModel(c.facets);
    std::vector<CZtEdge> edges{{7, 7}};  // emptied by the call
    EXPECT_TRUE(FindBoundaryEdges(model.get(), edges));
    EXPECT_TRUE(edges.empty());
    EXPECT_EQ(model->vertices.size(), c.mergedVertices);
    EXPECT_EQ(model->cornerLinks.size(), 3 * c.facets.size());
    ExpectLinksConsistent(model->cornerLinks);
    for (const auto& link : model->cornerLinks) EXPECT_TRUE(link.first >= 0 && link.second >= 0);
    EXPECT_EQ(SolidCheckReportText(true, edges, model->vertices), L"ソリッド（隙間なし）");
  }
}

TEST(FindBoundaryEdges, CubeWithOneTriangleGoneListsTheHoleInTriangleOrder) {
  // The missing facet is (0,0,0) (0,1,0) (1,1,0); the hole's edges come from
  // the neighbours, which run the other way round it.
  const std::wstring expectedText =
      L"ソリッドでない（隙間あり）\r\n"
      L"---隙間境界---\r\n"
      L"[  0](   0.0000,    0.0000,    0.0000) - (   1.0000,    1.0000,    0.0000)\r\n"
      L"[  1](   1.0000,    1.0000,    0.0000) - (   0.0000,    1.0000,    0.0000)\r\n"
      L"[  2](   0.0000,    1.0000,    0.0000) - (   0.0000,    0.0000,    0.0000)\r\n";
  const std::vector<CoordinateEdge> expectedEdges{
      {{0, 0, 0}, {1, 1, 0}}, {{1, 1, 0}, {0, 1, 0}}, {{0, 1, 0}, {0, 0, 0}}};

  std::vector<Facet> withoutFirst = testsupport::CubeFacets();
  withoutFirst.erase(withoutFirst.begin());
  auto removed = StlStyleModel(withoutFirst);
  auto invalidated = StlStyleModel(testsupport::CubeFacets());
  invalidated->triangles[0] = CZtIndexedTriangle();  // deleted in place: all indices -1

  for (CZtModel* model : {removed.get(), invalidated.get()}) {
    std::vector<CZtEdge> edges;
    EXPECT_FALSE(FindBoundaryEdges(model, edges));
    EXPECT_EQ(AsCoordinates(*model, edges), expectedEdges);
    EXPECT_EQ(SolidCheckReportText(false, edges, model->vertices), expectedText);
  }
}

TEST(FindBoundaryEdges, FlippedTriangleReportsEachOfItsEdgesTwice) {
  std::vector<Facet> facets = testsupport::CubeFacets();
  Facet& f = facets[0];  // (0,0,0) (0,1,0) (1,1,0) becomes (0,0,0) (1,1,0) (0,1,0)
  std::swap_ranges(f.begin() + 3, f.begin() + 6, f.begin() + 6);
  auto model = StlStyleModel(facets);
  std::vector<CZtEdge> edges;
  EXPECT_FALSE(FindBoundaryEdges(model.get(), edges));
  // first the flipped triangle's own three, then the same edges from the
  // neighbours, which now run the same way
  const std::vector<CoordinateEdge> expected{
      {{0, 0, 0}, {1, 1, 0}}, {{1, 1, 0}, {0, 1, 0}}, {{0, 1, 0}, {0, 0, 0}},
      {{0, 0, 0}, {1, 1, 0}}, {{1, 1, 0}, {0, 1, 0}}, {{0, 1, 0}, {0, 0, 0}}};
  EXPECT_EQ(AsCoordinates(*model, edges), expected);
  const std::wstring text = SolidCheckReportText(false, edges, model->vertices);
  EXPECT_NE(text.find(L"[  5](   0.0000,    1.0000,    0.0000) - (   0.0000,    0.0000,    0.0000)\r\n"),
            std::wstring::npos);
}

TEST(FindBoundaryEdges, ModelsWithoutProperTriangles) {
  struct Case {
    const char* name;
    std::vector<CZtIndexedTriangle> triangles;
    bool closed;
    const wchar_t* text;
  };
  const Case cases[] = {
      {"no triangle", {}, false, L"ソリッドでない"},
      {"all deleted", {CZtIndexedTriangle(), CZtIndexedTriangle()}, true, L"ソリッド（隙間なし）"},
      {"all degenerate or out of range", {Triangle(0, 0, 1), Triangle(2, 1, 2), Triangle(0, 1, 3)}, true,
       L"ソリッド（隙間なし）"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto model = IndexedModel({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, c.triangles);
    std::vector<CZtEdge> edges;
    EXPECT_EQ(FindBoundaryEdges(model.get(), edges), c.closed);
    EXPECT_TRUE(edges.empty());
    EXPECT_EQ(SolidCheckReportText(c.closed, edges, model->vertices), c.text);
  }
  std::vector<CZtEdge> edges{{1, 2}};
  EXPECT_FALSE(FindBoundaryEdges(nullptr, edges));
  EXPECT_TRUE(edges.empty());
}

TEST(FindBoundaryEdges, ClosedCubeStaysClosedBesideUnusableTriangles) {
  auto model = StlStyleModel(testsupport::CubeFacets());
  model->triangles.push_back(Triangle(0, 1, -1));
  model->triangles.push_back(Triangle(0, 1, 36));  // one past the vertex array
  model->triangles.push_back(Triangle(4, 4, 5));
  std::vector<CZtEdge> edges;
  EXPECT_TRUE(FindBoundaryEdges(model.get(), edges));
  EXPECT_EQ(model->vertices.size(), 8u);
}

TEST(FindBoundaryEdges, NaNVertexIsNeverSharedSoItsFacetsOpen) {
  std::vector<Facet> facets = TetrahedronFacets();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (Facet& f : facets) {
    for (int k = 0; k < 3; ++k) {
      if (f[3 * k] == 1) f[3 * k] = nan;  // the point (1,0,0) in all three facets that use it
    }
  }
  auto model = StlStyleModel(facets);
  std::vector<CZtEdge> edges;
  EXPECT_FALSE(FindBoundaryEdges(model.get(), edges));
  EXPECT_EQ(model->vertices.size(), 6u);  // three shared points and three lone NaN copies
  EXPECT_EQ(edges.size(), 6u);            // the two edges at each copy
  const std::wstring text = SolidCheckReportText(false, edges, model->vertices);
  EXPECT_NE(text.find(L"(      nan,    0.0000,    0.0000)"), std::wstring::npos) << std::string(text.begin(), text.end());
}

TEST(FindBoundaryEdges, SecondRunReusesTheCachedLinks) {
  auto model = StlStyleModel(testsupport::CubeFacets());
  std::vector<CZtEdge> edges;
  ASSERT_TRUE(FindBoundaryEdges(model.get(), edges));
  const Links built = model->cornerLinks;
  EXPECT_TRUE(FindBoundaryEdges(model.get(), edges));
  EXPECT_EQ(model->cornerLinks, built);

  // A cache of the right size is trusted as it is ...
  model->cornerLinks[4].first = -1;
  EXPECT_FALSE(FindBoundaryEdges(model.get(), edges));
  EXPECT_EQ(edges, (std::vector<CZtEdge>{{model->triangles[1].vertexIndex[1], model->triangles[1].vertexIndex[2]}}));
  // ... one of the wrong size is rebuilt.
  model->cornerLinks.pop_back();
  EXPECT_TRUE(PrepareCornerLinks(model.get()));
  EXPECT_EQ(model->cornerLinks, built);
  EXPECT_FALSE(PrepareCornerLinks(nullptr));
}
