// The camera of a frame: the weights of the two camera types kept on the cast
// named "Camera", and the switch from one camera cast to another.
#include <algorithm>

#include "motion/motion.h"
#include "platform/math/matrix.h"
#include "platform/math/quaternion.h"
#include "platform/math/vector.h"
#include "scene/cast/cast_angles.h"
#include "scene/scene.h"

namespace {

constexpr float kWeightStep = 0.05f;
// Parameters of the "Camera" cast.
constexpr int kWeightParam[2] = {3, 4};
constexpr int kTypeParam = 9;
constexpr int kSnapshotParam[2] = {10, 17};

// A parameter that holds no number counts as 0.
float NumberOf(const ScriptValue& value) { return value.type == SVT_Number ? static_cast<float>(value.number) : 0.0f; }


}  // namespace

Matrix Scene::GetCameraView(const Quaternion& rotation, const Vector3& position) {
  // The camera's own axes give the view, so one looking straight up or down
  // keeps an up vector square to its line of sight. A rotation that is not of
  // unit length (scripts write the components one by one, blends pass through
  // such values) is taken at unit length: its matrix would otherwise shear
  // the two axes together, or cancel the line of sight altogether. One with
  // no length or not finite looks along +z.
  const Matrix world =
      MatrixRotationQuaternion(UnitRotation(rotation)) * MatrixTranslation(position.x, position.y, position.z);
  const Vector3 at = Vec3TransformCoord({0.0f, 0.0f, 1.0f}, world);
  const Vector3 up = Vec3TransformNormal({0.0f, 1.0f, 0.0f}, world);
  return MatrixLookAtLH(position, at, up);
}

void Scene::SwitchCamera(Cast* cast, std::uint32_t mode, std::int32_t frames, std::uint32_t extra) {
  if (mode == 0) {
    camera_ = CameraSwitch();
    camera_.current = CastHandle::Of(cast);
    return;
  }
  camera_.next = CastHandle::Of(cast);
  camera_.elapsed = 0;
  camera_.frames = frames;
  camera_.mode = mode;
  camera_.extra = extra;
}

void Scene::UpdateCameraWeights() {
  Cast* camera = FindCast("Camera");
  Cast* vorani = FindCast("Vorani");
  if (!camera || !vorani) return;
  ScriptValue& typeValue = camera->Property(kTypeParam);
  // Out of range numbers (and NaN) count as no type.
  int type = -1;
  if (typeValue.type == SVT_Number && typeValue.number >= -1.0 && typeValue.number < 2147483648.0)
    type = static_cast<int>(typeValue.number);
  if (const Motion* motion = vorani->GetCurrentMotion())
    if (motion->GetCameraType() != -1) type = motion->GetCameraType();
  typeValue.SetNumber(type);
  if (type != 0 && type != 1) return;
  ScriptValue& own = camera->Property(kWeightParam[type]);
  ScriptValue& other = camera->Property(kWeightParam[1 - type]);
  own.SetNumber(std::min(1.0f, NumberOf(own) + kWeightStep));
  other.SetNumber(std::max(0.0f, NumberOf(other) - kWeightStep));
  if (NumberOf(own) == 0.0f) return;
  const Vector3& p = vorani->GetPosition();
  const Quaternion& q = vorani->GetRotation();
  const float snapshot[7] = {p.x, p.y, p.z, q.x, q.y, q.z, q.w};
  for (int i = 0; i < 7; ++i) camera->Property(kSnapshotParam[type] + i).SetNumber(snapshot[i]);
}

void Scene::UpdateCameraSwitch() {
  Cast* current = camera_.current.Get();
  if (!current) return;
  Cast* next = camera_.next.Get();
  if (!next || camera_.frames <= 0) {
    // A next camera deleted during the switch leaves the current one in place.
    if (!camera_.next.IsNull() && !next) camera_.next.Reset();
    viewMatrix_ = GetCameraView(current->GetRotation(), current->GetPosition());
    return;
  }
  if (camera_.mode & kCameraBlend) {
    const float t = static_cast<float>(camera_.elapsed) / static_cast<float>(camera_.frames);
    const Vector3& a = current->GetPosition();
    const Vector3& b = next->GetPosition();
    const Vector3 position{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t};
    viewMatrix_ = GetCameraView(QuaternionSlerp(current->GetRotation(), next->GetRotation(), t), position);
  } else {
    viewMatrix_ = GetCameraView(next->GetRotation(), next->GetPosition());
  }
  if (++camera_.elapsed >= camera_.frames) {
    camera_ = CameraSwitch();
    camera_.current = CastHandle::Of(next);
  }
}
