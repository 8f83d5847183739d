// The runtime beyond the script-driven cases: a missing root scenario, root
// scenarios and archives found in archives before the disk, and whether a
// run ended for a scene that could not be loaded.
#include "scene/scenario_runtime.h"

#include <gtest/gtest.h>

#include <string>

#include "classes/script_classes.h"
#include "files/archive.h"
#include "files/archive_writer.h"
#include "platform/system/content_path.h"
#include "platform/system/temp_folder.h"
#include "run_harness.h"
#include "scene/scene.h"

namespace {

TestArchiveEntry Entry(const std::string& name, const std::string& data) {
  TestArchiveEntry entry;
  entry.name = name;
  entry.data = data;
  return entry;
}

// A program folder with the program's script classes for each test; archives
// opened during it are closed after.
class ScenarioRuntimeTest : public testing::Test {
 protected:
  void SetUp() override {
    UseGameScriptClasses();
    SetProgramDir(folder.path());
  }
  void TearDown() override {
    GetArchiveManager().CloseAll();
    SetProgramDir("");
  }
  // Runs the root scenario; the values of the named globals apart by blanks,
  // then the script errors.
  std::string RunRoot(std::initializer_list<const char*> globals) {
    TracingRuntime runtime(errors, "");
    if (!runtime.LoadScenario("RootScenairo.csc")) return "does not load";
    Scene scene;
    runtime.RunScenario(scene);
    std::string out;
    for (const char* name : globals) {
      std::string text = "<missing>";
      for (int i = 0; i < kMaxGlobals; ++i)
        if (std::string(runtime.Global(i).name) == name && !runtime.ToString(runtime.Global(i).value, text))
          text = "<none>";
      out += text + " ";
    }
    return out + errors;
  }
  TempFolder folder;
  std::string errors;
};

TEST_F(ScenarioRuntimeTest, AMissingRootDoesNotLoadAndOneInAnArchiveShadowsTheDisk) {
  EXPECT_EQ(RunRoot({}), "does not load");
  folder.Write("RootScenairo.csc", "OnBegin() { $from = \"disk\"; }");
  folder.Write("Startup.dat", BuildTestArchive({Entry("ROOTSCENAIRO.CSC", "OnBegin() { $from = \"archive\"; }")}));
  ASSERT_TRUE(GetArchiveManager().AddArchiveFile("Startup.dat"));
  EXPECT_EQ(RunRoot({"from"}), "archive ");
}

TEST_F(ScenarioRuntimeTest, ScriptsAddArchivesThatLaterLoadsSearch) {
  folder.Write("Data/extra.dat", BuildTestArchive({Entry("STAGE.SCN", "<Scene/>")}));
  folder.Write("RootScenairo.csc",
               "OnBegin() { $added = Scenario.AddArchiveFile(\"data\\\\EXTRA.dat\");"
               " $again = Scenario.AddArchiveFile(\"Data/none.dat\"); }");
  EXPECT_EQ(RunRoot({"added", "again"}), "1 0 ");
  FileData data;
  ASSERT_TRUE(LoadFile(folder.path() + "Data/stage.scn", data));
  EXPECT_EQ(data.view(), "<Scene/>");
}

// The program ends with 1 exactly when its scenario ended for a scene file
// that could not be loaded; the file is named on standard error.
TEST_F(ScenarioRuntimeTest, RunIsFalseOnlyWhenASceneCouldNotBeLoaded) {
  folder.Write("stage.scn", "<Scene/>\n");
  folder.Write("broken.scn", "<Scene>\n <Function OnBegin=\"#SFLG,#\"/>\n</Scene>\n");
  const struct {
    const char* root;
    bool ended;
    const char* said;
  } cases[] = {
      {"OnBegin() { }", true, ""},
      {"OnBegin() { Scenario.SceneFile = \"stage.scn\"; }\nOnEndScene() { Scenario.SceneFile = empty; }", true, ""},
      {"OnBegin() { Scenario.SceneFile = \"stage.scn\"; }", true, ""},
      {"OnBegin() { Scenario.SceneFile = \"missing.scn\"; }", false, "t3dplayer: missing.scn: cannot be read\n"},
      {"OnBegin() { Scenario.SceneFile = \"broken.scn\"; }", false,
       "t3dplayer: broken.scn: OnBegin has an action parameter that cannot be read: \"#SFLG,#\"\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.root);
    folder.Write("RootScenairo.csc", c.root);
    TracingRuntime runtime(errors, "");
    ASSERT_TRUE(runtime.LoadScenario("RootScenairo.csc"));
    Scene scene;
    testing::internal::CaptureStderr();
    EXPECT_EQ(runtime.RunScenario(scene), c.ended);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.said);
  }
  EXPECT_EQ(errors, "");
}

}  // namespace
