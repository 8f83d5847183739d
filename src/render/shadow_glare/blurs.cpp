// The shadow and glare blurs, in integers so that a picture comes out the
// same on every machine.
#include "render/shadow_glare/blurs.h"

#include <algorithm>
#include <array>
#include <cassert>

namespace {

constexpr std::uint32_t kDivisor = 48;
constexpr std::uint32_t kWhite = 0xFFFFFFFFu;

constexpr std::array<std::array<std::uint32_t, 5>, 5> kShadowWeights{{
    {0, 1, 2, 1, 0},
    {1, 2, 4, 2, 1},
    {2, 4, 8, 4, 2},
    {1, 2, 4, 2, 1},
    {0, 1, 2, 1, 0},
}};

constexpr std::array<std::array<std::uint32_t, 7>, 7> kGlareWeights{{
    {0, 0, 1, 2, 1, 0, 0},
    {0, 2, 2, 4, 2, 2, 0},
    {1, 2, 4, 4, 4, 2, 1},
    {2, 4, 4, 16, 4, 4, 2},
    {1, 2, 4, 4, 4, 2, 1},
    {0, 2, 2, 4, 2, 2, 0},
    {0, 0, 1, 2, 1, 0, 0},
}};

// min(255, weighted sum of the blue bytes around (x, y) / 48): 255 x 104
// is far inside 32 bits, so nothing overflows before the clamp.
template <std::size_t N>
std::uint32_t Blurred(const PixelView& source, std::uint32_t x, std::uint32_t y,
                      const std::array<std::array<std::uint32_t, N>, N>& weights) {
  constexpr std::uint32_t reach = N / 2;
  std::uint32_t sum = 0;
  for (std::uint32_t row = 0; row < N; ++row)
    for (std::uint32_t column = 0; column < N; ++column)
      sum += weights[row][column] * (source.At(x + column - reach, y + row - reach) & 0xFFu);
  return std::min<std::uint32_t>(255, sum / kDivisor);
}

}  // namespace

void BlurShadowShape(const PixelView& source, PixelView destination, std::uint32_t width, std::uint32_t height) {
  assert(width >= 7 && height >= 7);
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      if (x < 2 || y < 2 || x >= width - 2 || y >= height - 2) {
        destination.At(x, y) = kWhite;
        continue;
      }
      const std::uint32_t v = Blurred(source, x, y, kShadowWeights);
      destination.At(x, y) = v << 24 | v << 16 | v << 8 | v;
    }
  }
}

void BlurGlare(const PixelView& source, PixelView destination, std::uint32_t width, std::uint32_t height) {
  assert(width >= 7 && height >= 7);
  for (std::uint32_t y = 3; y < height - 3; ++y) {
    for (std::uint32_t x = 3; x < width - 3; ++x) {
      const std::uint32_t v = Blurred(source, x, y, kGlareWeights);
      destination.At(x, y) = v << 16 | v << 8 | v;
    }
    for (std::uint32_t x = 0; x < 3; ++x) {
      destination.At(x, y) = destination.At(3, y);
      destination.At(width - 1 - x, y) = destination.At(width - 4, y);
    }
  }
  for (std::uint32_t y = 0; y < 3; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      destination.At(x, y) = destination.At(x, 3);
      destination.At(x, height - 1 - y) = destination.At(x, height - 4);
    }
  }
}
