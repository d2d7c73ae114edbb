// Polygon union speed: many random overlapping squares, and the traced loops
// of large occupancy grids (what the projection area feeds it).
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "geometry/PolygonUnion.h"
#include "geometry/ZtMonoMap.h"

namespace {

std::vector<CZtLoop2f> RandomSquares(int count, float minSide, float maxSide) {
  std::mt19937 rng(12345);
  std::uniform_real_distribution<float> position(0.0f, 1000.0f), side(minSide, maxSide);
  std::vector<CZtLoop2f> loops;
  loops.reserve(size_t(count));
  for (int i = 0; i < count; ++i) {
    const float x = position(rng), y = position(rng), s = side(rng);
    loops.push_back({{x, y}, {x + s, y}, {x + s, y + s}, {x, y + s}});
  }
  return loops;
}

void BM_UniteRandomSquares(benchmark::State& state) {
  const auto loops = RandomSquares(int(state.range(0)), float(state.range(1)), float(state.range(2)));
  std::vector<CZtPolygon2f> polygons;
  for (auto _ : state) {
    if (!UniteLoops(loops, polygons)) state.SkipWithError("union failed");
    benchmark::DoNotOptimize(polygons.data());
  }
  size_t holes = 0;
  for (const auto& p : polygons) holes += p.holes.size();
  state.counters["polygons"] = double(polygons.size());
  state.counters["holes"] = double(holes);
}
// 10,000 squares of side 5..25 in 1000 x 1000 (each point covered ~2 times
// on average), and 10,000 larger ones (side 20..60, many more crossings).
BENCHMARK(BM_UniteRandomSquares)->Args({10000, 5, 25})->Args({10000, 20, 60})->Unit(benchmark::kMillisecond);

enum Pattern { kRandomCells = 0, kCheckerboard = 1, kBlobs = 2 };

// A 1000 x 1000 occupancy grid of unit cells.
CZtMonoMap MakeGrid(Pattern pattern) {
  constexpr uint32_t kSize = 1000;
  CZtMonoMap grid;
  grid.cellSizeX = grid.cellSizeY = 0.01;
  grid.Allocate(kSize, kSize);
  std::mt19937 rng(99);
  std::bernoulli_distribution coin(0.5);
  for (uint32_t j = 0; j < kSize; ++j) {
    for (uint32_t i = 0; i < kSize; ++i) {
      bool occupied = false;
      switch (pattern) {
        case kRandomCells: occupied = coin(rng); break;
        case kCheckerboard: occupied = (i + j) % 2 == 0; break;
        case kBlobs: occupied = std::sin(i * 0.05) * std::cos(j * 0.043) + 0.3 * std::sin((i + j) * 0.11) > 0.1; break;
      }
      if (occupied) grid.Occupy(i, j);
    }
  }
  return grid;
}

void BM_UniteTracedGrid(benchmark::State& state) {
  const CZtMonoMap grid = MakeGrid(Pattern(state.range(0)));
  std::vector<CZtLoop2f> loops;
  grid.TraceLoops(loops);
  size_t points = 0;
  for (const auto& loop : loops) points += loop.size();
  std::vector<CZtPolygon2f> polygons;
  for (auto _ : state) {
    if (!UniteLoops(loops, polygons)) state.SkipWithError("union failed");
    benchmark::DoNotOptimize(polygons.data());
  }
  state.counters["loops"] = double(loops.size());
  state.counters["points"] = double(points);
  state.counters["polygons"] = double(polygons.size());
}
BENCHMARK(BM_UniteTracedGrid)
    ->Arg(kRandomCells)
    ->Arg(kCheckerboard)
    ->Arg(kBlobs)
    ->ArgName("pattern(0 random,1 checker,2 blobs)")
    ->Unit(benchmark::kMillisecond);

void BM_TraceGrid(benchmark::State& state) {
  const CZtMonoMap grid = MakeGrid(Pattern(state.range(0)));
  std::vector<CZtLoop2f> loops;
  for (auto _ : state) {
    grid.TraceLoops(loops);
    benchmark::DoNotOptimize(loops.data());
  }
  state.counters["loops"] = double(loops.size());
}
BENCHMARK(BM_TraceGrid)->Arg(kRandomCells)->Arg(kBlobs)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
