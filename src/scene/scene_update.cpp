// The casts' part of a frame: the per-frame preparation, the update order,
// the six cast passes and the removal of casts deleted during the frame.
#include "motion/object_class.h"
#include "motion/object_flags.h"
#include "platform/math/quaternion.h"
#include "scene/scene.h"

namespace {

constexpr float kCollisionMargin = 30.0f;

bool Skipped(const Cast* cast) { return !cast || cast->IsDeletedWhileRunning(); }

}  // namespace

void Scene::StartCasts() {
  for (int i = 0; i < castCount_; ++i) casts_[static_cast<std::size_t>(i)]->Reset();
  // A start hook may add or delete casts: each is looked up by index afresh.
  for (int i = 0; i < castCount_; ++i) {
    const CastHandle handle = casts_[static_cast<std::size_t>(i)]->GetHandle();
    if (Cast* cast = handle.Get()) cast->OnCreate(*this);
  }
}

bool Scene::CompareCastsForUpdate(Cast& a, Cast& b) {
  const bool obstacleA = (a.GetFlags() & kFlagObstacle) != 0;
  const bool obstacleB = (b.GetFlags() & kFlagObstacle) != 0;
  if (obstacleA != obstacleB) return obstacleA;
  const bool parentA = a.GetChildLink().cast.Get() != nullptr;
  const bool parentB = b.GetChildLink().cast.Get() != nullptr;
  if (parentA != parentB) return parentA;
  return a.GetPosition().y < b.GetPosition().y;
}

void Scene::PrepareCastsForFrame() {
  for (int i = 0; i < castCount_; ++i) {
    Cast& cast = *casts_[static_cast<std::size_t>(i)];
    cast.SetStoredWorldMatrix(cast.GetWorldMatrix(false));
    cast.SetAngularSpeed(QuaternionIdentity());
    cast.SetTurnFactor(1.0f);
    cast.ClearOneFrameBoneControls();
  }
}

void Scene::RunCastPasses() {
  const int count = castCount_;
  // The order: an insertion sort, stable and without allocation; the order
  // changes little from one frame to the next.
  for (int i = 0; i < count; ++i) {
    Cast* cast = casts_[static_cast<std::size_t>(i)].get();
    int j = i;
    while (j > 0 && CompareCastsForUpdate(*cast, *order_[static_cast<std::size_t>(j - 1)])) {
      order_[static_cast<std::size_t>(j)] = order_[static_cast<std::size_t>(j - 1)];
      --j;
    }
    order_[static_cast<std::size_t>(j)] = cast;
  }
  for (int i = 0; i < count; ++i) orderHandles_[static_cast<std::size_t>(i)] = order_[static_cast<std::size_t>(i)]->GetHandle();

  // Each pass goes over every cast before the next begins; a cast deleted by
  // an earlier one (marked, or gone when the scene does not run) is skipped.
  auto pass = [&](auto&& body) {
    for (int i = 0; i < count; ++i) {
      Cast* cast = orderHandles_[static_cast<std::size_t>(i)].Get();
      if (!Skipped(cast)) body(*cast);
    }
  };
  pass([&](Cast& cast) {
    if (cast.GetFlags() & kFlagActive) cast.Update(*this);
  });
  pass([&](Cast& cast) { cast.RidePlatform(*this); });
  KeepObstacleList(true);
  pass([&](Cast& cast) { cast.StepMovement(*this); });
  pass([&](Cast& cast) {
    cast.SetPreviousPosition(cast.GetPosition());
    cast.SetPreviousRotation(cast.GetRotation());
  });
  pass([&](Cast& cast) {
    cast.CollideCasts(*this, kCollisionMargin);
    cast.SetRidingDisplacement({0.0f, 0.0f, 0.0f});
  });
  KeepObstacleList(false);
  pass([&](Cast& cast) {
    if (cast.GetFlags() & kFlagActive) cast.RunPreRender(*this);
  });
}

void Scene::RemoveDeletedCasts() {
  // Casts added while the scene runs and deleted during the frame leave the
  // table now; those of the scene file stay, marked, until the scene ends.
  for (int i = castCount_ - 1; i >= 0; --i) {
    if (i >= castCount_) continue;  // an unlink below may have closed the table up
    Cast& cast = *casts_[static_cast<std::size_t>(i)];
    const std::uint32_t marks = kCastAddedWhileRunning | kCastDeletedWhileRunning;
    if ((cast.GetOwnFlags() & marks) != marks) continue;
    UnlinkForRemoval(cast);
    const int index = [&] {
      for (int k = 0; k < castCount_; ++k)
        if (casts_[static_cast<std::size_t>(k)].get() == &cast) return k;
      return -1;
    }();
    RemoveCastAt(index);
  }
}

void Scene::UnlinkForRemoval(Cast& cast) {
  auto deleteIfDisjoint = [this](Cast* which) {
    if (which && (which->GetFlags() & kFlagDeleteAtDisjoint)) DeleteCast(which);
  };
  if (Cast* parent = cast.GetParentLink().cast.Get()) {
    deleteIfDisjoint(parent);
    deleteIfDisjoint(&cast);
    if (Cast* still = cast.GetParentLink().cast.Get()) still->GetChildLink().Clear();
    cast.GetParentLink().Clear();
  }
  if (Cast* child = cast.GetChildLink().cast.Get()) {
    deleteIfDisjoint(child);
    deleteIfDisjoint(&cast);
    if (Cast* still = cast.GetChildLink().cast.Get()) still->GetParentLink().Clear();
    cast.GetChildLink().Clear();
  }
}
