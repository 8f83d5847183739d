// The game's actions, one function each, and what the aiming actions share:
// the target spheres of the other casts, the solid obstacles and the stored
// aim target. Internal to scene/game/.
#pragma once

#include <array>
#include <cstdint>

#include "motion/command.h"
#include "motion/object_class.h"
#include "platform/math/math_types.h"
#include "scene/scene.h"

class MotionFrame;

// Live parameters of the acting cast that the aiming actions keep.
constexpr int kAimYawParam = 0;
constexpr int kAimPitchParam = 1;
constexpr int kShotSpeedParam = 2;  // speed x 10
constexpr int kTargetParam = 3;     // a Cast object value, or empty
constexpr int kTargetTrackParam = 4;

constexpr float kPi = 3.1415927f;
constexpr float kHalfPi = 1.5707964f;
constexpr float kDegreesToRadians = 0.017453292f;
constexpr float kRadiansToDegrees = 57.29578f;

// The bow aims from 45 degrees down to 85 up: the pitch by hand, the path's
// pitch search and the reach test keep this range.
constexpr float kAimPitchMin = -0.7853982f;
constexpr float kAimPitchMax = 1.4835299f;

// The aim yaw stays within ten degrees of the body's facing; beyond it the
// body turns.
constexpr float kBodyYawHold = 0.17453293f;
// The yaw held within kBodyYawHold; an aim past it turns the cast by `turn`
// toward that side.
float HoldAimYaw(Cast& cast, float yaw, float turn);

int SideStep(Scene& scene, const Command& command, Cast& cast);
int FollowWithCamera(Scene& scene, const Command& command, Cast& cast);
int PullCameraBehind(Scene& scene);
int Shoot(Scene& scene, Cast& cast);
int FlyArrow(Scene& scene, Cast& cast);
int LookAround(Scene& scene, const Command& command, Cast& cast);
int AimAssist(Scene& scene, const Command& command, Cast& cast);
int AimAndDrawPath(Scene& scene, const Command& command, Cast& cast);
int TestTarget(Scene& scene, const Command& command, Cast& cast);

// A target sphere of another cast: a "SPHR" key of a track of its current
// motion, at its motion time, whose region bits hold a target kind.
struct TargetSphere {
  Cast* cast = nullptr;
  const MotionFrame* track = nullptr;
  Vector3 centre{0.0f, 0.0f, 0.0f};  // world axes
  float radius = 0.0f;
  std::uint32_t bits = 0;
  // "AIM_": the centre's angles seen from the camera (Angle2D of x and z, of
  // z and y in the camera's axes). "SWAL": the centre in the line's axes.
  float yawAngle = 0.0f;
  float pitchAngle = 0.0f;
  Vector3 local{0.0f, 0.0f, 0.0f};
};
// The fixed table of one call: no allocation while the player aims.
constexpr int kTargetSphereCapacity = 100;
using TargetSpheres = std::array<TargetSphere, kTargetSphereCapacity>;

// A visible obstacle a ray of the aim can stop on, with the inverse of its
// world matrix: made once per call, since nothing moves while the actions test
// their rays.
struct SolidObstacle {
  Cast* cast = nullptr;
  Matrix inverse;
};
using SolidObstacles = std::array<SolidObstacle, kCastTableSize>;
// The casts with "Obstacle" and "Visible" that are not deleted, in table order,
// leaving out `skip` (may be null). Returns how many there are.
int CollectSolidObstacles(Scene& scene, const Cast* skip, SolidObstacles& out);

// Whether the cast's spheres count: not the acting cast, not deleted, visible.
bool OffersTargets(Cast& cast, const Cast& acting);
// The target sphere of track `track` of the cast's current motion (the
// class's frame of the same index names it); poses the cast first unless
// `posed` says it was. False for a track without a target sphere.
bool ReadTargetSphere(Cast& cast, int track, TargetSphere& out, bool& posed);

// The target spheres that `accept` takes, in table order and then track
// order, up to the table's capacity. Returns how many were taken.
template <class Accept>
int CollectTargetSpheres(Scene& scene, const Cast& acting, TargetSpheres& out, Accept&& accept) {
  int count = 0;
  for (int i = 0; i < scene.CastCount() && count < kTargetSphereCapacity; ++i) {
    Cast& cast = *scene.CastAt(i);
    if (!OffersTargets(cast, acting)) continue;
    bool posed = false;
    const int tracks = cast.GetClass() ? cast.GetClass()->FrameCount() : 0;
    for (int track = 0; track < tracks && count < kTargetSphereCapacity; ++track) {
      TargetSphere& sphere = out[static_cast<std::size_t>(count)];
      if (ReadTargetSphere(cast, track, sphere, posed) && accept(sphere)) ++count;
    }
  }
  return count;
}

// The stored target: the cast that parameter 3 designates while it is still
// in the scene and not deleted; null otherwise.
Cast* StoredTarget(Scene& scene, Cast& cast);
