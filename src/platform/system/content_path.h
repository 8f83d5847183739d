// Content names to disk paths (separators and dots by text, letter case and Shift-JIS
// or UTF-8 form per component), and the program folder. Used by files, start-up, conversion.
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

// A path the program made from its own folder and a content name: the program
// folder that starts it kept byte for byte (it is a disk path, whatever bytes
// it holds), the content's name after it normalized as above, and a ".." that
// climbs out of the program folder taking off that folder's own components.
// Any other path is normalized as a whole.
std::string NormalizeGamePath(std::string_view path);

// What the content names in such a path: its length without the program
// folder that starts it. The fixed name bounds of the system count this part
// only: the folder a game stands in is the player's, and on Linux its name is
// UTF-8 (three bytes for most Japanese characters) and often deep.
std::size_t ContentNameLength(std::string_view path);

// ASCII letters compared without case; the second byte of a double-byte
// character is compared exactly.
bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);
bool StartsWithIgnoreAsciiCase(std::string_view text, std::string_view prefix);

// Maps a content name to the path of an existing regular file. The program
// folder and the folders above it are the disk's and are taken as they stand;
// each component after them (folders too) is looked for by its own bytes, then by its UTF-8 form (the
// name tools write when they unpack a Windows game; only for a name that is
// Shift-JIS throughout), then by each of the two without regard to ASCII case
// (several such names: the first in byte order that leads to a file). So
// where both forms are on the disk, the one with the content's own bytes is
// found. False for a missing file, a directory or anything else that is not a
// regular file.
bool FindFileOnDisk(std::string_view name, std::string& diskPath);

// Where the program writes a file it makes from a content name: the file
// FindFileOnDisk finds, replaced where it is; else the last component in its
// UTF-8 form, in the folder the same lookup finds (or the name's own folder
// text when there is none, where the write then fails).
std::string DiskPathToWrite(std::string_view name);

// Whether `path` (which need not exist yet) lies inside `folder` once ".."
// and symbolic links are resolved on the disk for both; `realPath` (may be
// null) receives where `path` leads. False when a name on the way does not
// resolve (a dangling link, a loop).
bool LiesInsideFolder(const std::string& path, const std::string& folder, std::string* realPath = nullptr);

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Opens the file at a disk path for binary reading, links followed. A pipe,
// a device or a folder at that name is no file to read, and opening it never
// blocks: null for anything but a regular file (errno ENOENT when nothing is
// there). A regular file under another process's lease is waited for until
// the lease is given up. `size` (may be null) receives its size.
FilePtr OpenRegularFile(const std::string& diskPath, std::uint64_t* size = nullptr);

// FindFileOnDisk, then OpenRegularFile.
FilePtr OpenContentFile(std::string_view name, std::uint64_t* size = nullptr);
// The whole of the file OpenContentFile opens; false, and `bytes` untouched,
// when it cannot be opened or read.
bool ReadContentFile(std::string_view name, std::string& bytes);

// Directory listings used for case-insensitive matching are cached and checked
// against the directory's change time at each use; this drops them all.
void DropDirectoryCache();

// The folder of the running executable (from /proc/self/exe), ending in "/".
std::string ProgramDir();
// Makes ProgramDir answer `folder` (a "/" is added when missing); an empty
// text returns to the executable's folder. For tests and tools.
void SetProgramDir(std::string_view folder);
