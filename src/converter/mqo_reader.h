// The .mqo text reader: fills the converter's working model from a Metasequoia
// model file (archives before the disk) or from a text in memory (tests, fuzzing).
#pragma once

#include <string>
#include <string_view>

#include "converter/mqo_model.h"

// False for an unreadable file, a malformed material line, a missing line
// after the materials, or an object without a complete face block; `error`
// (may be null) then says which, with its line.
bool ReadMqoFile(std::string_view path, XConverter& model, std::string* error = nullptr);
// The same reading over a NUL-terminated text.
bool ReadMqoText(const char* text, XConverter& model, std::string* error = nullptr);
