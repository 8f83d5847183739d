// The text form of every key type: one empty element per key inside a
// <MotionFrame>, written and read attribute for attribute.
#include <cfloat>
#include <cstdint>
#include <initializer_list>

#include "files/markup_reader.h"
#include "files/markup_writer.h"
#include "files/tag_handler_stack.h"
#include "motion/key_types.h"
#include "motion/motion.h"
#include "motion/object_flags.h"
#include "platform/system/content_path.h"
#include "platform/system/numbers.h"

namespace {

double Float(const MotionKey& key, int i) { return static_cast<double>(key.GetFloat(i)); }

// Out-of-range decimals become the largest float rather than an infinity that
// would turn every pose computed from it into NaN.
float ReadKeyFloat(const char* text) {
  const double value = ReadDecimal(text);
  if (value > FLT_MAX) return FLT_MAX;
  if (value < -FLT_MAX) return -FLT_MAX;
  return static_cast<float>(value);
}

struct Attributes {
  const char* const* names;
  const char* const* values;
  int count;
  const char* Find(const char* name) const { return FindAttribute(name, names, values, count); }
};

// What one element kind carries besides `time` and `flags`.
struct ElementForm {
  std::initializer_list<const char*> floats;  // required, payload words from 0
  const char* word = nullptr;                 // optional flag word ...
  int wordIndex = 0;                          // ... at this payload word
  const char* text = nullptr;                 // required Command text ("EVNT")
};

// Reads the element when it is the type's own: builds the key, shifts it by
// the reader's key time offset and stores it when it then lies within the
// motion; keys outside it are dropped. False only for a missing attribute.
bool ReadKeyElement(const KeyType& type, TagHandlerStack& stack, MotionFrame& track, const char* name,
                    const Attributes& attributes, const ElementForm& form) {
  if (name == nullptr || !EqualsIgnoreAsciiCase(name, type.GetElementName())) return true;
  const char* time = attributes.Find("time");
  if (time == nullptr) return false;
  for (const char* attribute : form.floats)
    if (attributes.Find(attribute) == nullptr) return false;
  const char* text = form.text != nullptr ? attributes.Find(form.text) : nullptr;
  if (form.text != nullptr && text == nullptr) return false;

  MotionKey key;
  key.SetKind(type.GetKind());
  key.time = ReadDecimalInt32(time);
  key.flags = ReadFlagWord(attributes.Find("flags"));
  int word = 0;
  for (const char* attribute : form.floats) key.SetFloat(word++, ReadKeyFloat(attributes.Find(attribute)));
  if (form.word != nullptr) key.SetWord(form.wordIndex, ReadFlagWord(attributes.Find(form.word)));
  if (text != nullptr) {
    if (key.GetCommand() == nullptr) type.InitKey(key, key.time);
    if (Command* command = key.GetCommand()) {
      command->Clear();
      command->SetText(text);
    }
  }

  const std::int64_t shifted = std::int64_t{key.time} - stack.GetWord(kKeyTimeOffsetWord);
  const std::int64_t length = track.Owner() != nullptr ? track.Owner()->GetLength() : 0;
  if (shifted < 0 || shifted >= length) return true;
  key.time = static_cast<std::int32_t>(shifted);
  // A step key on a track other than the first is refused here, silently.
  track.SetKey(key);
  return true;
}

Attributes Pack(const char* const* names, const char* const* values, int count) { return {names, values, count}; }

}  // namespace

bool RotateKey::WriteText(MarkupWriter& writer, const MotionKey& key) const {
  // Keys made by baking carry "not saved" and are made again after loading.
  if ((key.flags & kKeyNotSaved) != 0) return true;
  return writer.Printf("   <RotationKey time=\"%d\" flags=\"#%08x\" x=\"%f\" y=\"%f\" z=\"%f\" w=\"%f\" />\n", key.time,
                       key.flags, Float(key, 0), Float(key, 1), Float(key, 2), Float(key, 3));
}

bool RotateKey::ReadText(TagHandlerStack& stack, MotionFrame& track, const char* name, const char* const* names,
                         const char* const* values, int count) const {
  return ReadKeyElement(*this, stack, track, name, Pack(names, values, count), {{"x", "y", "z", "w"}});
}

bool VectorKey::WriteText(MarkupWriter& writer, const MotionKey& key) const {
  return writer.Printf("   <%s time=\"%d\" flags=\"#%08x\" x=\"%f\" y=\"%f\" z=\"%f\" />\n", GetName(), key.time,
                       key.flags, Float(key, 0), Float(key, 1), Float(key, 2));
}

bool VectorKey::ReadText(TagHandlerStack& stack, MotionFrame& track, const char* name, const char* const* names,
                         const char* const* values, int count) const {
  return ReadKeyElement(*this, stack, track, name, Pack(names, values, count), {{"x", "y", "z"}});
}

bool SphereKey::WriteText(MarkupWriter& writer, const MotionKey& key) const {
  return writer.Printf(
      "   <SphereRegionKey time=\"%d\" flags=\"#%08x\" x=\"%f\" y=\"%f\" z=\"%f\" r=\"%f\" keyflags=\"#%08x\" />\n",
      key.time, key.flags, Float(key, 0), Float(key, 1), Float(key, 2), Float(key, 3), key.GetWord(4));
}

bool SphereKey::ReadText(TagHandlerStack& stack, MotionFrame& track, const char* name, const char* const* names,
                         const char* const* values, int count) const {
  return ReadKeyElement(*this, stack, track, name, Pack(names, values, count), {{"x", "y", "z", "r"}, "keyflags", 4});
}

bool BoxKey::WriteText(MarkupWriter& writer, const MotionKey& key) const {
  return writer.Printf(
      "   <BoxRegionKey time=\"%d\" flags=\"#%08x\" x=\"%f\" y=\"%f\" z=\"%f\" w=\"%f\" h=\"%f\" />\n", key.time,
      key.flags, Float(key, 0), Float(key, 1), Float(key, 2), Float(key, 3), Float(key, 4));
}

bool BoxKey::ReadText(TagHandlerStack& stack, MotionFrame& track, const char* name, const char* const* names,
                      const char* const* values, int count) const {
  return ReadKeyElement(*this, stack, track, name, Pack(names, values, count), {{"x", "y", "z", "w", "h"}});
}

bool ColorKey::WriteText(MarkupWriter& writer, const MotionKey& key) const {
  return writer.Printf(
      "   <ColorKey time=\"%d\" flags=\"#%08x\" ambientA=\"%f\" ambientR=\"%f\" ambientG=\"%f\" ambientB=\"%f\" "
      "diffuseA=\"%f\" diffuseR=\"%f\" diffuseG=\"%f\" diffuseB=\"%f\" />\n",
      key.time, key.flags, Float(key, 0), Float(key, 1), Float(key, 2), Float(key, 3), Float(key, 4), Float(key, 5),
      Float(key, 6), Float(key, 7));
}

bool ColorKey::ReadText(TagHandlerStack& stack, MotionFrame& track, const char* name, const char* const* names,
                        const char* const* values, int count) const {
  return ReadKeyElement(*this, stack, track, name, Pack(names, values, count),
                        {{"ambientA", "ambientR", "ambientG", "ambientB", "diffuseA", "diffuseR", "diffuseG",
                          "diffuseB"}});
}

bool EventKey::WriteText(MarkupWriter& writer, const MotionKey& key) const {
  const Command* command = key.GetCommand();
  if (command == nullptr) return true;
  return writer.Printf("   <%s time=\"%d\" flags=\"#%08x\" funcname=\"%s\" />\n", GetName(), key.time, key.flags,
                       command->text);
}

bool EventKey::ReadText(TagHandlerStack& stack, MotionFrame& track, const char* name, const char* const* names,
                        const char* const* values, int count) const {
  return ReadKeyElement(*this, stack, track, name, Pack(names, values, count), {{}, nullptr, 0, "funcname"});
}

bool ParamKey::WriteText(MarkupWriter& writer, const MotionKey& key) const {
  return writer.Printf("   <%s time=\"%d\" flags=\"#%08x\" OrFlags=\"#%08x\"/>\n", GetName(), key.time, key.flags,
                       key.GetWord(0));
}

bool ParamKey::ReadText(TagHandlerStack& stack, MotionFrame& track, const char* name, const char* const* names,
                        const char* const* values, int count) const {
  return ReadKeyElement(*this, stack, track, name, Pack(names, values, count), {{}, "OrFlags", 0});
}
