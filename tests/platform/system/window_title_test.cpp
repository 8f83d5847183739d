#include "platform/system/window_title.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The title keeps 99 bytes, never half a double-byte character, and the
// window's hook sees what was kept.
TEST(WindowTitle, KeepsWhole99Bytes) {
  const std::string pair = "\x82\xA0";
  struct Case {
    std::string text;
    std::string kept;
  } cases[] = {
      {std::string(150, 'a'), std::string(99, 'a')},
      {std::string(97, 'a') + pair + "b", std::string(97, 'a') + pair},
      {std::string(98, 'a') + pair, std::string(98, 'a')},  // the pair would end at byte 100
      {"Game", "Game"},
  };
  std::string shown;
  SetWindowCaptionHook([&shown](const char* title) { shown = title; });
  for (const Case& c : cases) {
    SetWindowTitle(c.text.c_str());
    EXPECT_EQ(GetWindowTitle(), c.kept);
    EXPECT_EQ(shown, c.kept);
  }
  SetWindowCaptionHook({});
  SetWindowTitle("");
}

}  // namespace
