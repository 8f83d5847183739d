// The two CPU blurs of the render target's read-back: the soft shadow's 5x5
// and the glare's brightening 7x7, each with its border rule. Pure integer
// functions over ARGB words; the shadow and glare passes call them.
#pragma once

#include <cstdint>

// A picture of ARGB words, `pitch` words from the start of one row to the next.
struct PixelView {
  std::uint32_t* pixels = nullptr;
  std::uint32_t pitch = 0;
  std::uint32_t At(std::uint32_t x, std::uint32_t y) const { return pixels[static_cast<std::size_t>(y) * pitch + x]; }
  std::uint32_t& At(std::uint32_t x, std::uint32_t y) { return pixels[static_cast<std::size_t>(y) * pitch + x]; }
};

// Both blurs read the blue byte of each source pixel (the pictures are
// grey), write width x height pixels of `destination`, and need a picture
// of at least 7 x 7. Source and destination must not overlap.

// The soft shadow: v = (weighted sum of the 5x5 around) / 48, the weights
// adding up to 48, written to all four bytes. The two-pixel border, where
// the kernel does not fit, is white: the shadow fades out before its edge,
// and a receiver beyond the texture (clamped) stays as it is.
void BlurShadowShape(const PixelView& source, PixelView destination, std::uint32_t width, std::uint32_t height);

// The glare: v = min(255, (weighted sum of the 7x7 around) / 48), the
// weights adding up to 104, so the glow comes out about twice as bright;
// written to the colour bytes with alpha 0. The three-pixel border, where
// the kernel does not fit, repeats the nearest blurred pixel.
void BlurGlare(const PixelView& source, PixelView destination, std::uint32_t width, std::uint32_t height);
