// The nine key types behind the registry; only the motion library's own
// key-type files include this (everyone else goes through KeyTypeByIndex/KeyTypeByKind).
#pragma once

#include "motion/key_type.h"

// Shared by the scale, translation, sphere and box keys: x, y, z linear.
class VectorKey : public KeyType {
 public:
  const char* GetName() const override { return "VectorKey"; }
  std::uint32_t GetKind() const override { return kKindVector; }
  std::uint32_t GetColor() const override { return 0xFF0000; }
  const char* GetElementName() const override { return "VectorKey"; }
  int ListProperties(const Motion* motion, void* object, PropertyEntry* list, int capacity) override;
  bool Interpolate(MotionKey& out, const MotionKey* earlier, const MotionKey* later,
                   std::int32_t time) const override;
  bool BakeKeys(MotionFrame& track) const override;
  bool WriteText(MarkupWriter& writer, const MotionKey& key) const override;
  bool ReadText(TagHandlerStack& stack, MotionFrame& track, const char* name, const char* const* attributeNames,
                const char* const* attributeValues, int attributeCount) const override;
};

class RotateKey : public KeyType {
 public:
  const char* GetName() const override { return "RotateKey"; }
  std::uint32_t GetKind() const override { return kKindRotate; }
  std::uint32_t GetColor() const override { return 0x0000FF; }
  const char* GetElementName() const override { return "RotationKey"; }
  int ListProperties(const Motion* motion, void* object, PropertyEntry* list, int capacity) override;
  void InitKey(MotionKey& key, std::int32_t time) const override;
  bool Interpolate(MotionKey& out, const MotionKey* earlier, const MotionKey* later,
                   std::int32_t time) const override;
  bool BakeKeys(MotionFrame& track) const override;
  bool WriteText(MarkupWriter& writer, const MotionKey& key) const override;
  bool ReadText(TagHandlerStack& stack, MotionFrame& track, const char* name, const char* const* attributeNames,
                const char* const* attributeValues, int attributeCount) const override;
};

class ScaleKey : public VectorKey {
 public:
  const char* GetName() const override { return "ScaleKey"; }
  std::uint32_t GetKind() const override { return kKindScale; }
  std::uint32_t GetColor() const override { return 0x00C000; }
  const char* GetElementName() const override { return "ScaleKey"; }
  void InitKey(MotionKey& key, std::int32_t time) const override;
};

class TransKey : public VectorKey {
 public:
  const char* GetName() const override { return "TransKey"; }
  std::uint32_t GetKind() const override { return kKindTrans; }
  std::uint32_t GetColor() const override { return 0xFF0000; }
  const char* GetElementName() const override { return "TransKey"; }
};

class SphereKey : public VectorKey {
 public:
  const char* GetName() const override { return "SphereKey"; }
  std::uint32_t GetKind() const override { return kKindSphere; }
  std::uint32_t GetColor() const override { return 0xC08000; }
  const char* GetElementName() const override { return "SphereRegionKey"; }
  int ListProperties(const Motion* motion, void* object, PropertyEntry* list, int capacity) override;
  bool Interpolate(MotionKey& out, const MotionKey* earlier, const MotionKey* later,
                   std::int32_t time) const override;
  bool BakeKeys(MotionFrame& track) const override;
  bool WriteText(MarkupWriter& writer, const MotionKey& key) const override;
  bool ReadText(TagHandlerStack& stack, MotionFrame& track, const char* name, const char* const* attributeNames,
                const char* const* attributeValues, int attributeCount) const override;
};

class BoxKey : public VectorKey {
 public:
  const char* GetName() const override { return "BoxKey"; }
  std::uint32_t GetKind() const override { return kKindBox; }
  std::uint32_t GetColor() const override { return 0xC08000; }
  const char* GetElementName() const override { return "BoxRegionKey"; }
  int ListProperties(const Motion* motion, void* object, PropertyEntry* list, int capacity) override;
  bool Interpolate(MotionKey& out, const MotionKey* earlier, const MotionKey* later,
                   std::int32_t time) const override;
  bool BakeKeys(MotionFrame& track) const override;
  bool WriteText(MarkupWriter& writer, const MotionKey& key) const override;
  bool ReadText(TagHandlerStack& stack, MotionFrame& track, const char* name, const char* const* attributeNames,
                const char* const* attributeValues, int attributeCount) const override;
};

class ColorKey : public KeyType {
 public:
  const char* GetName() const override { return "ColorKey"; }
  std::uint32_t GetKind() const override { return kKindColor; }
  std::uint32_t GetColor() const override { return 0xFF0000; }
  const char* GetElementName() const override { return "ColorKey"; }
  int ListProperties(const Motion* motion, void* object, PropertyEntry* list, int capacity) override;
  void InitKey(MotionKey& key, std::int32_t time) const override;
  bool Interpolate(MotionKey& out, const MotionKey* earlier, const MotionKey* later,
                   std::int32_t time) const override;
  bool BakeKeys(MotionFrame& track) const override;
  bool WriteText(MarkupWriter& writer, const MotionKey& key) const override;
  bool ReadText(TagHandlerStack& stack, MotionFrame& track, const char* name, const char* const* attributeNames,
                const char* const* attributeValues, int attributeCount) const override;
};

// Step keys: only a key at exactly the asked time counts; they are not baked.
class StepKey : public KeyType {
 public:
  bool NeedsFlaggedTrack() const override { return true; }
  bool Interpolate(MotionKey& out, const MotionKey* earlier, const MotionKey* later,
                   std::int32_t time) const override;
};

class EventKey : public StepKey {
 public:
  const char* GetName() const override { return "EventKey"; }
  std::uint32_t GetKind() const override { return kKindEvent; }
  std::uint32_t GetColor() const override { return 0x000000; }
  const char* GetElementName() const override { return "EventKey"; }
  int ListProperties(const Motion* motion, void* object, PropertyEntry* list, int capacity) override;
  bool WriteText(MarkupWriter& writer, const MotionKey& key) const override;
  bool ReadText(TagHandlerStack& stack, MotionFrame& track, const char* name, const char* const* attributeNames,
                const char* const* attributeValues, int attributeCount) const override;
};

class ParamKey : public StepKey {
 public:
  const char* GetName() const override { return "ParamKey"; }
  std::uint32_t GetKind() const override { return kKindParam; }
  std::uint32_t GetColor() const override { return 0xFFFF00; }
  const char* GetElementName() const override { return "ParamKey"; }
  int ListProperties(const Motion* motion, void* object, PropertyEntry* list, int capacity) override;
  bool WriteText(MarkupWriter& writer, const MotionKey& key) const override;
  bool ReadText(TagHandlerStack& stack, MotionFrame& track, const char* name, const char* const* attributeNames,
                const char* const* attributeValues, int attributeCount) const override;
};
