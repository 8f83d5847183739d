// The Sound class over the program's own sound manager, heard through the
// disk driver: what a script's music calls leave playing.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "classes/class_runner.h"
#include "classes/script_classes.h"
#include "scene/scenario_runtime.h"
#include "sound/sound_test_support.h"

namespace {

constexpr std::size_t kGapFrames = 441;  // 10 ms: longer than any silence inside the piece
constexpr std::size_t kFramesPerSecond = 44100;

class SoundClassHeardTest : public HeardSoundTest {
 protected:
  void SetUp() override {
    HeardSoundTest::SetUp();
    UseGameScriptClasses();
    root_ = std::make_unique<Quiet<ScenarioRuntime>>();
    root_->SetManagers({nullptr, &manager});
  }
  // Statements run in the root scenario's engine; every Sound method answers 0.
  void Run(const std::string& statements) {
    EXPECT_EQ(AnswerFragment(*root_, "Step" + std::to_string(++steps_), statements + " $r = 0;", DescribeValue), "0")
        << statements;
  }

 private:
  std::unique_ptr<Quiet<ScenarioRuntime>> root_;
  int steps_ = 0;
};

TEST_F(SoundClassHeardTest, MusicLoadedAgainBehindAFreeStreamIsStoppedAndDeletedForGood) {
  program.Folder().Write("tone.ogg", DataFile("tone_stereo.ogg"));
  Run("Sound.LoadMusic(1, \"tone.ogg\"); Sound.LoadMusic(7, \"tone.ogg\"); Sound.PlayMusic(7, 1, 1);");
  SleepMs(300);
  // The first stream is free again while the second holds 7: loading 7 once
  // more takes no stream, so the stop and the delete reach the one playing.
  Run("Sound.DeleteMusic(1); Sound.LoadMusic(7, \"tone.ogg\"); Sound.StopMusic(7); Sound.DeleteMusic(7);");
  EXPECT_FALSE(manager.IsMusicPlaying(7));
  EXPECT_FALSE(manager.PlayMusic(7, true, 1.0f));
  SleepMs(600);
  const Samples heard = Heard();
  const std::vector<SoundRun> runs = SplitRuns(heard, kGapFrames);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_GE(runs[0].samples.size() / 2, kFramesPerSecond / 10) << "the music played before the stop";
  const std::size_t end = runs[0].frame + runs[0].samples.size() / 2;
  EXPECT_GE(heard.size() / 2 - end, kFramesPerSecond * 3 / 10) << "silence after the stop";
}

}  // namespace
