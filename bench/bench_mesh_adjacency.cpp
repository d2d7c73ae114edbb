// Vertex merge, corner links and boundary edges on large STL-style models,
// against admesh checking the same facets from a binary STL file.
//
//   bench_mesh_adjacency [facets] [repetitions]
//
// facets (default 2000000) is rounded to a closed UV sphere of 2000 slices,
// written to a temporary binary STL.  Each time is the best of `repetitions`
// (default 3) runs, wall and CPU.  The admesh time is the whole process
// (reading the file and its default checks and repairs); ours starts from a
// model already in memory with three unshared vertices per facet, as the STL
// import leaves it, and is FindBoundaryEdges on it: vertex merge, corner
// links and the boundary scan, as the solid check runs them.  The same
// facets shuffled follow.  Last come two hostile models with huge vertex
// fans, where a pairwise fan scan would be quadratic.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "geometry/ZtMeshAdjacency.h"
#include "geometry/ZtVolume.h"
#include "support/TestSupport.h"

extern char** environ;

namespace {

using testsupport::Facet;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Three unshared vertices per facet and one group, as the STL import builds it.
std::unique_ptr<CZtModel> StlStyleModel(const std::vector<Facet>& facets) {
  auto model = std::make_unique<CZtModel>();
  model->vertices.reserve(3 * facets.size());
  model->triangles.reserve(facets.size());
  model->facetNormals.reserve(facets.size());
  auto* group = new CZtGroup;
  group->model = model.get();
  group->triangleIndices.reserve(facets.size());
  model->groups.push_back(group);
  for (const Facet& f : facets) {
    const int32_t base = static_cast<int32_t>(model->vertices.size());
    for (int k = 0; k < 3; ++k) model->vertices.push_back({f[3 * k], f[3 * k + 1], f[3 * k + 2]});
    CZtIndexedTriangle t;
    for (int k = 0; k < 3; ++k) {
      t.vertexIndex[k] = base + k;
      t.normalIndex[k] = 0;
    }
    t.facetNormalIndex = static_cast<int32_t>(model->triangles.size());
    group->triangleIndices.push_back(static_cast<uint32_t>(model->triangles.size()));
    model->triangles.push_back(t);
    model->facetNormals.push_back(
        CZtModel::FacetNormalOf(model->vertices[base], model->vertices[base + 1], model->vertices[base + 2]));
  }
  return model;
}

// Closed UV sphere of radius 50 mm, wound outwards: 2 * slices * (stacks - 1)
// facets.  Shared points are computed from the same (stack, slice) pair, so
// they are bit-identical; the poles are exact.
std::vector<Facet> SphereFacets(int slices, int stacks) {
  auto point = [&](int i, int j) -> std::array<float, 3> {
    if (i == 0) return {0, 0, 50};
    if (i == stacks) return {0, 0, -50};
    const double theta = M_PI * i / stacks, phi = 2 * M_PI * (j % slices) / slices;
    return {static_cast<float>(50 * std::sin(theta) * std::cos(phi)),
            static_cast<float>(50 * std::sin(theta) * std::sin(phi)), static_cast<float>(50 * std::cos(theta))};
  };
  auto facet = [](const std::array<float, 3>& a, const std::array<float, 3>& b, const std::array<float, 3>& c) {
    return Facet{a[0], a[1], a[2], b[0], b[1], b[2], c[0], c[1], c[2]};
  };
  std::vector<Facet> facets;
  facets.reserve(2 * static_cast<std::size_t>(slices) * (stacks - 1));
  for (int i = 0; i < stacks; ++i) {
    for (int j = 0; j < slices; ++j) {
      const auto p00 = point(i, j), p01 = point(i, j + 1), p10 = point(i + 1, j), p11 = point(i + 1, j + 1);
      if (i != 0) facets.push_back(facet(p00, p10, p01));
      if (i != stacks - 1) facets.push_back(facet(p01, p10, p11));
    }
  }
  return facets;
}

// Wall and CPU seconds.  The machine may be shared, so the CPU time (user +
// system, which includes the page faults of fresh buffers) is printed beside
// the wall time.
struct Times {
  double wall = 0, cpu = 0;
  Times operator+(const Times& o) const { return {wall + o.wall, cpu + o.cpu}; }
  Times Min(const Times& o) const { return {std::min(wall, o.wall), std::min(cpu, o.cpu)}; }
};

double ProcessCpuSeconds() {
  timespec ts;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec + ts.tv_nsec * 1e-9;
}

class Stopwatch {
public:
  Times Elapsed() const { return {SecondsSince(m_wall), ProcessCpuSeconds() - m_cpu}; }

private:
  Clock::time_point m_wall = Clock::now();
  double m_cpu = ProcessCpuSeconds();
};

struct PipelineResult {
  Times pipeline;                // FindBoundaryEdges on a fresh model, as the solid check runs it
  Times merge, links, boundary;  // the same three steps called one by one on another fresh model
  std::size_t vertices = 0, boundaryEdges = 0;
  bool closed = false;
  float volume = 0;
};

PipelineResult RunPipeline(const std::vector<Facet>& facets) {
  PipelineResult r;
  {
    auto model = StlStyleModel(facets);
    std::vector<CZtEdge> edges;
    const Stopwatch watch;
    r.closed = FindBoundaryEdges(model.get(), edges);
    r.pipeline = watch.Elapsed();
    r.vertices = model->vertices.size();
    r.boundaryEdges = edges.size();
    SignedVolume(model.get(), &r.volume);
  }
  auto model = StlStyleModel(facets);
  Stopwatch watch;
  MergeCoincidentVertices(model.get());
  r.merge = watch.Elapsed();
  watch = Stopwatch();
  BuildCornerLinks(model.get());
  r.links = watch.Elapsed();
  watch = Stopwatch();
  std::vector<CZtEdge> edges;
  FindBoundaryEdges(model.get(), edges);  // reuses the links just built
  r.boundary = watch.Elapsed();
  return r;
}

// Best of `repetitions` runs, step by step.
PipelineResult BestOf(int repetitions, const std::vector<Facet>& facets) {
  PipelineResult best = RunPipeline(facets);
  for (int i = 1; i < repetitions; ++i) {
    const PipelineResult r = RunPipeline(facets);
    best.pipeline = best.pipeline.Min(r.pipeline);
    best.merge = best.merge.Min(r.merge);
    best.links = best.links.Min(r.links);
    best.boundary = best.boundary.Min(r.boundary);
  }
  return best;
}

// Runs "admesh <stl>" with its report going to reportPath: the wall time of
// the whole process and its CPU time (user + system), or a negative wall time
// when it could not run.
Times TimeAdmesh(const std::string& stlPath, const std::string& reportPath) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, reportPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  char program[] = "admesh";
  std::string path = stlPath;
  char* argv[] = {program, path.data(), nullptr};
  const Clock::time_point start = Clock::now();
  pid_t pid;
  const int spawned = posix_spawnp(&pid, "admesh", &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return {-1, -1};
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return {-1, -1};
  const double wall = SecondsSince(start);
  auto seconds = [](const timeval& tv) { return tv.tv_sec + tv.tv_usec * 1e-6; };
  return {wall, seconds(usage.ru_utime) + seconds(usage.ru_stime)};
}

// The lines of admesh's report that say whether the surface closed and its volume.
void PrintAdmeshFigures(const std::string& reportPath) {
  std::ifstream in(reportPath);
  std::string line;
  while (std::getline(in, line)) {
    if (line.find("Number of facets") != std::string::npos || line.find("disconnected") != std::string::npos ||
        line.find("Volume") != std::string::npos || line.find("Facets reversed") != std::string::npos) {
      std::printf("    admesh| %s\n", line.c_str());
    }
  }
}

void PrintTimes(const char* label, const Times& t) {
  std::printf("%s%.3f s wall, %.3f s CPU", label, t.wall, t.cpu);
}

void CompareWithAdmesh(const char* name, const std::vector<Facet>& facets, int repetitions, int admeshRepetitions,
                       const testsupport::TempDir& dir) {
  const std::string stl = dir.File(std::string(name) + ".stl");
  const std::string report = dir.File(std::string(name) + ".txt");
  testsupport::WriteFile(stl, testsupport::BinaryStl(facets, "bench_mesh_adjacency"));

  Times admesh = TimeAdmesh(stl, report);
  for (int i = 1; i < admeshRepetitions && admesh.wall >= 0; ++i) admesh = admesh.Min(TimeAdmesh(stl, report));
  const PipelineResult ours = BestOf(repetitions, facets);

  std::printf("%s: %zu facets, %zu vertex entries -> %zu vertices, %s, %zu boundary edges, volume %.4f mm^3\n",
              name, facets.size(), 3 * facets.size(), ours.vertices, ours.closed ? "closed" : "open",
              ours.boundaryEdges, ours.volume);
  PrintTimes("  ours (FindBoundaryEdges on a fresh model): ", ours.pipeline);
  std::printf(", best of %d\n", repetitions);
  PrintTimes("    steps: merge ", ours.merge);
  PrintTimes(" | links ", ours.links);
  PrintTimes(" | boundary ", ours.boundary);
  std::printf("\n");
  if (admesh.wall < 0) {
    std::printf("  admesh: could not run \"admesh %s\"\n", stl.c_str());
    return;
  }
  PrintTimes("  admesh (whole process on the binary STL): ", admesh);
  std::printf(", best of %d\n", admeshRepetitions);
  PrintAdmeshFigures(report);
  std::printf("  ratio admesh / ours: %.1f wall, %.1f CPU\n", admesh.wall / ours.pipeline.wall,
              admesh.cpu / ours.pipeline.cpu);
}

// A closed cone whose apex and base centre each carry a fan of every slice,
// and a million triangles along one edge in random directions.
void TimeHugeFans(int repetitions) {
  constexpr int kSlices = 1000000;
  std::vector<Facet> cone;
  for (int i = 0; i < kSlices; ++i) {
    const double a0 = 2 * M_PI * i / kSlices, a1 = 2 * M_PI * ((i + 1) % kSlices) / kSlices;
    const float x0 = static_cast<float>(100 * std::cos(a0)), y0 = static_cast<float>(100 * std::sin(a0));
    const float x1 = static_cast<float>(100 * std::cos(a1)), y1 = static_cast<float>(100 * std::sin(a1));
    cone.push_back({0, 0, 50, x0, y0, 0, x1, y1, 0});
    cone.push_back({0, 0, 0, x1, y1, 0, x0, y0, 0});
  }
  std::mt19937 random(1);
  std::shuffle(cone.begin(), cone.end(), random);
  PipelineResult r = BestOf(repetitions, cone);
  std::printf("cone, shuffled: %zu facets, two fans of %d: %s", cone.size(), kSlices, r.closed ? "closed" : "open");
  PrintTimes(", links ", r.links);
  PrintTimes(", pipeline ", r.pipeline);
  std::printf("\n");

  std::vector<Facet> fin;
  for (int i = 0; i < 1000000; ++i) {
    const float tip = static_cast<float>(i);
    fin.push_back(random() % 2 ? Facet{0, 0, 0, 1, 0, 0, 0, 1, tip} : Facet{1, 0, 0, 0, 0, 0, 0, 1, tip});
  }
  r = BestOf(repetitions, fin);
  std::printf("one edge shared by %zu facets: %s, %zu boundary edges", fin.size(), r.closed ? "closed" : "open",
              r.boundaryEdges);
  PrintTimes(", links ", r.links);
  PrintTimes(", pipeline ", r.pipeline);
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  const long requested = argc > 1 ? std::atol(argv[1]) : 2000000;
  const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  constexpr int kSlices = 2000;
  const int stacks = std::max(2, static_cast<int>(requested / (2 * kSlices)) + 1);

  testsupport::TempDir dir;
  std::vector<Facet> sphere = SphereFacets(kSlices, stacks);
  CompareWithAdmesh("sphere", sphere, repetitions, repetitions, dir);
  // admesh needs tens of seconds for a shuffled file, so it runs once there
  std::mt19937 random(2);
  std::shuffle(sphere.begin(), sphere.end(), random);
  CompareWithAdmesh("sphere_shuffled", sphere, repetitions, 1, dir);
  sphere = {};
  TimeHugeFans(repetitions);
  return 0;
}
