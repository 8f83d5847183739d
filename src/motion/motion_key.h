// MotionKey: one key of a motion track (a rotation, scale, translation,
// vector, region, colour, event or flag word at one frame); tracks own them, key types interpret them.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <memory>

#include "files/markup_element.h"
#include "motion/command.h"
#include "platform/math/math_types.h"

// Four-character codes, first character in the highest byte.
constexpr std::uint32_t MakeKindCode(const char (&code)[5]) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(code[0])) << 24 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(code[1])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(code[2])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(code[3]));
}

constexpr std::uint32_t kKindRotate = MakeKindCode("ROTA");
constexpr std::uint32_t kKindScale = MakeKindCode("SCAL");
constexpr std::uint32_t kKindTrans = MakeKindCode("TRNS");
constexpr std::uint32_t kKindSphere = MakeKindCode("SPHR");
constexpr std::uint32_t kKindBox = MakeKindCode("BOX_");
constexpr std::uint32_t kKindVector = MakeKindCode("VECT");
constexpr std::uint32_t kKindColor = MakeKindCode("COLR");
constexpr std::uint32_t kKindEvent = MakeKindCode("EVNT");
constexpr std::uint32_t kKindParam = MakeKindCode("PARM");
constexpr std::uint32_t kKindNone = MakeKindCode("NONE");

// Key flag bits.
constexpr std::uint32_t kKeyNotSaved = 1u << 0;
constexpr std::uint32_t kKeyGenerated = 1u << 1;  // made by baking, removed by the next bake
constexpr std::uint32_t kKeyBaked = kKeyNotSaved | kKeyGenerated;

constexpr int kKeyPayloadWords = 8;

// Payload layout per kind (floats stored as their bit patterns):
//   ROTA x y z w | SCAL, TRNS, VECT x y z | SPHR x y z r keyflags |
//   BOX_ x y z w h | COLR ambient A R G B, diffuse A R G B | PARM the flag word.
// An "EVNT" key instead owns a Command, created when the kind is set.
class MotionKey : public MarkupElement {
 public:
  MotionKey() = default;
  ~MotionKey() override = default;
  // Keys are never shallow-copied: an event key's copy owns its own Command.
  MotionKey(const MotionKey& other) : MarkupElement() { Assign(other); }
  MotionKey& operator=(const MotionKey& other) {
    if (this != &other) Assign(other);
    return *this;
  }
  MotionKey(MotionKey&&) noexcept = default;
  MotionKey& operator=(MotionKey&&) noexcept = default;

  // Time -1, kind 0, flags 0, payload zero, no Command.
  void Clear();
  // Stores the code; an "EVNT" key gets a new, empty Command of its own.
  void SetKind(std::uint32_t kind);
  void Assign(const MotionKey& other);

  // Writes the key through the key type of its kind; a kind no type has
  // writes nothing.
  bool Write(MarkupWriter& writer) override;

  std::int32_t time = -1;
  std::uint32_t kind = 0;
  std::uint32_t flags = 0;

  std::uint32_t GetWord(int i) const { return InRange(i) ? words_[static_cast<unsigned>(i)] : 0; }
  void SetWord(int i, std::uint32_t value) {
    if (InRange(i)) words_[static_cast<unsigned>(i)] = value;
  }
  float GetFloat(int i) const { return std::bit_cast<float>(GetWord(i)); }
  void SetFloat(int i, float value) { SetWord(i, std::bit_cast<std::uint32_t>(value)); }
  // The address of word i (editing tools edit the payload in place).
  std::uint32_t* WordAddress(int i) { return InRange(i) ? &words_[static_cast<unsigned>(i)] : nullptr; }

  Quaternion GetQuaternion() const { return {GetFloat(0), GetFloat(1), GetFloat(2), GetFloat(3)}; }
  void SetQuaternion(const Quaternion& q);
  Vector3 GetVector() const { return {GetFloat(0), GetFloat(1), GetFloat(2)}; }
  void SetVector(const Vector3& v);
  // Sphere keys: radius and region kinds after the centre.
  float GetRadius() const { return GetFloat(3); }
  std::uint32_t GetRegionFlags() const { return GetWord(4); }
  // Box keys: width and height after the position.
  float GetWidth() const { return GetFloat(3); }
  float GetHeight() const { return GetFloat(4); }
  // Parameter keys: the object flags.
  std::uint32_t GetOrFlags() const { return GetWord(0); }

  // The Command of an "EVNT" key; null for other kinds (or when its creation failed).
  Command* GetCommand() { return command_.get(); }
  const Command* GetCommand() const { return command_.get(); }

 private:
  static bool InRange(int i) { return i >= 0 && i < kKeyPayloadWords; }

  std::array<std::uint32_t, kKeyPayloadWords> words_{};
  std::unique_ptr<Command> command_;
};
