// Projection area: grid rasterisation against a separating-axis oracle,
// boundary tracing, the per-model shadow, hostile models, and the
// calculation the dialog runs.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "geometry/ProjectionArea.h"
#include "geometry/ZtMonoMap.h"

// Readable points in failure messages.
static void PrintTo(const CZtPoint2f& p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }

namespace {

using Polygons = std::vector<CZtPolygon2f>;
using Corners = std::array<float, 6>;  // x0 y0 x1 y1 x2 y2

// A model whose triangles each have three vertices of their own, at z.
std::unique_ptr<CZtModel> ModelOf(const std::vector<Corners>& triangles, float z = 0.0f) {
  auto model = std::make_unique<CZtModel>();
  for (const Corners& c : triangles) {
    CZtIndexedTriangle triangle;
    for (int k = 0; k < 3; ++k) {
      triangle.vertexIndex[k] = static_cast<int32_t>(model->vertices.size());
      model->vertices.emplace_back(c[2 * k], c[2 * k + 1], z);
    }
    model->triangles.push_back(triangle);
  }
  return model;
}

std::vector<Corners> Square(float x0, float y0, float x1, float y1) {
  return {{x0, y0, x1, y0, x1, y1}, {x0, y0, x1, y1, x0, y1}};
}

// The frame between two squares, as eight triangles.
std::vector<Corners> Frame(float outer, float inner0, float inner1) {
  std::vector<Corners> t;
  for (const auto& part : {Square(0, 0, outer, inner0), Square(0, inner1, outer, outer),
                           Square(0, inner0, inner0, inner1), Square(inner1, inner0, outer, inner1)})
    t.insert(t.end(), part.begin(), part.end());
  return t;
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
  for (const CZtPolygon2f& p : polygons) sum += PolygonArea(p);
  return sum;
}

// A grid of unit cells at the origin; rows listed top row first, '#' occupied.
CZtMonoMap GridOf(const std::vector<std::string>& rowsTopFirst) {
  CZtMonoMap grid;
  grid.cellSizeX = grid.cellSizeY = 1.0;
  EXPECT_TRUE(grid.Allocate(uint32_t(rowsTopFirst[0].size()), uint32_t(rowsTopFirst.size())));
  for (size_t r = 0; r < rowsTopFirst.size(); ++r) {
    const uint32_t j = uint32_t(rowsTopFirst.size() - 1 - r);
    for (size_t i = 0; i < rowsTopFirst[r].size(); ++i)
      if (rowsTopFirst[r][i] == '#') grid.Occupy(uint32_t(i), j);
  }
  return grid;
}

// --- boundary tracing ----------------------------------------------------------

struct TraceCase {
  std::string name;
  std::vector<std::string> rows;
  std::vector<double> loopAreas;  // signed, in tracing order
};

void PrintTo(const TraceCase& c, std::ostream* os) { *os << c.name; }

class TraceLoopsCases : public testing::TestWithParam<TraceCase> {};

TEST_P(TraceLoopsCases, LoopsRunCounterClockwiseAroundCellsAndClockwiseAroundHoles) {
  const CZtMonoMap grid = GridOf(GetParam().rows);
  std::vector<CZtLoop2f> loops;
  ASSERT_TRUE(grid.TraceLoops(loops));
  ASSERT_EQ(loops.size(), GetParam().loopAreas.size());
  for (size_t k = 0; k < loops.size(); ++k) EXPECT_DOUBLE_EQ(LoopArea(loops[k]), GetParam().loopAreas[k]) << k;
}

INSTANTIATE_TEST_SUITE_P(
    ProjectionArea, TraceLoopsCases,
    testing::Values(TraceCase{"SingleCell", {"#"}, {1.0}},
                    TraceCase{"Ring", {"###", "#.#", "###"}, {8.0 + 1.0, -1.0}},
                    TraceCase{"DiagonalCellsAreSeparateLoops", {".#", "#."}, {1.0, 1.0}},
                    // Tracing turns left at a pinch, so holes touching at a
                    // corner come out as one loop.
                    TraceCase{"DiagonalHolesInsideBlock", {"####", "#.##", "##.#", "####"}, {16.0, -2.0}},
                    TraceCase{"Empty", {"...", "..."}, {}}),
    [](const testing::TestParamInfo<TraceCase>& info) { return info.param.name; });

// Inner points on a straight run go; the first and the last point stay, so
// the start corner of the closing side (0, 1) remains.
TEST(ProjectionArea, TracedStraightRunsKeepOnlyTheirCorners) {
  std::vector<CZtLoop2f> loops;
  ASSERT_TRUE(GridOf({"###", "###"}).TraceLoops(loops));
  ASSERT_EQ(loops.size(), 1u);
  EXPECT_EQ(loops[0], (CZtLoop2f{{0, 0}, {3, 0}, {3, 2}, {0, 2}, {0, 1}}));
}

TEST(ProjectionArea, TracedRandomMapsUniteToTheOccupiedCells) {
  for (unsigned seed = 1; seed <= 20; ++seed) {
    std::mt19937 rng(seed);
    std::bernoulli_distribution occupied(0.55);
    CZtMonoMap grid;
    grid.cellSizeX = 0.5;
    grid.cellSizeY = 0.25;
    grid.originX = -3.0;
    grid.originY = 2.0;
    ASSERT_TRUE(grid.Allocate(23, 17));
    int count = 0;
    for (uint32_t j = 0; j < grid.rowCount; ++j)
      for (uint32_t i = 0; i < grid.columnCount; ++i)
        if (occupied(rng)) {
          grid.Occupy(i, j);
          ++count;
        }
    std::vector<CZtLoop2f> loops;
    ASSERT_TRUE(grid.TraceLoops(loops));
    double traced = 0.0;
    for (const CZtLoop2f& loop : loops) traced += LoopArea(loop);
    EXPECT_NEAR(traced, count * 0.125, 1e-9) << seed;
    Polygons united;
    ASSERT_TRUE(UniteLoops(loops, united));
    EXPECT_NEAR(TotalArea(united), count * 0.125, 1e-6) << seed;
  }
}

// --- rasterisation -------------------------------------------------------------

// Separating axes: the rectangle [x0, x1] x [y0, y1] and the triangle overlap
// unless their projections on x, y or an edge normal are apart.
bool RectangleMeetsTriangle(double x0, double y0, double x1, double y1, const double tx[3], const double ty[3]) {
  if (std::max({tx[0], tx[1], tx[2]}) < x0 || std::min({tx[0], tx[1], tx[2]}) > x1) return false;
  if (std::max({ty[0], ty[1], ty[2]}) < y0 || std::min({ty[0], ty[1], ty[2]}) > y1) return false;
  for (int k = 0; k < 3; ++k) {
    const double nx = ty[(k + 1) % 3] - ty[k], ny = tx[k] - tx[(k + 1) % 3];
    const double edge = nx * tx[k] + ny * ty[k], apex = nx * tx[(k + 2) % 3] + ny * ty[(k + 2) % 3];
    const double corners[4] = {nx * x0 + ny * y0, nx * x1 + ny * y0, nx * x1 + ny * y1, nx * x0 + ny * y1};
    const double low = *std::min_element(corners, corners + 4), high = *std::max_element(corners, corners + 4);
    const double triLow = std::min(edge, apex), triHigh = std::max(edge, apex);
    if (high < triLow || low > triHigh) return false;
  }
  return true;
}

TEST(ProjectionArea, RasterisationMarksExactlyTheCellsATriangleMeets) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> coordinate(0.0, 40.0), small(-1.5, 1.5);
  CZtMonoMap grid;
  grid.cellSizeX = grid.cellSizeY = 1.0;
  for (int trial = 0; trial < 400; ++trial) {
    ASSERT_TRUE(grid.Allocate(40, 40));
    double x[3], y[3];
    // Large, thin and sub-cell triangles.
    const double cx = coordinate(rng), cy = coordinate(rng);
    for (int k = 0; k < 3; ++k) {
      const double scale = trial % 3 == 0 ? 0.2 : (trial % 3 == 1 ? 6.0 : 20.0);
      x[k] = std::clamp(cx + scale * small(rng), 0.0, 39.999);
      y[k] = std::clamp(cy + scale * small(rng) * (trial % 5 == 0 ? 0.01 : 1.0), 0.0, 39.999);
    }
    grid.RasterizeTriangle(x, y);
    constexpr double kSlack = 1e-6;
    for (uint32_t j = 0; j < 40; ++j) {
      for (uint32_t i = 0; i < 40; ++i) {
        const bool marked = grid.IsOccupied(i, j);
        if (RectangleMeetsTriangle(i + kSlack, j + kSlack, i + 1 - kSlack, j + 1 - kSlack, x, y)) {
          ASSERT_TRUE(marked) << "trial " << trial << " misses cell " << i << "," << j;
        }
        if (marked) {
          ASSERT_TRUE(RectangleMeetsTriangle(i - kSlack, j - kSlack, i + 1 + kSlack, j + 1 + kSlack, x, y))
              << "trial " << trial << " marks cell " << i << "," << j;
        }
      }
    }
  }
}

// --- one model's shadow --------------------------------------------------------

TEST(ProjectionArea, FlatSquareAtDivision1000IsSlightlyAbove100) {
  Polygons polygons;
  ASSERT_TRUE(ProjectionLoopsByDivision(*ModelOf(Square(0, 0, 10, 10)), 1000, polygons));
  ASSERT_EQ(polygons.size(), 1u);
  // 1000 cells of 10/999: the boundary cells count whole.
  const double side = 1000.0 * 10.0 / 999.0;
  EXPECT_GT(TotalArea(polygons), 100.0);
  EXPECT_NEAR(TotalArea(polygons), side * side, 1e-3);
}

TEST(ProjectionArea, RingIsOuterAreaMinusHole) {
  Polygons polygons;
  ASSERT_TRUE(ProjectionLoopsByDivision(*ModelOf(Frame(10, 3, 7)), 1000, polygons));
  ASSERT_EQ(polygons.size(), 1u);
  ASSERT_EQ(polygons[0].holes.size(), 1u);
  // Exact 100 - 16; the cells along both boundaries count whole.
  const double cell = 10.0 / 999.0;
  EXPECT_GT(TotalArea(polygons), 84.0);
  EXPECT_LT(TotalArea(polygons), 84.0 + (40.0 + 16.0) * 2.0 * cell);
}

TEST(ProjectionArea, TriangleInsideOneGridCellGivesCellArea) {
  for (const double s : {0.5, 0.1, 2.0}) {
    const float x = float(3.2 * s), y = float(-4.7 * s);  // inside cell (3, -5)
    Polygons polygons;
    ASSERT_TRUE(ProjectionLoopsByGridSize(
        *ModelOf({{x, y, x + float(0.2 * s), y, x, y + float(0.1 * s)}}), s, polygons));
    EXPECT_NEAR(TotalArea(polygons), s * s, 1e-6 * s * s) << s;
  }
}

TEST(ProjectionArea, ModelWithoutTrianglesHasNoShadow) {
  CZtModel empty;
  Polygons polygons = {CZtPolygon2f{{{0, 0}, {1, 0}, {1, 1}}, {}}};
  EXPECT_TRUE(ProjectionLoopsByDivision(empty, 1000, polygons));
  EXPECT_TRUE(polygons.empty());
  EXPECT_TRUE(ProjectionLoopsByGridSize(empty, 0.1, polygons));
  EXPECT_TRUE(polygons.empty());
}

// Models that cannot give a grid, and settings that cannot: false, quickly,
// without allocating beyond the cell cap.
TEST(ProjectionArea, UnusableGridFails) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const auto square = ModelOf(Square(0, 0, 10, 10));
  const auto allSameX = ModelOf({{2, 0, 2, 5, 2, 9}});
  const auto nanVertex = ModelOf({{0, 0, nan, 1, 1, 1}});
  const auto infVertex = ModelOf({{0, 0, 1, inf, 1, 1}});
  auto unset = ModelOf({{0, 0, 1, 0, 1, 1}});
  for (int32_t& index : unset->triangles[0].vertexIndex) index = -1;

  struct Case {
    std::string name;
    const CZtModel* model;
    bool byGridSize;
    double setting;
  };
  const std::vector<Case> cases = {
      {"division 1", square.get(), false, 1},
      {"division 0", square.get(), false, 0},
      {"division negative", square.get(), false, -5},
      {"division beyond the cell cap", square.get(), false, 20000},
      {"grid size 0", square.get(), true, 0.0},
      {"grid size negative", square.get(), true, -0.5},
      {"grid size NaN", square.get(), true, std::numeric_limits<double>::quiet_NaN()},
      {"grid size infinite", square.get(), true, std::numeric_limits<double>::infinity()},
      {"grid size tiny against the model", square.get(), true, 1e-9},
      {"grid size denormal", square.get(), true, 5e-324},
      {"all x equal", allSameX.get(), false, 1000},
      {"NaN vertex", nanVertex.get(), false, 1000},
      {"NaN vertex by grid size", nanVertex.get(), true, 0.1},
      {"infinite vertex", infVertex.get(), false, 1000},
      {"no referenced vertex", unset.get(), false, 1000},
  };
  for (const Case& c : cases) {
    Polygons polygons = {CZtPolygon2f{{{0, 0}, {1, 0}, {1, 1}}, {}}};
    const bool ok = c.byGridSize ? ProjectionLoopsByGridSize(*c.model, c.setting, polygons)
                                 : ProjectionLoopsByDivision(*c.model, int(c.setting), polygons);
    EXPECT_FALSE(ok) << c.name;
    EXPECT_TRUE(polygons.empty()) << c.name;
  }
}

// Bad triangles are skipped without reading outside the vertex array (the
// sanitizer build checks the reads); the good ones still give their shadow.
TEST(ProjectionArea, BadTrianglesAreSkipped) {
  struct Case {
    std::string name;
    std::array<int32_t, 3> indices;
  };
  const std::vector<Case> cases = {
      {"unset index", {0, -1, 2}},
      {"index past the end", {0, 1, 99}},
      {"negative index", {0, 1, -7}},
      {"huge index", {std::numeric_limits<int32_t>::max(), 1, 2}},
  };
  Polygons reference;
  ASSERT_TRUE(ProjectionLoopsByGridSize(*ModelOf(Square(0, 0, 4, 4)), 0.5, reference));
  for (const Case& c : cases) {
    auto model = ModelOf(Square(0, 0, 4, 4));
    CZtIndexedTriangle bad;
    for (int k = 0; k < 3; ++k) bad.vertexIndex[k] = c.indices[k];
    model->triangles.insert(model->triangles.begin() + 1, bad);
    Polygons polygons;
    ASSERT_TRUE(ProjectionLoopsByGridSize(*model, 0.5, polygons)) << c.name;
    EXPECT_EQ(polygons, reference) << c.name;
  }
}

TEST(ProjectionArea, DegenerateAndCollinearTrianglesMarkTheirSegment) {
  // Two equal indices: the segment from (0.5, 0.5) to (3.5, 0.5) at grid
  // size 1 lies in four cells of one row.
  auto degenerate = ModelOf({{0.5f, 0.5f, 3.5f, 0.5f, 0, 0}});
  degenerate->triangles[0].vertexIndex[2] = degenerate->triangles[0].vertexIndex[0];
  Polygons polygons;
  ASSERT_TRUE(ProjectionLoopsByGridSize(*degenerate, 1.0, polygons));
  ASSERT_EQ(polygons.size(), 1u);
  EXPECT_EQ(polygons[0].outer, (CZtLoop2f{{0, 0}, {4, 0}, {4, 1}, {0, 1}}));

  // Three collinear corners: a sliver of cells, still a success.
  ASSERT_TRUE(ProjectionLoopsByDivision(*ModelOf({{0, 0, 5, 5, 10, 10}}), 100, polygons));
  EXPECT_GT(TotalArea(polygons), 0.0);
  EXPECT_LT(TotalArea(polygons), 3.0 * 100 * (10.0 / 99) * (10.0 / 99));
}

// --- the calculation for several models ----------------------------------------

TEST(ProjectionArea, OverlappingModelsCountTheOverlapOnce) {
  const auto left = ModelOf(Square(0, 0, 10, 10), 0.0f);
  const auto right = ModelOf(Square(5, 0, 15, 10), 5.0f);
  CProjectionAreaSettings settings;
  settings.specifiedGridSize = true;
  settings.gridSize = 0.5;
  CProjectionAreaResult result;
  ASSERT_TRUE(CalcProjectionArea({{left.get(), 0.0f, 0.0f}, {right.get(), 5.0f, 20.0f}}, settings, result));
  ASSERT_EQ(result.polygons.size(), 1u);
  // Grid-size cells align with the squares except at the far edges, which
  // take one more row and column of cells: [0, 15.5] x [0, 10.5].
  EXPECT_FLOAT_EQ(result.area, 15.5f * 10.5f);
  EXPECT_FLOAT_EQ(result.outlineZ, 0.0f - 20.0f * 0.1f);
  EXPECT_EQ(FormatProjectionArea(result.area), " 162.7500");
}

TEST(ProjectionArea, CalculationFailsWholeWhenAnyModelFails) {
  const auto good = ModelOf(Square(0, 0, 10, 10));
  const auto flat = ModelOf({{2, 0, 2, 5, 2, 9}});
  CProjectionAreaSettings settings;
  CProjectionAreaResult result;
  EXPECT_FALSE(CalcProjectionArea({{good.get(), 0, 1}, {flat.get(), 0, 1}}, settings, result));
  EXPECT_TRUE(result.polygons.empty());
  EXPECT_FALSE(CalcProjectionArea({{good.get(), 0, 1}, {nullptr, 0, 1}}, settings, result));
  EXPECT_FALSE(CalcProjectionArea({}, settings, result));
  settings.divisionCount = 1;
  EXPECT_FALSE(CalcProjectionArea({{good.get(), 0, 1}}, settings, result));
}

TEST(ProjectionArea, OutlineClosesEveryLoopAtItsHeight) {
  Polygons polygons;
  ASSERT_TRUE(ProjectionLoopsByGridSize(*ModelOf(Frame(10, 3, 7)), 1.0, polygons));
  const auto lines = ProjectionOutline(polygons, -2.5f);
  ASSERT_EQ(lines.size(), 2u);  // the outer loop and the hole
  for (const auto& line : lines) {
    ASSERT_GE(line.size(), 5u);
    EXPECT_EQ(line.front(), line.back());
    for (const auto& p : line) EXPECT_EQ(p.z, -2.5f);
  }
}

}  // namespace
