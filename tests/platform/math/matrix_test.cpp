// Matrix products, inverses, rotations and the view and projection builders.
#include "platform/math/matrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "platform/math/math_expect.h"
#include "platform/math/quaternion.h"
#include "platform/math/vector.h"

namespace {

constexpr float kRight = kPi / 2;

TEST(Matrix, RotationsTurnAxesLeftHanded) {
  for (const auto& row : ReadTableRows(kTables / "rotations.rows", 5, 6)) {
    const float angle = std::stof(row[2]) * kPi / 180;
    const Matrix m = row[1] == "x"   ? MatrixRotationX(angle)
                     : row[1] == "y" ? MatrixRotationY(angle)
                     : row[1] == "z" ? MatrixRotationZ(angle)
                                     : MatrixRotationAxis(Parse<Vector3>(row[1]), angle);
    EXPECT_TRUE(IsNear(Vec3TransformCoord(Parse<Vector3>(row[3]), m), Parse<Vector3>(row[4]))) << row[0];
  }
}

TEST(Matrix, ProductAppliesLeftOperandFirst) {
  Matrix scaleThenMove = MatrixScaling(2, 2, 2) * MatrixTranslation(1, 0, 0);
  Matrix moveThenScale = MatrixTranslation(1, 0, 0) * MatrixScaling(2, 2, 2);
  EXPECT_TRUE(IsNear(Vec3TransformCoord({1, 1, 1}, scaleThenMove), Vector3{3, 2, 2}));
  EXPECT_TRUE(IsNear(Vec3TransformCoord({1, 1, 1}, moveThenScale), Vector3{4, 2, 2}));

  Matrix a = MatrixRotationYawPitchRoll(0.4f, 1.1f, -0.3f) * MatrixTranslation(3, -2, 7);
  Matrix b = MatrixScaling(1, 2, 0.5f) * MatrixRotationAxis({1, -1, 2}, 2.0f);
  Vector3 p{0.5f, -4, 9};
  EXPECT_TRUE(IsNear(Vec3TransformCoord(p, a * b),
                     Vec3TransformCoord(Vec3TransformCoord(p, a), b), 1e-4f));

  Matrix m{{{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}}};
  EXPECT_EQ(MatrixTranspose(m),
            (Matrix{{{1, 5, 9, 13}, {2, 6, 10, 14}, {3, 7, 11, 15}, {4, 8, 12, 16}}}));
  EXPECT_EQ(MatrixMultiply(m, MatrixIdentity()), m);
  EXPECT_EQ(m * m, (Matrix{{{90, 100, 110, 120},
                            {202, 228, 254, 280},
                            {314, 356, 398, 440},
                            {426, 484, 542, 600}}}));
}

TEST(Matrix, InverseTimesMatrixIsIdentityWithDeterminant) {
  struct Case {
    const char* name;
    Matrix m;
    float determinant;
  };
  const Case cases[] = {
      {"identity", MatrixIdentity(), 1},
      {"translation", MatrixTranslation(4, -5, 6), 1},
      {"scaling", MatrixScaling(2, 4, 0.5f), 4},
      {"mirror", MatrixScaling(-1, 1, 1), -1},
      {"rotation", MatrixRotationYawPitchRoll(0.7f, -0.4f, 2.9f), 1},
      {"placement", MatrixScaling(3, 3, 3) * MatrixRotationAxis({1, 2, 3}, 0.5f) *
                        MatrixTranslation(100, -20, 3000),
       27},
      // Upper triangular: the determinant is the diagonal's product.
      {"triangular", Matrix{{{2, 7, -1, 3}, {0, -3, 5, 1}, {0, 0, 0.5f, 8}, {0, 0, 0, 4}}}, -12},
      // A row permutation (rows 0 and 1 swapped): determinant -1.
      {"permutation", Matrix{{{0, 1, 0, 0}, {1, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}}, -1},
      {"projection", MatrixPerspectiveFovLH(kPi / 3, 4.0f / 3.0f, 50, 20000), 0},
  };
  for (const Case& c : cases) {
    Matrix inverse;
    float determinant = -999;
    ASSERT_TRUE(MatrixInverse(&inverse, &determinant, c.m)) << c.name;
    if (c.determinant != 0) {
      EXPECT_NEAR(determinant, c.determinant, 1e-4f) << c.name;
    }
    EXPECT_NEAR(MatrixDeterminant(c.m), determinant, 1e-6f) << c.name;
    EXPECT_TRUE(IsNear(inverse * c.m, MatrixIdentity(), 1e-4f)) << c.name;
    EXPECT_TRUE(IsNear(c.m * inverse, MatrixIdentity(), 1e-4f)) << c.name;
  }
  Matrix inverse;
  ASSERT_TRUE(MatrixInverse(&inverse, nullptr, MatrixTranslation(1, 2, 3)));
  EXPECT_TRUE(IsNear(inverse, MatrixTranslation(-1, -2, -3)));
}

TEST(Matrix, SingularMatrixReportsFailureAndLeavesResult) {
  for (const auto& row : ReadTableRows(kTables / "singular_matrices.rows", 2, 6)) {
    Matrix out = MatrixTranslation(7, 7, 7);
    float determinant = -1;
    EXPECT_FALSE(MatrixInverse(&out, &determinant, Parse<Matrix>(row[1]))) << row[0];
    EXPECT_EQ(out, MatrixTranslation(7, 7, 7)) << row[0];
    EXPECT_NEAR(determinant, 0.0f, 1e-30f) << row[0];
  }
}

// With each single rotation checked above, this pins the order: roll, then
// pitch, then yaw.
TEST(Matrix, YawPitchRollTurnsRollThenPitchThenYaw) {
  for (auto [yaw, pitch, roll] : {std::tuple{0.3f, -1.2f, 2.0f}, std::tuple{-2.5f, 0.1f, 0.8f},
                                  std::tuple{kRight, kRight, kRight}}) {
    Matrix expected = MatrixRotationZ(roll) * MatrixRotationX(pitch) * MatrixRotationY(yaw);
    EXPECT_TRUE(IsNear(MatrixRotationYawPitchRoll(yaw, pitch, roll), expected));
  }
}

TEST(Matrix, TransformationScalesThenRotatesThenMoves) {
  Quaternion quarterZ{0, 0, std::sin(kPi / 4), std::cos(kPi / 4)};
  Matrix m = MatrixTransformation({2, 3, 4}, quarterZ, {10, 20, 30});
  EXPECT_TRUE(IsNear(Vec3TransformCoord({1, 0, 0}, m), Vector3{10, 22, 30}));
  EXPECT_TRUE(IsNear(Vec3TransformCoord({0, 1, 1}, m), Vector3{7, 20, 34}));
}

TEST(Matrix, LookAtPutsEyeAtOriginAndTargetOnDepthAxis) {
  const Vector3 eye{100, 300, -800}, at{0, 50, 0}, up{0, 1, 0};
  const float distance = Vec3Length(at - eye);
  Matrix lh = MatrixLookAtLH(eye, at, up);
  Matrix rh = MatrixLookAtRH(eye, at, up);
  EXPECT_TRUE(IsNear(Vec3TransformCoord(eye, lh), Vector3{0, 0, 0}, 1e-3f));
  EXPECT_TRUE(IsNear(Vec3TransformCoord(at, lh), Vector3{0, 0, distance}, 1e-3f));
  EXPECT_TRUE(IsNear(Vec3TransformCoord(eye, rh), Vector3{0, 0, 0}, 1e-3f));
  EXPECT_TRUE(IsNear(Vec3TransformCoord(at, rh), Vector3{0, 0, -distance}, 1e-3f));
  EXPECT_NEAR(MatrixDeterminant(lh), 1.0f, 1e-5f);
  EXPECT_NEAR(MatrixDeterminant(rh), 1.0f, 1e-5f);
  // Up stays up: a point above the eye has positive view y and no view x.
  EXPECT_GT(Vec3TransformCoord(eye + Vector3{0, 10, 0}, lh).y, 0.0f);
  EXPECT_NEAR(Vec3TransformCoord(eye + Vector3{0, 10, 0}, lh).x, 0.0f, 1e-4f);

  EXPECT_TRUE(IsNear(MatrixLookAtLH({0, 0, -10}, {0, 0, 0}, up), MatrixTranslation(0, 0, 10)));
  EXPECT_TRUE(IsNear(MatrixLookAtRH({0, 0, 10}, {0, 0, 0}, up), MatrixTranslation(0, 0, -10)));
}

TEST(Matrix, PerspectiveAndOrthoMatchHandValues) {
  EXPECT_TRUE(IsNear(MatrixPerspectiveFovLH(kRight, 2, 1, 101),
                     Matrix{{{0.5f, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1.01f, 1}, {0, 0, -1.01f, 0}}}));
  Matrix p = MatrixPerspectiveFovLH(kPi / 3, 640.0f / 480.0f, 50, 20000);
  EXPECT_NEAR(Vec3TransformCoord({0, 0, 50}, p).z, 0.0f, 1e-6f);
  EXPECT_NEAR(Vec3TransformCoord({0, 0, 20000}, p).z, 1.0f, 1e-5f);
  // The top edge of the field at depth d is d tan(pi/6).
  EXPECT_NEAR(Vec3TransformCoord({0, 1000 * std::tan(kPi / 6), 1000}, p).y, 1.0f, 1e-5f);

  Matrix o = MatrixOrthoRH(4, 2, 1, 11);
  EXPECT_TRUE(IsNear(o, Matrix{{{0.5f, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, -0.1f, 0}, {0, 0, -0.1f, 1}}}));
  EXPECT_TRUE(IsNear(Vec3TransformCoord({2, 1, -1}, o), Vector3{1, 1, 0}));
  EXPECT_TRUE(IsNear(Vec3TransformCoord({-2, -1, -11}, o), Vector3{-1, -1, 1}));
  // A negative width mirrors x.
  EXPECT_TRUE(IsNear(Vec3TransformCoord({2, 1, -1}, MatrixOrthoRH(-4, 2, 1, 11)), Vector3{-1, 1, 0}));
}

}  // namespace
