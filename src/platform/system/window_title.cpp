// The title text and the caption hook.
#include "platform/system/window_title.h"

#include <utility>

#include "platform/system/safe_string.h"

namespace {

char g_title[kWindowTitleSize] = {};

std::function<void(const char*)>& CaptionHook() {
  static std::function<void(const char*)> hook;
  return hook;
}

}  // namespace

const char* GetWindowTitle() { return g_title; }

void SetWindowTitle(const char* text) {
  SafeStrCopy(g_title, text != nullptr ? text : "", sizeof g_title);
  if (CaptionHook()) CaptionHook()(g_title);
}

void SetWindowCaptionHook(std::function<void(const char*)> hook) { CaptionHook() = std::move(hook); }
