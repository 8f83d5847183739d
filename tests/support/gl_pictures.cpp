// The picture helpers of the rendering tests.
#include "support/gl_pictures.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/gpu/gl_device.h"
#include "platform/image/image.h"

#ifndef T3D_TEST_OUTPUT_DIR
#define T3D_TEST_OUTPUT_DIR "."
#endif

Picture MakePicture(std::uint32_t width, std::uint32_t height,
                    const std::function<std::uint32_t(std::uint32_t, std::uint32_t)>& color) {
  Picture picture{width, height, {}};
  picture.pixels.reserve(static_cast<std::size_t>(width) * height);
  for (std::uint32_t y = 0; y < height; ++y)
    for (std::uint32_t x = 0; x < width; ++x) picture.pixels.push_back(color(x, y));
  return picture;
}

void WritePicture(const std::string& name, const Picture& picture) {
  Image image{picture.width, picture.height, {}};
  for (std::uint32_t argb : picture.pixels) {
    image.pixels.push_back(static_cast<std::uint8_t>(argb >> 16));
    image.pixels.push_back(static_cast<std::uint8_t>(argb >> 8));
    image.pixels.push_back(static_cast<std::uint8_t>(argb));
    image.pixels.push_back(static_cast<std::uint8_t>(argb >> 24));
  }
  std::vector<std::uint8_t> png;
  if (!EncodePng(image, &png)) return;
  std::ofstream(std::string(T3D_TEST_OUTPUT_DIR) + "/" + name + ".png", std::ios::binary)
      .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
}

::testing::AssertionResult PicturesMatch(const std::string& name, const Picture& actual, const Picture& expected,
                                         int tolerance) {
  if (std::getenv("T3D_WRITE_PICTURES") != nullptr) WritePicture(name, actual);
  if (actual.width != expected.width || actual.height != expected.height ||
      actual.pixels.size() != expected.pixels.size()) {
    WritePicture(name, actual);
    return ::testing::AssertionFailure() << name << ": " << actual.width << "x" << actual.height << " instead of "
                                         << expected.width << "x" << expected.height;
  }
  for (std::size_t i = 0; i < actual.pixels.size(); ++i) {
    for (int shift = 0; shift < 32; shift += 8) {
      const int a = static_cast<int>(actual.pixels[i] >> shift & 0xFF);
      const int e = static_cast<int>(expected.pixels[i] >> shift & 0xFF);
      if (std::abs(a - e) <= tolerance) continue;
      WritePicture(name, actual);
      WritePicture(name + "_expected", expected);
      char text[160];
      std::snprintf(text, sizeof text, "%s: pixel (%zu, %zu) is %08x, expected %08x (pictures in %s)", name.c_str(),
                    i % actual.width, i / actual.width, actual.pixels[i], expected.pixels[i], T3D_TEST_OUTPUT_DIR);
      return ::testing::AssertionFailure() << text;
    }
  }
  return ::testing::AssertionSuccess();
}

void UseOffscreenVideo() { setenv("SDL_VIDEODRIVER", "offscreen", 1); }

GlTestDevice MakeGlTestDevice(std::uint32_t width, std::uint32_t height) {
  UseOffscreenVideo();
  GlTestDevice test;
  std::string error;
  test.window = GlWindow::Create("test", static_cast<int>(width), static_cast<int>(height), &error);
  EXPECT_TRUE(test.window) << "no GL window: " << error;
  if (!test.window) return test;
  PresentParameters parameters;
  parameters.backBufferWidth = width;
  parameters.backBufferHeight = height;
  test.device = CreateGlDevice(*test.window, parameters, &error);
  EXPECT_TRUE(test.device) << "no GL device: " << error;
  return test;
}

Picture GlTestDevice::BackBuffer() const {
  Picture picture;
  picture.width = device->GetPresentParameters().backBufferWidth;
  picture.height = device->GetPresentParameters().backBufferHeight;
  device->ReadBackBuffer(&picture.pixels);
  return picture;
}
