// MotionFrame: the key track of one model frame (bone) in one motion, with
// the value query the scene runs every frame; motions own their tracks.
#pragma once

#include <cstdint>
#include <vector>

#include "files/markup_element.h"
#include "motion/motion_key.h"

class Motion;

constexpr int kMotionNameSize = 32;
// DeleteKey's kind for a key of any kind.
constexpr std::uint32_t kAnyKind = 0xFFFFFFFFu;

// At most one key per (kind, time); keys are held by value in no particular
// order until Sort.
class MotionFrame : public MarkupElement {
 public:
  MotionFrame() = default;
  MotionFrame(MotionFrame&&) noexcept = default;
  MotionFrame& operator=(MotionFrame&&) noexcept = default;
  MotionFrame(const MotionFrame&) = delete;
  MotionFrame& operator=(const MotionFrame&) = delete;

  const char* GetName() const { return name_; }
  const char* GetTypeName() const { return "MotionFrame"; }
  // Keeps 31 bytes (never half a double-byte character).
  void SetName(const char* name);
  Motion* Owner() const { return owner_; }
  void SetOwner(Motion* owner) { owner_ = owner; }
  // Only the first track of a motion takes keys whose type needs it ("EVNT", "PARM").
  bool IsFirstTrack() const { return firstTrack_; }
  void SetFirstTrack(bool first) { firstTrack_ = first; }
  // Set by Sort, cleared by SetKey and Resize.
  bool IsSorted() const { return sorted_; }

  int KeyCount() const { return static_cast<int>(keys_.size()); }
  MotionKey* KeyAt(int index);
  const MotionKey* KeyAt(int index) const;
  bool HoldsKey(const MotionKey* key) const;

  // The value of `kind` at `time`: an exact key, else (unless exactOnly) the
  // kind's interpolation between the keys around it, the last key wrapping
  // towards the first one at the motion's length. False for an empty track,
  // an unknown kind or a failed exact query; `out` then holds the kind's
  // default (untouched for an unknown kind), never a zeroed key.
  bool GetKey(std::uint32_t kind, std::int32_t time, MotionKey& out, bool exactOnly) const;
  // The same by a plain scan of the keys.
  bool GetKeyNearest(std::uint32_t kind, std::int32_t time, MotionKey& out, bool exactOnly) const;
  // Keys ascending by kind (unsigned), then by time.
  void Sort();

  // Overwrites the key of the same kind and time with a copy, else appends
  // one. False (nothing stored) for a kind no key type has, or a step kind on
  // a track that is not the first.
  bool SetKey(const MotionKey& key);
  // Removes the first key with the time and kind (kAnyKind: any kind); the
  // others keep their order. False when none matches.
  bool DeleteKey(std::uint32_t kind, std::int32_t time);
  // Removes every key of the kind (0: any kind) whose flags share a bit with
  // the mask, keeping the order of the others.
  void DeleteKeysWithFlags(std::uint32_t kind, std::uint32_t mask);
  // n keys: the first ones kept, new ones cleared. False for a negative n.
  bool Resize(int count);
  // Appends a key the caller knows to be new (the bake: no key of its kind
  // and time is in the track), without looking for one.
  void AppendNewKey(MotionKey&& key);

  // "  <MotionFrame name=...>", the keys in array order, "  </MotionFrame>".
  bool Write(MarkupWriter& writer) override;
  // Offers the element to every key type's reader in registry order; false
  // as soon as one refuses it (a key element missing an attribute).
  bool OnChildElement(TagHandlerStack& stack, const char* name, const char* const* attributeNames,
                      const char* const* attributeValues, int attributeCount) override;
  void OnEndElement(TagHandlerStack& stack, const char* name) override;

 private:
  int FindKey(std::uint32_t kind, std::int32_t time) const;
  void NoteAppended();

  char name_[kMotionNameSize] = {};
  std::vector<MotionKey> keys_;
  Motion* owner_ = nullptr;
  bool sorted_ = false;
  bool firstTrack_ = false;
  // The keys stand in Sort's order right now (whatever the public flag says),
  // so lookups can search instead of scanning: a sorted track, a file written
  // after sorting and a bake all keep it.
  bool ordered_ = true;
};

// Sort's order of (kind, time) pairs.
inline bool KeyOrderLess(std::uint32_t kindA, std::int32_t timeA, std::uint32_t kindB, std::int32_t timeB) {
  return kindA != kindB ? kindA < kindB : timeA < timeB;
}
