#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "geometry/AnalysisReport.h"
#include "geometry/ZtVolume.h"
#include "support/TestSupport.h"

namespace {

using testsupport::Facet;
using Point = TZtVector3<float>;

// A model as the STL import builds it: three vertices of its own per facet,
// one group.
std::unique_ptr<CZtModel> StlStyleModel(const std::vector<Facet>& facets) {
  auto model = std::make_unique<CZtModel>();
  auto* group = new CZtGroup;
  group->model = model.get();
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

// The unit cube with its eight corners shared by index, as an importer that
// shares vertices would build it.
std::unique_ptr<CZtModel> IndexedUnitCube() {
  auto model = std::make_unique<CZtModel>();
  for (int i = 0; i < 8; ++i) model->vertices.push_back({float(i & 1), float((i >> 1) & 1), float((i >> 2) & 1)});
  // each face as two triangles, counter-clockwise seen from outside
  const int32_t faces[12][3] = {{0, 2, 3}, {0, 3, 1}, {4, 5, 7}, {4, 7, 6}, {0, 1, 5}, {0, 5, 4},
                                {2, 6, 7}, {2, 7, 3}, {0, 4, 6}, {0, 6, 2}, {1, 3, 7}, {1, 7, 5}};
  for (const auto& f : faces) {
    CZtIndexedTriangle t;
    for (int k = 0; k < 3; ++k) t.vertexIndex[k] = f[k];
    model->triangles.push_back(t);
  }
  return model;
}

std::vector<Facet> Reversed(std::vector<Facet> facets) {
  for (Facet& f : facets) std::swap_ranges(f.begin() + 3, f.begin() + 6, f.begin() + 6);
  return facets;
}

std::vector<Facet> Translated(std::vector<Facet> facets, float dx, float dy, float dz) {
  for (Facet& f : facets) {
    for (int k = 0; k < 3; ++k) {
      f[3 * k] += dx;
      f[3 * k + 1] += dy;
      f[3 * k + 2] += dz;
    }
  }
  return facets;
}

CZtIndexedTriangle Triangle(int32_t a, int32_t b, int32_t c) {
  CZtIndexedTriangle t;
  t.vertexIndex[0] = a;
  t.vertexIndex[1] = b;
  t.vertexIndex[2] = c;
  return t;
}

}  // namespace

TEST(ComputeModelVolume, ClosedModelsGiveTheirVolumeAndOpenOnesAreRefused) {
  std::vector<Facet> withoutFirst = testsupport::CubeFacets();
  withoutFirst.erase(withoutFirst.begin());
  auto deletedInPlace = StlStyleModel(testsupport::CubeFacets());
  deletedInPlace->triangles[5] = CZtIndexedTriangle();

  struct Case {
    const char* name;
    std::unique_ptr<CZtModel> model;
    const wchar_t* text;
  };
  Case cases[] = {
      {"unit cube, shared corners", IndexedUnitCube(), L"   1.0000"},
      {"unit cube, unshared vertices", StlStyleModel(testsupport::CubeFacets()), L"   1.0000"},
      {"cube wound inwards", StlStyleModel(Reversed(testsupport::CubeFacets())), L"  -1.0000"},
      {"cube of edge 2.5", StlStyleModel(testsupport::CubeFacets(2.5f)), L"  15.6250"},
      {"cube moved away from the origin", StlStyleModel(Translated(testsupport::CubeFacets(), 3, -4, 5)), L"   1.0000"},
      {"cube without a triangle", StlStyleModel(withoutFirst), L"ソリッドでない"},
      {"cube with a triangle deleted in place", std::move(deletedInPlace), L"ソリッドでない"},
      {"no triangle", std::make_unique<CZtModel>(), L"ソリッドでない"},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    float volume = -123.0f;
    const bool computed = ComputeModelVolume(c.model.get(), &volume);
    EXPECT_EQ(VolumeReportText(computed, volume), c.text);
    if (!computed) {
      EXPECT_EQ(volume, -123.0f);
    }
  }
  float volume = 0;
  EXPECT_FALSE(ComputeModelVolume(nullptr, &volume));
  EXPECT_FALSE(ComputeModelVolume(cases[0].model.get(), nullptr));
}

TEST(SignedVolume, ManyFacetsFarFromTheOriginSumWithoutDriftInAnyOrder) {
  // A cube of edge 1.37 far from the origin, each face cut into 100 x 100
  // squares: 120000 facets whose determinants are about 1e7 each and cancel.
  std::vector<Facet> facets;
  const int n = 100;
  const float o = 1234.567f, step = 0.0137f;
  const auto square = [&](auto point) {
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) {
        const Point a = point(i, j), b = point(i + 1, j), c = point(i + 1, j + 1), d = point(i, j + 1);
        facets.push_back({a.x, a.y, a.z, b.x, b.y, b.z, c.x, c.y, c.z});
        facets.push_back({a.x, a.y, a.z, c.x, c.y, c.z, d.x, d.y, d.z});
      }
  };
  const float far = o + n * step;
  square([&](int i, int j) { return Point{o + j * step, o + i * step, o}; });    // z = o, normal -z
  square([&](int i, int j) { return Point{o + i * step, o + j * step, far}; });  // z = far, normal +z
  square([&](int i, int j) { return Point{o + i * step, o, o + j * step}; });    // y = o, normal -y
  square([&](int i, int j) { return Point{o + j * step, far, o + i * step}; });  // y = far, normal +y
  square([&](int i, int j) { return Point{o, o + j * step, o + i * step}; });    // x = o, normal -x
  square([&](int i, int j) { return Point{far, o + i * step, o + j * step}; });  // x = far, normal +x
  std::vector<Facet> shuffled = facets;
  std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
  float inOrder = 0, outOfOrder = 0;
  ASSERT_TRUE(ComputeModelVolume(StlStyleModel(facets).get(), &inOrder));
  ASSERT_TRUE(ComputeModelVolume(StlStyleModel(shuffled).get(), &outOfOrder));
  const double edge = double(far) - double(o);
  EXPECT_NEAR(inOrder, edge * edge * edge, 1e-3);
  EXPECT_EQ(inOrder, outOfOrder);
}

TEST(SignedVolume, SumsEveryTriangleWithIndicesInRangeWhetherClosedOrNot) {
  float volume = -1;
  CZtModel empty;
  EXPECT_TRUE(SignedVolume(&empty, &volume));
  EXPECT_EQ(volume, 0.0f);
  EXPECT_FALSE(SignedVolume(nullptr, &volume));
  EXPECT_FALSE(SignedVolume(&empty, nullptr));

  // Unusable and degenerate triangles add nothing; an index out of the
  // vertex array must not be read.
  auto cube = IndexedUnitCube();
  cube->triangles.push_back(Triangle(7, 7, 6));
  cube->triangles.push_back(Triangle(7, 6, -1));
  cube->triangles.push_back(Triangle(7, 6, 8));
  cube->triangles.push_back(Triangle(7, 6, -9));
  EXPECT_TRUE(SignedVolume(cube.get(), &volume));
  EXPECT_EQ(volume, 1.0f);

  // Only the faces away from the origin contribute: dropping the top face
  // leaves 2/3, dropping a face through the origin changes nothing.  The
  // model need not be closed and is not changed.
  auto open = IndexedUnitCube();
  open->triangles.erase(open->triangles.begin() + 2, open->triangles.begin() + 4);
  EXPECT_TRUE(SignedVolume(open.get(), &volume));
  EXPECT_FLOAT_EQ(volume, 2.0f / 3.0f);
  auto openAtOrigin = IndexedUnitCube();
  openAtOrigin->triangles.erase(openAtOrigin->triangles.begin());
  EXPECT_TRUE(SignedVolume(openAtOrigin.get(), &volume));
  EXPECT_EQ(volume, 1.0f);
  EXPECT_TRUE(openAtOrigin->cornerLinks.empty());
}

TEST(AnalysisReport, NumbersAreFormattedLikePercent9Point4lf) {
  // The reference is the C library's own "%9.4lf" in the "C" locale.
  ASSERT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
  std::vector<double> values = {0.0,        -0.0,         1.0,          -1.0,      0.5,       1e-5,
                                -1e-5,      0.00005,      -0.00005,     0.00015,   0.03125,   0.09375,
                                1.00005,    2.5e-5,       12345.67895,  99999.99995, 1e9,     -1e9,
                                123456789.123456, 3.4028234663852886e38, -3.4028234663852886e38,
                                1.7976931348623157e308, 4.9406564584124654e-324,
                                std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                                std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::quiet_NaN()};
  // ties of the fifth decimal that are exact in binary, and random values
  for (int i = -40; i <= 40; ++i) values.push_back(i / 32.0);
  for (int i = -64; i <= 64; ++i) values.push_back(i / 2048.0);
  std::mt19937_64 random(99);
  std::uniform_real_distribution<double> spread(-2000.0, 2000.0);
  for (int i = 0; i < 2000; ++i) values.push_back(spread(random));
  for (int i = 0; i < 200; ++i) values.push_back(static_cast<float>(spread(random) * 1e-3));
  for (double v : values) {
    char expected[400];
    std::snprintf(expected, sizeof expected, "%9.4lf", v);
    const std::wstring actual = FormatReportNumber(v);
    EXPECT_EQ(std::string(actual.begin(), actual.end()), expected) << "value " << v;
  }
}

TEST(AnalysisReport, MinMaxTextHasHeaderCornersAndSizes) {
  CZtMinMaxBox box;
  EXPECT_GT(box.min.x, box.max.x);  // empty until the first merge
  box.Merge({0, 0, 0}, {1, 2, 3});
  box.Merge({-1.25f, 0.5f, -100}, {0.5f, 10, 2});
  EXPECT_EQ(box.min, (Point{-1.25f, 0, -100}));
  EXPECT_EQ(box.max, (Point{1, 10, 3}));
  EXPECT_EQ(MinMaxReportText(box.min, box.max),
            L"         X          Y         Z\r\n"
            L"MAX :    1.0000,   10.0000,    3.0000\r\n"
            L"min :   -1.2500,    0.0000, -100.0000\r\n"
            L"Dif :    2.2500,   10.0000,  103.0000\r\n");
  // the sizes are differences of floats, rounded to float before printing
  const std::wstring text = MinMaxReportText({0.1f, 0, 0}, {16777216.0f, 0, 0});
  EXPECT_NE(text.find(L"Dif : 16777216.0000,"), std::wstring::npos);
}
