// KeyType: the descriptor of one key kind (default, interpolation, baking,
// text form, properties) and the registry of the nine; tracks, readers and the scene use them.
#pragma once

#include <cstdint>

#include "motion/motion_key.h"
#include "motion/property_list.h"

class MarkupWriter;
class MotionFrame;
class TagHandlerStack;

constexpr int kKeyTypeCount = 9;
// A bake handles at most this many authored keys of one kind in a track;
// with more, the kind keeps only its authored keys.
constexpr int kBakeListSize = 1024;
// The tag-handler-stack word that holds the key time offset (the motion-object
// reader's `basetime`): key elements are stored at their time minus it.
constexpr int kKeyTimeOffsetWord = 0;

// The base descriptor (name "Base", kind "NONE") supplies the defaults; the
// nine registered types override them. Descriptors hold no state.
class KeyType : public PropertyBase {
 public:
  const char* GetName() const override { return "Base"; }
  // Appends "Time" (0 to the motion's length - 1) for a MotionKey object.
  int ListProperties(const Motion* motion, void* object, PropertyEntry* list, int capacity) override;
  // True when the key's time lies within the motion and no other key of the
  // same kind in its track has that time.
  bool CheckKey(const Motion* motion, const void* object) const override;

  virtual std::uint32_t GetKind() const { return kKindNone; }
  // Display colour of the editing tools (24-bit); the player never reads it.
  virtual std::uint32_t GetColor() const { return 0x808080; }
  // Keys of this kind may stand only on the first track of a motion.
  virtual bool NeedsFlaggedTrack() const { return false; }
  // The element name of the text form ("" for the base).
  virtual const char* GetElementName() const { return ""; }

  // Makes the key this kind's default at `time`.
  virtual void InitKey(MotionKey& key, std::int32_t time) const;
  // The value at `time` from the keys around it (either may be null).
  virtual bool Interpolate(MotionKey& out, const MotionKey* earlier, const MotionKey* later,
                           std::int32_t time) const;
  // Replaces the generated keys of this kind in the track by keys at every
  // frame between the authored ones, treating the motion as a loop.
  virtual bool BakeKeys(MotionFrame& track) const { return true; }

  // Appends the key's element; false only when the writer failed.
  virtual bool WriteText(MarkupWriter& writer, const MotionKey& key) const { return true; }
  // Reads an element into `track`: true (and nothing done) for an element of
  // another name; false when its element lacks `time` or a value attribute.
  virtual bool ReadText(TagHandlerStack& stack, MotionFrame& track, const char* name,
                        const char* const* attributeNames, const char* const* attributeValues,
                        int attributeCount) const {
    return true;
  }

 protected:
  KeyType() = default;
  ~KeyType() override = default;
};

// Positions 0-8: RotateKey, ScaleKey, TransKey, SphereKey, BoxKey, VectorKey,
// ColorKey, EventKey, ParamKey; null for any other index. Walks over all key
// types count up from 0 until null, so this is also the order in which
// readers see an element and bakes run over a track.
KeyType* KeyTypeByIndex(int index);
// The first registered type with this code, or null ("NONE" is not registered).
KeyType* KeyTypeByKind(std::uint32_t kind);
