// The model converter's entry point: a Metasequoia model with "body" and
// "bone" objects becomes a skinned .x file. Object classes call it when their
// .x file is missing or older than its source.
#pragma once

#include <string>
#include <string_view>

#include "platform/system/opened_folder.h"

// Reads the .mqo file (archives before the disk), scales every vertex by
// (scaleX, scaleY, scaleZ), makes the skin's normals, the bones and the
// weights, welds the skin and writes the .x file. False, with the reason in
// `error` (may be null), when the file does not read, has no object named
// "body" or "bone", or the .x file cannot be written; the old .x file is then
// left as it was. Vertices left without a bone are reported in a message box
// (one per object) and the file is still written.
bool ConvertMqoToX(std::string_view mqoPath, std::string_view xPath, float scaleX, float scaleY, float scaleZ,
                   std::string* error = nullptr);
// The same, writing the file `xName` of the folder opened before.
bool ConvertMqoToX(std::string_view mqoPath, const OpenedFolder& xFolder, std::string_view xName, float scaleX,
                   float scaleY, float scaleZ, std::string* error = nullptr);
