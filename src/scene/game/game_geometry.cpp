// The cast queries of the game's camera follow and actions.
#include "scene/game/game_geometry.h"

#include <cmath>
#include <numbers>

#include "motion/motion_frame.h"
#include "motion/motion_key.h"
#include "platform/math/matrix.h"
#include "platform/math/quaternion.h"
#include "platform/math/vector.h"
#include "scene/cast/cast.h"
#include "scene/cast/motion_query.h"
#include "scene/cast/obstacles.h"
#include "script/value.h"

const Mesh* CastMesh(const Cast& cast) { return ObstacleMesh(cast.GetClass()); }

bool RayHitsCastMesh(const Cast& cast, const Vector3& origin, const Vector3& direction, float* distance) {
  return IntersectObstacleMesh(cast, origin, direction, distance);
}

Matrix InverseOrIdentity(const Matrix& m) {
  Matrix out;
  return MatrixInverse(&out, nullptr, m) ? out : MatrixIdentity();
}

KeySphere TrackSphere(const MotionFrame* track, std::int32_t time) {
  KeySphere sphere;
  MotionKey key;
  if (!track || !track->GetKey(kKindSphere, time, key, false)) return sphere;
  sphere.found = true;
  sphere.centre = key.GetVector();
  sphere.radius = key.GetRadius();
  sphere.bits = key.GetRegionFlags();
  return sphere;
}

KeySphere CastSphere(const Cast& cast) {
  return TrackSphere(FirstTrack(cast.GetCurrentMotion()), cast.GetMotionTime());
}

Vector3 FramePoint(const Cast& cast, const char* frame, const Vector3& point) {
  Vector3 out = cast.GetPosition();
  cast.TransformByBone(frame, point, out);
  return out;
}

Quaternion YawRotation(float angle) { return QuaternionRotationYawPitchRoll(angle, 0.0f, 0.0f); }

void TurnCast(Cast& cast, float angle) { cast.SetRotation(QuaternionMultiply(YawRotation(angle), cast.GetRotation())); }

float NumberOf(const ScriptValue& value) {
  return value.type == SVT_Number ? static_cast<float>(value.number) : 0.0f;
}

float WrapAngle(float angle) {
  constexpr float kTwoPi = 2.0f * std::numbers::pi_v<float>;
  float wrapped = std::fmod(angle, kTwoPi);
  if (wrapped < 0.0f) wrapped += kTwoPi;
  // A tiny negative angle wraps to 2 pi itself in single precision.
  return wrapped >= kTwoPi ? 0.0f : wrapped;
}
