// The .x writer: the bone frames with the skin meshes inside the root frame,
// and one animation set holding every bone at its rest pose, after the header
// and template declarations of "Template.x". Used by the conversion.
#pragma once

#include <string>
#include <string_view>

#include "converter/mqo_model.h"
#include "platform/system/opened_folder.h"

// The text that follows the template, for a model whose bones, weights and
// welded skin are made. Lines end in "\r\n".
std::string WriteXText(const XConverter& model);

// "Template.x" from the program folder (the disk only) followed by
// WriteXText, written as the file `name` of `folder`, which replaces the old
// file only once it is written whole. False, with the reason in `error` (may
// be null) and the old file untouched, when the template cannot be read or
// the file cannot be written.
bool WriteX(const XConverter& model, const OpenedFolder& folder, std::string_view name, std::string* error);
// The same for the file at `path`: an existing file is replaced under the
// name it has on the disk, a new one gets the UTF-8 form of its name.
bool WriteX(const XConverter& model, std::string_view path, std::string* error);
