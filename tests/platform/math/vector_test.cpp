// Vector arithmetic, splines, transforms and screen projection.
#include "platform/math/vector.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/math/matrix.h"
#include "platform/math/math_expect.h"

namespace {

TEST(Vector, NormalizeGivesUnitLengthAndKeepsZeroAtZero) {
  for (const auto& row : ReadTableRows(kTables / "normalize.rows", 2, 6)) {
    const auto size = std::count(row[0].begin(), row[0].end(), ',') + 1;
    EXPECT_TRUE(size == 2   ? IsNear(Vec2Normalize(Parse<Vector2>(row[0])), Parse<Vector2>(row[1]))
                : size == 3 ? IsNear(Vec3Normalize(Parse<Vector3>(row[0])), Parse<Vector3>(row[1]))
                            : IsNear(Vec4Normalize(Parse<Vector4>(row[0])), Parse<Vector4>(row[1])))
        << row[0];
  }
}

TEST(Vector, CrossLerpAndLengthsMatchHandValues) {
  EXPECT_TRUE(IsNear(Vec3Cross({1, 0, 0}, {0, 1, 0}), Vector3{0, 0, 1}));
  EXPECT_TRUE(IsNear(Vec3Cross({0, 1, 0}, {0, 0, 1}), Vector3{1, 0, 0}));
  EXPECT_TRUE(IsNear(Vec3Cross({1, 2, 3}, {-4, 0.5f, 2}), Vector3{2.5f, -14, 8.5f}));
  EXPECT_FLOAT_EQ(Vec2CCW({1, 0}, {0, 1}), 1.0f);
  EXPECT_FLOAT_EQ(Vec2CCW({0, 1}, {1, 0}), -1.0f);
  EXPECT_TRUE(IsNear(Vec3Lerp({0, 0, 0}, {2, 4, 6}, 0.25f), Vector3{0.5f, 1, 1.5f}));
  EXPECT_TRUE(IsNear(Vec3Lerp({1, 1, 1}, {2, 2, 2}, 2.0f), Vector3{3, 3, 3}));
  EXPECT_FLOAT_EQ(Vec3Length({2, 3, 6}), 7.0f);
  EXPECT_FLOAT_EQ(Vec2Length({-3, 4}), 5.0f);
  EXPECT_FLOAT_EQ(Vec4Length({1, 1, 1, 1}), 2.0f);
}

TEST(Vector, CatmullRomPassesThroughInnerPointsWithCentralTangents) {
  const Vector3 v0{0, 0, 0}, v1{1, 2, 0}, v2{3, 3, 1}, v3{4, 1, 5};
  EXPECT_TRUE(IsNear(Vec3CatmullRom(v0, v1, v2, v3, 0.0f), v1));
  EXPECT_TRUE(IsNear(Vec3CatmullRom(v0, v1, v2, v3, 1.0f), v2));
  // The midpoint of the cubic: (-v0 + 9 v1 + 9 v2 - v3) / 16.
  EXPECT_TRUE(IsNear(Vec3CatmullRom(v0, v1, v2, v3, 0.5f), Vector3{2, 2.75f, 0.25f}));
  // Tangent at v1 is (v2 - v0) / 2, at v2 (v3 - v1) / 2.
  const float h = 1e-3f;
  Vector3 start = (Vec3CatmullRom(v0, v1, v2, v3, h) - v1) * (1.0f / h);
  Vector3 end = (v2 - Vec3CatmullRom(v0, v1, v2, v3, 1.0f - h)) * (1.0f / h);
  EXPECT_TRUE(IsNear(start, Vector3{1.5f, 1.5f, 0.5f}, 1e-2f));
  EXPECT_TRUE(IsNear(end, Vector3{1.5f, -0.5f, 2.5f}, 1e-2f));
  // The 2- and 4-component forms: evenly spaced points on a line stay on it.
  for (float s : {0.0f, 0.3f, 0.77f, 1.0f}) {
    EXPECT_TRUE(IsNear(Vec2CatmullRom({0, 0}, {1, 2}, {2, 4}, {3, 6}, s), Vector2{1 + s, 2 + 2 * s}));
    EXPECT_TRUE(IsNear(Vec4CatmullRom({0, 0, 0, 0}, {1, 1, 1, 1}, {2, 2, 2, 2}, {3, 3, 3, 3}, s),
                       Vector4{1 + s, 1 + s, 1 + s, 1 + s}));
  }
}

TEST(Vector, TransformCoordDividesByWAndNormalIgnoresTranslation) {
  Matrix m = MatrixTranslation(5, 6, 7);
  EXPECT_TRUE(IsNear(Vec3TransformCoord({1, 2, 3}, m), Vector3{6, 8, 10}));
  EXPECT_TRUE(IsNear(Vec3TransformNormal({1, 2, 3}, m), Vector3{1, 2, 3}));
  EXPECT_TRUE(IsNear(Vec3Transform({1, 2, 3}, m), Vector4{6, 8, 10, 1}));
  EXPECT_TRUE(IsNear(Vec2TransformCoord({1, 2}, m), Vector2{6, 8}));
  EXPECT_TRUE(IsNear(Vec2TransformNormal({1, 2}, m), Vector2{1, 2}));

  const Matrix halve{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 2}}};
  EXPECT_TRUE(IsNear(Vec3TransformCoord({2, 4, 6}, halve), Vector3{1, 2, 3}));
  // w taken from the point's own coordinates: w = 1 + z.
  const Matrix byDepth{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 1}, {0, 0, 0, 1}}};
  EXPECT_TRUE(IsNear(Vec3TransformCoord({3, 6, 2}, byDepth), Vector3{1, 2, 0.6666667f}));
  EXPECT_TRUE(IsNear(Vec4Transform({1, 2, 3, 0}, m), Vector4{1, 2, 3, 0}));
}

TEST(Vector, ProjectMapsClipSpaceOntoViewport) {
  const Viewport viewport{10, 20, 640, 480, 0.2f, 0.6f};
  const Matrix identity = MatrixIdentity();
  const std::pair<Vector3, Vector3> cases[] = {
      {{0, 0, 0.5f}, {330, 260, 0.4f}}, {{-1, 1, 0}, {10, 20, 0.2f}}, {{1, -1, 1}, {650, 500, 0.6f}}};
  for (const auto& [in, expected] : cases) {
    EXPECT_TRUE(IsNear(Vec3Project(in, viewport, identity, identity, identity), expected, 1e-4f));
    Vector3 back{};
    ASSERT_TRUE(Vec3Unproject(&back, expected, viewport, identity, identity, identity));
    EXPECT_TRUE(IsNear(back, in, 1e-5f));
  }
}

TEST(Vector, UnprojectInvertsProjectThroughCameraAndWorld) {
  const Viewport viewport{0, 0, 800, 600, 0, 1};
  Matrix projection = MatrixPerspectiveFovLH(kPi / 3, 800.0f / 600.0f, 50, 20000);
  Matrix view = MatrixLookAtLH({100, 300, -800}, {0, 50, 0}, {0, 1, 0});
  Matrix world = MatrixRotationYawPitchRoll(0.3f, -0.2f, 0.1f) * MatrixTranslation(20, 0, 40);
  for (Vector3 p : {Vector3{0, 0, 0}, Vector3{-120, 80, 300}, Vector3{35, -10, -200}}) {
    Vector3 screen = Vec3Project(p, viewport, projection, view, world);
    Vector3 back{};
    ASSERT_TRUE(Vec3Unproject(&back, screen, viewport, projection, view, world));
    EXPECT_TRUE(IsNear(back, p, 0.05f)) << ::testing::PrintToString(screen);
  }
  // The screen centre at depth 0 is the eye's ray through the near plane: it
  // lies on the line from the eye toward the target.
  Vector3 nearCentre{};
  ASSERT_TRUE(Vec3Unproject(&nearCentre, {400, 300, 0}, viewport, projection, view,
                            MatrixIdentity()));
  Vector3 toTarget = Vec3Normalize(Vector3{0, 50, 0} - Vector3{100, 300, -800});
  Vector3 toNear = nearCentre - Vector3{100, 300, -800};
  EXPECT_NEAR(Vec3Length(toNear), 50.0f, 0.01f);
  EXPECT_TRUE(IsNear(Vec3Normalize(toNear), toTarget, 1e-4f));
}

TEST(Vector, UnprojectFailsWithoutViewportOrInverseAndLeavesResult) {
  const Matrix identity = MatrixIdentity();
  const Matrix singular = MatrixScaling(1, 0, 1);
  struct Case {
    Viewport viewport;
    Matrix projection;
  };
  const Case cases[] = {
      {{0, 0, 0, 480, 0, 1}, identity},
      {{0, 0, 640, 0, 0, 1}, identity},
      {{0, 0, 640, 480, 0.5f, 0.5f}, identity},
      {{0, 0, 640, 480, 0, 1}, singular},
  };
  for (const Case& c : cases) {
    Vector3 out{7, 8, 9};
    EXPECT_FALSE(Vec3Unproject(&out, {1, 2, 0.5f}, c.viewport, c.projection, identity, identity));
    EXPECT_EQ(out, (Vector3{7, 8, 9}));
  }
}

}  // namespace
