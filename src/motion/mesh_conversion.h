// When an object class's .x mesh must be made again from its Metasequoia
// source. Used by the class file reader before it loads the mesh.
#pragma once

#include <string_view>

// Due when the .mqo file exists on disk and the .x file either does not or
// was written earlier (same times are not earlier). Archives are not looked at.
bool IsMeshConversionDue(std::string_view mqoPath, std::string_view xPath);
