// Quaternion products, conversions, logarithms and the slerp and squad
// interpolations.
#include "platform/math/quaternion.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/math/math_expect.h"
#include "platform/math/matrix.h"
#include "platform/math/vector.h"

namespace {

constexpr float kRight = kPi / 2;

// Written out from the definition, independent of QuaternionRotationAxis.
Quaternion AxisAngle(Vector3 axis, float angle) {
  Vector3 n = Vec3Normalize(axis);
  float s = std::sin(angle / 2);
  return {n.x * s, n.y * s, n.z * s, std::cos(angle / 2)};
}

// The angle of a rotation about +z (q = (0, 0, sin a/2, cos a/2)).
float AngleAboutZ(const Quaternion& q) { return 2 * std::atan2(q.z, q.w); }

TEST(Quaternion, ProductTurnsByFirstThenSecond) {
  Quaternion x90 = AxisAngle({1, 0, 0}, kRight);
  Quaternion y90 = AxisAngle({0, 1, 0}, kRight);
  // X takes y to z, then Y takes z to x.
  Matrix both = MatrixRotationQuaternion(QuaternionMultiply(x90, y90));
  EXPECT_TRUE(IsNear(Vec3TransformCoord({0, 1, 0}, both), Vector3{1, 0, 0}));
  // The other order: Y leaves y, X takes it to z.
  Matrix reverse = MatrixRotationQuaternion(QuaternionMultiply(y90, x90));
  EXPECT_TRUE(IsNear(Vec3TransformCoord({0, 1, 0}, reverse), Vector3{0, 0, 1}));

  Quaternion a = AxisAngle({1, 2, 3}, 0.7f), b = AxisAngle({-2, 0.5f, 1}, 2.2f);
  EXPECT_TRUE(IsNear(MatrixRotationQuaternion(QuaternionMultiply(a, b)),
                     MatrixRotationQuaternion(a) * MatrixRotationQuaternion(b)));
  EXPECT_TRUE(IsNear(QuaternionMultiply(a, QuaternionIdentity()), a));
  EXPECT_TRUE(IsNear(QuaternionMultiply(QuaternionIdentity(), b), b));
}

TEST(Quaternion, FromMatrixRecoversRotationInEveryBranch) {
  for (const auto& row : ReadTableRows(kTables / "rotation_matrices.rows", 3, 6)) {
    const Vector3 axis = Parse<Vector3>(row[1]);
    const float angle = std::stof(row[2]);
    Quaternion q = QuaternionRotationMatrix(MatrixRotationAxis(axis, angle) * MatrixTranslation(5, 6, 7));
    EXPECT_TRUE(IsSameRotation(q, AxisAngle(axis, angle))) << row[0];
    EXPECT_TRUE(IsNear(MatrixRotationQuaternion(q), MatrixRotationAxis(axis, angle))) << row[0];
  }
}

TEST(Quaternion, AxisAndYawPitchRollBuildersMatchHandValuesAndTheMatrix) {
  const float h = 0.70710678f;
  EXPECT_TRUE(IsNear(QuaternionRotationAxis({0, 5, 0}, kRight), Quaternion{0, h, 0, h}));
  EXPECT_EQ(QuaternionRotationAxis({0, 0, 0}, 1.3f), QuaternionIdentity());
  // Yaw is about y, pitch about x, roll about z.
  const Vector3 angles[] = {{kRight, 0, 0}, {0, kRight, 0}, {0, 0, kRight}};
  const Quaternion quarters[] = {{0, h, 0, h}, {h, 0, 0, h}, {0, 0, h, h}};
  for (int i = 0; i < 3; ++i)
    EXPECT_TRUE(IsNear(QuaternionRotationYawPitchRoll(angles[i].x, angles[i].y, angles[i].z), quarters[i]));
  for (auto [yaw, pitch, roll] : {Vector3{0.3f, -1.2f, 2.0f}, Vector3{-2.5f, 0.1f, 0.8f}, Vector3{3.0f, 1.5f, -3.0f}})
    EXPECT_TRUE(IsNear(MatrixRotationQuaternion(QuaternionRotationYawPitchRoll(yaw, pitch, roll)),
                       MatrixRotationYawPitchRoll(yaw, pitch, roll)));
}

TEST(Quaternion, InverseAndNormalizeKeepZeroAtZero) {
  Quaternion q = AxisAngle({1, 2, 3}, 1.0f) * 2.0f;
  EXPECT_TRUE(IsNear(QuaternionMultiply(q, QuaternionInverse(q)), QuaternionIdentity()));
  EXPECT_TRUE(IsNear(QuaternionMultiply(QuaternionInverse(q), q), QuaternionIdentity()));
  EXPECT_TRUE(IsNear(QuaternionInverse({1, 2, 3, 4}), Quaternion{-1.0f / 30, -2.0f / 30, -0.1f, 4.0f / 30}));
  EXPECT_EQ(QuaternionInverse({0, 0, 0, 0}), (Quaternion{0, 0, 0, 0}));
  EXPECT_TRUE(IsNear(QuaternionNormalize({0, 3, 0, 4}), Quaternion{0, 0.6f, 0, 0.8f}));
  EXPECT_EQ(QuaternionNormalize({0, 0, 0, 0}), (Quaternion{0, 0, 0, 0}));
}

TEST(Quaternion, AxisAngleLnAndExpInvertEachOther) {
  Vector3 axis{};
  float angle = -1;
  QuaternionToAxisAngle(AxisAngle({0, 0, 2}, 1.2f), &axis, &angle);
  EXPECT_TRUE(IsNear(axis, Vector3{0, 0, std::sin(0.6f)}));
  EXPECT_NEAR(angle, 1.2f, 1e-5f);
  QuaternionToAxisAngle({0, 0, 0, 1.0000001f}, &axis, &angle);
  EXPECT_EQ(angle, 0.0f);
  QuaternionToAxisAngle({0, 0, 0, -1.5f}, &axis, &angle);
  EXPECT_NEAR(angle, 2 * kPi, 1e-5f);

  EXPECT_TRUE(IsNear(QuaternionLn(AxisAngle({3, 0, 4}, 2.0f)), Quaternion{0.6f, 0, 0.8f, 0}));
  EXPECT_TRUE(IsNear(QuaternionExp({0.6f, 0, 0.8f, 0}), AxisAngle({3, 0, 4}, 2.0f)));
  EXPECT_EQ(QuaternionLn(QuaternionIdentity()), (Quaternion{0, 0, 0, 0}));
  EXPECT_EQ(QuaternionExp({0, 0, 0, 0}), QuaternionIdentity());
  for (Quaternion q : {AxisAngle({1, 1, 0}, 0.001f), AxisAngle({-1, 2, 5}, 3.0f), AxisAngle({0, 1, 0}, -2.5f)})
    EXPECT_TRUE(IsNear(QuaternionExp(QuaternionLn(q)), q)) << ::testing::PrintToString(q);
}

TEST(Quaternion, SlerpHitsEndsAndTurnsEvenlyAlongShorterArc) {
  Quaternion a = AxisAngle({0, 0, 1}, 0.2f), b = AxisAngle({0, 0, 1}, 1.8f);
  EXPECT_TRUE(IsNear(QuaternionSlerp(a, b, 0), a));
  EXPECT_TRUE(IsNear(QuaternionSlerp(a, b, 1), b));
  for (float t : {0.25f, 0.5f, 0.9f}) {
    Quaternion q = QuaternionSlerp(a, b, t);
    EXPECT_NEAR(AngleAboutZ(q), 0.2f + 1.6f * t, 1e-5f) << t;
    EXPECT_NEAR(QuaternionLength(q), 1.0f, 1e-6f) << t;
  }
  // 10 and 350 degrees: the short way passes through 0, not 180.
  Quaternion from = AxisAngle({0, 0, 1}, 10 * kPi / 180), to = AxisAngle({0, 0, 1}, 350 * kPi / 180);
  EXPECT_NEAR(AngleAboutZ(QuaternionSlerp(from, to, 0.5f)), 0.0f, 1e-5f);
  // q and -q give the same rotations.
  Quaternion c = AxisAngle({1, 2, -1}, 2.5f);
  for (float t : {0.1f, 0.5f, 0.8f})
    EXPECT_TRUE(IsSameRotation(QuaternionSlerp(a, -c, t), QuaternionSlerp(a, c, t))) << t;
  // The midpoint of two different axes is the normalised sum (same angle to both).
  Quaternion x90 = AxisAngle({1, 0, 0}, kRight), y90 = AxisAngle({0, 1, 0}, kRight);
  EXPECT_TRUE(IsNear(QuaternionSlerp(x90, y90, 0.5f), QuaternionNormalize(x90 + y90)));
  // Nearly equal keys fall back to the straight line, still between the two.
  Quaternion near = AxisAngle({0, 0, 1}, 0.2001f);
  Quaternion mid = QuaternionSlerp(a, near, 0.5f);
  EXPECT_TRUE(IsNear(mid, (a + near) * 0.5f));
}

// The rotation from key k to q as a rotation vector (twice the log).
Vector3 Turn(const Quaternion& k, const Quaternion& q) {
  Quaternion l = QuaternionLn(QuaternionMultiply(QuaternionInverse(k), q));
  return Vector3{l.x, l.y, l.z} * 2.0f;
}

// The rate of turn at key k of a curve that is at q1 and q2 one and two steps
// h away from it, to second order: (4 r(h) - r(2h)) / 2h with r(0) = 0.
Vector3 RateAtKey(const Quaternion& k, const Quaternion& q1, const Quaternion& q2, float h) {
  return (Turn(k, q1) * 4.0f - Turn(k, q2)) * (1.0f / (2.0f * h));
}

struct SquadCurve {
  Quaternion q1, a, b, c;
  Quaternion At(float t) const { return QuaternionSquad(q1, a, b, c, t); }
};

SquadCurve Segment(const Quaternion* keys) {
  SquadCurve s{keys[1], {}, {}, {}};
  QuaternionSquadSetup(&s.a, &s.b, &s.c, keys[0], keys[1], keys[2], keys[3]);
  return s;
}

TEST(Quaternion, SquadPassesThroughKeysWithSmoothTurnAcrossThem) {
  const Quaternion keys[5] = {AxisAngle({0, 1, 0}, 0.0f), AxisAngle({1, 1, 0}, 0.8f),
                              AxisAngle({0, 1, 1}, 1.5f), AxisAngle({1, 0, 2}, -0.6f),
                              AxisAngle({1, 0, 0}, 0.9f)};
  SquadCurve first = Segment(keys), second = Segment(keys + 1);
  EXPECT_TRUE(IsSameRotation(first.At(0), keys[1]));
  EXPECT_TRUE(IsSameRotation(first.At(1), keys[2]));
  EXPECT_TRUE(IsSameRotation(second.At(0), keys[2]));
  EXPECT_TRUE(IsSameRotation(second.At(1), keys[3]));

  const float h = 1e-2f;
  Vector3 arriving = -RateAtKey(keys[2], first.At(1 - h), first.At(1 - 2 * h), h);
  Vector3 leaving = RateAtKey(keys[2], second.At(h), second.At(2 * h), h);
  EXPECT_TRUE(IsNear(arriving, leaving, 0.01f * Vec3Length(leaving)));
  // Plain slerp from key to key turns with a jump at the key; the check above
  // would see it.
  Vector3 slerpArriving = -RateAtKey(keys[2], QuaternionSlerp(keys[1], keys[2], 1 - h),
                                     QuaternionSlerp(keys[1], keys[2], 1 - 2 * h), h);
  Vector3 slerpLeaving = RateAtKey(keys[2], QuaternionSlerp(keys[2], keys[3], h),
                                   QuaternionSlerp(keys[2], keys[3], 2 * h), h);
  EXPECT_GT(Vec3Length(slerpArriving - slerpLeaving), 0.1f * Vec3Length(slerpLeaving));
}

TEST(Quaternion, SquadOnEvenStepsAboutOneAxisTurnsEvenly) {
  const Quaternion keys[4] = {AxisAngle({0, 0, 1}, 0.1f), AxisAngle({0, 0, 1}, 0.6f),
                              AxisAngle({0, 0, 1}, 1.1f), AxisAngle({0, 0, 1}, 1.6f)};
  SquadCurve s = Segment(keys);
  EXPECT_TRUE(IsSameRotation(s.a, keys[1]));
  EXPECT_TRUE(IsSameRotation(s.b, keys[2]));
  for (float t : {0.0f, 0.3f, 0.5f, 0.75f, 1.0f})
    EXPECT_NEAR(AngleAboutZ(s.At(t)), 0.6f + 0.5f * t, 1e-5f) << t;
}

TEST(Quaternion, SquadIgnoresSignOfKeys) {
  const Quaternion keys[4] = {AxisAngle({0, 1, 0}, 0.3f), AxisAngle({1, 1, 0}, 1.0f),
                              AxisAngle({0, 1, 1}, 2.0f), AxisAngle({1, 0, 2}, 2.8f)};
  const Quaternion flipped[4] = {-keys[0], keys[1], -keys[2], -keys[3]};
  SquadCurve plain = Segment(keys), signed_ = Segment(flipped);
  for (float t : {0.0f, 0.2f, 0.5f, 0.7f, 1.0f})
    EXPECT_TRUE(IsSameRotation(signed_.At(t), plain.At(t), 1e-5f)) << t;
}

}  // namespace
