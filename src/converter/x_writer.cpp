// The .x writer. Every number format, separator and indentation below is part
// of the file that model loaders of the original system read, so the text is
// kept exactly as it was written there.
#include "converter/x_writer.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "converter/mqo_bones.h"
#include "converter/x_text.h"
#include "files/archive.h"
#include "platform/system/atomic_file.h"
#include "platform/system/content_path.h"

namespace {

constexpr int kMaxIndent = 63;
// Bone indices from here on are left out of the skin.
constexpr std::int32_t kSkinBoneLimit = 1000;

struct Offset {
  float x, y, z;
};

class XWriter {
 public:
  explicit XWriter(const XConverter& model) : model_(model), children_(model.bones.size()) {
    for (std::size_t i = 0; i < model.bones.size(); ++i) {
      const int parent = model.bones[i].parent;
      if (parent < 0)
        roots_.push_back(static_cast<int>(i));
      else
        children_[static_cast<std::size_t>(parent)].push_back(static_cast<int>(i));
    }
  }

  std::string Write() {
    for (int root : roots_) WriteFrame(root, 0);
    out_.Put("AnimationSet %s{\n", "Motion1");
    for (std::size_t i = 0; i < model_.bones.size(); ++i)
      if (std::strcmp(model_.bones[i].name, "BodyMesh") != 0) WriteAnimation(model_.bones[i]);
    out_.Put("}\n");
    return std::move(out_.Text());
  }

 private:
  std::string Side(const BoneNode& node) const { return SideName(node.name, node.head[0]); }

  // The head relative to the parent's head: the bone's place in its parent's frame.
  Offset OffsetOf(const BoneNode& node) const {
    if (node.parent < 0) return {node.head[0], node.head[1], node.head[2]};
    const BoneNode& parent = model_.bones[static_cast<std::size_t>(node.parent)];
    return {node.head[0] - parent.head[0], node.head[1] - parent.head[1], node.head[2] - parent.head[2]};
  }

  void WriteFrame(int index, int depth) {
    const BoneNode& node = model_.bones[static_cast<std::size_t>(index)];
    const std::string indent(static_cast<std::size_t>(std::min(depth, kMaxIndent)), ' ');
    const Offset offset = OffsetOf(node);
    out_.Put("%sFrame %s {\n\n", indent, Side(node));
    out_.Put("%s FrameTransformMatrix {\n", indent);
    out_.Put("%s  %0.5f,%0.5f,%0.5f,%0.5f,\n", indent, 1.0f, 0.0f, 0.0f, 0.0f);
    out_.Put("%s  %0.5f,%0.5f,%0.5f,%0.5f,\n", indent, 0.0f, 1.0f, 0.0f, 0.0f);
    out_.Put("%s  %0.5f,%0.5f,%0.5f,%0.5f,\n", indent, 0.0f, 0.0f, 1.0f, 0.0f);
    out_.Put("%s  %0.5f,%0.5f,%0.5f,%0.5f;;\n", indent, offset.x, offset.y, offset.z, 1.0f);
    out_.Put("%s }\n\n", indent);
    if (std::strcmp(node.name, "Scene_Root") == 0) {
      for (const MqoObject& object : model_.objects) {
        if (!IsBodyObject(object)) continue;
        out_.Put("%s Mesh {\n", indent);
        WriteMeshBody(object);
        WriteSkin(object);
        out_.Put("%s }\n\n", indent);
      }
    }
    for (int child : children_[static_cast<std::size_t>(index)]) WriteFrame(child, depth + 1);
    out_.Put("%s}\n", indent);
  }

  void WriteMeshBody(const MqoObject& object) {
    const int vertexCount = static_cast<int>(object.vertices.size());
    const int faceCount = static_cast<int>(object.faces.size());
    auto separator = [](int i, int count) { return i + 1 < count ? ',' : ';'; };

    out_.Put("  %d;\n", vertexCount);
    for (int i = 0; i < vertexCount; ++i) {
      const MqoVertex& v = object.vertices[static_cast<std::size_t>(i)];
      out_.Put("  %0.5f;%0.5f;%0.5f;%c\n", v.x, v.y, v.z, separator(i, vertexCount));
    }
    out_.Put("\n  %d;\n", faceCount);
    for (int f = 0; f < faceCount; ++f) {
      const MqoFace& face = object.faces[static_cast<std::size_t>(f)];
      out_.Put("  %d;", face.cornerCount);
      for (int c = 0; c < face.cornerCount; ++c)
        out_.Put("%d%c", face.vertices[static_cast<std::size_t>(c)], separator(c, face.cornerCount));
      out_.Put(f + 1 < faceCount ? ",\n" : ";\n");
    }
    out_.Put("\n\n");

    out_.Put("\n  MeshMaterialList {\n    %d;\n    %d;\n", static_cast<int>(model_.materials.size()), faceCount);
    for (int f = 0; f < faceCount; ++f)
      out_.Put(f + 1 < faceCount ? "    %d,\n" : "    %d;;\n", object.faces[static_cast<std::size_t>(f)].material);
    for (const MqoMaterial& m : model_.materials) {
      out_.Put("\n    Material {\n");
      out_.Put("      %0.5f;%0.5f;%0.5f;%0.5f;;\n", m.red, m.green, m.blue, m.alpha);
      out_.Put("      %0.5f;\n", m.power);
      out_.Put("      %0.5f;%0.5f;%0.5f;;\n", m.specular[0], m.specular[1], m.specular[2]);
      out_.Put("      %0.5f;%0.5f;%0.5f;;\n", m.emissive[0], m.emissive[1], m.emissive[2]);
      if (m.texture[0] != '\0') out_.Put("      TextureFilename {\n        \"%s\";\n      }\n", m.texture);
      out_.Put("    }\n");
    }

    // Normals are listed once each, by exact equality in corner order.
    std::vector<const std::array<float, 3>*> normals;
    std::vector<int> normalOfCorner;
    DistinctNormals(object, normals, normalOfCorner);
    const int normalCount = static_cast<int>(normals.size());
    out_.Put("  }\n\n  MeshNormals {\n    %d;\n", normalCount);
    for (int i = 0; i < normalCount; ++i) {
      const std::array<float, 3>& n = *normals[static_cast<std::size_t>(i)];
      out_.Put("    %0.5f;%0.5f;%0.5f;%c\n", n[0], n[1], n[2], separator(i, normalCount));
    }
    out_.Put("\n    %d;\n", faceCount);
    std::size_t corner = 0;
    for (int f = 0; f < faceCount; ++f) {
      const MqoFace& face = object.faces[static_cast<std::size_t>(f)];
      out_.Put("    %d;", face.cornerCount);
      for (int c = 0; c < face.cornerCount; ++c)
        out_.Put("%d%c", normalOfCorner[corner++], separator(c, face.cornerCount));
      out_.Put(f + 1 < faceCount ? ",\n" : ";\n");
    }

    out_.Put("  }\n\n  MeshTextureCoords {\n");
    out_.Put("    %d;\n", vertexCount);
    for (int i = 0; i < vertexCount; ++i) {
      const MqoVertex& v = object.vertices[static_cast<std::size_t>(i)];
      out_.Put("    %0.5f;%0.5f;%c\n", v.u, v.v, separator(i, vertexCount));
    }
    out_.Put("  }\n");
  }

  // Equal floats have equal bits but for the two zeros; a NaN equals nothing,
  // not even an earlier NaN, so each one is a normal of its own.
  static void DistinctNormals(const MqoObject& object, std::vector<const std::array<float, 3>*>& normals,
                              std::vector<int>& normalOfCorner) {
    struct Key {
      std::uint32_t bits[3];
      bool operator==(const Key&) const = default;
    };
    struct KeyHash {
      std::size_t operator()(const Key& k) const {
        return (std::size_t{k.bits[0]} * 0x9E3779B1u) ^ (std::size_t{k.bits[1]} * 0x85EBCA77u) ^
               (std::size_t{k.bits[2]} * 0xC2B2AE3Du);
      }
    };
    std::unordered_map<Key, int, KeyHash> seen;
    for (const MqoFace& face : object.faces)
      for (int c = 0; c < face.cornerCount; ++c) {
        const std::array<float, 3>& n = face.normals[static_cast<std::size_t>(c)];
        const bool hasNan = n[0] != n[0] || n[1] != n[1] || n[2] != n[2];
        Key key{};
        for (std::size_t i = 0; i < 3; ++i) {
          const float value = n[i] == 0.0f ? 0.0f : n[i];
          std::memcpy(&key.bits[i], &value, sizeof value);
        }
        auto [entry, added] =
            hasNan ? std::pair{seen.end(), true} : seen.try_emplace(key, static_cast<int>(normals.size()));
        if (added) {
          normalOfCorner.push_back(static_cast<int>(normals.size()));
          normals.push_back(&n);
        } else {
          normalOfCorner.push_back(entry->second);
        }
      }
  }

  void WriteSkin(const MqoObject& object) {
    struct Influence {
      int vertex;
      float weight;
    };
    std::vector<std::vector<Influence>> byBone(std::min(model_.bones.size(), static_cast<std::size_t>(kSkinBoneLimit)));
    int mostSlots = 0;
    for (std::size_t i = 0; i < object.vertices.size(); ++i) {
      const MqoVertex& v = object.vertices[i];
      int slots = 0;
      for (std::size_t s = 0; s < v.bones.size(); ++s) {
        if (v.bones[s] == 0) continue;
        ++slots;
        if (static_cast<std::size_t>(v.bones[s]) < byBone.size())
          byBone[static_cast<std::size_t>(v.bones[s])].push_back({static_cast<int>(i), v.weights[s]});
      }
      mostSlots = std::max(mostSlots, slots);
    }
    const auto named = static_cast<int>(
        std::count_if(byBone.begin(), byBone.end(), [](const std::vector<Influence>& list) { return !list.empty(); }));
    out_.Put("    XSkinMeshHeader {\n     %d;\n     %d;\n     %d;\n    }\n\n", mostSlots, 0, named);
    if (!model_.weightsComputed) return;

    for (std::size_t b = 0; b < byBone.size(); ++b) {
      const std::vector<Influence>& list = byBone[b];
      if (list.empty()) continue;
      const BoneNode& bone = model_.bones[b];
      const int count = static_cast<int>(list.size());
      out_.Put("    SkinWeights {\n     \"%s\";\n     %d;\n", Side(bone), count);
      for (int k = 0; k < count; ++k)
        out_.Put("     %d%c\n", list[static_cast<std::size_t>(k)].vertex, k + 1 < count ? ',' : ';');
      for (int k = 0; k < count; ++k)
        out_.Put("     %0.5f%c\n", list[static_cast<std::size_t>(k)].weight, k + 1 < count ? ',' : ';');
      // Mesh space to the bone's space at rest: a move by minus the head.
      const bool moved = bone.parent >= 0;
      out_.Put(
          "     %0.5f,%0.5f,%0.5f,%0.5f,\n     %0.5f,%0.5f,%0.5f,%0.5f,\n     %0.5f,%0.5f,%0.5f,%0.5f,\n"
          "     %0.5f,%0.5f,%0.5f,%0.5f;;\n    }\n\n",
          1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, moved ? -bone.head[0] : 0.0f,
          moved ? -bone.head[1] : 0.0f, moved ? -bone.head[2] : 0.0f, 1.0f);
    }
  }

  void WriteAnimation(const BoneNode& node) {
    const Offset offset = OffsetOf(node);
    out_.Put(" Animation {\n");
    out_.Put("  AnimationKey {\n");
    out_.Put("  %d;\n", 0);  // rotation
    out_.Put("  %d;\n", 2);
    for (int time : {0, 10}) out_.Put("  %d; %d; %05f, %05f, %05f, %05f;;,\n", time, 4, 1.0f, 0.0f, 0.0f, 0.0f);
    out_.Put("  }\n");
    out_.Put("  AnimationKey {\n");
    out_.Put("  %d;\n", 2);  // position
    out_.Put("  %d;\n", 2);
    for (int time : {0, 10}) out_.Put("  %d; %d; %05f, %05f, %05f;;,\n", time, 3, offset.x, offset.y, offset.z);
    out_.Put("  }\n");
    out_.Put("  AnimationKey {\n");
    out_.Put("  %d;\n", 1);  // scale
    out_.Put("  %d;\n", 2);
    for (int time : {0, 10}) out_.Put("  %d; %d; %05f, %05f, %05f;;,\n", time, 3, 1.0f, 1.0f, 1.0f);
    out_.Put("  }\n");
    if (node.name[0] != '\0') out_.Put("  { %s }\n", Side(node));
    out_.Put(" }\n");
  }

  const XConverter& model_;
  std::vector<int> roots_;
  std::vector<std::vector<int>> children_;
  XText out_;
};

bool Fail(std::string* error, std::string message) {
  if (error != nullptr) *error = std::move(message);
  return false;
}

}  // namespace

std::string WriteXText(const XConverter& model) { return XWriter(model).Write(); }

bool WriteX(const XConverter& model, const OpenedFolder& folder, std::string_view name, std::string* error) {
  const std::string templatePath = GetProgramDir() + "Template.x";
  std::string text;
  if (!ReadContentFile(templatePath, text)) return Fail(error, "\"Template.x\" cannot be read from the program folder");
  text += WriteXText(model);
  if (!WriteFileAtomically(folder, name, text)) return Fail(error, "the .x file cannot be written");
  return true;
}

bool WriteX(const XConverter& model, std::string_view path, std::string* error) {
  const FolderAndName file = OpenFolderOfFile(DiskPathToWrite(path));
  return WriteX(model, file.folder, file.name, error);
}
