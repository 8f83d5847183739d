// ObjectClass: one motion-object class (model, frame nodes, motions, case
// table, flags, colour, script and hooks), read from and written to a <MotionObject> file; the scene's casts are made from it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "files/markup_element.h"
#include "motion/case_table.h"
#include "motion/command.h"
#include "motion/frame_node.h"
#include "motion/motion.h"
#include "motion/property_list.h"
#include "platform/math/math_types.h"

class AnimationSet;
class MarkupReader;
class Model;

constexpr int kClassNameSize = 32;
constexpr std::size_t kClassPathSize = 260;
constexpr int kClassAttachmentCount = 10;
constexpr std::uint32_t kDefaultSolidColor = 0xAA0D6748;
// ListProperties fills this many entries.
constexpr int kObjectClassPropertyCount = 42;

// The class's six hooks, in their order; the fifth is never filled.
enum ClassCommand : int {
  kClassOnLoop = 0,
  kClassOnHit = 1,
  kClassOnCreate = 2,
  kClassOnDelete = 3,
  kClassUnusedCommand = 4,
  kClassOnPreRender = 5,
  kClassCommandCount = 6,
};

// Something another part attaches to a class and the class owns (slot 0: the
// edge-stopper wall mesh); dropped when the class reloads or goes.
class ClassAttachment {
 public:
  virtual ~ClassAttachment() = default;
};

class ObjectClass : public MarkupElement, public PropertyBase {
 public:
  // Loads a model from a path; the default is Model::Load (archives, then the
  // disk). A class may be given another one (a reader working from memory).
  using ModelLoader = std::function<bool(Model& model, const std::string& path)>;

  ObjectClass();
  ~ObjectClass() override;
  ObjectClass(const ObjectClass&) = delete;
  ObjectClass& operator=(const ObjectClass&) = delete;

  // Reads the <MotionObject> file (archives, then the disk) after dropping
  // the motions, the model, the attachments and the frame nodes; the name,
  // file names, flags, colour, script and hooks are read over. False when the
  // file cannot be read or parsed (said on standard error); what was read stays.
  bool Load(std::string_view path);
  // The same from a text in memory, as if it had been read from `path`.
  bool LoadText(const char* text, std::string_view path);

  // Replaces the model by the one at `path` and makes the frame nodes and
  // bounding values from it. False (no model, no frame nodes, bounds kept)
  // when it cannot be loaded. Every motion's tracks follow the new frames.
  bool LoadMesh(const std::string& path);
  // Converts the .mqo file into the .x file (Z scale negated) when that is
  // due; true when not due, else whether the conversion succeeded (a failure
  // leaves the old .x file and says why on standard error).
  bool ConvertMeshIfNewer(const std::string& mqoPath, const std::string& xPath, float scaleX, float scaleY,
                          float scaleZ);
  void SetModelLoader(ModelLoader loader) { modelLoader_ = std::move(loader); }

  // Finish of every frame node and every motion.
  void Finish() override;

  // False (nothing changed) outside 0..count-1; else the index and time 0.
  virtual bool SetCurrentMotion(std::int32_t index);
  // Stores the time within the current motion: 0 to its length - 1 (-1 when
  // there is no current motion).
  virtual void SetCurrentTime(std::int32_t time);
  std::int32_t GetCurrentMotionIndex() const { return currMotionIdx_; }
  std::int32_t GetCurrentTime() const { return currTime_; }
  // The length of the current motion; 0 when the index names none.
  std::int32_t CurrentMotionLength() const;

  // n motions: the first ones kept; new ones get a track per frame node,
  // named after it. False for a negative count.
  bool ResizeMotions(int count);
  int MotionCount() const { return static_cast<int>(motions_.size()); }
  Motion* MotionAt(int index);
  const Motion* MotionAt(int index) const;
  const std::vector<Motion>& Motions() const { return motions_; }
  // The first motion of exactly that name (case-sensitive).
  Motion* FindMotion(const char* name);
  int FindMotionIndex(const char* name) const;

  // Frames of the model in frame order; 0 without a model.
  int FrameCount() const { return static_cast<int>(frameNodes_.size()); }
  // The first frame node of exactly that name; a name longer than a node
  // keeps is also found by the model frame's full name.
  FrameNode* FindFrameNode(const char* name);
  int FindFrameNodeIndex(const char* name) const;
  // Null outside 0..FrameCount-1.
  FrameNode* FrameNodeAt(int index);
  const FrameNode* FrameNodeAt(int index) const;

  // The animation set of motion `index` for this class's model: false for an
  // index outside the motions or a class without a model.
  bool BuildAnimationSet(int index, std::shared_ptr<AnimationSet>* out) const;

  // PropertyBase: the class name, "ObjectClass", 42 properties, always editable.
  const char* GetName() const override { return className_; }
  const char* GetTypeName() const override { return "ObjectClass"; }
  int ListProperties(const Motion* motion, void* object, PropertyEntry* list, int capacity) override;

  // The class file (motion_object_file.cpp).
  bool Write(MarkupWriter& writer) override;
  bool OnChildElement(TagHandlerStack& stack, const char* name, const char* const* attributeNames,
                      const char* const* attributeValues, int attributeCount) override;
  void OnEndElement(TagHandlerStack& stack, const char* name) override;
  void OnText(TagHandlerStack& stack, const char* text) override;

  const char* GetClassName() const { return className_; }
  void SetClassName(const char* name);
  const char* GetMeshFile() const { return meshFile_; }
  const char* GetMeshSrcFile() const { return meshSrcFile_; }
  const Vector3& GetConvScale() const { return convScale_; }
  Model* GetModel() const { return model_.get(); }
  ClassAttachment* GetAttachment(int slot) const;
  // Replaces (and drops) what the slot held; ignored outside the slots.
  void SetAttachment(int slot, std::unique_ptr<ClassAttachment> attachment);
  float GetLargestVertexDistance() const { return largestVertexDistance_; }
  const Vector3& GetLargestScale() const { return largestScale_; }
  const Vector3& GetBoundingCenter() const { return boundingCenter_; }
  float GetBoundingRadius() const { return boundingRadius_; }
  const char* GetCaseTableFile() const { return caseTableFile_; }
  std::int32_t GetCaseType() const { return caseType_; }
  CaseTable& GetCaseTable() { return caseTable_; }
  const CaseTable& GetCaseTable() const { return caseTable_; }
  std::uint32_t GetFlags() const { return flags_; }
  void SetFlags(std::uint32_t flags) { flags_ = flags; }
  std::uint32_t GetSolidColor() const { return solidColor_; }
  std::int32_t GetGlare() const { return glare_; }
  std::int32_t GetRenderingPriority() const { return renderingPriority_; }
  // Null when the class has no script.
  const std::string* GetScript() const { return hasScript_ ? &script_ : nullptr; }
  // `fileLines`: the line of the class file on which each line of the text
  // stands (none: the text is the file's from its first line).
  void SetScript(std::string_view text, std::vector<int> fileLines = {});
  const std::vector<int>& GetScriptLines() const { return scriptLines_; }
  Command& GetCommand(ClassCommand which) { return commands_[static_cast<std::size_t>(which)]; }
  const Command& GetCommand(ClassCommand which) const { return commands_[static_cast<std::size_t>(which)]; }

 private:
  bool Parse(MarkupReader& reader, std::string_view path);
  // No model and no frame nodes; the motions' tracks follow.
  void UnloadMesh();
  // Every motion's tracks made to match the frame nodes, one per node in
  // node order, so that no track index ever runs past either array.
  void AlignMotionTracks();
  void ComputeLargestScale();
  void ReadMeshFile(TagHandlerStack& stack, const char* const* names, const char* const* values, int count);
  void ReadMotion(TagHandlerStack& stack, const char* const* names, const char* const* values, int count);

  // Receives the children of a <Frame> that names no frame node, so they
  // are skipped with it.
  class SkippedFrame : public MarkupElement {
   public:
    void OnEndElement(TagHandlerStack& stack, const char* name) override;
  };

  char className_[kClassNameSize] = {};
  char meshSrcFile_[kClassPathSize] = {};
  Vector3 convScale_ = {1.0f, 1.0f, 1.0f};
  char meshFile_[kClassPathSize] = {};
  std::unique_ptr<Model> model_;
  std::array<std::unique_ptr<ClassAttachment>, kClassAttachmentCount> attachments_;
  float largestVertexDistance_ = 0.0f;
  Vector3 largestScale_ = {1.0f, 1.0f, 1.0f};
  Vector3 boundingCenter_ = {0.0f, 0.0f, 0.0f};
  float boundingRadius_ = 0.0f;
  char caseTableFile_[kClassPathSize] = {};
  std::int32_t caseType_ = 0;
  CaseTable caseTable_;
  std::uint32_t flags_ = 0;
  std::uint32_t solidColor_ = kDefaultSolidColor;
  std::vector<Motion> motions_;
  std::vector<FrameNode> frameNodes_;
  // As the file gives them; only CurrentMotionLength and MotionAt index with them.
  std::int32_t currMotionIdx_ = -1;
  std::int32_t currTime_ = 0;
  std::int32_t glare_ = 0;
  std::int32_t renderingPriority_ = 0;
  std::string script_;
  std::vector<int> scriptLines_;
  bool hasScript_ = false;
  std::array<Command, kClassCommandCount> commands_{};

  ModelLoader modelLoader_;
  SkippedFrame skippedFrame_;
  bool inScript_ = false;
};
