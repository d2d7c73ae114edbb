// The view chain's pure computations: point on an edge or facet under a
// click, selection buffer records, and the layout of the distance scales.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "view/OpenGLPickView.h"
#include "view/OpenGLUtilView.h"
#include "view/PickGeometry.h"

namespace {

using V3 = TZtVector3<float>;

void ExpectNear(const V3& actual, const V3& expected, float tolerance = 1e-6f) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

// ---------------------------------------------------------------------------
// Point on an edge

struct EdgeCase {
  const char* what;
  WindowPoint s0, s1;
  int x, y;
  float t;  // expected parameter along p0-p1
};

TEST(PointOnEdgeWindow, InterpolatesInModelSpaceAlongTheLongerWindowAxis) {
  const V3 p0{1.0f, 2.0f, 3.0f}, p1{5.0f, -2.0f, 7.0f};
  const EdgeCase cases[] = {
      {"midway", {0, 0}, {100, 0}, 50, 0, 0.5f},
      {"before p0 clamps to p0", {0, 0}, {100, 0}, -30, 0, 0.0f},
      {"beyond p1 clamps to p1", {0, 0}, {100, 0}, 130, 3, 1.0f},
      // A steep edge takes its parameter from y; x alone would clamp to 1.
      {"steep edge uses y", {0, 0}, {2, 10}, 50, 5, 0.5f},
      {"reversed direction", {100, 50}, {0, 50}, 25, 50, 0.75f},
  };
  for (const EdgeCase& c : cases) {
    SCOPED_TRACE(c.what);
    ExpectNear(PointOnEdgeWindow(c.x, c.y, c.s0, c.s1, p0, p1), p0 + (p1 - p0) * c.t);
  }
}

TEST(PointOnEdgeWindow, EndsOnOnePixelGiveP1) {
  const V3 p0{1.0f, 2.0f, 3.0f}, p1{5.0f, -2.0f, 7.0f};
  ExpectNear(PointOnEdgeWindow(3, 4, {10, 10}, {10, 10}, p0, p1), p1, 0.0f);
}

// ---------------------------------------------------------------------------
// Point on a facet

struct FacetCase {
  const char* what;
  int x, y;
  float u, v;  // expected weights of p1 - p0 and p2 - p0
};

TEST(PointOnFacetWindow, ClampsClicksOutsideOntoTheBoundary) {
  // Window triangle (0,0) (10,0) (0,10); model corners deliberately unlike it.
  const WindowPoint s0{0, 0}, s1{10, 0}, s2{0, 10};
  const V3 p0{1.0f, 1.0f, 1.0f}, p1{3.0f, 1.0f, 0.0f}, p2{1.0f, 5.0f, 2.0f};
  const FacetCase cases[] = {
      {"inside", 2, 3, 0.2f, 0.3f},
      {"corner p2", 0, 10, 0.0f, 1.0f},
      {"beyond the far edge keeps the larger weight", 8, 6, 0.8f, 0.2f},
      {"beyond the far edge, v larger", 3, 9, 0.1f, 0.9f},
      {"equal weights keep v", 6, 6, 0.4f, 0.6f},
      {"left of p0-p2", -5, 3, 0.0f, 0.3f},
      {"below p0-p1", 4, -7, 0.4f, 0.0f},
      {"beyond p0", -3, -3, 0.0f, 0.0f},
  };
  for (const FacetCase& c : cases) {
    SCOPED_TRACE(c.what);
    ExpectNear(PointOnFacetWindow(c.x, c.y, s0, s1, s2, p0, p1, p2), p0 + (p1 - p0) * c.u + (p2 - p0) * c.v,
               1e-5f);
  }
}

TEST(PointOnFacetWindow, EdgeOnTriangleSearchesP0P2ThenP0P1) {
  // Collinear on the window's x axis: det = 0.
  const WindowPoint s0{0, 0}, s1{10, 0}, s2{20, 0};
  const V3 p0{0.0f, 0.0f, 0.0f}, p1{1.0f, 1.0f, 0.0f}, p2{4.0f, 0.0f, 2.0f};
  ExpectNear(PointOnFacetWindow(15, 0, s0, s1, s2, p0, p1, p2), p0 + (p2 - p0) * 0.75f);
  // Outside p0-p2: along p0-p1, clamped.
  ExpectNear(PointOnFacetWindow(25, 0, s0, s1, s2, p0, p1, p2), p1);
  ExpectNear(PointOnFacetWindow(-5, 0, s0, s1, s2, p0, p1, p2), p0);
}

TEST(PointOnFacetWindow, AllCornersOnOnePixelGiveP1) {
  const V3 p0{0.0f, 0.0f, 0.0f}, p1{1.0f, 1.0f, 0.0f}, p2{4.0f, 0.0f, 2.0f};
  ExpectNear(PointOnFacetWindow(7, 7, {3, 3}, {3, 3}, {3, 3}, p0, p1, p2), p1, 0.0f);
}

// ---------------------------------------------------------------------------
// Selection buffer records

TEST(ParseSelectionBuffer, ReadsCountDepthsAndNamesInBufferOrder) {
  const std::vector<uint32_t> buffer = {
      2, 0u,          0xFFFFFFFFu, 7, 1024,            // whole object, depths 0 and ~2
      5, 0x80000000u, 0x80000001u, 7, 1024, 1, 42, 2,  // a corner
  };
  const auto hits = ParseSelectionBuffer(buffer.data(), buffer.size(), 2);
  ASSERT_EQ(hits.size(), 2u);
  EXPECT_EQ(hits[0].nameCount, 2u);
  EXPECT_EQ(hits[0].depthMin, 0.0f);
  EXPECT_FLOAT_EQ(hits[0].depthMax, 2.0f);
  EXPECT_EQ(hits[0].names[0], 7u);
  EXPECT_EQ(hits[0].names[1], 1024u);
  EXPECT_EQ(hits[1].nameCount, 5u);
  EXPECT_FLOAT_EQ(hits[1].depthMin, 1.0f);
  const uint32_t expected[5] = {7, 1024, 1, 42, 2};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(hits[1].names[i], expected[i]) << i;
}

TEST(ParseSelectionBuffer, StopsAtRecordsThatRunPastTheBuffer) {
  const std::vector<uint32_t> buffer = {1, 0, 0, 9, /* next claims 5 names, has 2 */ 5, 0, 0, 1, 2};
  EXPECT_EQ(ParseSelectionBuffer(buffer.data(), buffer.size(), 2).size(), 1u);
  const std::vector<uint32_t> huge = {0xFFFFFFFFu, 0, 0, 1, 2, 3};
  EXPECT_TRUE(ParseSelectionBuffer(huge.data(), huge.size(), 1).empty());
  // More hits announced than records present.
  EXPECT_EQ(ParseSelectionBuffer(buffer.data(), 4, 3).size(), 1u);
  const std::vector<uint32_t> header = {3, 0};
  EXPECT_TRUE(ParseSelectionBuffer(header.data(), header.size(), 1).empty());
}

TEST(ParseSelectionBuffer, KeepsTenNamesOfALongRecordAndFindsTheNextRecord) {
  std::vector<uint32_t> buffer = {12, 0, 0};
  for (uint32_t i = 0; i < 12; ++i) buffer.push_back(100 + i);
  buffer.insert(buffer.end(), {2, 0, 0, 3, 512});
  const auto hits = ParseSelectionBuffer(buffer.data(), buffer.size(), 2);
  ASSERT_EQ(hits.size(), 2u);
  EXPECT_EQ(hits[0].nameCount, static_cast<uint32_t>(CPickInformation::kMaxNames));
  EXPECT_EQ(hits[0].names[9], 109u);
  EXPECT_EQ(hits[1].nameCount, 2u);
  EXPECT_EQ(hits[1].names[0], 3u);
  EXPECT_EQ(hits[1].names[1], 512u);
}

TEST(ParseSelectionBuffer, NoHitsForZeroOrOverflow) {
  const std::vector<uint32_t> buffer = {1, 0, 0, 9};
  EXPECT_TRUE(ParseSelectionBuffer(buffer.data(), buffer.size(), 0).empty());
  EXPECT_TRUE(ParseSelectionBuffer(buffer.data(), buffer.size(), -1).empty());
}

// ---------------------------------------------------------------------------
// Distance scales

struct ScaleCase {
  int extent;
  double rate;
  int exponent, count;
  double lengthPixels, start;
  int tickCount;
  double tickSpacing;
  const wchar_t* label;
};

TEST(ComputeScaleLayout, FitsWholeUnitsOfTheDecadeBetweenTheMargins) {
  const ScaleCase cases[] = {
      // L = 80: 8 units of 10, 800 pixels from x = 100.
      {1000, 10.0, 1, 8, 800.0, 100.0, 9, 100.0, L"80"},
      // L = 0.2: 2 units of 0.1, one decimal.
      {400, 1000.0, -1, 2, 200.0, 100.0, 3, 100.0, L"0.2"},
      // L = 1.5: a single unit gets ten ticks a tenth apart.
      {350, 100.0, 0, 1, 100.0, 125.0, 10, 10.0, L"1"},
      // L = 0.05: two decimals.
      {300, 2000.0, -2, 5, 100.0, 100.0, 6, 20.0, L"0.05"},
      // L = 345.6: 3 units of 100.
      {3656, 10.0, 2, 3, 3000.0, 328.0, 4, 1000.0, L"300"},
  };
  for (const ScaleCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "extent " << c.extent << " rate " << c.rate);
    const ScaleLayout layout = ComputeScaleLayout(c.extent, c.rate);
    ASSERT_TRUE(layout.visible);
    EXPECT_EQ(layout.exponent, c.exponent);
    EXPECT_EQ(layout.count, c.count);
    EXPECT_NEAR(layout.lengthPixels, c.lengthPixels, 1e-9);
    EXPECT_NEAR(layout.start, c.start, 1e-9);
    EXPECT_EQ(layout.tickCount, c.tickCount);
    EXPECT_NEAR(layout.tickSpacing, c.tickSpacing, 1e-9);
    EXPECT_EQ(layout.label, std::wstring(c.label));
  }
}

TEST(ComputeScaleLayout, NothingWhenNoLengthFitsOrTheRateIsUnusable) {
  EXPECT_FALSE(ComputeScaleLayout(200, 10.0).visible);  // L = 0
  EXPECT_FALSE(ComputeScaleLayout(150, 10.0).visible);  // L < 0
  EXPECT_FALSE(ComputeScaleLayout(1000, 0.0).visible);
  EXPECT_FALSE(ComputeScaleLayout(1000, -3.0).visible);
  EXPECT_FALSE(ComputeScaleLayout(1000, std::numeric_limits<double>::quiet_NaN()).visible);
}

}  // namespace
