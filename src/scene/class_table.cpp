// The scene's class table: motion-object classes loaded once per path,
// finished for play (animation sets, script, hooks, case table), found by name
// and unregistered.
#include <cstring>
#include <memory>
#include <string>

#include "motion/key_type.h"
#include "motion/model.h"
#include "motion/object_class.h"
#include "platform/system/content_path.h"
#include "platform/system/shift_jis.h"
#include "platform/system/terminal_text.h"
#include "scene/scene.h"

int Scene::FunctionCount() const {
  int count = 0;
  while (count < kMaxFunctions && functions_[static_cast<std::size_t>(count)]) ++count;
  return count;
}

void Scene::DetachFunctions(const std::vector<ScriptFunction*>& functions) {
  for (ScriptFunction* function : functions) {
    const int count = FunctionCount();
    for (int i = 0; i < count; ++i) {
      auto& slot = functions_[static_cast<std::size_t>(i)];
      if (slot.get() != function) continue;
      parkedFunctions_.push_back(std::move(slot));
      // The engine's functions stand from slot 0 without holes.
      for (int j = i; j + 1 < count; ++j)
        functions_[static_cast<std::size_t>(j)] = std::move(functions_[static_cast<std::size_t>(j + 1)]);
      functions_[static_cast<std::size_t>(count - 1)].reset();
      break;
    }
  }
}

bool Scene::RegisterClass(std::string_view path) {
  // A script that registers its class every frame would otherwise read the
  // disk and say the same fault each time.
  for (const std::string& failed : failedClassPaths_)
    if (failed == path) return false;
  int index = 0;
  for (; index < kClassTableSize; ++index) {
    const ClassSlot& slot = classes_[static_cast<std::size_t>(index)];
    if (slot.path.empty()) break;
    if (slot.path == path) return true;  // loaded already
  }
  if (index == kClassTableSize || path.empty()) return false;

  ClassSlot& slot = classes_[static_cast<std::size_t>(index)];
  const std::string file(path);
  auto cls = std::make_unique<ObjectClass>();
  std::vector<ScriptFunction*> functions;
  if (!cls->Load(file) || !FinishClass(*cls, file, functions)) {
    // Nothing of a class that failed stays: no cached path that would answer
    // true later without a class behind it, no hole in the table, and no
    // functions of its script that would make the next try a duplicate.
    DetachFunctions(functions);
    // Past the bound a failed path is tried again; its lines are still
    // said once per scene run.
    if (failedClassPaths_.size() < static_cast<std::size_t>(kClassTableSize)) failedClassPaths_.push_back(file);
    return false;
  }
  slot.cls = std::move(cls);
  slot.path = file;
  slot.functions = std::move(functions);
  return true;
}

bool Scene::FinishClass(ObjectClass& cls, const std::string& path, std::vector<ScriptFunction*>& functions) {
  const int motionCount = cls.MotionCount();
  if (Model* model = cls.GetModel()) {
    // One animation set per motion, in motion order, in place of the one the
    // .x file brought.
    if (!model->CloneAnimationController(static_cast<std::uint32_t>(motionCount) + 1)) return false;
    AnimationController* controller = model->GetAnimationController();
    if (!controller) return false;
    while (controller->GetNumAnimationSets() > 0) {
      if (!controller->UnregisterAnimationSet(controller->GetAnimationSet(0).get())) return false;
    }
    for (int i = 0; i < motionCount; ++i) {
      std::shared_ptr<AnimationSet> set;
      if (!cls.BuildAnimationSet(i, &set) || !set || !controller->RegisterAnimationSet(set)) return false;
    }
  }

  if (const std::string* script = cls.GetScript()) {
    const int before = FunctionCount();
    const EErrorCode code = CompileScript(script->c_str(), path.c_str(), cls.GetScriptLines());
    const int after = FunctionCount();
    for (int i = before; i < after; ++i) functions.push_back(functions_[static_cast<std::size_t>(i)].get());
    if (code != ERR_NONE) return false;
  }

  // Hooks are resolved once, after every script they may name is compiled;
  // their results are not looked at.
  // The fifth hook is never filled.
  static constexpr const char* kClassHooks[kClassCommandCount] = {"OnLoop",   "OnHit", "OnCreate",
                                                                  "OnDelete", "",      "OnPreRender"};
  for (int i = 0; i < kClassCommandCount; ++i)
    ResolveHook(cls.GetCommand(static_cast<ClassCommand>(i)), path, kClassHooks[i], HookOwner::kClass);
  for (int m = 0; m < motionCount; ++m) {
    Motion& motion = *cls.MotionAt(m);
    const std::string ofMotion = " of the motion \"" + ContentTextForTerminal(motion.GetName()) + "\"";
    ResolveHook(motion.OnLoop(), path, "OnLoop" + ofMotion, HookOwner::kClass);
    ResolveHook(motion.OnHit(), path, "OnHit" + ofMotion, HookOwner::kClass);
    ResolveHook(motion.OnPreRender(), path, "OnPreRender" + ofMotion, HookOwner::kClass);
    if (MotionFrame* first = motion.FrameAt(0)) {
      for (int k = 0; k < first->KeyCount(); ++k) {
        MotionKey* key = first->KeyAt(k);
        if (key->kind == kKindEvent && key->GetCommand())
          ResolveHook(*key->GetCommand(), path, "the EVNT key at frame " + std::to_string(key->time) + ofMotion,
                      HookOwner::kClass);
      }
    }
    for (int t = 0; t < motion.TrackCount(); ++t) {
      MotionFrame& track = *motion.FrameAt(t);
      for (int k = 0; const KeyType* type = KeyTypeByIndex(k); ++k) type->BakeKeys(track);
      track.Sort();
    }
  }

  if (cls.GetCaseTableFile()[0] != '\0') {
    const std::string tablePath = std::string(FolderOfPath(path)) + cls.GetCaseTableFile();
    if (ContentNameLength(tablePath) >= kClassPathSize) return false;
    if (!cls.GetCaseTable().Load(tablePath, cls.Motions())) return false;
    for (int m = 0; m < motionCount; ++m) {
      if (CaseList* list = cls.GetCaseTable().ListAt(m)) {
        const std::string hook =
            "a case of the motion \"" + ContentTextForTerminal(cls.MotionAt(m)->GetName()) + "\"";
        for (CaseRecord& record : list->records) ResolveHook(record.script, tablePath, hook, HookOwner::kClass);
      }
    }
  }
  return true;
}

bool Scene::UnregisterClass(int index) {
  if (index < 0 || index >= kClassTableSize) return false;
  ClassSlot& slot = classes_[static_cast<std::size_t>(index)];
  if (ObjectClass* cls = slot.cls.get()) {
    // Casts refer to their class without owning it: they go on without one
    // rather than point at a deleted class.
    for (int i = 0; i < castCount_; ++i) {
      Cast& cast = *casts_[static_cast<std::size_t>(i)];
      if (cast.GetClass() == cls) cast.ForgetClass();
    }
    // A hook of this class may be what asked for this: the class stays alive
    // until nothing of it can be running.
    parkedClasses_.push_back(std::move(slot.cls));
  }
  DetachFunctions(slot.functions);
  for (int i = index; i + 1 < kClassTableSize; ++i)
    classes_[static_cast<std::size_t>(i)] = std::move(classes_[static_cast<std::size_t>(i + 1)]);
  classes_[kClassTableSize - 1] = ClassSlot();
  return true;
}

ObjectClass* Scene::FindObjectClass(const char* name) const {
  if (!name) return nullptr;
  for (const ClassSlot& slot : classes_) {
    if (slot.cls && std::strcmp(slot.cls->GetClassName(), name) == 0) return slot.cls.get();
  }
  return nullptr;
}

ObjectClass* Scene::ClassAt(int index) const {
  return index >= 0 && index < kClassTableSize ? classes_[static_cast<std::size_t>(index)].cls.get() : nullptr;
}

const char* Scene::ClassPathAt(int index) const {
  return index >= 0 && index < kClassTableSize ? classes_[static_cast<std::size_t>(index)].path.c_str() : "";
}

int Scene::ClassCount() const {
  int count = 0;
  while (count < kClassTableSize && classes_[static_cast<std::size_t>(count)].cls) ++count;
  return count;
}
