#include "platform/system/error_lines.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/system/content_report.h"
#include "platform/system/message_box.h"

namespace {

// Content that repeats a fault every frame tells its author once per scene
// run; a new run may say each line again.
TEST(ErrorLinesTest, EachTextIsWrittenOncePerSceneRun) {
  ForgetWrittenErrorLines();
  testing::internal::CaptureStderr();
  for (int frame = 0; frame < 3; ++frame) {
    ReportContentFault("font.chr", 0, "cannot be read");
    ReportContentFault("font.chr", 2, "cannot be read");
    WriteErrorLineOnce("t3dplayer: sound 'BANG': cannot read \"bang.wav\"\n");
    ShowMessageBox("AUTO0#;#\n\nLoop(2,9) : error 23: x\n", "Script Error");
  }
  ForgetWrittenErrorLines();
  ReportContentFault("font.chr", 0, "cannot be read");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "t3dplayer: font.chr: cannot be read\n"
            "t3dplayer: font.chr:2: cannot be read\n"
            "t3dplayer: sound 'BANG': cannot read \"bang.wav\"\n"
            "Script Error: AUTO0#;# Loop(2,9) : error 23: x\n"
            "t3dplayer: font.chr: cannot be read\n");
}

// The box on a display comes every time; only its line is held back.
std::string g_boxes;

TEST(ErrorLinesTest, ARepeatedBoxIsShownEachTimeButWrittenOnce) {
  ForgetWrittenErrorLines();
  SetMessageBoxPresenter([](const char* text, const char*, const MessageBoxStyle&) { g_boxes += text; });
  testing::internal::CaptureStderr();
  for (int i = 0; i < 3; ++i) ShowMessageBox("again", "Script Error");
  SetMessageBoxPresenter(nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Script Error: again\n");
  EXPECT_EQ(g_boxes, "againagainagain");
}

// What is remembered of a run stays bounded: past the bound one line says
// so, and nothing more comes until the next run.
TEST(ErrorLinesTest, PastTheBoundTheRestOfTheRunIsHeldBack) {
  ForgetWrittenErrorLines();
  testing::internal::CaptureStderr();
  for (int i = 0; i < kMaxErrorLinesPerRun; ++i) WriteErrorLineOnce("line " + std::to_string(i) + "\n");
  WriteErrorLineOnce("line 0\n");
  WriteErrorLineOnce("one more\n");
  WriteErrorLineOnce("and another\n");
  ForgetWrittenErrorLines();
  WriteErrorLineOnce("next run\n");
  std::string expected;
  for (int i = 0; i < kMaxErrorLinesPerRun; ++i) expected += "line " + std::to_string(i) + "\n";
  expected += "t3dplayer: 4096 different lines in this scene; the rest are held back until the next scene\n"
              "next run\n";
  EXPECT_EQ(testing::internal::GetCapturedStderr(), expected);
}

}  // namespace
