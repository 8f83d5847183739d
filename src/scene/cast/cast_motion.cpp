// The cast's motion: switching motions, the motion time with its event keys,
// the class and motion hooks, and the bone-control table.
#include <cstring>

#include "motion/model.h"
#include "motion/object_class.h"
#include "platform/system/safe_string.h"
#include "scene/cast/cast.h"
#include "scene/cast/motion_query.h"
#include "scene/scene.h"

namespace {

// A hook that was never resolved (no text, or a name no script defines)
// counts as not set.
bool IsSet(const Command& command) { return command.type != CommandType::None; }

// The script engine's stop code: an OnCreate hook that stops keeps the cast
// without bone controls.
constexpr int kHookStopped = 4;

}  // namespace

const Command* Cast::ClassHook(int which) const {
  return class_ ? &class_->GetCommand(static_cast<ClassCommand>(which)) : nullptr;
}

void Cast::RunHook(const Command* command, Scene& scene) {
  if (command && IsSet(*command)) scene.ExecuteCommand(*command, this, nullptr, 0);
}

void Cast::SetMotion(std::int32_t index, Scene* scene) {
  if (!class_ || index < 0 || index >= class_->MotionCount() || index == motionIndex_) return;
  motionIndex_ = index;
  InvalidateFlags();
  SetMotionTime(0, scene);
}

void Cast::SetMotionTime(std::int64_t time, Scene* scene) {
  const Motion* motion = GetCurrentMotion();
  if (!motion) return;
  const std::int32_t length = motion->GetLength();
  // A motion without frames has no time to go to.
  if (length <= 0) return;
  // Wide enough that the frame advance from any time (a scene file may start
  // a cast at the largest one) never overflows; the remainder keeps the sign of time.
  const auto wrapped = static_cast<std::int32_t>(time % length);
  if (wrapped == motionTime_) return;
  motionTime_ = wrapped;
  InvalidateFlags();
  if (!scene) return;
  if (const MotionKey* key = FindExactKey(FirstTrack(motion), kKindEvent, wrapped)) {
    // The event's Command may switch the motion: the key stays owned by
    // the track, which a motion switch does not touch.
    if (const Command* command = key->GetCommand()) scene->ExecuteCommand(*command, this, nullptr, 0);
  }
}

void Cast::OnCreate(Scene& scene) {
  deleteHookRun_ = false;
  if (const Command* hook = ClassHook(kClassOnCreate)) {
    if (IsSet(*hook) && scene.ExecuteCommand(*hook, this, nullptr, 0) == kHookStopped) return;
  }
  FreeBoneControls();
  if (!class_) return;
  // One record per model frame in frame order, and one spare.
  const Model* model = class_->GetModel();
  const int frames = class_->FrameCount();
  boneControls_ = std::make_unique<BoneControl[]>(static_cast<std::size_t>(frames) + 1);
  boneControlCount_ = frames + 1;
  for (int i = 0; i < frames; ++i) {
    BoneControl& control = boneControls_[static_cast<std::size_t>(i)];
    const FrameNode* node = class_->FrameNodeAt(i);
    if (!node) continue;
    SafeStrCopy(control.name, node->GetName(), sizeof control.name);
    if (model) control.frame = model->FindFrameByStoredName(control.name);
  }
}

void Cast::OnDelete(Scene& scene) {
  if (!deleteHookRun_) {
    deleteHookRun_ = true;
    RunHook(ClassHook(kClassOnDelete), scene);
  }
  FreeBoneControls();
}

void Cast::RunPreRender(Scene& scene) {
  const Motion* motion = GetCurrentMotion();
  if (motion && IsSet(motion->OnPreRender())) {
    RunHook(&motion->OnPreRender(), scene);
  } else {
    RunHook(ClassHook(kClassOnPreRender), scene);
  }
}

void Cast::FreeBoneControls() {
  boneControls_.reset();
  boneControlCount_ = 0;
  ++poseRevision_;
}
