// When an object class's .x mesh must be made again from its Metasequoia
// source, and whether it may be. Used by the class file reader before it loads the mesh.
#pragma once

#include <string>
#include <string_view>

// Due when the .mqo file exists on disk and the .x file either does not or
// was written earlier (same times are not earlier). Archives are not looked at.
bool IsMeshConversionDue(std::string_view mqoPath, std::string_view xPath);

// A game's content must not replace files outside the game: a conversion
// whose .mqo file, or whose .x file as it would be written, lies outside the
// program's folder (after "..", and through links) is refused. False, with
// the reason in `why`, for such a conversion.
bool ConversionStaysInProgramFolder(std::string_view mqoPath, std::string_view xPath, std::string& why);
