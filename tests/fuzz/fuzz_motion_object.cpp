// Fuzz target for the <MotionObject> reader: the class file is parsed from
// memory (meshes are refused without touching the disk), then the class is
// queried, written, and its written form must read back to a fixed point;
// no motion may hold more tracks than the class has frames.
#include <algorithm>
#include <cstring>

#include "files/markup_writer.h"
#include "fuzz_support.h"
#include "motion/object_class.h"

namespace {

void CheckTracks(const ObjectClass& objectClass) {
  for (int m = 0; m < objectClass.MotionCount(); ++m)
    FaultIf(objectClass.MotionAt(m)->TrackCount() != objectClass.FrameCount());
}

std::string Written(ObjectClass& objectClass) {
  MarkupWriter writer;
  objectClass.Write(writer);
  return std::string(writer.GetView());
}

// Loads `text` into a new class; the written form, or empty when it failed.
bool ReadBack(const std::string& text, std::string* written) {
  ObjectClass objectClass;
  objectClass.SetModelLoader([](Model&, const std::string&) { return false; });
  if (!objectClass.LoadText(text.c_str(), "fuzz\\class.txt")) return false;
  CheckTracks(objectClass);
  *written = Written(objectClass);
  return true;
}

}  // namespace

T3D_FUZZ_TARGET(data, size) {
  const std::string text(FuzzText(data, size));
  if (std::memchr(text.data(), '\0', text.size()) != nullptr) return 0;

  ObjectClass objectClass;
  objectClass.SetModelLoader([](Model&, const std::string&) { return false; });
  objectClass.LoadText(text.c_str(), "fuzz\\class.txt");
  CheckTracks(objectClass);
  FaultIf(objectClass.GetModel() != nullptr || objectClass.FrameCount() != 0);

  for (int m = -1; m <= objectClass.MotionCount(); ++m) {
    const bool inRange = m >= 0 && m < objectClass.MotionCount();
    FaultIf(objectClass.SetCurrentMotion(m) != inRange);
    // The stored time is the asked one clamped into the motion, so a motion
    // longer than the time asked keeps it.
    constexpr int kAsked = 1 << 30;
    objectClass.SetCurrentTime(kAsked);
    const int length = objectClass.CurrentMotionLength();
    const int time = objectClass.GetCurrentTime();
    FaultIf(length <= 0 ? time != -1 : time != std::min(kAsked, length - 1));
    FaultIf(inRange && objectClass.FindMotionIndex(objectClass.MotionAt(m)->GetName()) > m);
  }
  FaultIf(std::strlen(objectClass.GetClassName()) >= static_cast<std::size_t>(kClassNameSize));
  PropertyEntry list[kObjectClassPropertyCount];
  FaultIf(objectClass.ListProperties(nullptr, nullptr, list, kObjectClassPropertyCount) != kObjectClassPropertyCount);

  // What the writer wrote reads back; after one reading (which may settle
  // line ends in the script) the form no longer changes.
  const std::string first = Written(objectClass);
  std::string second;
  std::string third;
  FaultIf(!ReadBack(first, &second));
  FaultIf(!ReadBack(second, &third) || third != second);
  return 0;
}
