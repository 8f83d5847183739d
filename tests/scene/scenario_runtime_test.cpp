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

// A program folder for one test; archives opened during it are closed after.
class ProgramFolder {
 public:
  ProgramFolder() { SetProgramDir(folder.path()); }
  ~ProgramFolder() {
    GetArchiveManager().CloseAll();
    SetProgramDir("");
  }
  TempFolder folder;
};

// Every runtime and scene of these tests gets the program's script classes.
class ScenarioRuntimeTest : public testing::Test {
 protected:
  void SetUp() override { UseGameScriptClasses(); }
};

std::string GlobalText(CCScript& engine, const char* name) {
  for (int i = 0; i < kMaxGlobals; ++i) {
    if (std::string(engine.Global(i).name) != name) continue;
    std::string text;
    return engine.ToString(engine.Global(i).value, text) ? text : "<none>";
  }
  return "<missing>";
}

TEST_F(ScenarioRuntimeTest, AMissingRootDoesNotLoadAndOneInAnArchiveShadowsTheDisk) {
  ProgramFolder program;
  std::string errors;
  TracingRuntime runtime(errors, "");
  EXPECT_FALSE(runtime.LoadScenario("RootScenairo.csc"));
  program.folder.Write("RootScenairo.csc", "OnBegin() { $from = \"disk\"; }");
  program.folder.Write("Startup.dat",
                       BuildTestArchive({Entry("ROOTSCENAIRO.CSC", "OnBegin() { $from = \"archive\"; }")}));
  ASSERT_TRUE(GetArchiveManager().AddArchiveFile("Startup.dat"));
  ASSERT_TRUE(runtime.LoadScenario("RootScenairo.csc"));
  Scene scene;
  runtime.RunScenario(scene);
  EXPECT_EQ(GlobalText(runtime, "from") + errors, "archive");
}

TEST_F(ScenarioRuntimeTest, ScriptsAddArchivesThatLaterLoadsSearch) {
  ProgramFolder program;
  program.folder.Write("Data/extra.dat", BuildTestArchive({Entry("STAGE.SCN", "<Scene/>")}));
  program.folder.Write("RootScenairo.csc",
                       "OnBegin() { $added = Scenario.AddArchiveFile(\"data\\\\EXTRA.dat\");"
                       " $again = Scenario.AddArchiveFile(\"Data/none.dat\"); }");
  std::string errors;
  TracingRuntime runtime(errors, "");
  ASSERT_TRUE(runtime.LoadScenario("RootScenairo.csc"));
  Scene scene;
  runtime.RunScenario(scene);
  EXPECT_EQ(GlobalText(runtime, "added") + " " + GlobalText(runtime, "again") + errors, "1 0");
  FileData data;
  ASSERT_TRUE(LoadFile(program.folder.path() + "Data/stage.scn", data));
  EXPECT_EQ(data.view(), "<Scene/>");
}

}  // namespace
