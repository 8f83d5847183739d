// Filling property lists.
#include "motion/property_list.h"

#include "motion/object_flags.h"
#include "platform/system/safe_string.h"

int CountProperties(const PropertyEntry* list, int capacity) {
  int count = 0;
  while (list != nullptr && count < capacity && list[count].type != kPropertyEnd) ++count;
  return count;
}

int AppendProperty(PropertyEntry* list, int capacity, std::uint32_t type, const char* name, void* value,
                   float min, float max, bool primary) {
  int count = CountProperties(list, capacity);
  if (list == nullptr || count >= capacity) return count;
  PropertyEntry& entry = list[count];
  entry.type = type;
  SafeStrCopy(entry.name, name, sizeof entry.name);
  entry.value = value;
  entry.min = min;
  entry.max = max;
  entry.primary = primary;
  return count + 1;
}

int AppendObjectFlags(PropertyEntry* list, int capacity, std::uint32_t* word) {
  int count = CountProperties(list, capacity);
  for (int bit = 0; bit < 32; ++bit) {
    const char* name = ObjectFlagName(bit);
    if (name == nullptr) continue;
    if (count >= capacity) break;
    count = AppendProperty(list, capacity, kPropertyFlagBit + static_cast<std::uint32_t>(bit), name, word, 0.0f,
                           0.0f, true);
  }
  return count;
}
