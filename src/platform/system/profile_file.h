// Profile (INI) files read and written entry by entry: "[section]" lines and
// "key=value" lines ending in CR LF. Used by the settings file of scripts.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The value of `key` in the first section named `section` of the file; names
// are matched without regard to ASCII case and with surrounding blanks
// ignored. The value loses its surrounding blanks, and one pair of matching
// quotes around it. A missing file, section or key gives `defaultValue`
// without its trailing blanks. Returns the length of `out`.
std::size_t GetProfileString(const std::string& file, std::string_view section, std::string_view key,
                             std::string_view defaultValue, std::string& out);

// The same into a fixed buffer of `size` bytes: at most size-1 bytes (never
// half a double-byte character), always terminated. Returns the bytes stored.
std::size_t GetProfileString(const std::string& file, std::string_view section, std::string_view key,
                             std::string_view defaultValue, char* buffer, std::size_t size);

// Sets `key` in `section` to `value`. The file, the section (at the end of the
// file) and the key (after the section's last line) are added when missing;
// every other line stays as it was. The new file replaces the old one only
// when it has been written whole. False when the file cannot be read or
// written, and for a name or value that would break the layout: a line break
// anywhere, "]" in the section, "=" in the key, a key that is empty or starts
// with "[" or ";".
bool WriteProfileString(const std::string& file, std::string_view section, std::string_view key,
                        std::string_view value);
