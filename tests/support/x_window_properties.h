// What the window manager would read from the windows on a test's X server:
// which top-level windows are dialogs (message boxes), and a window's 32-bit
// properties such as its icon. Used by the window tests.
#pragma once

#include <string>
#include <vector>

class XvfbDisplay;

// The mapped top-level windows whose window type is _NET_WM_WINDOW_TYPE_DIALOG,
// on a server without a window manager (whose frames would hide them).
std::vector<unsigned long> DialogWindows(const XvfbDisplay& display);

// The values of a window's property of format 32 (CARDINAL, such as
// _NET_WM_ICON: width, height, then ARGB pixels); empty when it has none.
std::vector<unsigned long> CardinalProperty(const XvfbDisplay& display, unsigned long window,
                                            const std::string& property);
