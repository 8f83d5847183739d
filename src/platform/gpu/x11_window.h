// What SDL does not say about its window on an X server: whether a window
// manager will grant full screen; and the move a full-screen window needs
// where none will. Used by GlWindow.
#pragma once

struct SDL_Window;

class X11Window {
 public:
  // The X11 side of SDL's window; not valid when the window is on another
  // video driver (Wayland, offscreen).
  explicit X11Window(SDL_Window* window);

  bool IsValid() const { return display_ != nullptr; }
  // True when a window manager runs that takes full-screen requests
  // (_NET_WM_STATE_FULLSCREEN), so SDL's request is all it takes.
  bool ManagerTakesFullScreen() const;
  // Moves and sizes the window and raises it above the others, as a window
  // manager would for a full-screen window.
  void Place(int x, int y, int width, int height) const;

 private:
  void* display_ = nullptr;  // SDL's connection (a Display*), used on SDL's thread only
  unsigned long window_ = 0;
};
