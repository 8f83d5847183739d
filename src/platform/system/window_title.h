// The window title: the caption of the main window and of every message box.
// Set by start-up and by scripts (System.Title); the window shows it when it exists.
#pragma once

#include <functional>

// The title keeps at most this many bytes (99 characters and the terminator).
constexpr int kWindowTitleSize = 100;

// The title as kept; empty until something sets it.
const char* GetWindowTitle();
// Keeps the first 99 bytes of `text` (never half a double-byte character) and
// passes the kept text to the caption hook, when one is installed.
void SetWindowTitle(const char* text);
// The window installs this to follow title changes; an empty function removes it.
void SetWindowCaptionHook(std::function<void(const char*)> hook);
