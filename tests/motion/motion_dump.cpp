// Dumps and small command runners behind the data-driven motion cases.
#include "motion/motion_dump.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <sstream>

#include "files/markup_reader.h"
#include "files/markup_writer.h"
#include "files/tag_handler_stack.h"
#include "motion/key_type.h"
#include "motion/object_flags.h"
#include "platform/system/content_path.h"
#include "platform/system/numbers.h"

namespace {

std::string Format(const char* format, auto... args) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, args...);
  return buffer;
}

std::string Number(float value) {
  // Rounding noise around zero prints as 0.
  if (std::fabs(value) < 0.00005f) value = 0.0f;
  return Format(" %.4f", static_cast<double>(value));
}

std::string KindName(std::uint32_t kind) {
  if (kind == 0) return "----";
  std::string name;
  for (int shift = 24; shift >= 0; shift -= 8) name += static_cast<char>((kind >> shift) & 0xFF);
  return name;
}

int FloatCount(std::uint32_t kind) {
  switch (kind) {
    case kKindRotate: return 4;
    case kKindScale:
    case kKindTrans:
    case kKindVector: return 3;
    case kKindSphere: return 4;
    case kKindBox: return 5;
    case kKindColor: return 8;
    default: return 0;
  }
}

std::string DumpCondition(const char* name, const CaseCondition& c) {
  return Format(" %s=%08x/%08x/%08x", name, c.value, c.mask, c.any);
}

std::uint32_t KindFromName(const std::string& name) {
  std::uint32_t kind = 0;
  for (unsigned char c : name.size() == 4 ? name : std::string()) kind = kind << 8 | c;
  return kind;
}

// The entries a list gets after one already filled: "@N" marks an entry
// editing word N of the key, "#B" flag bit B. Without a type, the motion's
// own list in room for eight entries.
std::string DumpProperties(Motion& motion, KeyType* type) {
  std::array<PropertyEntry, 64> list{};
  AppendProperty(list.data(), 64, kPropertyInteger, "Existing", nullptr, 0, 0, false);
  MotionKey key;
  if (type != nullptr) type->InitKey(key, 2);
  const int count = type != nullptr ? type->ListProperties(&motion, &key, list.data(), 64)
                                    : motion.ListProperties(nullptr, nullptr, list.data(), 8);
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += std::string(" ") + list[i].name;
    for (int w = 0; w < 8; ++w)
      if (list[i].value == key.WordAddress(w)) text += Format("@%d", w);
    if (list[i].type >= kPropertyFlagBit) text += Format("#%u", list[i].type - kPropertyFlagBit);
  }
  return type != nullptr ? text + Format(" (time up to %g)", static_cast<double>(list[1].max)) : text;
}

}  // namespace

std::string DumpKey(const MotionKey& key) {
  std::string text = KindName(key.kind) + Format(" %d #%08x", key.time, key.flags);
  for (int i = 0; i < FloatCount(key.kind); ++i) text += Number(key.GetFloat(i));
  if (key.kind == kKindSphere) text += Format(" #%08x", key.GetWord(4));
  if (key.kind == kKindParam) text += Format(" #%08x", key.GetWord(0));
  if (key.kind == kKindEvent) text += key.GetCommand() != nullptr ? " \"" + std::string(key.GetCommand()->text) + "\"" : " (no command)";
  return text;
}

std::string DumpCaseTable(const CaseTable& table, std::span<const Motion> motions) {
  std::string text;
  for (int m = 0; m < table.Count(); ++m) {
    const CaseList* list = table.ListAt(m);
    text += Format("%s: %d\n", m < static_cast<int>(motions.size()) ? motions[static_cast<std::size_t>(m)].GetName() : "?",
                   static_cast<int>(list->records.size()));
    for (const CaseRecord& r : list->records) {
      text += " " + DumpCondition("curr", r.current) + DumpCondition("up", r.on) + DumpCondition("down", r.off);
      text += Format(" state=%d time=%d continue=%d script=\"%s\"\n", r.nextMotion, r.time, r.continues ? 1 : 0,
                     r.script.text);
    }
  }
  return text;
}

MotionKey ReadKey(std::istream& words) {
  std::string kind, time, flags, value;
  words >> kind >> time >> flags;
  MotionKey key;
  key.SetKind(KindFromName(kind));
  key.time = ReadDecimalInt32(time.c_str());
  key.flags = ReadFlagWord(flags.c_str());
  for (int i = 0; words >> value; ++i) {
    if (key.kind == kKindEvent) {
      key.GetCommand()->SetText(value.c_str());
    } else if (value[0] == '#') {
      key.SetWord(i, ReadFlagWord(value.c_str()));
    } else {
      key.SetFloat(i, static_cast<float>(ReadDecimal(value.c_str())));
    }
  }
  return key;
}

std::vector<Motion> MakeMotions(const std::vector<std::string>& names) {
  std::vector<Motion> motions(names.size());
  for (std::size_t i = 0; i < names.size(); ++i) motions[i].SetName(names[i].c_str());
  return motions;
}

// The commands are listed in cases/README.
std::string RunTrackScript(std::string_view script) {
  Motion motion;
  motion.SetLength(20);
  motion.CreateTracks(2);
  MotionFrame* track = motion.FrameAt(0);
  std::string out;
  std::istringstream lines{std::string(script)};
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string command;
    if (!(words >> command) || command[0] == '#') continue;
    if (command == "length") {
      int length = 0;
      words >> length;
      motion.SetLength(length);
    } else if (command == "track") {
      track = motion.FrameAt(1);
    } else if (command == "key") {
      out += line + " -> " + (track->SetKey(ReadKey(words)) ? "true" : "false") + "\n";
    } else if (command == "bake") {
      for (int i = 0; const KeyType* type = KeyTypeByIndex(i); ++i) type->BakeKeys(*track);
      out += Format("bake -> %d keys\n", track->KeyCount());
    } else if (command == "sort") {
      track->Sort();
    } else if (command == "sorted") {
      out += Format("sorted -> %s\n", track->IsSorted() ? "true" : "false");
    } else if (command == "resize") {
      int count = 0;
      words >> count;
      out += line + " -> " + (track->Resize(count) ? "true" : "false") + "\n";
    } else if (command == "keys") {
      for (int i = 0; i < track->KeyCount(); ++i) out += "  " + DumpKey(*track->KeyAt(i)) + "\n";
    } else if (command == "get") {
      std::string kind, range, exact;
      words >> kind >> range >> exact;
      int first = ReadDecimalInt32(range.c_str());
      int last = first;
      std::size_t dots = range.find("..");
      if (dots != std::string::npos) last = ReadDecimalInt32(range.c_str() + dots + 2);
      for (int t = first; t <= last; ++t) {
        MotionKey key;
        bool found = track->GetKey(KindFromName(kind), t, key, exact == "exact");
        out += Format("get %s %d%s -> %s ", kind.c_str(), t, exact == "exact" ? " exact" : "", found ? "true" : "false") +
               DumpKey(key) + "\n";
      }
    } else if (command == "delete") {
      std::string kind;
      int time = 0;
      words >> kind >> time;
      out += line + " -> " + (track->DeleteKey(kind == "*" ? kAnyKind : KindFromName(kind), time) ? "true" : "false") + "\n";
    } else if (command == "deleteflags") {
      std::string kind, mask;
      words >> kind >> mask;
      track->DeleteKeysWithFlags(kind == "*" ? 0 : KindFromName(kind), ReadFlagWord(mask.c_str()));
    } else if (command == "types") {
      // The registry in its order, each type found again by its kind.
      for (int i = -1; i <= kKeyTypeCount; ++i) {
        const KeyType* t = KeyTypeByIndex(i);
        out += t == nullptr ? Format("%d (none)\n", i)
                            : Format("%d %s %s %08x %06x %s %s%s\n", i, t->GetName(), t->GetTypeName(), t->GetKind(),
                                     t->GetColor(), t->NeedsFlaggedTrack() ? "first" : "any", t->GetElementName(),
                                     KeyTypeByKind(t->GetKind()) == t ? "" : " (not found by kind)");
      }
      out += Format("kinds 0 and NONE -> %s\n", KeyTypeByKind(0) || KeyTypeByKind(kKindNone) ? "a type" : "no type");
    } else if (command == "init") {
      // Every type's InitKey over a key holding other values.
      for (int i = 0; const KeyType* type = KeyTypeByIndex(i); ++i) {
        MotionKey key;
        key.flags = 7;
        key.SetFloat(0, 42.0f);
        type->InitKey(key, 4);
        out += "init -> " + DumpKey(key) + "\n";
      }
    } else if (command == "props") {
      std::string kind;
      words >> kind;
      out += line + " ->" + DumpProperties(motion, KeyTypeByKind(KindFromName(kind))) + "\n";
    } else if (command == "check" || command == "retime") {
      // check I: CheckKey of the track's key I; retime I T moves that key as
      // an editor would, without sorting.
      int index = 0, time = 0;
      words >> index >> time;
      MotionKey* key = track->KeyAt(index);
      if (command == "retime") key->time = time;
      const bool passes = KeyTypeByKind(key->kind)->CheckKey(&motion, key);
      out += line + (command == "retime" ? "" : passes ? " -> true" : " -> false") + "\n";
    } else {
      out += "unknown command: " + line + "\n";
    }
  }
  return out;
}

namespace {

// Stands in for the object class of the motion-object reader: a <Motion>
// element hands its children to the motion of that name, made first (with the
// tracks listed in the test attribute `tracks`) when there is none.
class MotionHolder : public MarkupElement {
 public:
  bool OnChildElement(TagHandlerStack& stack, const char* name, const char* const* names,
                      const char* const* values, int count) override {
    if (!EqualsIgnoreAsciiCase(name, "Motion")) return true;
    const char* motionName = FindAttribute("name", names, values, count);
    if (motionName == nullptr) return true;
    Motion* motion = Find(motionName);
    if (motion == nullptr) motion = Add(motionName, FindAttribute("tracks", names, values, count));
    if (const char* length = FindAttribute("length", names, values, count)) motion->SetLength(ReadDecimalInt32(length));
    if (const char* base = FindAttribute("basetime", names, values, count))
      stack.SetWord(kKeyTimeOffsetWord, ReadDecimalInt32(base));
    if (FindAttribute("bake", names, values, count) != nullptr) bake.push_back(motion);
    stack.Push(motion);
    return true;
  }

  Motion* Find(const char* name) {
    for (auto& motion : motions)
      if (std::string(motion->GetName()) == name) return motion.get();
    return nullptr;
  }

  Motion* Add(const char* name, const char* trackList) {
    std::vector<std::string> tracks;
    std::istringstream list(trackList != nullptr ? trackList : "");
    for (std::string track; std::getline(list, track, ',');) tracks.push_back(track);
    auto motion = std::make_unique<Motion>();
    motion->SetName(name);
    motion->CreateTracks(static_cast<int>(tracks.size()));
    for (std::size_t i = 0; i < tracks.size(); ++i) motion->FrameAt(static_cast<int>(i))->SetName(tracks[i].c_str());
    motions.push_back(std::move(motion));
    return motions.back().get();
  }

  std::vector<std::unique_ptr<Motion>> motions;
  std::vector<Motion*> bake;
};

bool Parse(const std::string& text, MotionHolder& holder) {
  MarkupReader reader;
  reader.SetText(text.c_str());
  TagHandlerStack stack;
  stack.Push(&holder);
  return reader.ParseElements(stack, nullptr) && stack.Succeeded();
}

std::string WriteAll(MotionHolder& holder) {
  MarkupWriter writer;
  for (auto& motion : holder.motions) motion->Write(writer);
  return std::string(writer.GetView());
}

}  // namespace

std::string ParseAndWriteMotions(const std::string& text, std::string* rewritten) {
  MotionHolder holder;
  const bool parsed = Parse(text, holder);
  for (Motion* motion : holder.bake) {
    for (int t = 0; t < motion->TrackCount(); ++t) {
      for (int k = 0; const KeyType* type = KeyTypeByIndex(k); ++k) type->BakeKeys(*motion->FrameAt(t));
      motion->FrameAt(t)->Sort();
    }
  }
  const std::string written = WriteAll(holder);
  if (rewritten != nullptr) {
    // The same motions and tracks without keys, then the written text again.
    MotionHolder second;
    for (auto& motion : holder.motions) {
      std::string tracks;
      for (int t = 0; t < motion->TrackCount(); ++t) tracks += std::string(t > 0 ? "," : "") + motion->FrameAt(t)->GetName();
      second.Add(motion->GetName(), tracks.c_str());
    }
    const bool reparsed = Parse(written, second);
    *rewritten = (reparsed ? "" : "parse failed\n") + WriteAll(second);
  }
  return std::string("parse: ") + (parsed ? "ok" : "failed") + "\n" + written;
}
