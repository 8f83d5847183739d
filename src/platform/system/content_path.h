// Content names to disk paths: "\" or "/", "." and ".." by text, letter case
// matched per component; and the program folder. Used by the file layer and start-up.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

// Separators become "/", repeated ones collapse, "." components go and ".."
// removes the component before it, all by text. A ".." with nothing before it
// stays in a relative name and goes in an absolute one (as at the root). A
// trailing separator is kept. Double-byte characters are stepped over whole, so
// a second byte 0x5C is never taken for a separator.
std::string NormalizeContentPath(std::string_view name);

// ASCII letters compared without case; the second byte of a double-byte
// character is compared exactly.
bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);
bool StartsWithIgnoreAsciiCase(std::string_view text, std::string_view prefix);

// Maps a content name to the path of an existing regular file: each component
// is matched exactly when that exists, else without regard to ASCII case
// (several such names: the first in byte order that leads to a file). False for
// a missing file, a directory or anything else that is not a regular file.
bool FindFileOnDisk(std::string_view name, std::string& diskPath);

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// FindFileOnDisk, then opens the file for binary reading; null when it is
// missing or not a regular file. `size` (may be null) receives its size.
FilePtr OpenContentFile(std::string_view name, std::uint64_t* size = nullptr);

// Directory listings used for case-insensitive matching are cached and checked
// against the directory's change time at each use; this drops them all.
void DropDirectoryCache();

// The folder of the running executable (from /proc/self/exe), ending in "/".
std::string ProgramDir();
// Makes ProgramDir answer `folder` (a "/" is added when missing); an empty
// text returns to the executable's folder. For tests and tools.
void SetProgramDir(std::string_view folder);
