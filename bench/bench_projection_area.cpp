// Projection area speed at the default division count of 1000 on models of
// about a million triangles.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "geometry/ProjectionArea.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

void AddTriangle(CZtModel& model, int32_t a, int32_t b, int32_t c) {
  CZtIndexedTriangle t;
  t.vertexIndex[0] = a;
  t.vertexIndex[1] = b;
  t.vertexIndex[2] = c;
  model.triangles.push_back(t);
}

// UV sphere of radius r: stacks x slices quads, two triangles each.
std::unique_ptr<CZtModel> Sphere(int stacks, int slices, float r, float cx) {
  auto model = std::make_unique<CZtModel>();
  for (int i = 0; i <= stacks; ++i) {
    const double theta = kPi * i / stacks;
    for (int j = 0; j < slices; ++j) {
      const double phi = 2.0 * kPi * j / slices;
      model->vertices.emplace_back(float(cx + r * std::sin(theta) * std::cos(phi)),
                                   float(r * std::sin(theta) * std::sin(phi)), float(r * std::cos(theta)));
    }
  }
  for (int i = 0; i < stacks; ++i) {
    for (int j = 0; j < slices; ++j) {
      const int32_t a = i * slices + j, b = i * slices + (j + 1) % slices;
      const int32_t c = a + slices, d = b + slices;
      AddTriangle(*model, a, c, b);
      AddTriangle(*model, b, c, d);
    }
  }
  return model;
}

// Wavy height field over 100 x 100 with n x n quads.
std::unique_ptr<CZtModel> HeightField(int n) {
  auto model = std::make_unique<CZtModel>();
  for (int j = 0; j <= n; ++j) {
    for (int i = 0; i <= n; ++i) {
      const double x = 100.0 * i / n, y = 100.0 * j / n;
      model->vertices.emplace_back(float(x), float(y), float(3.0 * std::sin(x * 0.3) * std::cos(y * 0.2)));
    }
  }
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < n; ++i) {
      const int32_t a = j * (n + 1) + i, b = a + 1, c = a + n + 1, d = c + 1;
      AddTriangle(*model, a, b, d);
      AddTriangle(*model, a, d, c);
    }
  }
  return model;
}

std::unique_ptr<CZtModel> ModelFor(int kind) {
  return kind == 0 ? Sphere(500, 1000, 50.0f, 0.0f) : HeightField(707);
}

void BM_ProjectionLoopsByDivision(benchmark::State& state) {
  const auto model = ModelFor(int(state.range(0)));
  std::vector<CZtPolygon2f> polygons;
  for (auto _ : state) {
    if (!ProjectionLoopsByDivision(*model, 1000, polygons)) state.SkipWithError("projection failed");
    benchmark::DoNotOptimize(polygons.data());
  }
  float area = 0.0f;
  for (const auto& p : polygons) area += PolygonArea(p);
  state.counters["triangles"] = double(model->triangles.size());
  state.counters["area"] = area;
}
BENCHMARK(BM_ProjectionLoopsByDivision)->Arg(0)->Arg(1)->ArgName("model(0 sphere,1 field)")->Unit(benchmark::kMillisecond);

// The dialog's whole calculation for two overlapping spheres of a million
// triangles each.
void BM_CalcProjectionAreaTwoSpheres(benchmark::State& state) {
  const auto first = Sphere(500, 1000, 50.0f, 0.0f);
  const auto second = Sphere(500, 1000, 50.0f, 60.0f);
  const std::vector<CProjectionAreaModel> models = {{first.get(), -50.0f, 50.0f}, {second.get(), -50.0f, 50.0f}};
  CProjectionAreaSettings settings;
  CProjectionAreaResult result;
  for (auto _ : state) {
    if (!CalcProjectionArea(models, settings, result)) state.SkipWithError("calculation failed");
    benchmark::DoNotOptimize(result.polygons.data());
  }
  state.counters["area"] = result.area;
}
BENCHMARK(BM_CalcProjectionAreaTwoSpheres)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
