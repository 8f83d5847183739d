// The classes each engine of the game gets through the hooks: in the order the
// original registered them, with the owners their bare names designate.
#include "classes/script_classes.h"

#include <gtest/gtest.h>

#include <string>

#include "scene/scenario_runtime.h"
#include "scene/scene.h"

namespace {

std::string ClassNames(CCScript& engine) {
  std::string names;
  for (int slot = 0; slot < kMaxClasses && engine.ClassAt(slot); ++slot)
    names += std::string(engine.ClassAt(slot)->ClassName()) + " ";
  return names;
}

TEST(ScriptClassesTest, EachEngineGetsItsClassesInOrder) {
  UseGameScriptClasses();
  Scene scene;
  ScenarioRuntime runtime;
  CCScript& sceneEngine = scene;
  EXPECT_EQ(ClassNames(sceneEngine), "System Math Cast Input Sound Storage Scene ");
  EXPECT_EQ(ClassNames(runtime), "System Math Sound Storage Scenario ");
  EXPECT_EQ(scene.GetCastClass(), sceneEngine.ClassAt(2));
  EXPECT_EQ(scene.GetSceneClass(), sceneEngine.ClassAt(6));
  EXPECT_EQ(scene.GetSceneClass()->GetOwner(), static_cast<void*>(&scene));
  EXPECT_EQ(runtime.ClassAt(4)->GetOwner(), static_cast<void*>(&runtime));
}

}  // namespace
