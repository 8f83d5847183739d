// The .mqo reader over arbitrary text; afterwards every face corner must name
// a vertex of its object and every material index a material. A model that
// reads goes on through the whole conversion: normals, bones, weights,
// welding and the .x text, whose welded corners must still name vertices.
#include "converter/mqo_bones.h"
#include "converter/mqo_reader.h"
#include "converter/x_writer.h"
#include "fuzz_support.h"

namespace {

void CheckCorners(const XConverter& model) {
  const auto materials = static_cast<int>(model.materials.size());
  for (const MqoObject& object : model.objects) {
    for (const MqoFace& face : object.faces) {
      FaultIf(face.cornerCount < 2 || face.cornerCount > kMqoMaxCorners);
      FaultIf(materials > 0 && (face.material < 0 || face.material >= materials));
      for (int c = 0; c < face.cornerCount; ++c)
        FaultIf(face.vertices[c] < 0 || static_cast<std::size_t>(face.vertices[c]) >= object.vertices.size());
    }
  }
}

}  // namespace

T3D_FUZZ_TARGET(data, size) {
  std::string text(FuzzText(data, size));
  XConverter model;
  if (!ReadMqoText(text.c_str(), model)) return 0;
  CheckCorners(model);
  ComputeBodyNormals(model);
  if (!BuildBones(model)) return 0;
  ComputeWeights(model);
  if (!WeldBodyVertices(model)) return 0;
  CheckCorners(model);
  const std::string x = WriteXText(model);
  FaultIf(x.empty());
  return 0;
}
