// Rendering tests on the GL device: an offscreen window and device, pictures
// read back as ARGB words and compared with a tolerance. A picture that
// differs is written as PNG into the test's build folder (as is every
// picture when T3D_WRITE_PICTURES is set), so it can be looked at.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/gpu/device.h"
#include "platform/gpu/gl_window.h"

struct Picture {
  std::uint32_t width = 0, height = 0;
  std::vector<std::uint32_t> pixels;  // ARGB, top row first
  std::uint32_t At(std::uint32_t x, std::uint32_t y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// A picture filled by a function of the pixel.
Picture MakePicture(std::uint32_t width, std::uint32_t height,
                    const std::function<std::uint32_t(std::uint32_t x, std::uint32_t y)>& color);

// Every channel of every pixel within `tolerance`; alpha is compared too.
::testing::AssertionResult PicturesMatch(const std::string& name, const Picture& actual, const Picture& expected,
                                         int tolerance = 2);
void WritePicture(const std::string& name, const Picture& picture);

// SDL's offscreen driver: a GL context without a display.
struct GlTestDevice {
  std::unique_ptr<GlWindow> window;
  std::unique_ptr<GraphicsDevice> device;
  Picture BackBuffer() const;
};

// Fails the test (never skips) when no GL context can be had.
GlTestDevice MakeGlTestDevice(std::uint32_t width, std::uint32_t height);

// The offscreen driver for every SDL window a test makes from now on.
void UseOffscreenVideo();
