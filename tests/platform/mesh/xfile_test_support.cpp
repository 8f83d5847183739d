// Helpers of the mesh tests.
#include "xfile_test_support.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>

#include <gtest/gtest.h>

#include "platform/mesh/mesh.h"
#include "platform/mesh/skin_info.h"

std::vector<std::uint8_t> Bytes(std::string_view text) {
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

namespace {

// Six digits, and rounding noise near zero printed as 0 so that a dump does
// not depend on the order the arithmetic was done in.
std::string Num(float v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%g", std::fabs(v) < 1e-6f ? 0.0 : static_cast<double>(v));
  return buffer;
}

std::string ColorText(const ColorValue& c) {
  return Num(c.r) + " " + Num(c.g) + " " + Num(c.b) + " " + Num(c.a);
}

void DumpFrame(const Frame* frame, int depth, std::ostringstream& out) {
  for (; frame; frame = frame->sibling) {
    const std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
    out << indent << "frame '" << frame->name << "' " << MatrixText(frame->transformationMatrix)
        << "\n";
    for (const MeshContainer* c = frame->meshContainer; c; c = c->next) {
      out << indent << " container '" << c->name << "'\n";
      if (c->mesh) out << DumpMesh(*c->mesh);
      for (const ExtendedMaterial& m : c->materials) {
        out << indent << " material d " << ColorText(m.material.diffuse) << " a "
            << ColorText(m.material.ambient) << " s " << ColorText(m.material.specular) << " e "
            << ColorText(m.material.emissive) << " p " << Num(m.material.power) << " tex '"
            << m.textureFilename << "'\n";
      }
      out << indent << " adjacency";
      for (std::uint32_t a : c->adjacency) out << " " << static_cast<std::int32_t>(a);
      out << "\n";
      if (c->skinInfo) {
        const SkinInfo& skin = *c->skinInfo;
        for (std::uint32_t b = 0; b < skin.GetNumBones(); ++b) {
          const SkinBone& bone = skin.GetBone(b);
          out << indent << " bone '" << bone.name << "' " << MatrixText(bone.offset) << " :";
          for (std::size_t k = 0; k < bone.vertices.size(); ++k) {
            out << " " << bone.vertices[k] << "=" << Num(bone.weights[k]);
          }
          out << "\n";
        }
      }
    }
    DumpFrame(frame->firstChild, depth + 1, out);
  }
}

}  // namespace

std::string MatrixText(const Matrix& m) {
  std::string text;
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) text += (r || c ? " " : "") + Num(m.m[r][c]);
  }
  return text;
}

std::string DumpMesh(const Mesh& mesh) {
  std::ostringstream out;
  out << "  mesh fvf " << mesh.GetFvf() << " vertices " << mesh.GetNumVertices() << " faces "
      << mesh.GetNumFaces() << (mesh.Has32BitIndices() ? " idx32" : " idx16") << "\n";
  for (std::uint32_t v = 0; v < mesh.GetNumVertices(); ++v) {
    const Vector3 p = mesh.Position(v), n = mesh.Normal(v);
    const Vector2 t = mesh.TexCoord(v);
    char colour[16];
    std::snprintf(colour, sizeof colour, "%08x", mesh.Diffuse(v));
    out << "   v" << v << " " << Num(p.x) << " " << Num(p.y) << " " << Num(p.z) << " n " << Num(n.x)
        << " " << Num(n.y) << " " << Num(n.z) << " c " << colour << " t " << Num(t.x) << " "
        << Num(t.y) << "\n";
  }
  for (std::uint32_t f = 0; f < mesh.GetNumFaces(); ++f) {
    std::uint32_t c[3];
    mesh.GetFace(f, c);
    out << "   f" << f << " " << c[0] << " " << c[1] << " " << c[2] << " a "
        << mesh.Attributes()[f] << "\n";
  }
  for (const AttributeRange& r : mesh.AttributeTable()) {
    out << "   range " << r.attribId << " faces " << r.faceStart << "+" << r.faceCount
        << " vertices " << r.vertexStart << "+" << r.vertexCount << "\n";
  }
  return out.str();
}

std::string DumpHierarchy(const Frame* root) {
  std::ostringstream out;
  DumpFrame(root, 0, out);
  return out.str();
}

std::string DescribeLoad(const LoadOutcome& outcome, bool pose) {
  if (!outcome.ok) {
    EXPECT_EQ(nullptr, outcome.hierarchy.root);
    return "error: " + outcome.error + "\n";
  }
  std::ostringstream text;
  text << DumpHierarchy(outcome.hierarchy.root);
  for (const std::string& warning : outcome.hierarchy.warnings) text << "warning: " << warning << "\n";
  AnimationController* controller = outcome.hierarchy.animationController.get();
  text << "animation sets: " << (controller ? controller->GetNumAnimationSets() : 0) << "\n";
  for (std::uint32_t i = 0; controller && i < controller->GetNumAnimationSets(); ++i) {
    const auto set = controller->GetAnimationSet(i);
    text << "set '" << set->Name() << "' animations " << set->NumAnimations() << " ticks/s " << set->TicksPerSecond()
         << " period " << set->PeriodTicks() << "\n";
  }
  if (!controller || !pose) return text.str();
  // Track 0 plays the first set.
  controller->SetTime(1.0);
  std::vector<Frame*> frames;
  ListFramesSiblingsFirst(outcome.hierarchy.root, &frames);
  for (const Frame* frame : frames)
    text << "posed '" << frame->name << "' " << MatrixText(frame->transformationMatrix) << "\n";
  return text.str();
}

LoadOutcome::~LoadOutcome() {
  if (hierarchy.root) DestroyFrameHierarchy(hierarchy.root, allocator);
}

void Load(const std::vector<std::uint8_t>& bytes, LoadOutcome* outcome) {
  outcome->ok = LoadMeshHierarchyFromXInMemory(bytes, outcome->allocator, &outcome->hierarchy,
                                               &outcome->error);
}
