// Skinned models. The data-driven cases in cases/ (see cases/README): NAME.model
// holds commands on one model (loading, motions made into animation sets,
// poses with bone controls, skinning, draws on the recording device) and
// NAME.result what they show. Beside them: paths too long to load.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "motion/key_type.h"
#include "motion/model.h"
#include "motion/model_animation.h"
#include "motion/motion.h"
#include "motion/motion_dump.h"
#include "platform/gpu/recording_device.h"
#include "platform/math/matrix.h"
#include "platform/system/content_path.h"
#include "platform/system/temp_folder.h"
#include "support/case_files.h"
#include "support/rounded_text.h"

namespace {

std::string ModelsDir() { return std::string(T3D_SOURCE_DIR) + "/tests/motion/models/"; }

std::string Vec(const Vector3& v) { return Num(v.x) + " " + Num(v.y) + " " + Num(v.z); }

std::string Mat(const Matrix& m) {
  std::string text;
  for (int r = 0; r < 4; ++r) {
    text += r ? " | " : "";
    for (int c = 0; c < 4; ++c) text += (c ? " " : "") + Num(m.m[r][c]);
  }
  return text;
}

std::string Color(const ColorValue& c) {
  return Num(c.r) + " " + Num(c.g) + " " + Num(c.b) + " " + Num(c.a);
}

// The frame whose combined matrix `pointer` points at, by name.
std::string FrameOfMatrix(const Model& model, const Matrix* pointer) {
  for (const ModelFrame* frame : model.FramesInOrder()) {
    if (&frame->combinedTransformationMatrix == pointer) return frame->name;
  }
  return "(none)";
}

std::string DumpModel(const Model& model) {
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
        const SharedTexture* texture = container.textures[i].get();
        text += texture ? std::to_string(texture->GetWidth()) + "x" + std::to_string(texture->GetHeight())
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

// A motion with one track per frame of the model, named after the frames
// (cut to what a track stores), as the object class makes them.
void MakeMotionFor(const Model& model, const char* name, int length, Motion* motion) {
  motion->SetName(name);
  motion->SetLength(length);
  motion->CreateTracks(static_cast<int>(model.FramesInOrder().size()));
  for (std::size_t i = 0; i < model.FramesInOrder().size(); ++i) {
    motion->FrameAt(static_cast<int>(i))->SetName(model.FramesInOrder()[i]->name.c_str());
  }
}

// The keys of every interpolator of a set, one frame a line.
std::string DumpAnimationSet(const AnimationSet& set) {
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

// A placement that also says where a vertex program would be told.
class TracedPlacement : public ModelPlacement {
 public:
  using ModelPlacement::ModelPlacement;
  void Place(GraphicsDevice& device, const Matrix& world) const override {
    ModelPlacement::Place(device, world);
    device.SetVertexShaderConstantF(4, &world.m[0][0], 4);
  }
};

std::string Answer(bool yes) { return yes ? " -> true\n" : " -> false\n"; }

std::string Vertices(const Mesh& mesh, Vector3 (Mesh::*part)(std::uint32_t) const) {
  std::string text;
  for (std::uint32_t v = 0; v < mesh.GetNumVertices(); ++v) text += (v ? ", " : "") + Vec((mesh.*part)(v));
  return text + "\n";
}

float Next(std::istream& words) {
  float value = 0.0f;
  words >> value;
  return value;
}

// A bone-control record: FRAME MODE then "move X Y Z" or "turn DEGREES" (about
// z); the frame "end" makes the null record that ends a table.
BoneControl ReadControl(std::istream& words, const Model& model) {
  BoneControl record;
  std::string frame, how;
  words >> frame >> record.mode >> how;
  if (frame != "end") {
    record.frame = model.FindFrameByStoredName(frame);
    std::strncpy(record.name, frame.c_str(), sizeof record.name - 1);
  }
  if (how == "move") {
    const float x = Next(words), y = Next(words);
    record.matrix = MatrixTranslation(x, y, Next(words));
  } else if (how == "turn") {
    record.matrix = MatrixRotationZ(Next(words) * 3.14159265f / 180.0f);
  }
  return record;
}

TEST(ModelLoadTest, PathTooLongLeavesTheModelEmpty) {
  Model model;
  ASSERT_TRUE(model.Load(ModelsDir() + "two_bone_box.x"));
  std::string error;
  EXPECT_FALSE(model.Load(std::string(300, 'x') + ".x", &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(DumpModel(model), "frames:\nbone matrices 0, textures no, no controller\n");
  EXPECT_EQ(model.GetRootFrame(), nullptr);
}

// A game's folder may lie deeper than the system's 260-byte names: they bound
// what the game names, so its model and the texture beside it still load.
TEST(ModelLoadTest, LoadsModelAndTextureOfAGameInAFolderDeeperThanTheNameBound) {
  TempFolder temp;
  ASSERT_FALSE(temp.path().empty());
  std::string game = temp.path();
  for (int i = 0; i < 9; ++i) game += "ダウンロード同人ゲーム作品体験版/";
  ASSERT_GT(game.size(), 400u);
  std::filesystem::create_directories(game + "models");
  for (const char* name : {"still_box.x", "box.png"})
    std::filesystem::copy_file(ModelsDir() + name, game + "models/" + name);
  SetProgramDir(game);
  Model model;
  std::string error;
  EXPECT_TRUE(model.Load(game + "models\\still_box.x", &error)) << error;
  EXPECT_TRUE(model.HasTextures());
  SetProgramDir("");
}

}  // namespace

std::string RunModelScript(const std::string& script) {
  Model model;
  Motion motion;
  std::vector<BoneControl> controls;
  std::map<std::string, std::shared_ptr<AnimationSet>> sets;
  PresentParameters parameters;
  parameters.backBufferWidth = 64;
  parameters.backBufferHeight = 48;
  RecordingDevice device(parameters);
  std::string out;
  std::istringstream lines(script);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string command, word;
    if (!(words >> command) || command[0] == '#') continue;
    out += line;
    auto* root = model.GetRootFrame() ? static_cast<ModelMeshContainer*>(model.GetRootFrame()->meshContainer) : nullptr;
    if (command == "load") {
      std::string error;
      words >> word;
      const bool loaded = model.Load(ModelsDir() + word, &error);
      out += loaded || error.empty() ? Answer(loaded) : " -> false, with an error\n";
    } else if (command == "release") {
      model.Release();
      out += "\n";
    } else if (command == "dump") {
      out += "\n" + DumpModel(model);
    } else if (command == "saved" || command == "pose") {
      out += "\n";
      for (const ModelFrame* frame : model.FramesInOrder()) {
        const Matrix& m = command == "saved" ? frame->savedTransformationMatrix : frame->combinedTransformationMatrix;
        out += frame->name + ": " + Mat(m) + "\n";
      }
    } else if (command == "normals") {
      out += "\n" + Vertices(*root->mesh, &Mesh::Normal);
    } else if (command == "pixels") {
      // The RGBA bytes of the root container's first texture.
      out += " ->";
      for (std::uint8_t byte : root->textures.at(0)->PendingImage().pixels) out += " " + std::to_string(byte);
      out += "\n";
    } else if (command == "tracks") {
      const AnimationController& controller = *model.GetAnimationController();
      out += "\n";
      for (std::uint32_t t = 0; t < controller.GetMaxNumTracks(); ++t) {
        TrackDesc desc;
        const auto set = controller.GetTrackAnimationSet(t);
        out += "track " + std::to_string(t) + ": " + (set ? set->Name() : "no set") +
               (set && set == controller.GetAnimationSet(0) ? " (the first set)" : "") +
               (controller.GetTrackDesc(t, &desc) && desc.enable ? ", enabled\n" : ", disabled\n");
      }
    } else if (command == "clone") {
      out += Answer(model.CloneAnimationController(static_cast<std::uint32_t>(Next(words))));
    } else if (command == "motion") {
      // NAME LENGTH [TRACKS]: one track per frame of the model, or that many
      // tracks without names.
      words >> word;
      const int length = static_cast<int>(Next(words));
      motion = Motion();
      MakeMotionFor(model, word.c_str(), length, &motion);
      if (words >> word) motion.CreateTracks(std::stoi(word));
      out += " ->";
      for (int t = 0; t < motion.TrackCount(); ++t) out += std::string(" ") + motion.FrameAt(t)->GetName();
      out += "\n";
    } else if (command == "key") {
      const int track = static_cast<int>(Next(words));
      out += Answer(motion.FrameAt(track)->SetKey(ReadKey(words)));
    } else if (command == "set") {
      out += "\n" + DumpAnimationSet(*BuildMotionAnimationSet(motion, model));
    } else if (command == "play") {
      // [NAME]: the set made before of that name, else one made of the
      // motion and registered; played on track 0.
      AnimationController* controller = model.GetAnimationController();
      auto& set = sets[words >> word ? word : std::string(motion.GetName())];
      const bool made =
          set != nullptr || controller->RegisterAnimationSet(set = BuildMotionAnimationSet(motion, model));
      out += Answer(made && controller->SetTrackAnimationSet(0, set));
    } else if (command == "place") {
      const float x = Next(words), y = Next(words);
      model.ModelMatrix() = MatrixTranslation(x, y, Next(words));
      out += "\n";
    } else if (command == "control") {
      controls.push_back(ReadControl(words, model));
      out += "\n";
    } else if (command == "advance") {
      // TIME WEIGHT [COUNT]: with the controls given since the last advance,
      // COUNT of them (all when absent).
      const float time = Next(words), weight = Next(words);
      const std::size_t count = words >> word ? std::stoul(word) : controls.size();
      model.AdvanceTime(time, controls.data(), count, weight);
      controls.clear();
      out += "\n";
    } else if (command == "mark") {
      // Overwrites a frame's combined matrix, to see whether a pose sets it.
      model.FramesInOrder().at(static_cast<std::size_t>(Next(words)))->combinedTransformationMatrix =
          MatrixScaling(3, 3, 3);
      out += "\n";
    } else if (command == "clean") {
      model.SetDirty(false);
      out += "\n";
    } else if (command == "dirty") {
      out += Answer(model.IsDirty());
    } else if (command == "last") {
      out += " -> time " + Num(model.GetLastTime()) + ", weight " + Num(model.GetLastWeight()) + "\n";
    } else if (command == "claim") {
      // OWNER MOTION TIME REVISION: the cast the next draws are for.
      ModelPoseKey key;
      words >> key.owner >> key.motion >> key.time >> key.revision;
      out += Answer(model.KeepSkinFor(key));
    } else if (command == "skin") {
      const bool skinned = model.SkinContainer(*root);
      out += Answer(skinned);
      if (skinned) out += "  mesh " + Vertices(*root->mesh, &Mesh::Position) + "  source " +
                          Vertices(*root->sourceMesh, &Mesh::Position);
    } else if (command == "bone") {
      out += " -> " + Mat(model.BoneMatrices().at(static_cast<std::size_t>(Next(words)))) + "\n";
    } else if (command == "resources") {
      model.CreateDeviceResources(device);
      out += "\n";
    } else if (command == "draw") {
      // REGISTER MATERIAL TEXTURE ALPHA [X Y Z]: on/off for the material and
      // texture; the cast placed at (X, Y, Z). Shows the draw's trace and
      // whether the model is left dirty.
      std::string material, texture;
      const int shaderRegister = static_cast<int>(Next(words));
      words >> material >> texture;
      const float alpha = Next(words), x = Next(words), y = Next(words);
      device.ClearLines();
      model.Draw(device, TracedPlacement(MatrixTranslation(x, y, Next(words))), shaderRegister, material == "off",
                 texture == "off", alpha);
      out += (model.IsDirty() ? " -> dirty\n" : "\n") + JoinLines(device.TakeLines());
    } else if (command == "find") {
      words >> word;
      const ModelFrame* frame = model.FindFrameByStoredName(word == "\"\"" ? "" : word);
      out += " -> " + (frame ? frame->name : std::string("(none)")) + "\n";
    } else {
      out += " -> unknown command\n";
    }
  }
  return out;
}
