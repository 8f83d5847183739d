// Building, culling and sorting the render list.
#include "render/render_list.h"

#include <cmath>

#include "motion/object_class.h"
#include "platform/math/vector.h"
#include "scene/scene.h"

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kHalfPi = kPi / 2.0f;
// The view cone is widened by this much, so that a cast is dropped only
// well outside the picture.
constexpr float kConeWidening = 1.25f;

// The angle of (u, v) from +u towards +v, in [0, 2 pi).
float AngleOf(float u, float v) {
  if (u == 0.0f) return v > 0.0f ? kHalfPi : v < 0.0f ? 3.0f * kHalfPi : 0.0f;
  const float angle = std::atan2(v, u);
  return angle < 0.0f ? angle + 2.0f * kPi : angle;
}

// The bounding sphere (view-space centre c, radius r) lies outside the
// widened cone, or behind the camera. A sphere counts as outside a side only
// when it is past exactly one of the pair: past both means it spans the view.
bool OutsideView(const Vector3& c, float r, float horizontalField) {
  const float side = kConeWidening * horizontalField, vertical = kConeWidening * kFieldOfView;
  const bool left = AngleOf(c.x + r, c.z) > kHalfPi + side;
  const bool right = AngleOf(c.x - r, c.z) < kHalfPi - side;
  const bool down = AngleOf(c.y - r, c.z) > kHalfPi + vertical;
  const bool up = AngleOf(c.y + r, c.z) < kHalfPi - vertical;
  return c.z + r < 0.0f || left != right || down != up;
}

bool IsBlended(const RenderEntry& entry) { return (entry.flags & kBlendingFlags) != 0; }

}  // namespace

int CompareRenderEntries(const RenderEntry& a, const RenderEntry& b) {
  if (a.priority != b.priority) return a.priority > b.priority ? -1 : 1;
  const bool blendedA = IsBlended(a), blendedB = IsBlended(b);
  if (blendedA != blendedB) return blendedA ? 1 : -1;
  if (a.depth == b.depth) return 0;
  // Blended casts are drawn back to front over what is behind them; opaque
  // ones front to back, so the depth test saves work.
  if (blendedA) return a.depth > b.depth ? -1 : 1;
  return a.depth < b.depth ? -1 : 1;
}

void BuildRenderList(Scene& scene, const Matrix& view, float aspect, RenderList* list) {
  list->count = 0;
  const bool running = scene.IsRunning();
  const std::uint32_t renderFlags = scene.GetRenderFlags();
  const float horizontalField = kFieldOfView * aspect;
  for (int i = 0; i < kCastTableSize; ++i) {
    Cast* cast = scene.CastAt(i);
    if (!cast) break;
    const ObjectClass* cls = cast->GetClass();
    if (!cls || !cls->GetModel()) continue;
    const std::uint32_t flags = cast->GetFlags();
    const std::uint32_t classFlags = cls->GetFlags();
    if ((running && !(flags & kFlagVisible)) || (flags & kCastDeletedWhileRunning)) continue;
    if (running && !(renderFlags & kRenderDecoration1) && (classFlags & kFlagDecoration1)) continue;
    if (running && !(renderFlags & kRenderDecoration2) && (classFlags & kFlagDecoration2)) continue;

    const Vector3 c =
        Vec3TransformCoord(Vec3TransformCoord(cls->GetBoundingCenter(), cast->GetWorldMatrix(false)), view);
    const float r = cls->GetBoundingRadius();
    // A cast placed at no number (a script's NaN) has no depth to sort by.
    if (!std::isfinite(c.x) || !std::isfinite(c.y) || !std::isfinite(c.z)) continue;
    if (!(flags & kFlagNoOmitRendering) && OutsideView(c, r, horizontalField)) continue;

    float alpha = 1.0f;
    const float fadeDistance = cls->GetLargestVertexDistance();
    if ((flags & kFlagNearFade) && c.z < fadeDistance) alpha = c.z / fadeDistance;
    alpha *= cast->GetAlpha();
    if (!(alpha > 0.0f)) continue;

    RenderEntry& entry = list->entries[static_cast<std::size_t>(list->count++)];
    entry.cast = cast;
    entry.depth = c.z;
    entry.flags = alpha != 1.0f ? flags | kFlagAlphaBlending : flags;
    entry.priority = cls->GetRenderingPriority();
    entry.alpha = alpha;
  }
  // Insertion sort: stable (a frame comes out the same every time, ties in
  // table order), allocates nothing, and the list is nearly sorted already
  // from one frame to the next.
  for (int i = 1; i < list->count; ++i) {
    const RenderEntry entry = list->entries[static_cast<std::size_t>(i)];
    int j = i;
    for (; j > 0 && CompareRenderEntries(entry, list->entries[static_cast<std::size_t>(j - 1)]) < 0; --j)
      list->entries[static_cast<std::size_t>(j)] = list->entries[static_cast<std::size_t>(j - 1)];
    list->entries[static_cast<std::size_t>(j)] = entry;
  }
}
