// The .mqo reader over arbitrary text; afterwards every face corner must name
// a vertex of its object and every material index a material.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "converter/mqo_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  XConverter model;
  if (!ReadMqoText(text.c_str(), model)) return 0;
  const auto materials = static_cast<int>(model.materials.size());
  for (const MqoObject& object : model.objects) {
    for (const MqoFace& face : object.faces) {
      if (face.cornerCount < 2 || face.cornerCount > kMqoMaxCorners) std::abort();
      if (materials > 0 && (face.material < 0 || face.material >= materials)) std::abort();
      for (int c = 0; c < face.cornerCount; ++c)
        if (face.vertices[c] < 0 || static_cast<std::size_t>(face.vertices[c]) >= object.vertices.size())
          std::abort();
    }
  }
  return 0;
}
