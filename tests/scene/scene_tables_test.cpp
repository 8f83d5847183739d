// The scene's tables beyond what the step cases show: checked cast handles,
// the bone controls a start builds, full tables, long names, and a class
// unregistered from its own hook.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "motion/motion.h"
#include "motion/object_class.h"
#include "motion/object_flags.h"
#include "platform/system/temp_folder.h"
#include "scene/scene.h"

namespace {

const std::string kClasses = std::string(T3D_SOURCE_DIR) + "/tests/scene/cases/classes/";

// Records every resolved action that runs, and lets a test act from inside one.
class RecordingScene : public Scene {
 public:
  int OnUserCommand(const Command& command, Cast* cast) override {
    log += std::string(command.GetText()) + "(" + (cast ? cast->GetName() : "-") + ") ";
    if (onCommand) onCommand(command, cast);
    return 0;
  }
  std::string log;
  std::function<void(const Command&, Cast*)> onCommand;
};

// A hook as a resolved action would be, so that it reaches OnUserCommand.
void SetAction(Command& command, const char* text) {
  command.SetText(text);
  command.type = CommandType::Action;
}

TEST(CastHandleTest, DeletedCastReadsAsNoInstance) {
  Scene scene;
  ASSERT_TRUE(scene.RegisterClass(kClasses + "box.txt"));
  Cast* box = scene.CreateCast(scene.FindObjectClass("Box"));
  Cast* other = scene.CreateCast(scene.FindObjectClass("Box"));
  ASSERT_TRUE(box && other);
  ScriptValue value, none;
  SetCastValue(value, scene.GetCastClass(), box);
  SetCastValue(none, scene.GetCastClass(), nullptr);
  other->GetParentLink().cast = box->GetHandle();
  ASSERT_EQ(scene.CastOfValue(value), box);
  ASSERT_TRUE(scene.DeleteCast(box));
  // A cast made afterwards (perhaps at the same address) is not the old one;
  // a value of no cast is still an object.
  ASSERT_NE(scene.CreateCast(scene.FindObjectClass("Box")), nullptr);
  EXPECT_TRUE(!scene.CastOfValue(value) && !other->GetParentLink().cast.Get() &&
              !scene.CastOfInstance(value.object.instance) && none.type == SVT_Object && !scene.CastOfValue(none));
}

TEST(CastTableTest, StartResetsCastsAndBuildsTheirBoneControls) {
  Scene scene;
  ASSERT_TRUE(scene.RegisterClass(kClasses + "walker.txt"));
  Cast* walker = scene.CreateCast(scene.FindObjectClass("Walker"));
  ASSERT_NE(walker, nullptr);
  walker->SetPosition({5, 5, 5});
  walker->Property(3).SetNumber(1);
  scene.StartCasts();
  std::string state =
      std::to_string(walker->GetPosition() == Vector3{0, 0, 0}) + " " + std::to_string(walker->Property(3).type) + " ";
  for (int i = 0; i < walker->GetBoneControlCount(); ++i)
    state += std::string(walker->GetBoneControls()[i].name) + (walker->GetBoneControls()[i].frame ? "+ " : "- ");
  // The "PARM" key of the motion Stop counts only at its own frame; times
  // wrap within its 30 frames keeping their sign, and the frame advance from
  // the largest time a file can give does not overflow.
  walker->SetMotion(1, &scene);
  for (const std::int64_t time : {std::int64_t{2}, std::int64_t{33}, std::int64_t{-31}, std::int64_t{2147483648}}) {
    walker->SetMotionTime(time, &scene);
    state += std::to_string(walker->GetMotionTime()) + ":" + std::to_string(walker->GetFlags()) + " ";
  }
  EXPECT_EQ(state, "1 0 Root+ Lower+ Upper+ - 2:19 3:3 -1:3 8:3 ");
}

TEST(CastTableTest, LongClassNamesKeepEveryNumberDistinct) {
  Scene scene;
  ASSERT_TRUE(scene.RegisterClass(kClasses + "long_name.txt"));
  ObjectClass* cls = scene.FindObjectClass("ABCDEFGHIJKLMNOPQRSTUVWXYZabcd");
  ASSERT_NE(cls, nullptr);
  std::string names;
  for (int i = 0; i < kCastTableSize; ++i) {
    Cast* cast = scene.CreateCast(cls);
    ASSERT_NE(cast, nullptr) << i;
    if (i == 0 || i == 98 || i == 99 || i == 255) names += std::string(cast->GetName()) + " ";
  }
  EXPECT_EQ(names, "ABCDEFGHIJKLMNOPQRSTUVWXYZab_1 ABCDEFGHIJKLMNOPQRSTUVWXYZab_99 ABCDEFGHIJKLMNOPQRSTUVWXYZa_100 "
                   "ABCDEFGHIJKLMNOPQRSTUVWXYZa_256 ");
  EXPECT_EQ(scene.CreateCast(cls), nullptr);  // the table is full
  EXPECT_EQ(scene.CreateCast(nullptr), nullptr);
  EXPECT_EQ(scene.CastCount(), kCastTableSize);
}

TEST(SceneFileTest, CastBeyondTheTableStopsTheFile) {
  TempFolder folder;
  std::string text = "<Scene>\n";
  for (int i = 0; i < kCastTableSize + 1; ++i) text += " <Cast><Name value=\"C" + std::to_string(i) + "\"/></Cast>\n";
  text += " <Name value=\"After\"/>\n</Scene>\n";
  Scene scene;
  EXPECT_TRUE(scene.LoadScene(folder.Write("many.scn", text)));
  EXPECT_EQ(scene.CastCount(), kCastTableSize);
  EXPECT_STREQ(scene.CastAt(kCastTableSize - 1)->GetName(), "C255");
  EXPECT_STREQ(scene.GetName(), "");
}

TEST(CastHooksTest, UnregisteringTheClassFromItsOwnHookKeepsTheFrameSound) {
  RecordingScene scene;
  ASSERT_TRUE(scene.RegisterClass(kClasses + "box.txt"));
  ObjectClass* box = scene.FindObjectClass("Box");
  SetAction(box->GetCommand(kClassOnLoop), "#UNRG");
  scene.onCommand = [&](const Command&, Cast*) { scene.UnregisterClass(0); };
  Cast* first = scene.CreateCast(box);
  Cast* second = scene.CreateCast(box);
  ASSERT_TRUE(first && second);
  scene.StartCasts();
  scene.Update();
  // The first cast's loop hook took the class away: neither cast has it now,
  // and the second was not updated with it.
  EXPECT_EQ(scene.log, "#UNRG(Box_1) ");
  EXPECT_EQ(first->GetClass(), nullptr);
  EXPECT_EQ(second->GetClass(), nullptr);
  scene.Update();
  EXPECT_EQ(scene.log, "#UNRG(Box_1) ");
}

}  // namespace
