// The scene file: its elements as the markup parser reports them, and
// LoadScene, which reads the file, compiles its script and resolves its hooks.
#include <cstring>
#include <string>

#include "motion/object_class.h"
#include "platform/system/content_path.h"
#include "platform/system/numbers.h"
#include "platform/system/safe_string.h"
#include "platform/system/shift_jis.h"
#include "scene/scene.h"

namespace {

bool NameIs(const char* name, const char* expected) { return EqualsIgnoreAsciiCase(name, expected); }

float ReadFloat(const char* text) { return static_cast<float>(ReadDecimal(text)); }

// Class files are named relative to the scene file unless they carry a drive.
// The whole name or nothing: a cut name could name another file.
bool ClassFilePath(const std::string& sceneFile, const char* file, std::string& path) {
  if (file[0] != '\0' && file[1] == ':') {
    path = file;
  } else {
    path = std::string(FolderOfPath(sceneFile)) + file;
  }
  return ContentNameLength(path) < kClassPathSize;
}

}  // namespace

bool Scene::OnStartElement(const char* name, const char* const* attributeNames, const char* const* attributeValues,
                           int attributeCount, void*, MarkupReader& reader) {
  if (Cast* cast = readingCast_.Get())
    return cast->ReadElement(name, attributeNames, attributeValues, attributeCount, *this);
  return ReadSceneElement(name, attributeNames, attributeValues, attributeCount, reader);
}

bool Scene::ReadSceneElement(const char* name, const char* const* attributeNames, const char* const* attributeValues,
                             int attributeCount, MarkupReader& reader) {
  auto attribute = [&](const char* attributeName) {
    return FindAttribute(attributeName, attributeNames, attributeValues, attributeCount);
  };

  if (NameIs(name, "Name")) {
    const char* value = attribute("value");
    if (!value) return false;
    SafeStrCopy(name_, value, sizeof name_);
  } else if (NameIs(name, "Cast")) {
    if (castCount_ >= kCastTableSize) return false;
    auto& slot = casts_[static_cast<std::size_t>(castCount_++)];
    slot = std::make_unique<Cast>(nullptr, castRegistry_);
    readingCast_ = slot->GetHandle();
  } else if (NameIs(name, "MotionObject")) {
    const char* file = attribute("File");
    std::string path;
    if (!file || !ClassFilePath(reader.GetPath(), file, path)) return false;
    return RegisterClass(std::string_view(path));
  } else if (NameIs(name, "FieldSize")) {
    const char* xMin = attribute("XMin");
    const char* xMax = attribute("XMax");
    const char* yMin = attribute("YMin");
    const char* yMax = attribute("YMax");
    const char* zMin = attribute("ZMin");
    const char* zMax = attribute("ZMax");
    if (!xMin || !xMax || !yMin || !yMax || !zMin || !zMax) return false;
    field_.xMin = ReadFloat(xMin);
    field_.xMax = ReadFloat(xMax);
    field_.yMin = ReadFloat(yMin);
    field_.yMax = ReadFloat(yMax);
    field_.zMin = ReadFloat(zMin);
    field_.zMax = ReadFloat(zMax);
  } else if (NameIs(name, "FallSpeed")) {
    const char* value = attribute("value");
    if (!value) return false;
    fallSpeed_ = ReadFloat(value);
  } else if (NameIs(name, "FPS")) {
    const char* value = attribute("value");
    if (!value) return false;
    fps_ = ReadDecimalInt32(value);
  } else if (NameIs(name, "Function")) {
    static constexpr const char* kHooks[kSceneCommandCount] = {"OnLoop", "OnBegin", "OnEnd", "OnMessage",
                                                              "OnInput"};
    for (int i = 0; i < kSceneCommandCount; ++i) {
      if (const char* text = attribute(kHooks[i])) commands_[static_cast<std::size_t>(i)].SetText(text);
    }
  }
  // "Scene" (the usual root), "Script" (its text comes through OnText) and
  // anything unknown: nothing to do.
  return true;
}

bool Scene::OnEndElement(const char* name, void*, MarkupReader&) {
  if (NameIs(name, "Cast")) readingCast_.Reset();
  return true;
}

bool Scene::OnText(const char* elementName, const char* text, void*, MarkupReader&) {
  if (!readingCast_.IsNull() || !NameIs(elementName, "Script")) return true;
  // The hooks belong to the script they name: a Function element must
  // follow the Script element.
  script_ = text;
  hasScript_ = true;
  for (Command& command : commands_) command.Clear();
  return true;
}

bool Scene::LoadScene(const std::string& path) {
  for (Command& command : commands_) command.Clear();
  MarkupReader reader;
  if (!reader.Open(path)) return false;
  readingCast_.Reset();
  // A failing element only cuts the file short: what was read stays.
  reader.ParseElements(*this, nullptr);
  readingCast_.Reset();
  reader.Close();
  if (hasScript_ && CompileScript(script_.c_str(), path.c_str()) != ERR_NONE) return false;
  for (Command& command : commands_) {
    if (!ParseCommand(command)) return false;
  }
  return true;
}
