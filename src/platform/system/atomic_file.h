// Whole-file writes that never leave a half-written file behind. Used by every
// writer of files: the settings file, the capability report, regenerated models.
#pragma once

#include <string>
#include <string_view>

// Writes `bytes` to a temporary file beside `path`, flushes it to the disk and
// renames it over `path`: after a crash or a full disk the old file or the new
// one is there, whole. An existing file's permissions are kept. False (and the
// old file untouched) on any failure.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);
