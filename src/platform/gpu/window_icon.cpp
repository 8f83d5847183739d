// SDL takes the icon as a surface and copies it into the window's properties
// (_NET_WM_ICON on X11), so the pixels need not outlive the call.
#include "platform/gpu/window_icon.h"

#include <SDL.h>

#include <vector>

#include "platform/gpu/gl_window.h"

void SetWindowIcon(GlWindow& window, const std::uint32_t* argb, int width, int height) {
  if (argb == nullptr || width <= 0 || height <= 0) return;
  // SDL's surface wants pixels it may write; the icon's are constant.
  std::vector<std::uint32_t> pixels(argb, argb + static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), width, height, 32,
                                                         width * static_cast<int>(sizeof(std::uint32_t)),
                                                         SDL_PIXELFORMAT_ARGB8888);
  if (icon == nullptr) return;
  SDL_SetWindowIcon(window.GetSdlWindow(), icon);
  SDL_FreeSurface(icon);
}
