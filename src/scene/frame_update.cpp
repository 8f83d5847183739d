// One frame of the game around the cast passes: input with its record and
// replay, the scene's input and loop hooks, script timers, fades, text layers,
// and the scene's messages.
#include <algorithm>
#include <utility>

#include "motion/object_class.h"
#include "scene/scene.h"

namespace {

bool IsSet(const Command& command) { return command.type != CommandType::None; }

}  // namespace

int Scene::Update(std::uint32_t* record, std::uint32_t recordCapacity, const std::uint32_t* replay,
                  std::uint32_t replayCount) {
  // Nothing of a class unregistered last frame can be running any more.
  parkedClasses_.clear();
  // A script that ends the scene during this frame still finds its deletes
  // deferred to the frame's end, so no later pass meets a freed cast.
  struct FrameMark {
    bool& flag;
    bool saved;
    explicit FrameMark(bool& f) : flag(f), saved(f) { flag = true; }
    ~FrameMark() { flag = saved; }
  } mark(inFrame_);

  if (InputSource* input = host_.input) {
    input->Poll();
    if (record && frameCounter_ < recordCapacity) record[frameCounter_] = input->GetPadButtons();
    if (replay && frameCounter_ < replayCount) input->SetPadButtons(replay[frameCounter_]);
    const Command& onInput = commands_[kSceneOnInput];
    if (IsSet(onInput)) {
      for (int key = 0; key < InputSource::kKeyCount; ++key) {
        const int hold = input->GetHoldCount(key);
        if (hold == 0 && !input->IsKeyReleased(key)) continue;
        ScriptValue args[2];
        args[0].SetNumber(key);
        args[1].SetNumber(hold);
        ExecuteCommand(onInput, nullptr, args, 2);
      }
    }
  }

  if (ExecuteCommand(commands_[kSceneOnLoop], nullptr, nullptr, 0) != 0) return 4;

  if (!paused_) {
    PrepareCastsForFrame();
    if (IsRunning() && FireDueTimers() != 0) return 4;
    RunCastPasses();
    RemoveDeletedCasts();
  }
  AdvanceFades();
  for (CharacterSlot& slot : textSlots_) AdvanceCharacterSlot(slot, paused_);
  if (!paused_) {
    UpdateCameraWeights();
    UpdateCameraSwitch();
  }
  return 0;
}

bool Scene::SetTimer(std::int32_t delay, std::int32_t id, const char* function, const ScriptValue* values,
                     int valueCount) {
  if (timerCount_ >= kSceneTimerCount) return false;
  ScriptFunction* target = function ? FindFunction(function) : nullptr;
  if (!target) return false;
  SceneTimer& timer = timers_[static_cast<std::size_t>(timerCount_)];
  timer.dueFrame = frameCounter_ + static_cast<std::uint32_t>(delay);
  timer.id = id;
  timer.target = target;
  for (int i = 0; i < kTimerValueCount; ++i) {
    ScriptValue& kept = timer.values[static_cast<std::size_t>(i)];
    kept.Clear();
    if (!values || i >= valueCount) continue;
    // A copy of what a reference names: later changes of the variable do not
    // reach the timer.
    if (const ScriptValue* value = FollowReferences(values[i])) kept = *value;
  }
  ++timerCount_;
  return true;
}

void Scene::KillTimer(std::int32_t id) {
  int kept = 0;
  for (int i = 0; i < timerCount_; ++i) {
    SceneTimer& timer = timers_[static_cast<std::size_t>(i)];
    if (id == -1 || timer.id == id) continue;
    if (kept != i) std::swap(timers_[static_cast<std::size_t>(kept)], timer);
    ++kept;
  }
  for (int i = kept; i < timerCount_; ++i)
    for (ScriptValue& value : timers_[static_cast<std::size_t>(i)].values) value.Clear();
  timerCount_ = kept;
  // Killed before its call in this frame: it is not called.
  for (int i = 0; i < dueCount_; ++i)
    if (id == -1 || dueTimers_[static_cast<std::size_t>(i)].id == id) dueKilled_[static_cast<std::size_t>(i)] = true;
}

int Scene::FireDueTimers() {
  // Due timers leave the table before the first is called: a function that
  // sets or kills timers changes only the table, never this walk.
  int kept = 0;
  for (int i = 0; i < timerCount_; ++i) {
    SceneTimer& timer = timers_[static_cast<std::size_t>(i)];
    if (static_cast<std::int32_t>(timer.dueFrame - frameCounter_) > 0) {
      if (kept != i) std::swap(timers_[static_cast<std::size_t>(kept)], timer);
      ++kept;
    } else {
      std::swap(dueTimers_[static_cast<std::size_t>(dueCount_)], timer);
      dueKilled_[static_cast<std::size_t>(dueCount_)] = false;
      ++dueCount_;
    }
  }
  timerCount_ = kept;
  int result = 0;
  for (int i = 0; i < dueCount_; ++i) {
    SceneTimer& timer = dueTimers_[static_cast<std::size_t>(i)];
    if (result == 0 && !dueKilled_[static_cast<std::size_t>(i)]) {
      ScriptValue args[1 + kTimerValueCount];
      args[0].SetNumber(timer.id);
      for (int k = 0; k < kTimerValueCount; ++k) args[k + 1] = timer.values[static_cast<std::size_t>(k)];
      if (CallFunction(timer.target, args, 1 + kTimerValueCount) != ERR_NONE) result = 4;
    }
    for (ScriptValue& value : timer.values) value.Clear();
  }
  dueCount_ = 0;
  return result;
}

bool Scene::AddFadeEffect(std::int32_t total, std::int32_t inEnd, std::int32_t outStart, std::uint32_t color1,
                          std::uint32_t color2, std::uint32_t mode) {
  total = std::max(total, 0);
  inEnd = std::clamp(inEnd, 0, total);
  outStart = std::clamp(outStart, inEnd, total);
  auto argb = [](std::uint32_t c) {
    return std::array<std::uint8_t, 4>{static_cast<std::uint8_t>(c >> 24), static_cast<std::uint8_t>(c >> 16),
                                       static_cast<std::uint8_t>(c >> 8), static_cast<std::uint8_t>(c)};
  };
  for (FadeSlot& slot : fades_) {
    if (slot.active != 0) continue;
    slot.active = 1u | (mode & kFadeRunsWhilePaused);
    slot.total = total;
    slot.inEnd = inEnd;
    slot.outStart = outStart;
    slot.elapsed = 0;
    slot.color1 = argb(color1);
    slot.color2 = argb(color2);
    slot.blendMode = mode & 0xFFFFFFu;
    return true;
  }
  return false;
}

void Scene::AdvanceFades() {
  for (FadeSlot& slot : fades_) {
    if (slot.active == 0) continue;
    if (paused_ && !(slot.active & kFadeRunsWhilePaused)) continue;
    // Ends as the step past the total would; the count itself never overflows.
    if (slot.elapsed >= slot.total) slot.active = 0;
    else ++slot.elapsed;
  }
}

int Scene::SendMessage(ScriptValue* values, int count) {
  const Command& onMessage = commands_[kSceneOnMessage];
  if (!IsSet(onMessage)) return 0;
  return ExecuteCommand(onMessage, nullptr, values, count);
}

void Scene::ClearRunState() {
  KillTimer(-1);
  fades_ = {};
  textSlots_ = {};
  for (CharacterSetData& set : characterSets_) {
    if (set.version == 0) continue;
    set = CharacterSetData();
    set.version = ++characterSetVersion_;
  }
}
