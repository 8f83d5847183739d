// The shadow and glare blurs on 128x128 pictures: uniform fields, whose
// results the weights' sums give, and a single lit pixel, whose spread shows
// the kernel and the border rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "render/shadow_glare/offscreen_target.h"

namespace {

constexpr std::uint32_t kSize = 128;

}  // namespace

TEST(Blurs, KernelsDivisorsClampsAndBorders) {
  constexpr std::uint32_t kWhite = 0xFFFFFFFFu, kNone = kSize;
  const struct {
    const char* name;
    TargetBlur blur;
    std::uint32_t field;       // the blue byte of every source pixel
    std::uint32_t litX, litY;  // one source pixel of 0 or 255 against it (kNone: none)
    std::uint32_t lit;
    std::vector<std::array<std::uint32_t, 3>> pixels;  // (x, y, result)
    std::uint32_t elsewhere;                           // every other pixel inside the border
  } cases[] = {
      // The weights add up to the divisor: a field stays, the border is white.
      {"shadow field", BlurShadowShape, 128, kNone, kNone, 0, {}, 0x80808080u},
      // A dark pixel spreads 5x5 as 255 - weight x 255 / 48 (truncated).
      {"shadow spot", BlurShadowShape, 255, 64, 64, 0,
       {{64, 64, 0xD4D4D4D4u}, {65, 64, 0xE9E9E9E9u}, {65, 65, 0xF4F4F4F4u}, {66, 65, 0xF9F9F9F9u}, {66, 66, kWhite},
        {62, 64, 0xF4F4F4F4u}},
       kWhite},
      // The weights add up to 104 against 48: 100 brightens to 216, 255
      // clamps; alpha 0; the border repeats the nearest blurred pixel.
      {"glare field", BlurGlare, 100, kNone, kNone, 0,
       {{0, 0, 0xD8D8D8u}, {127, 127, 0xD8D8D8u}, {64, 64, 0xD8D8D8u}}, 0xD8D8D8u},
      {"glare clamp", BlurGlare, 255, kNone, kNone, 0, {{3, 3, 0xFFFFFFu}}, 0xFFFFFFu},
      // A lit pixel at (3, 3) spreads 7x7 as weight x 255 / 48; the corner
      // and the edges take the values of the nearest blurred pixels.
      {"glare spot", BlurGlare, 0, 3, 3, 255,
       {{3, 3, 0x555555u}, {0, 0, 0x555555u}, {2, 3, 0x555555u}, {3, 1, 0x555555u}, {4, 3, 0x151515u},
        {4, 0, 0x151515u}, {0, 4, 0x151515u}, {6, 3, 0x0A0A0Au}, {0, 6, 0x0A0A0Au}, {5, 5, 0x0A0A0Au},
        {6, 5, 0x000000u}},
       0},
      // Rows and columns past 124 repeat row and column 124.
      {"glare far edge", BlurGlare, 0, 124, 124, 255,
       {{124, 124, 0x555555u}, {127, 127, 0x555555u}, {127, 124, 0x555555u}, {125, 121, 0x0A0A0Au},
        {121, 127, 0x0A0A0Au}, {123, 127, 0x151515u}},
       0},
  };
  for (const auto& c : cases) {
    std::vector<std::uint32_t> source(kSize * kSize, 0xFF000000u | c.field * 0x010101u);
    if (c.litX != kNone) source[c.litY * kSize + c.litX] = 0xFF000000u | c.lit * 0x010101u;
    std::vector<std::uint32_t> result(kSize * kSize, 0x12345678u);
    c.blur({source.data(), kSize}, {result.data(), kSize}, kSize, kSize);
    std::vector<std::uint32_t> expected(kSize * kSize, c.elsewhere);
    if (c.blur == BlurShadowShape) {
      for (std::uint32_t i = 0; i < kSize; ++i)
        for (const std::uint32_t edge : {0u, 1u, kSize - 2, kSize - 1})
          expected[i * kSize + edge] = expected[edge * kSize + i] = kWhite;
    }
    for (const auto& [x, y, value] : c.pixels) expected[y * kSize + x] = value;
    // The spots spread: pixels next to those named take their own values.
    if (c.litX != kNone) {
      for (std::size_t i = 0; i < result.size(); ++i) {
        const std::uint32_t x = static_cast<std::uint32_t>(i) % kSize, y = static_cast<std::uint32_t>(i) / kSize;
        const bool named =
            std::any_of(c.pixels.begin(), c.pixels.end(), [&](const auto& p) { return p[0] == x && p[1] == y; });
        const std::uint32_t dx = x > c.litX ? x - c.litX : c.litX - x, dy = y > c.litY ? y - c.litY : c.litY - y;
        if (!named && dx <= 3 + 3 && dy <= 3 + 3) expected[i] = result[i];
      }
    }
    for (std::size_t i = 0; i < result.size(); ++i) {
      ASSERT_EQ(result[i], expected[i]) << c.name << " at (" << i % kSize << ", " << i / kSize << ")";
    }
  }
}
