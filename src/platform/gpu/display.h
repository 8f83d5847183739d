// Whether the program has a display to show its window and boxes on, the SDL
// drivers it plays with where it has none, and message boxes on the display.
// Start-up decides with these before anything starts SDL.
#pragma once

#include <string>

#include "platform/system/message_box.h"

// True when DISPLAY or WAYLAND_DISPLAY names a display and SDL_VIDEODRIVER
// does not choose a driver that shows nothing (offscreen, dummy).
bool HasDisplay();

// Before SDL starts. Without a display: SDL's offscreen video driver (which
// still gives an OpenGL context through EGL) and the dummy audio driver, so
// the game plays unseen and unheard instead of failing. With one named: only
// the drivers of the displays named, so that one that cannot be opened fails
// the window. Drivers the environment names stay.
void ChooseVideoDrivers();

// "the display ":1" (DISPLAY)", with " or the display ..." for a Wayland one
// also named; empty when neither variable names one.
std::string DescribeNamedDisplays();

// A modal box with an OK button, owned by the style's SDL window (or none);
// UTF-8 texts. Returns when the user has closed it, or at once when it cannot
// be shown.
void ShowDisplayMessageBox(const char* textUtf8, const char* captionUtf8, const MessageBoxStyle& style);
