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
  NativeClass* castClass = scene.GetCastClass();
  ScriptValue value;
  SetCastValue(value, castClass, box);
  other->GetParentLink().cast = box->GetHandle();
  ASSERT_EQ(scene.CastOfValue(value), box);

  ASSERT_TRUE(scene.DeleteCast(box));
  EXPECT_EQ(scene.CastOfValue(value), nullptr);
  EXPECT_EQ(other->GetParentLink().cast.Get(), nullptr);
  // A cast made afterwards (perhaps at the same address) is not the old one.
  Cast* next = scene.CreateCast(scene.FindObjectClass("Box"));
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(scene.CastOfValue(value), nullptr);
  EXPECT_EQ(scene.CastOfInstance(value.object.instance), nullptr);

  ScriptValue none;
  SetCastValue(none, castClass, nullptr);
  EXPECT_EQ(none.type, SVT_Object);
  EXPECT_EQ(scene.CastOfValue(none), nullptr);
}

TEST(CastTableTest, StartResetsCastsAndBuildsTheirBoneControls) {
  Scene scene;
  ASSERT_TRUE(scene.RegisterClass(kClasses + "walker.txt"));
  Cast* walker = scene.CreateCast(scene.FindObjectClass("Walker"));
  ASSERT_NE(walker, nullptr);
  walker->SetPosition({5, 5, 5});
  walker->Property(3).SetNumber(1);
  scene.StartCasts();
  EXPECT_EQ(walker->GetPosition(), (Vector3{0, 0, 0}));
  EXPECT_EQ(walker->Property(3).type, SVT_None);
  ASSERT_EQ(walker->GetBoneControlCount(), 4);
  std::string names;
  for (int i = 0; i < 4; ++i)
    names += std::string(walker->GetBoneControls()[i].name) + (walker->GetBoneControls()[i].frame ? "+ " : "- ");
  EXPECT_EQ(names, "Root+ Lower+ Upper+ - ");
  // The "PARM" key of the motion Stop counts only at its own frame.
  walker->SetMotion(1, &scene);
  walker->SetMotionTime(2, &scene);
  EXPECT_EQ(walker->GetFlags(), 0x13u);
  walker->SetMotionTime(33, &scene);  // wraps to 3 within 30 frames
  EXPECT_EQ(walker->GetMotionTime(), 3);
  EXPECT_EQ(walker->GetFlags(), 0x3u);
  walker->SetMotionTime(-31, &scene);  // the remainder keeps the sign
  EXPECT_EQ(walker->GetMotionTime(), -1);
  // The frame advance from the largest time a file can give does not overflow.
  walker->SetMotionTime(std::int64_t{2147483647} + 1, &scene);
  EXPECT_EQ(walker->GetMotionTime(), 2147483648 % 30);
}

TEST(CastTableTest, LongClassNamesKeepEveryNumberDistinct) {
  Scene scene;
  ASSERT_TRUE(scene.RegisterClass(kClasses + "long_name.txt"));
  ObjectClass* cls = scene.FindObjectClass("ABCDEFGHIJKLMNOPQRSTUVWXYZabcd");
  ASSERT_NE(cls, nullptr);
  std::vector<std::string> names;
  for (int i = 0; i < kCastTableSize; ++i) {
    Cast* cast = scene.CreateCast(cls);
    ASSERT_NE(cast, nullptr) << i;
    names.push_back(cast->GetName());
  }
  EXPECT_EQ(names[0], "ABCDEFGHIJKLMNOPQRSTUVWXYZab_1");
  EXPECT_EQ(names[98], "ABCDEFGHIJKLMNOPQRSTUVWXYZab_99");
  EXPECT_EQ(names[99], "ABCDEFGHIJKLMNOPQRSTUVWXYZa_100");
  EXPECT_EQ(names[255], "ABCDEFGHIJKLMNOPQRSTUVWXYZa_256");
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
