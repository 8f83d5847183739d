// A scene file with more casts than the table holds and a class path that
// failed (the other table rules are step cases), and the lines its scripts
// start on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "motion/object_class.h"
#include "platform/system/content_path.h"
#include "platform/system/temp_folder.h"
#include "scene/scene.h"

namespace {

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

// A class that failed to load stays failed for the scene: a script that
// registers it every frame gets false at once, and neither the disk is read
// (the file put there since is not seen) nor the fault said again. The next
// scene tries anew.
TEST(ClassTableTest, AFailedPathAnswersFalseWithoutReadingUntilTheSceneIsCleared) {
  TempFolder folder;
  SetProgramDir(folder.path());
  Scene scene;
  std::string answers;
  testing::internal::CaptureStderr();
  answers += std::to_string(scene.RegisterClass(folder.path() + "box.txt"));
  folder.Write("box.txt", "<MotionObject>\n <Name value=\"Box\"/>\n</MotionObject>\n");
  answers += std::to_string(scene.RegisterClass(folder.path() + "box.txt"));
  const std::string said = testing::internal::GetCapturedStderr();
  scene.ClearScene();
  answers += std::to_string(scene.RegisterClass(folder.path() + "box.txt"));
  SetProgramDir("");
  EXPECT_EQ(answers, "001");
  EXPECT_EQ(said, "t3dplayer: box.txt: cannot be read\n");
}

// The scene's and its classes' scripts are compiled with the line of their
// file on which they start, so that what the compiler finds is placed in the
// file the author edits.
TEST(SceneFileTest, ScriptsKnowTheLineOfTheirFileTheyStartOn) {
  TempFolder folder;
  folder.Write("box.txt", "<MotionObject>\n <Name value=\"Box\"/>\n\n <Script>\n\nSpin(cast) { }\n </Script>\n"
                          "</MotionObject>\n");
  const std::string scene = folder.Write("stage.scn", "<Scene>\n <MotionObject File=\"box.txt\"/>\n <Script>"
                                                      "Begin() { }\n </Script>\n</Scene>\n");
  Scene loaded;
  ASSERT_TRUE(loaded.LoadScene(scene));
  EXPECT_EQ(loaded.GetScriptLines(), (std::vector<int>{3, 4}));
  ASSERT_NE(loaded.FindObjectClass("Box"), nullptr);
  EXPECT_EQ(loaded.FindObjectClass("Box")->GetScriptLines(), (std::vector<int>{6, 7}));
}

}  // namespace
