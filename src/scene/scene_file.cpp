// The scene file: its elements as the markup parser reports them, and
// LoadScene, which reads the file, compiles its script and resolves its hooks.
#include <cstring>
#include <string>

#include "motion/object_class.h"
#include "platform/system/content_path.h"
#include "platform/system/content_report.h"
#include "platform/system/numbers.h"
#include "platform/system/safe_string.h"
#include "platform/system/shift_jis.h"
#include "scene/scene.h"

namespace {

// The attributes of <Function>, in the order of the scene's hooks.
constexpr const char* kHookNames[kSceneCommandCount] = {"OnLoop", "OnBegin", "OnEnd", "OnMessage", "OnInput"};

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
    return cast->ReadElement(name, attributeNames, attributeValues, attributeCount, *this, &reader);
  return ReadSceneElement(name, attributeNames, attributeValues, attributeCount, reader);
}

bool Scene::Refuse(std::string reason) {
  refusal_ = std::move(reason);
  return false;
}

bool Scene::ReadSceneElement(const char* name, const char* const* attributeNames, const char* const* attributeValues,
                             int attributeCount, MarkupReader& reader) {
  auto attribute = [&](const char* attributeName) {
    return FindAttribute(attributeName, attributeNames, attributeValues, attributeCount);
  };

  if (NameIs(name, "Name")) {
    const char* value = attribute("value");
    if (!value) return Refuse("<Name> has no value");
    SafeStrCopy(name_, value, sizeof name_);
  } else if (NameIs(name, "Cast")) {
    if (castCount_ >= kCastTableSize)
      return Refuse("<Cast> past the " + std::to_string(kCastTableSize) + " casts of a scene");
    auto& slot = casts_[static_cast<std::size_t>(castCount_++)];
    slot = std::make_unique<Cast>(nullptr, castRegistry_);
    readingCast_ = slot->GetHandle();
  } else if (NameIs(name, "MotionObject")) {
    const char* file = attribute("File");
    std::string path;
    if (!file) return Refuse("<MotionObject> has no File");
    if (!ClassFilePath(reader.GetPath(), file, path))
      return Refuse("<MotionObject> names a file whose name is too long");
    if (!RegisterClass(std::string_view(path))) return Refuse("<MotionObject> names a class that cannot be loaded");
    return true;
  } else if (NameIs(name, "FieldSize")) {
    const char* xMin = attribute("XMin");
    const char* xMax = attribute("XMax");
    const char* yMin = attribute("YMin");
    const char* yMax = attribute("YMax");
    const char* zMin = attribute("ZMin");
    const char* zMax = attribute("ZMax");
    if (!xMin || !xMax || !yMin || !yMax || !zMin || !zMax)
      return Refuse("<FieldSize> needs all of XMin, XMax, YMin, YMax, ZMin and ZMax");
    field_.xMin = ReadFloat(xMin);
    field_.xMax = ReadFloat(xMax);
    field_.yMin = ReadFloat(yMin);
    field_.yMax = ReadFloat(yMax);
    field_.zMin = ReadFloat(zMin);
    field_.zMax = ReadFloat(zMax);
  } else if (NameIs(name, "FallSpeed")) {
    const char* value = attribute("value");
    if (!value) return Refuse("<FallSpeed> has no value");
    fallSpeed_ = ReadFloat(value);
  } else if (NameIs(name, "FPS")) {
    const char* value = attribute("value");
    if (!value) return Refuse("<FPS> has no value");
    fps_ = ReadDecimalInt32(value);
  } else if (NameIs(name, "Function")) {
    for (int i = 0; i < kSceneCommandCount; ++i) {
      if (const char* text = attribute(kHookNames[i])) commands_[static_cast<std::size_t>(i)].SetText(text);
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

bool Scene::OnText(const char* elementName, const char* text, void*, MarkupReader& reader) {
  if (!readingCast_.IsNull() || !NameIs(elementName, "Script")) return true;
  // The hooks belong to the script they name: a Function element must
  // follow the Script element.
  script_ = text;
  scriptLines_ = reader.GetTextLineNumbers();
  hasScript_ = true;
  for (Command& command : commands_) command.Clear();
  return true;
}

void Scene::OnError(MarkupErrorCode code, void*, MarkupReader& reader) {
  // The scene keeps what was read before; its author learns where it stopped.
  const std::string reason = refusal_.empty() ? MarkupErrorText(code, reader) : refusal_;
  refusal_.clear();
  ReportContentFault(reader.GetPath(), reader.GetLineNumber(), "the markup stops here: " + reason);
}

bool Scene::LoadScene(const std::string& path) {
  for (Command& command : commands_) command.Clear();
  MarkupReader reader;
  if (!reader.Open(path)) {
    ReportContentFault(path, 0, "cannot be read");
    return false;
  }
  readingCast_.Reset();
  refusal_.clear();
  // A failing element only cuts the file short: what was read stays.
  reader.ParseElements(*this, nullptr);
  readingCast_.Reset();
  reader.Close();
  if (hasScript_ && CompileScript(script_.c_str(), path.c_str(), scriptLines_) != ERR_NONE) return false;
  for (int i = 0; i < kSceneCommandCount; ++i) {
    if (!ResolveHook(commands_[static_cast<std::size_t>(i)], path, kHookNames[i], HookOwner::kScene)) return false;
  }
  return true;
}
