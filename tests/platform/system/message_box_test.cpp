#include "platform/system/message_box.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(MessageBox, WritesOneUtf8LineToStandardError) {
  testing::internal::CaptureStderr();
  ShowMessageBox("AUTO0#;#\n\nF(2,9) : error 23: \x90\xB3\x8F\xED\n", "Script Error");
  ShowMessageBox(nullptr, nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Script Error: AUTO0#;# F(2,9) : error 23: \xE6\xAD\xA3\xE5\xB8\xB8\n: \n");
}

// Where the program has a display, the box gets the UTF-8 texts whole, line
// breaks kept, after the line on standard error.
std::string g_shown;

TEST(MessageBox, HandsTheTextsToTheDisplaysBox) {
  SetMessageBoxPresenter([](const char* text, const char* caption) {
    g_shown += std::string(caption) + "|" + text + "|";
  });
  testing::internal::CaptureStderr();
  ShowMessageBox("\x90\xB3\x8F\xED\n2\n", "Title");
  ShowMessageBox(nullptr, nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Title: \xE6\xAD\xA3\xE5\xB8\xB8 2\n: \n");
  SetMessageBoxPresenter(nullptr);
  ShowMessageBox("not shown", "");
  EXPECT_EQ(g_shown, "Title|\xE6\xAD\xA3\xE5\xB8\xB8\n2\n|||");
}

}  // namespace
