// A game folder for rendering tests: a temporary folder with the images the
// render resources need ("shadow.bmp", "toon.bmp", "ASCII16.png", written as
// PNG: the decoders go by content), where tests add their own files.
#pragma once

#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/image/image.h"

class GameFolder {
 public:
  GameFolder()
      : path_(std::filesystem::temp_directory_path() /
              ("t3d_game_" + std::to_string(::getpid()) + "_" + std::to_string(counter_++))) {
    std::filesystem::create_directories(path_);
    Write("shadow.bmp", Png(64, 64, [](std::uint32_t, std::uint32_t) { return 0xFF808080u; }));
    Write("toon.bmp", Png(32, 4, [](std::uint32_t, std::uint32_t) { return 0xFFC0C0C0u; }));
    Write("ASCII16.png", Png(128, 128, [](std::uint32_t, std::uint32_t) { return 0x00FFFFFFu; }));
  }
  ~GameFolder() { std::filesystem::remove_all(path_); }
  GameFolder(const GameFolder&) = delete;
  GameFolder& operator=(const GameFolder&) = delete;

  // Ends with a separator.
  std::string Folder() const { return path_.string() + "/"; }
  void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    std::ofstream(path_ / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  void Write(const std::string& name, const std::string& text) const {
    std::ofstream(path_ / name, std::ios::binary) << text;
  }
  void Remove(const std::string& name) const { std::filesystem::remove(path_ / name); }

  // A PNG of the ARGB colour `color` gives for each pixel.
  template <typename ColorOf>
  static std::vector<std::uint8_t> Png(std::uint32_t width, std::uint32_t height, ColorOf color) {
    Image image{width, height, {}};
    for (std::uint32_t y = 0; y < height; ++y) {
      for (std::uint32_t x = 0; x < width; ++x) {
        const std::uint32_t argb = color(x, y);
        image.pixels.insert(image.pixels.end(), {static_cast<std::uint8_t>(argb >> 16), static_cast<std::uint8_t>(argb >> 8),
                                                 static_cast<std::uint8_t>(argb), static_cast<std::uint8_t>(argb >> 24)});
      }
    }
    std::vector<std::uint8_t> png;
    EncodePng(image, &png);
    return png;
  }

 private:
  static inline std::atomic<int> counter_{0};
  std::filesystem::path path_;
};
