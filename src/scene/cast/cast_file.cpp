// The children of a scene file's Cast element: name, class, initial placement,
// motion, flags, properties and region.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "files/markup_reader.h"
#include "files/text_scan.h"
#include "motion/object_class.h"
#include "motion/object_flags.h"
#include "platform/system/content_path.h"
#include "platform/system/content_report.h"
#include "platform/system/numbers.h"
#include "platform/system/terminal_text.h"
#include "scene/cast/cast.h"
#include "scene/scene.h"

namespace {

bool NameIs(const char* name, const char* expected) { return EqualsIgnoreAsciiCase(name, expected); }

float ReadFloat(const char* text) { return static_cast<float>(ReadDecimal(text)); }

// Finds every listed attribute; false (and nothing usable) when one is missing.
template <std::size_t N>
bool FindAll(const char* const (&names)[N], const char* (&values)[N], const char* const* attributeNames,
             const char* const* attributeValues, int attributeCount) {
  for (std::size_t i = 0; i < N; ++i) {
    values[i] = FindAttribute(names[i], attributeNames, attributeValues, attributeCount);
    if (!values[i]) return false;
  }
  return true;
}

}  // namespace

bool Cast::ReadElement(const char* name, const char* const* attributeNames, const char* const* attributeValues,
                       int attributeCount, Scene& scene, const MarkupReader* reader) {
  auto attribute = [&](const char* attributeName) {
    return FindAttribute(attributeName, attributeNames, attributeValues, attributeCount);
  };

  if (NameIs(name, "Name")) {
    if (const char* value = attribute("value")) ReadName(value, scene);
  } else if (NameIs(name, "ClassName")) {
    if (const char* value = attribute("value")) {
      SetClass(scene.FindObjectClass(value));
      // The cast stays, without a class, as it always has.
      if (!class_ && reader)
        ReportContentFault(reader->GetPath(), reader->GetLineNumber(),
                           "<Cast> names the class \"" + ContentTextForTerminal(value) +
                               "\" that the scene does not have");
    }
  } else if (NameIs(name, "InitPos")) {
    const char* values[3];
    if (FindAll({"x", "y", "z"}, values, attributeNames, attributeValues, attributeCount))
      initPos_ = {ReadFloat(values[0]), ReadFloat(values[1]), ReadFloat(values[2])};
  } else if (NameIs(name, "InitRotate")) {
    const char* values[4];
    if (FindAll({"x", "y", "z", "w"}, values, attributeNames, attributeValues, attributeCount))
      initRotate_ = {ReadFloat(values[0]), ReadFloat(values[1]), ReadFloat(values[2]), ReadFloat(values[3])};
  } else if (NameIs(name, "InitMotion")) {
    // Needs the class, so ClassName must come first; an unknown name keeps
    // the motion as it was.
    const char* value = attribute("MotionName");
    if (value && class_) {
      const int index = class_->FindMotionIndex(value);
      if (index >= 0) initMotion_ = index;
    }
  } else if (NameIs(name, "InitTime")) {
    if (const char* value = attribute("value")) initTime_ = ReadDecimalInt32(value);
  } else if (NameIs(name, "InitFlags")) {
    const char* values[2];
    if (FindAll({"flags", "mask"}, values, attributeNames, attributeValues, attributeCount)) {
      initFlags_ = ReadFlagWord(values[0]);
      initFlagMask_ = ReadFlagWord(values[1]);
    }
  } else if (NameIs(name, "InitProperty")) {
    const char* values[3];
    if (FindAll({"index", "type", "value"}, values, attributeNames, attributeValues, attributeCount)) {
      const std::int32_t index = ReadDecimalInt32(values[0]);
      if (index >= 0 && index < kCastPropertyCount) {
        ScriptValue& property = initProperty_[static_cast<std::size_t>(index)];
        if (std::strcmp(values[1], "EMPTY") == 0) {
          property.Clear();
        } else if (std::strcmp(values[1], "NUMBER") == 0) {
          property.SetNumber(ReadDecimal(values[2]));
        } else if (std::strcmp(values[1], "STRING") == 0) {
          property.SetString(values[2]);
        }
      }
    }
  } else if (NameIs(name, "Region")) {
    if (const char* value = attribute("type")) regionType_ = ReadDecimalInt32(value);
    if (const char* value = attribute("radius")) regionRadius_ = ReadFloat(value);
    if (const char* value = attribute("height")) regionHeight_ = ReadFloat(value);
    if (const char* value = attribute("attr")) regionAttribute_ = ReadFlagWord(value);
  }
  return true;
}

void Cast::ReadName(const char* value, Scene& scene) {
  const char* underscore = std::strrchr(value, '_');
  if (!underscore) {
    SetName(value);
    return;
  }
  // "Enemy_1" while an Enemy_1 exists becomes Enemy_2: the number after the
  // last underscore (0 when there is none) counts up to a free name. Among
  // kCastTableSize + 1 numbers one is always free, so the search is bounded,
  // and the number is kept wide enough never to overflow.
  const std::string_view prefix(value, static_cast<std::size_t>(underscore + 1 - value));
  std::int64_t number = ReadDecimalInt32(underscore + 1);
  for (int tries = 0; tries <= kCastTableSize; ++tries, ++number) {
    char digits[24];
    std::snprintf(digits, sizeof digits, "%lld", static_cast<long long>(number));
    // A long prefix is cut (never inside a double-byte character) so that
    // the number always fits: the name that is tested is the name kept.
    const std::size_t room = kCastNameSize - 1 - std::strlen(digits);
    std::string candidate(prefix.substr(0, WholeCharPrefix(prefix, room)));
    candidate += digits;
    const Cast* holder = scene.FindCast(candidate.c_str());
    if (!holder || holder == this) {
      SetName(candidate.c_str());
      return;
    }
  }
}
