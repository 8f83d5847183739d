// The function keys of the game's window: F1 to F5 flip the render passes
// (the scene's render flags 1, 2, 4, 8 and 16), F6 switches between 800x600
// and 640x480, F7 between a window and full screen. The window hands every
// key-down message here, auto-repeats too, so a held key keeps flipping.
#pragma once

class MainWindow;

// Other keys do nothing.
void PressFunctionKey(MainWindow& window, int virtualKey);
