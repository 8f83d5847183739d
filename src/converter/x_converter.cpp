// The conversion in its order: read, scale, normals, bones, weights, welding,
// writing. The working model lives only for the call.
#include "converter/x_converter.h"

#include <cstring>

#include "converter/mqo_bones.h"
#include "converter/mqo_reader.h"
#include "converter/x_writer.h"
#include "platform/system/content_path.h"
#include "platform/system/message_box.h"

namespace {

bool Fail(std::string* error, std::string message) {
  if (error != nullptr) *error = std::move(message);
  return false;
}

bool HasObject(const XConverter& model, const char* name) {
  for (const MqoObject& object : model.objects)
    if (std::strcmp(object.name, name) == 0) return true;
  return false;
}

}  // namespace

bool ConvertMqoToX(std::string_view mqoPath, const OpenedFolder& xFolder, std::string_view xName, float scaleX,
                   float scaleY, float scaleZ, std::string* error) {
  XConverter model;
  std::string why;
  if (!ReadMqoFile(mqoPath, model, &why)) return Fail(error, why);
  if (!HasObject(model, "body")) return Fail(error, "the model has no object named \"body\"");
  for (MqoObject& object : model.objects)
    for (MqoVertex& v : object.vertices) {
      v.x *= scaleX;
      v.y *= scaleY;
      v.z *= scaleZ;
    }
  ComputeBodyNormals(model);
  if (!BuildBones(model)) {
    return Fail(error, HasObject(model, "bone") ? "the object \"bone\" has more triangles than a skeleton holds"
                                                : "the model has no object named \"bone\"");
  }
  for (const std::string& message : ComputeWeights(model)) ShowMessageBox(message.c_str(), "XConverter");
  if (!WeldBodyVertices(model)) return Fail(error, "out of memory");
  return WriteX(model, xFolder, xName, error);
}

bool ConvertMqoToX(std::string_view mqoPath, std::string_view xPath, float scaleX, float scaleY, float scaleZ,
                   std::string* error) {
  // An existing file is replaced under its name on the disk, whatever the
  // case or form, so the load that follows reads the new one.
  const FolderAndName x = OpenFolderOfFile(DiskPathToWrite(xPath));
  return ConvertMqoToX(mqoPath, x.folder, x.name, scaleX, scaleY, scaleZ, error);
}
