// Polygon union: fixed cases with known answers, failures, and random loop
// sets checked against Clipper's union as an independent reference.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include <polyclipping/clipper.hpp>

#include "geometry/PolygonUnion.h"

// Readable points in failure messages.
static void PrintTo(const CZtPoint2f& p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }

namespace {

using Loops = std::vector<CZtLoop2f>;
using Polygons = std::vector<CZtPolygon2f>;

CZtLoop2f Rect(float x0, float y0, float x1, float y1) { return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}; }

CZtLoop2f Reversed(CZtLoop2f loop) {
  std::reverse(loop.begin(), loop.end());
  return loop;
}

double LoopArea(const CZtLoop2f& loop) {
  double sum = 0.0;
  for (size_t i = 0; i < loop.size(); ++i) {
    const CZtPoint2f& a = loop[i];
    const CZtPoint2f& b = loop[(i + 1) % loop.size()];
    sum += double(a.x) * b.y - double(b.x) * a.y;
  }
  return sum / 2.0;
}

double TotalArea(const Polygons& polygons) {
  double sum = 0.0;
  for (const CZtPolygon2f& p : polygons) {
    sum += LoopArea(p.outer);
    for (const CZtLoop2f& h : p.holes) sum += LoopArea(h);
  }
  return sum;
}

size_t HoleCount(const Polygons& polygons) {
  size_t n = 0;
  for (const CZtPolygon2f& p : polygons) n += p.holes.size();
  return n;
}

// Outer loops counter-clockwise, holes clockwise, none degenerate.
void ExpectOriented(const Polygons& polygons) {
  for (const CZtPolygon2f& p : polygons) {
    EXPECT_GE(p.outer.size(), 3u);
    EXPECT_GT(LoopArea(p.outer), 0.0);
    for (const CZtLoop2f& h : p.holes) {
      EXPECT_GE(h.size(), 3u);
      EXPECT_LT(LoopArea(h), 0.0);
    }
  }
}

// --- Clipper reference ------------------------------------------------------

// Floats below 128 in magnitude are exact multiples of 2^-20 down to 2^-20.
constexpr double kScale = 1048576.0;

ClipperLib::Path ToPath(const CZtLoop2f& loop) {
  ClipperLib::Path path;
  for (const CZtPoint2f& p : loop)
    path.push_back({static_cast<ClipperLib::cInt>(std::llround(p.x * kScale)),
                    static_cast<ClipperLib::cInt>(std::llround(p.y * kScale))});
  return path;
}

double PathsArea(const ClipperLib::Paths& paths) {
  double sum = 0.0;
  for (const ClipperLib::Path& path : paths) sum += ClipperLib::Area(path);
  return sum / (kScale * kScale);
}

// Each polygon on its own: the outer minus the holes.
ClipperLib::Paths PolygonRegion(const CZtPolygon2f& polygon) {
  ClipperLib::Clipper clipper;
  clipper.AddPath(ToPath(polygon.outer), ClipperLib::ptSubject, true);
  for (const CZtLoop2f& h : polygon.holes) clipper.AddPath(ToPath(h), ClipperLib::ptClip, true);
  ClipperLib::Paths out;
  clipper.Execute(ClipperLib::ctDifference, out, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
  return out;
}

ClipperLib::Paths ReferenceUnionOfLoops(const Loops& loops) {
  ClipperLib::Clipper clipper;
  for (const CZtLoop2f& loop : loops) clipper.AddPath(ToPath(loop), ClipperLib::ptSubject, true);
  ClipperLib::Paths out;
  clipper.Execute(ClipperLib::ctUnion, out, ClipperLib::pftPositive, ClipperLib::pftPositive);
  return out;
}

ClipperLib::Paths ReferenceUnionOfPolygons(const Polygons& polygons) {
  ClipperLib::Clipper clipper;
  for (const CZtPolygon2f& p : polygons) clipper.AddPaths(PolygonRegion(p), ClipperLib::ptSubject, true);
  ClipperLib::Paths out;
  clipper.Execute(ClipperLib::ctUnion, out, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
  return out;
}

// Checks a union result against the reference region: the same area, the same
// region (their symmetric difference is empty) and no two output polygons
// overlapping (their own union is as large as the sum of their areas).
void ExpectMatchesReference(const Polygons& result, const ClipperLib::Paths& reference) {
  ExpectOriented(result);
  const double referenceArea = PathsArea(reference);
  const double area = TotalArea(result);
  const double tolerance = 1e-4 * std::max(referenceArea, 1.0);
  EXPECT_NEAR(area, referenceArea, tolerance);

  ClipperLib::Paths ours;
  for (const CZtPolygon2f& p : result) {
    ours.push_back(ToPath(p.outer));
    for (const CZtLoop2f& h : p.holes) ours.push_back(ToPath(h));
  }
  ClipperLib::Clipper xorClipper;
  xorClipper.AddPaths(ours, ClipperLib::ptSubject, true);
  xorClipper.AddPaths(reference, ClipperLib::ptClip, true);
  ClipperLib::Paths difference;
  xorClipper.Execute(ClipperLib::ctXor, difference, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
  EXPECT_LT(PathsArea(difference), tolerance) << "the union covers a different region";

  ClipperLib::Paths ownUnion;
  ClipperLib::Clipper unionClipper;
  unionClipper.AddPaths(ours, ClipperLib::ptSubject, true);
  unionClipper.Execute(ClipperLib::ctUnion, ownUnion, ClipperLib::pftPositive, ClipperLib::pftPositive);
  EXPECT_NEAR(PathsArea(ownUnion), area, tolerance) << "output polygons overlap";
}

// --- fixed cases --------------------------------------------------------------

struct UnionCase {
  std::string name;
  Loops loops;
  double area;
  size_t polygons;
  size_t holes;
};

void PrintTo(const UnionCase& c, std::ostream* os) { *os << c.name; }

class UniteLoopsCases : public testing::TestWithParam<UnionCase> {};

TEST_P(UniteLoopsCases, GivesKnownAreaAndShape) {
  const UnionCase& c = GetParam();
  Polygons result;
  ASSERT_TRUE(UniteLoops(c.loops, result));
  EXPECT_NEAR(TotalArea(result), c.area, 1e-5);
  EXPECT_EQ(result.size(), c.polygons);
  EXPECT_EQ(HoleCount(result), c.holes);
  ExpectMatchesReference(result, ReferenceUnionOfLoops(c.loops));
}

INSTANTIATE_TEST_SUITE_P(
    PolygonUnion, UniteLoopsCases,
    testing::Values(
        UnionCase{"SquaresOverlappingByHalf", {Rect(0, 0, 2, 2), Rect(1, 0, 3, 2)}, 6.0, 1, 0},
        UnionCase{"SquaresTouchingAlongEdge", {Rect(0, 0, 2, 2), Rect(2, 0, 4, 2)}, 8.0, 1, 0},
        UnionCase{"SquaresTouchingAlongPartOfEdge", {Rect(0, 0, 2, 2), Rect(1, 2, 3, 4)}, 8.0, 1, 0},
        UnionCase{"SquaresTouchingAtCorner", {Rect(0, 0, 1, 1), Rect(1, 1, 2, 2)}, 2.0, 2, 0},
        UnionCase{"SmallSquareAgainstSideOfLarge", {Rect(0, 0, 2, 2), Rect(2, 0, 3, 1)}, 5.0, 1, 0},
        UnionCase{"NestedCounterClockwiseLoops", {Rect(0, 0, 10, 10), Rect(2, 2, 4, 4)}, 100.0, 1, 0},
        UnionCase{"SquareWithHole", {Rect(0, 0, 10, 10), Reversed(Rect(2, 2, 8, 8))}, 64.0, 1, 1},
        UnionCase{"IslandInsideHole",
                  {Rect(0, 0, 10, 10), Reversed(Rect(2, 2, 8, 8)), Rect(4, 4, 6, 6)},
                  68.0, 2, 1},
        UnionCase{"HoleFilledByAnotherLoop",
                  {Rect(0, 0, 10, 10), Reversed(Rect(2, 2, 8, 8)), Rect(1, 1, 9, 9)},
                  100.0, 1, 0},
        UnionCase{"DuplicatedLoop", {Rect(0, 0, 2, 2), Rect(0, 0, 2, 2)}, 4.0, 1, 0},
        UnionCase{"LoopAndItsReverseCancel", {Rect(0, 0, 2, 2), Reversed(Rect(0, 0, 2, 2))}, 0.0, 0, 0},
        UnionCase{"Cross", {Rect(0, 1, 3, 2), Rect(1, 0, 2, 3)}, 5.0, 1, 0},
        UnionCase{"CollinearSlantedEdges",
                  {{{0, 0}, {4, 0}, {4, 4}}, {{1, 1}, {3, 3}, {0, 3}}}, 11.0, 1, 0},
        UnionCase{"RingOfFourBarsEnclosesHole",
                  {Rect(0, 0, 4, 1), Rect(3, 0, 4, 4), Rect(0, 3, 4, 4), Rect(0, 0, 1, 4)}, 12.0, 1, 1},
        UnionCase{"HoleTouchingOuterAtVertex",
                  {Rect(0, 0, 4, 4), {{0, 2}, {2, 3}, {2, 1}}}, 14.0, 1, 0},
        // A bowtie winds +1 around one lobe and -1 around the other.
        UnionCase{"SelfCrossingLoopKeepsPositiveLobe", {{{0, 0}, {2, 2}, {2, 0}, {0, 2}}}, 1.0, 1, 0},
        UnionCase{"SpikeIsIgnored", {{{0, 0}, {2, 0}, {2, 2}, {1, 2}, {1, 3}, {1, 2}, {0, 2}}}, 4.0, 1, 0}),
    [](const testing::TestParamInfo<UnionCase>& info) { return info.param.name; });

TEST(PolygonUnion, TouchingSquaresMergeIntoOneRectangle) {
  Polygons result;
  ASSERT_TRUE(UniteLoops({Rect(0, 0, 2, 2), Rect(2, 0, 4, 2)}, result));
  ASSERT_EQ(result.size(), 1u);
  EXPECT_EQ(result[0].outer, (CZtLoop2f{{0, 0}, {4, 0}, {4, 2}, {0, 2}}));
}

TEST(PolygonUnion, HoleRunsClockwiseFromItsLeftmostPoint) {
  Polygons result;
  ASSERT_TRUE(UniteLoops({Rect(0, 0, 10, 10), Reversed(Rect(2, 2, 8, 8))}, result));
  ASSERT_EQ(result.size(), 1u);
  EXPECT_EQ(result[0].outer, Rect(0, 0, 10, 10));
  ASSERT_EQ(result[0].holes.size(), 1u);
  EXPECT_EQ(result[0].holes[0], (CZtLoop2f{{2, 2}, {2, 8}, {8, 8}, {8, 2}}));
}

TEST(PolygonUnion, RepeatedConsecutivePointChangesNothing) {
  const CZtLoop2f plain = {{0, 0}, {3, 0}, {3, 1}, {1, 2}};
  const CZtLoop2f repeated = {{0, 0}, {3, 0}, {3, 0}, {3, 1}, {1, 2}, {0, 0}};
  Polygons a, b;
  ASSERT_TRUE(UniteLoops({plain}, a));
  ASSERT_TRUE(UniteLoops({repeated}, b));
  EXPECT_EQ(a, b);
}

TEST(PolygonUnion, UnusableLoopFailsWithEmptyOutput) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const std::vector<std::pair<std::string, CZtLoop2f>> bad = {
      {"two points", {{0, 0}, {1, 0}}},
      {"all points equal", {{1, 1}, {1, 1}, {1, 1}, {1, 1}}},
      {"NaN", {{0, 0}, {1, 0}, {nan, 1}}},
      {"infinity", {{0, 0}, {inf, 0}, {1, 1}}},
  };
  for (const auto& [name, loop] : bad) {
    Polygons result = {CZtPolygon2f{Rect(0, 0, 1, 1), {}}};
    EXPECT_FALSE(UniteLoops({Rect(5, 5, 6, 6), loop}, result)) << name;
    EXPECT_TRUE(result.empty()) << name;

    result = {CZtPolygon2f{Rect(0, 0, 1, 1), {}}};
    EXPECT_FALSE(UnitePolygons({CZtPolygon2f{Rect(-9, -9, 9, 9), {loop}}}, result)) << name;
    EXPECT_TRUE(result.empty()) << name;
  }
}

TEST(PolygonUnion, EmptyInputSucceedsEmpty) {
  Polygons result = {CZtPolygon2f{Rect(0, 0, 1, 1), {}}};
  EXPECT_TRUE(UniteLoops({}, result));
  EXPECT_TRUE(result.empty());
  result = {CZtPolygon2f{Rect(0, 0, 1, 1), {}}};
  EXPECT_TRUE(UnitePolygons({}, result));
  EXPECT_TRUE(result.empty());
}

// A vertex less than 1.8e-4 in x beside an edge is put on the edge: the edge
// bends through it.  Further away the edge stays straight.
TEST(PolygonUnion, VertexWithinToleranceOfEdgeSplitsIt) {
  struct Case {
    float gap;
    bool onEdge;
  };
  for (const Case c : {Case{1e-4f, true}, Case{3e-4f, false}}) {
    const CZtLoop2f triangle = {{0, 0}, {4, 0}, {0, 4}};  // the hypotenuse passes (2, 2)
    const CZtPoint2f tip = {2.0f + c.gap, 2.0f};
    const CZtLoop2f outside = {tip, {4, 2}, {4, 4}};
    Polygons result;
    ASSERT_TRUE(UniteLoops({triangle, outside}, result));
    ASSERT_EQ(result.size(), 2u) << c.gap;
    const CZtLoop2f& first = result[0].outer;  // the triangle starts further left
    const bool bent = std::find(first.begin(), first.end(), tip) != first.end();
    EXPECT_EQ(bent, c.onEdge) << c.gap;
    EXPECT_EQ(first.size(), c.onEdge ? 4u : 3u) << c.gap;
  }
}

TEST(PolygonUnion, UnitePolygonsAcceptsEitherOrientation) {
  const CZtPolygon2f clockwiseOuter{Reversed(Rect(0, 0, 10, 10)), {Rect(2, 2, 8, 8)}};
  const CZtPolygon2f other{Rect(7, 7, 12, 12), {}};
  Polygons result;
  ASSERT_TRUE(UnitePolygons({clockwiseOuter, other}, result));
  // (100 - 36) + 25 - 8: the second square overlaps the ring in [7, 10]^2
  // minus the hole's corner [7, 8]^2.
  EXPECT_NEAR(TotalArea(result), 81.0, 1e-6);
  ExpectOriented(result);
}

TEST(PolygonUnion, UnitePolygonsMayWriteIntoItsInput) {
  Polygons polygons = {CZtPolygon2f{Rect(0, 0, 2, 2), {}}, CZtPolygon2f{Rect(1, 1, 3, 3), {}}};
  ASSERT_TRUE(UnitePolygons(polygons, polygons));
  ASSERT_EQ(polygons.size(), 1u);
  EXPECT_NEAR(TotalArea(polygons), 7.0, 1e-6);
}

// --- random sets against the reference ----------------------------------------

Loops RandomSquares(std::mt19937& rng, int count, bool onIntegerGrid) {
  Loops loops;
  std::uniform_real_distribution<float> position(0.0f, 100.0f), size(1.0f, 30.0f);
  std::uniform_int_distribution<int> cell(0, 10), cellSize(1, 4);
  for (int i = 0; i < count; ++i) {
    if (onIntegerGrid) {
      const float x = float(cell(rng)), y = float(cell(rng));
      loops.push_back(Rect(x, y, x + float(cellSize(rng)), y + float(cellSize(rng))));
    } else {
      const float x = position(rng), y = position(rng);
      loops.push_back(Rect(x, y, x + size(rng), y + size(rng)));
    }
  }
  return loops;
}

// Triangles and quadrilaterals in any orientation, some crossing themselves.
Loops RandomPolygons(std::mt19937& rng, int count) {
  Loops loops;
  std::uniform_real_distribution<float> coordinate(0.0f, 100.0f);
  std::uniform_int_distribution<int> corners(3, 6);
  for (int i = 0; i < count; ++i) {
    CZtLoop2f loop(static_cast<size_t>(corners(rng)));
    for (CZtPoint2f& p : loop) p = {coordinate(rng), coordinate(rng)};
    loops.push_back(loop);
  }
  return loops;
}

// The cells of a random occupancy map, each its own counter-clockwise square:
// neighbours share edges in opposite directions and diagonal cells pinch.
Loops RandomCells(std::mt19937& rng, int size, double fill, float offset) {
  Loops loops;
  std::bernoulli_distribution occupied(fill);
  for (int j = 0; j < size; ++j) {
    for (int i = 0; i < size; ++i) {
      if (occupied(rng)) loops.push_back(Rect(i + offset, j + offset, i + 1 + offset, j + 1 + offset));
    }
  }
  return loops;
}

struct RandomFamily {
  std::string name;
  Loops (*make)(std::mt19937&);
};

void PrintTo(const RandomFamily& f, std::ostream* os) { *os << f.name; }

class UniteLoopsAgainstReference : public testing::TestWithParam<RandomFamily> {};

TEST_P(UniteLoopsAgainstReference, MatchesClipperUnion) {
  for (unsigned seed = 1; seed <= 40; ++seed) {
    std::mt19937 rng(seed);
    const Loops loops = GetParam().make(rng);
    Polygons result;
    ASSERT_TRUE(UniteLoops(loops, result)) << "seed " << seed;
    SCOPED_TRACE("seed " + std::to_string(seed));
    ExpectMatchesReference(result, ReferenceUnionOfLoops(loops));

    // Uniting the result again gives the same polygons.
    Polygons again;
    ASSERT_TRUE(UnitePolygons(result, again));
    EXPECT_EQ(again, result);
  }
}

INSTANTIATE_TEST_SUITE_P(
    PolygonUnion, UniteLoopsAgainstReference,
    testing::Values(
        RandomFamily{"FloatSquares", [](std::mt19937& rng) { return RandomSquares(rng, 40, false); }},
        RandomFamily{"GridSquares", [](std::mt19937& rng) { return RandomSquares(rng, 25, true); }},
        RandomFamily{"FreePolygons", [](std::mt19937& rng) { return RandomPolygons(rng, 12); }},
        RandomFamily{"CellMap", [](std::mt19937& rng) { return RandomCells(rng, 12, 0.5, 0.0f); }},
        RandomFamily{"TwoShiftedCellMaps",
                     [](std::mt19937& rng) {
                       Loops loops = RandomCells(rng, 8, 0.4, 0.0f);
                       const Loops shifted = RandomCells(rng, 8, 0.4, 0.5f);
                       loops.insert(loops.end(), shifted.begin(), shifted.end());
                       return loops;
                     }}),
    [](const testing::TestParamInfo<RandomFamily>& info) { return info.param.name; });

TEST(PolygonUnion, UnitePolygonsMatchesClipperOnPolygonsWithHoles) {
  for (unsigned seed = 1; seed <= 30; ++seed) {
    std::mt19937 rng(seed);
    // Polygons with holes from two unions of cell maps, laid over each other.
    Polygons first, second;
    ASSERT_TRUE(UniteLoops(RandomCells(rng, 10, 0.6, 0.0f), first));
    ASSERT_TRUE(UniteLoops(RandomCells(rng, 10, 0.6, 0.25f), second));
    Polygons all = first;
    all.insert(all.end(), second.begin(), second.end());
    Polygons result;
    ASSERT_TRUE(UnitePolygons(all, result)) << "seed " << seed;
    SCOPED_TRACE("seed " + std::to_string(seed));
    ExpectMatchesReference(result, ReferenceUnionOfPolygons(all));
  }
}

}  // namespace
