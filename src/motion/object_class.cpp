// ObjectClass: loading, the model and its frame nodes, motions, look-ups and
// properties. The class file's elements are read and written in
// motion_object_file.cpp.
#include "motion/object_class.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

#include "converter/x_converter.h"
#include "files/markup_reader.h"
#include "files/tag_handler_stack.h"
#include "motion/key_type.h"
#include "motion/mesh_conversion.h"
#include "motion/model.h"
#include "motion/model_animation.h"
#include "motion/object_flags.h"
#include "platform/mesh/mesh_queries.h"
#include "platform/system/content_path.h"
#include "platform/system/content_report.h"
#include "platform/system/safe_string.h"
#include "platform/system/terminal_text.h"

namespace {

// One line on standard error, as every content fault has it: the source as
// the class file names it, then the reason, which is ready for the terminal
// already (the disk paths in it are shown as the disk has them).
void ReportNotConverted(const std::string& mqoPath, const std::string& reason) {
  ReportContentFault(mqoPath, 0, "not converted: " + reason);
}

}  // namespace

ObjectClass::ObjectClass() = default;

ObjectClass::~ObjectClass() {
  // The order in which the parts go: motions, frame nodes, model, attachments.
  motions_.clear();
  frameNodes_.clear();
  model_.reset();
  for (auto& attachment : attachments_) attachment.reset();
}

bool ObjectClass::Load(std::string_view path) {
  ResizeMotions(0);
  model_.reset();
  for (auto& attachment : attachments_) attachment.reset();
  frameNodes_.clear();
  MarkupReader reader;
  if (!reader.Open(path)) {
    ReportContentFault(path, 0, "cannot be read");
    return false;
  }
  return Parse(reader, path);
}

bool ObjectClass::LoadText(const char* text, std::string_view path) {
  ResizeMotions(0);
  model_.reset();
  for (auto& attachment : attachments_) attachment.reset();
  frameNodes_.clear();
  MarkupReader reader;
  if (!reader.SetText(text != nullptr ? text : "")) return false;
  return Parse(reader, path);
}

bool ObjectClass::Parse(MarkupReader& reader, std::string_view path) {
  TagHandlerStack stack;
  stack.SetPath(path);
  stack.Push(this);
  inScript_ = false;
  const bool parsed = reader.ParseElements(stack, nullptr);
  reader.Close();
  inScript_ = false;
  if (!parsed) return false;
  ComputeLargestScale();
  Finish();
  return stack.Succeeded();
}

void ObjectClass::ComputeLargestScale() {
  largestScale_ = {1.0f, 1.0f, 1.0f};
  for (const Motion& motion : motions_) {
    for (int t = 0; t < FrameCount(); ++t) {
      const MotionFrame* track = motion.FrameAt(t);
      if (track == nullptr) continue;
      for (int k = 0; k < track->KeyCount(); ++k) {
        const MotionKey& key = *track->KeyAt(k);
        if (key.kind != kKindScale) continue;
        const Vector3 scale = key.GetVector();
        largestScale_.x = std::max(largestScale_.x, scale.x);
        largestScale_.y = std::max(largestScale_.y, scale.y);
        largestScale_.z = std::max(largestScale_.z, scale.z);
      }
    }
  }
}

bool ObjectClass::LoadMesh(const std::string& path) {
  model_.reset();
  auto model = std::make_unique<Model>();
  const bool loaded = modelLoader_ ? modelLoader_(*model, path) : model->Load(path);
  if (!loaded) {
    UnloadMesh();
    return false;
  }
  model_ = std::move(model);

  const std::vector<ModelFrame*>& frames = model_->FramesInOrder();
  frameNodes_.clear();
  frameNodes_.resize(frames.size());
  for (std::size_t i = 0; i < frames.size(); ++i) {
    frameNodes_[i].SetName(frames[i]->name.c_str());
    frameNodes_[i].matrix = frames[i]->savedTransformationMatrix;
  }

  // The bounds come from the root frame's first mesh; a root without one
  // gives none.
  boundingCenter_ = {0.0f, 0.0f, 0.0f};
  boundingRadius_ = 0.0f;
  largestVertexDistance_ = 0.0f;
  const ModelFrame* root = model_->GetRootFrame();
  const Mesh* mesh = root != nullptr && root->meshContainer != nullptr ? root->meshContainer->mesh.get() : nullptr;
  if (mesh != nullptr && mesh->GetNumVertices() > 0) {
    ComputeMeshBoundingSphere(*mesh, &boundingCenter_, &boundingRadius_);
    float largest = 0.0f;
    for (std::uint32_t v = 0; v < mesh->GetNumVertices(); ++v) {
      const Vector3 p = mesh->Position(v);
      largest = std::max(largest, p.x * p.x + p.y * p.y + p.z * p.z);
    }
    largestVertexDistance_ = std::sqrt(largest);
  }
  AlignMotionTracks();
  return true;
}

void ObjectClass::UnloadMesh() {
  model_.reset();
  frameNodes_.clear();
  AlignMotionTracks();
}

void ObjectClass::AlignMotionTracks() {
  const int frames = FrameCount();
  for (Motion& motion : motions_) {
    bool aligned = motion.TrackCount() == frames;
    for (int i = 0; aligned && i < frames; ++i)
      aligned = std::strcmp(motion.FrameAt(i)->GetName(), frameNodes_[static_cast<std::size_t>(i)].name) == 0;
    if (aligned) continue;

    // A track keeps its keys when the new frames have one of its name.
    std::vector<MotionFrame> old;
    old.reserve(static_cast<std::size_t>(motion.TrackCount()));
    for (int i = 0; i < motion.TrackCount(); ++i) old.push_back(std::move(*motion.FrameAt(i)));
    std::vector<bool> taken(old.size(), false);
    motion.CreateTracks(frames);
    for (int i = 0; i < frames; ++i) {
      const char* name = frameNodes_[static_cast<std::size_t>(i)].name;
      MotionFrame& track = *motion.FrameAt(i);
      for (std::size_t j = 0; j < old.size(); ++j) {
        if (taken[j] || std::strcmp(old[j].GetName(), name) != 0) continue;
        track = std::move(old[j]);
        taken[j] = true;
        break;
      }
      track.SetName(name);
      track.SetOwner(&motion);
      track.SetFirstTrack(i == 0);
      if (i == 0) continue;
      // Step keys stand only on the first track.
      for (int k = track.KeyCount() - 1; k >= 0; --k) {
        const MotionKey& key = *track.KeyAt(k);
        const KeyType* type = KeyTypeByKind(key.kind);
        if (type != nullptr && type->NeedsFlaggedTrack()) track.DeleteKey(key.kind, key.time);
      }
    }
  }
}

bool ObjectClass::ConvertMeshIfNewer(const std::string& mqoPath, const std::string& xPath, float scaleX,
                                     float scaleY, float scaleZ) {
  if (!IsMeshConversionDue(mqoPath, xPath)) return true;
  // No box when a conversion fails or is refused: the class loads whatever
  // .x file is there. The author still learns why the model did not change.
  // The output's folder is held from the check to the write: the converter
  // may wait on its box in between.
  FolderAndName output;
  std::string error;
  if (!OpenConversionOutput(mqoPath, xPath, output, error)) {
    ReportNotConverted(mqoPath, error);
    return false;
  }
  // The converter's Z axis runs the other way.
  if (ConvertMqoToX(mqoPath, output.folder, output.name, scaleX, scaleY, -scaleZ, &error)) return true;
  ReportNotConverted(mqoPath, ContentTextForTerminal(error));
  return false;
}

void ObjectClass::Finish() {
  for (FrameNode& node : frameNodes_) node.Finish();
  for (Motion& motion : motions_) motion.Finish();
}

bool ObjectClass::SetCurrentMotion(std::int32_t index) {
  if (index < 0 || index >= MotionCount()) return false;
  currMotionIdx_ = index;
  SetCurrentTime(0);
  return true;
}

void ObjectClass::SetCurrentTime(std::int32_t time) {
  const std::int32_t length = CurrentMotionLength();
  // A motion without frames (no current one, or a length of 0 or below) has
  // no time but -1.
  currTime_ = length <= 0 ? -1 : std::min(std::max(time, 0), length - 1);
}

std::int32_t ObjectClass::CurrentMotionLength() const {
  const Motion* motion = MotionAt(currMotionIdx_);
  return motion != nullptr ? motion->GetLength() : 0;
}

bool ObjectClass::ResizeMotions(int count) {
  if (count < 0) return false;
  const int old = MotionCount();
  if (count == old) return true;
  motions_.resize(static_cast<std::size_t>(count));
  for (int m = old; m < count; ++m) {
    Motion& motion = motions_[static_cast<std::size_t>(m)];
    motion.CreateTracks(FrameCount());
    for (int i = 0; i < FrameCount(); ++i) motion.FrameAt(i)->SetName(frameNodes_[static_cast<std::size_t>(i)].name);
  }
  return true;
}

Motion* ObjectClass::MotionAt(int index) {
  return index >= 0 && index < MotionCount() ? &motions_[static_cast<std::size_t>(index)] : nullptr;
}

const Motion* ObjectClass::MotionAt(int index) const {
  return index >= 0 && index < MotionCount() ? &motions_[static_cast<std::size_t>(index)] : nullptr;
}

Motion* ObjectClass::FindMotion(const char* name) { return MotionAt(FindMotionIndex(name)); }

int ObjectClass::FindMotionIndex(const char* name) const {
  if (name == nullptr) return -1;
  for (int i = 0; i < MotionCount(); ++i)
    if (std::strcmp(motions_[static_cast<std::size_t>(i)].GetName(), name) == 0) return i;
  return -1;
}

FrameNode* ObjectClass::FindFrameNode(const char* name) { return FrameNodeAt(FindFrameNodeIndex(name)); }

int ObjectClass::FindFrameNodeIndex(const char* name) const {
  if (name == nullptr) return -1;
  for (int i = 0; i < FrameCount(); ++i)
    if (std::strcmp(frameNodes_[static_cast<std::size_t>(i)].name, name) == 0) return i;
  // A node keeps a long frame name cut; the model still has it whole.
  if (model_ != nullptr && std::strlen(name) >= static_cast<std::size_t>(kFrameNodeNameSize)) {
    const std::vector<ModelFrame*>& frames = model_->FramesInOrder();
    const std::size_t count = std::min(frames.size(), frameNodes_.size());
    for (std::size_t i = 0; i < count; ++i)
      if (frames[i]->name == name) return static_cast<int>(i);
  }
  return -1;
}

FrameNode* ObjectClass::FrameNodeAt(int index) {
  return index >= 0 && index < FrameCount() ? &frameNodes_[static_cast<std::size_t>(index)] : nullptr;
}

const FrameNode* ObjectClass::FrameNodeAt(int index) const {
  return index >= 0 && index < FrameCount() ? &frameNodes_[static_cast<std::size_t>(index)] : nullptr;
}

bool ObjectClass::BuildAnimationSet(int index, std::shared_ptr<AnimationSet>* out) const {
  const Motion* motion = MotionAt(index);
  if (out == nullptr || motion == nullptr || model_ == nullptr) return false;
  *out = BuildMotionAnimationSet(*motion, *model_);
  return *out != nullptr;
}

int ObjectClass::ListProperties(const Motion*, void*, PropertyEntry* list, int capacity) {
  constexpr float kPathSize = static_cast<float>(kClassPathSize);
  constexpr float kHookSize = static_cast<float>(kCommandTextSize - 1);
  AppendProperty(list, capacity, kPropertyString, "ClassName", className_, 0.0f, kClassNameSize, true);
  AppendProperty(list, capacity, kPropertyString, "MeshSrcFile", meshSrcFile_, 0.0f, kPathSize, true);
  AppendProperty(list, capacity, kPropertyFloat, "ConvScaleX", &convScale_.x, 0.0001f, 1000.0f, true);
  AppendProperty(list, capacity, kPropertyFloat, "ConvScaleY", &convScale_.y, 0.0001f, 1000.0f, true);
  AppendProperty(list, capacity, kPropertyFloat, "ConvScaleZ", &convScale_.z, 0.0001f, 1000.0f, true);
  AppendProperty(list, capacity, kPropertyString, "MeshFile", meshFile_, 0.0f, kPathSize, true);
  AppendObjectFlags(list, capacity, &flags_);
  AppendProperty(list, capacity, kPropertyColor, "SolidColor", &solidColor_, 0.0f, 0.0f, false);
  AppendProperty(list, capacity, kPropertyText, "Script", &script_, 0.0f, 0.0f, false);
  struct Hook {
    const char* name;
    ClassCommand command;
  };
  // OnPreRender is listed twice, as the editing tools have always shown it.
  constexpr Hook kHooks[] = {{"OnLoopFunc", kClassOnLoop},         {"OnHitFunc", kClassOnHit},
                             {"OnPreRenderFunc", kClassOnPreRender}, {"OnCreateFunc", kClassOnCreate},
                             {"OnDeleteFunc", kClassOnDelete},       {"OnPreRenderFunc", kClassOnPreRender}};
  for (const Hook& hook : kHooks)
    AppendProperty(list, capacity, kPropertyString, hook.name, GetCommand(hook.command).text, 0.0f, kHookSize, false);
  AppendProperty(list, capacity, kPropertyString, "CaseTableFile", caseTableFile_, 0.0f, kPathSize, false);
  AppendProperty(list, capacity, kPropertyInteger, "CaseType", &caseType_, 0.0f, 9999.0f, false);
  AppendProperty(list, capacity, kPropertyInteger, "Glare", &glare_, -255.0f, 255.0f, false);
  return AppendProperty(list, capacity, kPropertyInteger, "RenderingPriority", &renderingPriority_, -100.0f, 100.0f,
                        false);
}

void ObjectClass::SetClassName(const char* name) {
  SafeStrCopy(className_, name != nullptr ? name : "", sizeof className_);
}

ClassAttachment* ObjectClass::GetAttachment(int slot) const {
  return slot >= 0 && slot < kClassAttachmentCount ? attachments_[static_cast<std::size_t>(slot)].get() : nullptr;
}

void ObjectClass::SetAttachment(int slot, std::unique_ptr<ClassAttachment> attachment) {
  if (slot >= 0 && slot < kClassAttachmentCount) attachments_[static_cast<std::size_t>(slot)] = std::move(attachment);
}

void ObjectClass::SetScript(std::string_view text, std::vector<int> fileLines) {
  script_.assign(text);
  scriptLines_ = std::move(fileLines);
  hasScript_ = true;
}
