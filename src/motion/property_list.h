// PropertyBase and property entries: the lists of named, typed, editable
// fields that key types, motions and object classes publish for editing tools.
#pragma once

#include <cstdint>

class Motion;

constexpr int kPropertyNameSize = 32;

// Entry types; a flag bit n of a 32-bit word is kPropertyFlagBit + n.
enum PropertyType : std::uint32_t {
  kPropertyEnd = 0,  // an entry not yet filled: the end of the list
  kPropertyInteger = 1,
  kPropertyFloat = 3,
  kPropertyString = 4,
  kPropertyText = 5,
  kPropertyColor = 6,
  kPropertyFlagBit = 7,
};

struct PropertyEntry {
  std::uint32_t type = kPropertyEnd;
  char name[kPropertyNameSize] = {};
  void* value = nullptr;  // the field the property edits
  float min = 0.0f;
  float max = 0.0f;       // for strings, the text capacity
  bool primary = false;   // only editing tools read it
};

// Appends one entry after the filled ones (those before the first of type
// kPropertyEnd); the count after it. A full list is left as it is.
int AppendProperty(PropertyEntry* list, int capacity, std::uint32_t type, const char* name, void* value,
                   float min, float max, bool primary);
// The number of filled entries at the start of the list.
int CountProperties(const PropertyEntry* list, int capacity);
// One flag-bit entry per named object flag of *word, bit 0 upwards, until the
// list is full; the count after them.
int AppendObjectFlags(PropertyEntry* list, int capacity, std::uint32_t* word);

class PropertyBase {
 public:
  virtual ~PropertyBase() = default;
  virtual const char* GetName() const { return "PropertyBase"; }
  virtual const char* GetTypeName() const { return GetName(); }
  // Appends the properties of `object` after the list's filled entries and
  // answers the count. `motion` is the motion being edited (the class's
  // current one), null when there is none.
  virtual int ListProperties(const Motion* motion, void* object, PropertyEntry* list, int capacity) = 0;
  // Edit validation.
  virtual bool CheckKey(const Motion* motion, const void* object) const { return true; }
};
