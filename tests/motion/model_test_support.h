// Helpers of the model tests: the model folder, .x texts written to a
// temporary folder, and readable dumps of a loaded model and of matrices so
// that tests compare whole results.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "motion/key_type.h"
#include "motion/model.h"
#include "motion/model_animation.h"
#include "motion/motion.h"
#include "platform/system/temp_folder.h"
#include "support/case_files.h"

inline std::string ModelsDir() { return std::string(T3D_SOURCE_DIR) + "/tests/motion/models/"; }

// Writes `text` as a file of that name in a folder of this test process
// (tests run in parallel processes), removed when the process ends; returns
// its path.
inline std::string WriteTempFile(const std::string& name, const std::string& text) {
  static const TempFolder folder;
  return folder.Write(name, text);
}

// Rounded to 4 decimals, with -0 shown as 0, so dumps are stable.
inline std::string Num(float value) {
  float rounded = std::round(value * 10000.0f) / 10000.0f;
  if (rounded == 0.0f) rounded = 0.0f;
  char text[32];
  std::snprintf(text, sizeof text, "%g", rounded);
  return text;
}

inline std::string Vec(const Vector3& v) { return Num(v.x) + " " + Num(v.y) + " " + Num(v.z); }

inline std::string Mat(const Matrix& m) {
  std::string text;
  for (int r = 0; r < 4; ++r) {
    text += r ? " | " : "";
    for (int c = 0; c < 4; ++c) text += (c ? " " : "") + Num(m.m[r][c]);
  }
  return text;
}

inline std::string Color(const ColorValue& c) {
  return Num(c.r) + " " + Num(c.g) + " " + Num(c.b) + " " + Num(c.a);
}

// The frame whose combined matrix `pointer` points at, by name.
inline std::string FrameOfMatrix(const Model& model, const Matrix* pointer) {
  for (const ModelFrame* frame : model.FramesInOrder()) {
    if (&frame->combinedTransformationMatrix == pointer) return frame->name;
  }
  return "(none)";
}

inline std::string DumpModel(const Model& model) {
  std::string text = "frames:";
  for (const ModelFrame* frame : model.FramesInOrder()) text += " " + frame->name;
  text += "\n";
  for (const ModelFrame* frame : model.FramesInOrder()) {
    for (const MeshContainer* c = frame->meshContainer; c; c = c->next) {
      const auto& container = *static_cast<const ModelMeshContainer*>(c);
      char fvf[16];
      std::snprintf(fvf, sizeof fvf, "0x%x", container.mesh->GetFvf());
      text += "container " + container.name + " in " + frame->name + ": fvf " + fvf + ", " +
              std::to_string(container.mesh->GetNumVertices()) + " vertices, " +
              std::to_string(container.mesh->GetNumFaces()) + " faces, adjacency " +
              std::to_string(container.adjacency.size()) + "\n";
      for (std::size_t i = 0; i < container.materials.size(); ++i) {
        const ExtendedMaterial& m = container.materials[i];
        text += " material " + std::to_string(i) + ": diffuse " + Color(m.material.diffuse) +
                ", specular " + Color(m.material.specular) + ", texture '" + m.textureFilename + "' ";
        const ModelTexture* texture = container.textures[i].get();
        text += texture ? std::to_string(texture->image.width) + "x" +
                              std::to_string(texture->image.height)
                        : std::string("none");
        text += "\n";
      }
      if (container.skinInfo) {
        text += " skinned, source " + std::to_string(container.sourceMesh->GetNumVertices()) +
                " vertices, attribute ranges";
        for (const AttributeRange& r : container.attributeTable) {
          text += " " + std::to_string(r.attribId) + ":" + std::to_string(r.faceStart) + "+" +
                  std::to_string(r.faceCount);
        }
        text += "\n";
        for (std::uint32_t b = 0; b < container.skinInfo->GetNumBones(); ++b) {
          text += " bone " + container.skinInfo->GetBoneName(b) + " -> " +
                  FrameOfMatrix(model, container.boneMatrixPointers[b]) + ", offset " +
                  Mat(container.boneOffsetMatrices[b]) + "\n";
        }
      }
    }
  }
  text += "bone matrices " + std::to_string(model.GetBoneMatrixCount()) + ", textures " +
          (model.HasTextures() ? "yes" : "no");
  if (const AnimationController* controller = model.GetAnimationController()) {
    text += ", controller with " + std::to_string(controller->GetNumAnimationSets()) + " of " +
            std::to_string(controller->GetMaxNumAnimationSets()) + " sets, " +
            std::to_string(controller->GetMaxNumTracks()) + " tracks";
  } else {
    text += ", no controller";
  }
  return text + "\n";
}

// Every frame's combined matrix, one line each.
inline std::string DumpPose(const Model& model) {
  std::string text;
  for (const ModelFrame* frame : model.FramesInOrder()) {
    text += frame->name + ": " + Mat(frame->combinedTransformationMatrix) + "\n";
  }
  return text;
}

// A key of a rotation, scale or translation kind at `time`.
inline MotionKey KeyAt(std::uint32_t kind, int time, const Quaternion& value) {
  MotionKey key;
  KeyTypeByKind(kind)->InitKey(key, time);
  if (kind == kKindRotate) {
    key.SetQuaternion(value);
  } else {
    key.SetVector({value.x, value.y, value.z});
  }
  return key;
}

// A motion with one track per frame of the model, named after the frames
// (cut to what a track stores), as the object class makes them.
inline void MakeMotionFor(const Model& model, const char* name, int length, Motion* motion) {
  motion->SetName(name);
  motion->SetLength(length);
  motion->CreateTracks(static_cast<int>(model.FramesInOrder().size()));
  for (std::size_t i = 0; i < model.FramesInOrder().size(); ++i) {
    motion->FrameAt(static_cast<int>(i))->SetName(model.FramesInOrder()[i]->name.c_str());
  }
}

// The keys of every interpolator of a set, one frame a line.
inline std::string DumpAnimationSet(const AnimationSet& set) {
  std::string text = set.Name() + " at " + Num(static_cast<float>(set.TicksPerSecond())) +
                     " ticks a second, period " + Num(static_cast<float>(set.PeriodTicks())) + "\n";
  for (std::size_t i = 0; i < set.NumAnimations(); ++i) {
    const KeyframeInterpolator& a = set.Animation(i);
    text += a.Name() + ": R";
    for (const RotationKey& k : a.RotationKeys()) {
      text += " " + Num(k.time) + "(" + Num(k.value.x) + " " + Num(k.value.y) + " " +
              Num(k.value.z) + " " + Num(k.value.w) + ")";
    }
    text += "; S";
    for (const ScaleKey& k : a.ScaleKeys()) text += " " + Num(k.time) + "(" + Vec(k.value) + ")";
    text += "; T";
    for (const TranslationKey& k : a.TranslationKeys()) text += " " + Num(k.time) + "(" + Vec(k.value) + ")";
    text += "\n";
  }
  return text;
}
