#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "geometry/ZtMatrix4.h"
#include "geometry/ZtModel.h"

namespace {

float NextUp(float v) { return std::nextafter(v, std::numeric_limits<float>::infinity()); }

}  // namespace

TEST(Vector3, NormalizingZeroGivesZeroNotNaN) {
  TZtVector3<float> v{0.0f, 0.0f, 0.0f};
  v.Normalize();
  EXPECT_EQ(v, (TZtVector3<float>{0.0f, 0.0f, 0.0f}));
  TZtVector3<double> d{0.0, 0.0, 0.0};
  d.Normalize();
  EXPECT_FALSE(std::isnan(d.x));
}

TEST(Vector3, NormalizeGivesUnitLengthAndCrossFollowsRightHandRule) {
  TZtVector3<float> v{3.0f, 0.0f, 4.0f};
  v.Normalize();
  EXPECT_FLOAT_EQ(v.x, 0.6f);
  EXPECT_FLOAT_EQ(v.z, 0.8f);
  const TZtVector3<float> x{1, 0, 0}, y{0, 1, 0};
  EXPECT_EQ(x.Cross(y), (TZtVector3<float>{0, 0, 1}));
  EXPECT_EQ(y.Cross(x), (TZtVector3<float>{0, 0, -1}));
}

TEST(PointKey, OrdersByZThenYThenXExactly) {
  struct Case {
    TZtVector3<float> a, b;
    bool aLess, bLess;
  } cases[] = {
      {{5, 5, 0}, {0, 0, 1}, true, false},              // z decides before y and x
      {{5, 0, 1}, {0, 1, 1}, true, false},              // then y
      {{0, 1, 1}, {1, 1, 1}, true, false},              // then x
      {{1, 1, 1}, {NextUp(1.0f), 1, 1}, true, false},   // one ulp apart: different keys
      {{-0.0f, 0, 0}, {0.0f, -0.0f, 0}, false, false},  // -0 and +0 are the same key
  };
  for (const Case& c : cases) {
    const CZtPoint3fWithIndex a(c.a, 0), b(c.b, 1);
    EXPECT_EQ(a < b, c.aLess);
    EXPECT_EQ(b < a, c.bLess);
  }
}

TEST(IndexedTriangle, StartsUnsetAndKnowsValidityAndDegeneracy) {
  CZtIndexedTriangle t;
  EXPECT_EQ(t.vertexIndex[0], -1);
  EXPECT_EQ(t.normalIndex[2], -1);
  EXPECT_EQ(t.facetNormalIndex, -1);
  EXPECT_FALSE(t.IsValid());
  t.vertexIndex[0] = 0;
  t.vertexIndex[1] = 1;
  t.vertexIndex[2] = 1;
  EXPECT_TRUE(t.IsValid());
  EXPECT_TRUE(t.IsDegenerate());
}

TEST(Material, DefaultsAreOpenGLDefaults) {
  const CZtMaterial m;
  const float ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f}, diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f},
              specular[4] = {0, 0, 0, 1};
  EXPECT_EQ(std::memcmp(m.ambient, ambient, sizeof ambient), 0);
  EXPECT_EQ(std::memcmp(m.diffuse, diffuse, sizeof diffuse), 0);
  EXPECT_EQ(std::memcmp(m.specular, specular, sizeof specular), 0);
  EXPECT_EQ(m.shininess, 0.0f);
}

TEST(Model, FacetNormalOfCollinearCornersPointsUp) {
  const TZtVector3<float> up{0, 0, 1};
  EXPECT_EQ(CZtModel::FacetNormalOf({0, 0, 0}, {1, 1, 1}, {2, 2, 2}), up);
  EXPECT_EQ(CZtModel::FacetNormalOf({1, 2, 3}, {1, 2, 3}, {4, 5, 6}), up);
  EXPECT_EQ(CZtModel::FacetNormalOf({0, 0, 0}, {1, 0, 0}, {1, 1, 0}), up);
  EXPECT_EQ(CZtModel::FacetNormalOf({0, 0, 0}, {0, 1, 0}, {1, 1, 0}), (TZtVector3<float>{0, 0, -1}));
}

TEST(Model, DeletesItsGroups) {
  struct CountedGroup : CZtGroup {
    explicit CountedGroup(int& deleted) : m_deleted(deleted) {}
    ~CountedGroup() override { ++m_deleted; }
    int& m_deleted;
  };
  int deleted = 0;
  auto* model = new CZtModel;
  for (int i = 0; i < 3; ++i) model->groups.push_back(new CountedGroup(deleted));
  delete model;
  EXPECT_EQ(deleted, 3);
}

TEST(Matrix4, RightAngleRotationIsExact) {
  double r[16];
  ASSERT_TRUE(MakeRotationMatrix({0, 0, 1}, M_PI / 2, r));
  std::vector<TZtVector3<float>> points{{1, 0, 0}, {0, 1, 0}};
  ASSERT_TRUE(TransformPoints(points, r));
  EXPECT_EQ(points[0], (TZtVector3<float>{0, 1, 0}));
  EXPECT_EQ(points[1], (TZtVector3<float>{-1, 0, 0}));
}

TEST(Matrix4, ThirtyDegreeRotationHasExactHalves) {
  double r[16];
  ASSERT_TRUE(MakeRotationMatrix({0, 0, 5}, M_PI / 6, r));  // axis length does not matter
  EXPECT_EQ(r[1], -0.5);
  EXPECT_EQ(r[4], 0.5);
  ASSERT_TRUE(MakeRotationMatrix({1, 0, 0}, M_PI / 3, r));
  EXPECT_EQ(r[5], 0.5);
  EXPECT_EQ(r[10], 0.5);
}

TEST(Matrix4, RotationFailsForZeroAxisOrMissingResult) {
  double r[16];
  EXPECT_FALSE(MakeRotationMatrix({0, 0, 0}, 1.0, r));
  EXPECT_FALSE(MakeRotationMatrix({0, 0, 1}, 1.0, nullptr));
}

TEST(Matrix4, MultiplyComposesTranslationAfterScale) {
  double translate[16], scale[16], product[16];
  MakeIdentityMatrix(translate);
  translate[3] = 10.0;
  MakeIdentityMatrix(scale);
  scale[0] = scale[5] = scale[10] = 2.0;
  ASSERT_TRUE(MultiplyMatrix4(translate, scale, product));
  std::vector<TZtVector3<float>> points{{1, 1, 1}};
  ASSERT_TRUE(TransformPoints(points, product));
  EXPECT_EQ(points[0], (TZtVector3<float>{12, 2, 2}));
  EXPECT_FALSE(MultiplyMatrix4(translate, nullptr, product));
  ASSERT_TRUE(MultiplyMatrix4(translate, scale, translate));  // result may alias an operand
  EXPECT_EQ(translate[0], 2.0);
  EXPECT_EQ(translate[3], 10.0);
}

TEST(Matrix4, TransformPointsOnEmptyVectorSucceedsAndMissingMatrixFails) {
  std::vector<TZtVector3<float>> none;
  double identity[16];
  MakeIdentityMatrix(identity);
  EXPECT_TRUE(TransformPoints(none, identity));
  EXPECT_TRUE(none.empty());
  EXPECT_FALSE(TransformPoints(none, nullptr));
}
