// Reads a whole .x file (text, binary or compressed) into an XFileDocument.
// Used by the hierarchy loader and the .x fuzz target.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/mesh/xfile_document.h"

// Data objects may nest this deep (frames within frames); deeper files are
// refused rather than risking the stack.
constexpr int kMaxXFileNesting = 256;

// False with a message naming the place for a file that is not a .x file, is
// truncated or corrupt, or whose data does not fit its templates. Unknown data
// objects and template declarations are skipped.
bool ParseXFile(std::span<const std::uint8_t> file, XFileDocument* document, std::string* error);
