// When an object class's .x mesh must be made again from its Metasequoia
// source, and the converter that does it (registered by the program; the class file reader calls it).
#pragma once

#include <string_view>

// Converts the .mqo file into the .x file with the given scale; true on success.
using MeshConverter = bool (*)(std::string_view mqoPath, std::string_view xPath, float scaleX, float scaleY,
                               float scaleZ);

// The converter used from now on; null (the start) means none: a due
// conversion then fails and the existing .x file, if any, is loaded as it is.
void SetMeshConverter(MeshConverter converter);
MeshConverter GetMeshConverter();

// Due when the .mqo file exists on disk and the .x file either does not or
// was written earlier (same times are not earlier). Archives are not looked at.
bool IsMeshConversionDue(std::string_view mqoPath, std::string_view xPath);
