// The icon a window shows in its title bar and the desktop's task list. The
// program's window gets the program's own at creation.
#pragma once

#include <cstdint>

class GlWindow;

// `argb`: width x height straight ARGB words, rows from the top. A window
// without an icon is no failure: the desktop then shows its own.
void SetWindowIcon(GlWindow& window, const std::uint32_t* argb, int width, int height);
