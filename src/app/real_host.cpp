// The program's host and its clearing device.
#include "app/real_host.h"

#include "render/graphics.h"

FrameDevice::State ClearingFrameDevice::TestCooperativeLevel() {
  const GraphicsDevice* device = graphics_.GetDevice();
  if (device == nullptr) return kLost;
  switch (device->TestCooperativeLevel()) {
    case DeviceState::Ready: return kReady;
    case DeviceState::NotReset: return kNotReset;
    case DeviceState::Lost: break;
  }
  return kLost;
}

bool ClearingFrameDevice::Reset() {
  GraphicsDevice* device = graphics_.GetDevice();
  return device != nullptr && device->Reset(graphics_.GetPresentParameters()) == DeviceResult::Ok;
}

void ClearingFrameDevice::Clear(std::uint32_t color, float depth) {
  if (GraphicsDevice* device = graphics_.GetDevice()) device->Clear(kClearTarget | kClearZBuffer, color, depth);
}

bool ClearingFrameDevice::BeginScene() {
  GraphicsDevice* device = graphics_.GetDevice();
  return device != nullptr && device->BeginScene();
}

void ClearingFrameDevice::EndScene() {
  if (GraphicsDevice* device = graphics_.GetDevice()) device->EndScene();
}

void ClearingFrameDevice::Present() {
  if (GraphicsDevice* device = graphics_.GetDevice()) device->Present();
}

int ClearingFrameDevice::GetBackBufferWidth() const {
  return static_cast<int>(graphics_.GetPresentParameters().backBufferWidth);
}

RealHost::RealHost(Graphics& graphics, MainWindow& window, InputManager& input, SoundManager& sound)
    : input_(input), sound_(sound), device_(graphics) {
  host_.clock = &clock_;
  host_.input = &input_;
  host_.device = &device_;
  host_.window = &window;
  host_.sound = &sound_;
}
