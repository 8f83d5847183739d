// When an object class's .x mesh must be made again from its Metasequoia
// source, and whether and where it may be. Used by the class file reader before it loads the mesh.
#pragma once

#include <string>
#include <string_view>

#include "platform/system/opened_folder.h"

// Due when the .mqo file exists on disk and the .x file either does not or
// was written earlier (same times are not earlier). Archives are not looked at.
bool IsMeshConversionDue(std::string_view mqoPath, std::string_view xPath);

// A game's content must not replace files outside the game, nor the
// program's own: a conversion is refused whose .mqo file, or whose .x file
// as it would be written, lies outside the program's folder (after "..", and
// through links), whose output's name does not end in ".x", or whose output
// is the program folder's "Template.x". Otherwise `output` receives the .x
// file's folder, opened and checked through its handle, and the file's name
// in it: the write goes to the folder that was checked, whatever is renamed
// or linked meanwhile. False, with the reason in `why` (UTF-8, names escaped
// for standard error), for a refused conversion.
bool OpenConversionOutput(std::string_view mqoPath, std::string_view xPath, FolderAndName& output, std::string& why);
