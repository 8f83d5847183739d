// What the window manager would read from a window on a test's X server: its
// 32-bit properties, such as its icon. Used by the window tests.
#pragma once

#include <string>
#include <vector>

class XvfbDisplay;

// The values of a window's property of format 32 (CARDINAL, such as
// _NET_WM_ICON: width, height, then ARGB pixels); empty when it has none.
std::vector<unsigned long> CardinalProperty(const XvfbDisplay& display, unsigned long window,
                                            const std::string& property);
