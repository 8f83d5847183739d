// The settings file's text codec: every section name, key and value of
// "Config.sav" is stored as key-seeded hexadecimal with a check byte. Used by Storage.
#pragma once

#include <string>
#include <string_view>

// Plain texts longer than this do not fit the entries the settings file was
// made for (256-byte buffers holding two digits per byte, the check byte and
// the terminator); Storage refuses them rather than store a cut entry.
constexpr std::size_t kStoragePlainLimit = 126;
// A stored value longer than this was never written by Storage.
constexpr std::size_t kStorageEncodedLimit = 255;

// Two upper-case hexadecimal digits per byte of `plain`, then two for the
// check byte (the byte sum), each byte scrambled by the generator seeded with
// `key`: the same text under the same key always encodes the same way.
std::string EncodeStorageText(int key, std::string_view plain);

// The inverse; false when the text is shorter than two digits, has an odd
// length or a character that is not a hexadecimal digit, or when the check
// byte does not match. The plain text may hold NUL bytes.
bool DecodeStorageText(int key, std::string_view encoded, std::string& plain);
