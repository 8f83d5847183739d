// The runtime beyond the script-driven cases: a missing root scenario, and
// root scenarios and archives found in archives before the disk.
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

}  // namespace
