// Text .x files re-encoded as binary token streams; used by the mesh tests
// and by bench/mesh, which has no binary model of its own.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// The same file in the binary encoding: names, strings, GUIDs and
// punctuation become tokens; runs of numbers become integer lists (numbers
// without a point) and float lists (numbers with one).
std::vector<std::uint8_t> TextToBinary(std::string_view text);
