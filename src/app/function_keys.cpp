// The table of function keys, one small action each.
#include "app/function_keys.h"

#include <cstdint>

#include "app/main_window.h"
#include "render/graphics.h"
#include "scene/scene.h"

namespace {

void FlipRenderFlag(MainWindow& window, std::uint32_t flag) {
  if (Scene* scene = window.GetScene()) scene->SetRenderFlags(scene->GetRenderFlags() ^ flag);
}

// The results go unread: a size the device refused stays asked for, and the
// run loop's lost-device path mends a reset that failed.
void SwitchScreenSize(MainWindow& window) {
  window.SetScreenSize(window.GetScreenSizeMode() == MainWindow::kScreen800x600 ? MainWindow::kScreen640x480
                                                                                : MainWindow::kScreen800x600);
}

void SwitchFullScreen(MainWindow& window) {
  if (Graphics* graphics = window.GetGraphics())
    graphics->SetFullScreen(graphics->GetMode() != Graphics::kWindowed ? Graphics::kWindowed : Graphics::kFullScreen);
}

struct FunctionKey {
  int virtualKey;
  void (*press)(MainWindow& window);
};

constexpr FunctionKey kFunctionKeys[] = {
    {kVirtualKeyF1 + 0, [](MainWindow& w) { FlipRenderFlag(w, 0x01); }},  // the additive overlay pass
    {kVirtualKeyF1 + 1, [](MainWindow& w) { FlipRenderFlag(w, 0x02); }},  // soft cast shadows
    {kVirtualKeyF1 + 2, [](MainWindow& w) { FlipRenderFlag(w, 0x04); }},  // the edge pass
    {kVirtualKeyF1 + 3, [](MainWindow& w) { FlipRenderFlag(w, 0x08); }},  // casts flagged "Decoration1"
    {kVirtualKeyF1 + 4, [](MainWindow& w) { FlipRenderFlag(w, 0x10); }},  // casts flagged "Decoration2"
    {kVirtualKeyF1 + 5, SwitchScreenSize},
    {kVirtualKeyF1 + 6, SwitchFullScreen},
};

}  // namespace

void PressFunctionKey(MainWindow& window, int virtualKey) {
  for (const FunctionKey& key : kFunctionKeys)
    if (key.virtualKey == virtualKey) key.press(window);
}
