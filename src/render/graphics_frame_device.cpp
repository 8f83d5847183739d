// The run loop's calls on the Graphics device.
#include "render/graphics_frame_device.h"

#include "render/render_resources.h"

FrameDevice::State GraphicsFrameDevice::TestCooperativeLevel() {
  const GraphicsDevice* device = graphics_.GetDevice();
  if (!device) return kLost;
  switch (device->TestCooperativeLevel()) {
    case DeviceState::Ready: return kReady;
    case DeviceState::NotReset: return kNotReset;
    case DeviceState::Lost: break;
  }
  return kLost;
}

bool GraphicsFrameDevice::Reset() {
  GraphicsDevice* device = graphics_.GetDevice();
  return device && ResetWithDefaultStates(*device, graphics_.GetPresentParameters()) == DeviceResult::Ok;
}

void GraphicsFrameDevice::Clear(std::uint32_t color, float depth) {
  if (GraphicsDevice* device = graphics_.GetDevice()) device->Clear(kClearTarget | kClearZBuffer, color, depth);
}

bool GraphicsFrameDevice::BeginScene() {
  GraphicsDevice* device = graphics_.GetDevice();
  return device && device->BeginScene();
}

void GraphicsFrameDevice::EndScene() {
  if (GraphicsDevice* device = graphics_.GetDevice()) device->EndScene();
}

void GraphicsFrameDevice::Present() {
  if (GraphicsDevice* device = graphics_.GetDevice()) device->Present();
}

int GraphicsFrameDevice::GetBackBufferWidth() const {
  return static_cast<int>(graphics_.GetPresentParameters(graphics_.GetMode()).backBufferWidth);
}

void GraphicsFrameDevice::DrawOverlayText(const char* text, float x, float y, std::uint32_t color, float scale) {
  text_.DrawOverlayText(graphics_, text, x, y, color, scale);
}
