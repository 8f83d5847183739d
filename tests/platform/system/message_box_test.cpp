#include "platform/system/message_box.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// One UTF-8 line on standard error; where the program has a display, the box
// then gets the UTF-8 texts whole, line breaks kept.
std::string g_shown;

TEST(MessageBox, WritesOneUtf8LineToStandardErrorAndHandsTheTextsToTheDisplaysBox) {
  testing::internal::CaptureStderr();
  ShowMessageBox("AUTO0#;#\n\nF(2,9) : error 23: \x90\xB3\x8F\xED\n", "Script Error");
  SetMessageBoxPresenter([](const char* text, const char* caption, const MessageBoxStyle& style) {
    g_shown += std::string(caption) + "|" + text + "|" + (style.error ? "error|" : "") +
               (style.owner != nullptr ? "owned|" : "");
  });
  ShowMessageBox("\x90\xB3\x8F\xED\n2\n", "Title");
  ShowMessageBox(nullptr, nullptr);
  int window = 0;
  ShowMessageBox("E", "", MessageBoxStyle{&window, true});
  SetMessageBoxPresenter(nullptr);
  ShowMessageBox("not shown", "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Script Error: AUTO0#;# F(2,9) : error 23: \xE6\xAD\xA3\xE5\xB8\xB8\n"
            "Title: \xE6\xAD\xA3\xE5\xB8\xB8 2\nt3dplayer: \nt3dplayer: E\nt3dplayer: not shown\n");
  EXPECT_EQ(g_shown, "Title|\xE6\xAD\xA3\xE5\xB8\xB8\n2\n||||E|error|owned|");
}

// The texts come from the game: on the terminal the line breaks still make
// one line, and no other control byte reaches it raw.
TEST(MessageBox, TheLineShowsTheGamesControlBytesEscapedAndNamesThePlayerWithoutACaption) {
  testing::internal::CaptureStderr();
  ShowMessageBox("a\x1b[2J\tb\r\n\nc\x7f\x96\xB3", "\x1b]0;T\x07");
  ShowMessageBox("x", "\r\n");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "\\x1b]0;T\\x07: a\\x1b[2J\\tb c\\x7f\xE7\x84\xA1\n"
            "t3dplayer: x\n");
}

}  // namespace
