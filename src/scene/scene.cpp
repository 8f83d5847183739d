// The scene record: construction with its script classes, clearing between
// scenes, and the scene parameters.
#include "scene/scene.h"

#include "motion/object_class.h"
#include "platform/system/error_lines.h"

Scene::Scene() {
  if (const auto makeClasses = GetScriptClassHooks().scene) scriptClasses_ = makeClasses(*this);
}

Scene::~Scene() { ClearScene(); }

void Scene::ClearScene() {
  name_[0] = '\0';
  paused_ = false;
  field_ = FieldBounds();
  // Casts first: their delete hooks are not run here, and nothing of theirs
  // may outlive the classes they point into.
  for (int i = castCount_ - 1; i >= 0; --i) casts_[static_cast<std::size_t>(i)].reset();
  castCount_ = 0;
  readingCast_.Reset();
  for (ClassSlot& slot : classes_) {
    slot.cls.reset();
    slot.path.clear();
    slot.functions.clear();
  }
  failedClassPaths_.clear();
  active_ = true;
  for (Command& command : commands_) command.Clear();
  script_.clear();
  scriptLines_.clear();
  hasScript_ = false;
  ClearFunctions();
  FreeParkedObjects();
  ReleaseRenderResources();
  for (ScriptValue& parameter : parameters_) parameter.Clear();
  ClearRunState();
  // The next scene file starts a new scene run: its load, its frames and
  // the root script's OnEndScene after it may each say a fault once.
  ForgetWrittenErrorLines();
}

void Scene::FreeParkedObjects() {
  parkedClasses_.clear();
  for (auto& function : parkedFunctions_) {
    // A script of this engine still on the call stack keeps its tokens until
    // the outermost call returns.
    if (hostDepth_ > 0) retired_.push_back(std::move(function));
  }
  parkedFunctions_.clear();
}

ScriptValue& Scene::Parameter(int index) {
  return parameters_[index >= 0 && index < kSceneParameterCount ? static_cast<std::size_t>(index) : 0];
}
