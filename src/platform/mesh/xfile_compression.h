// The compressed .x forms ("tzip", "bzip"): MSZIP blocks, each "CK" and a raw
// deflate stream that may refer back into the block before it. Used by the .x
// loader, and by tests and benchmarks to make compressed files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Compressed files larger than this once inflated are refused.
constexpr std::size_t kMaxXFileInflatedSize = 512u << 20;

// A whole compressed file in, the same file uncompressed out: its header
// reads "txt " or "bin " and its body is the inflated data. False with a
// message for a truncated or corrupt file or one whose sizes disagree.
bool DecompressXFile(std::span<const std::uint8_t> file, std::vector<std::uint8_t>* out,
                     std::string* error);

// The inverse, for an uncompressed "txt " or "bin " file: blocks of at most
// 32 KiB. Empty for anything else.
std::vector<std::uint8_t> CompressXFile(std::span<const std::uint8_t> file);
