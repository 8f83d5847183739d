// Loads a generated skinned model of 100k triangles in its text, binary and
// compressed forms, and the real files of the shared corpus where present,
// beside assimp's import of the same bytes with no post-processing (when the
// benchmark was built with assimp); then skins the model once and casts rays
// through the mesh's hierarchy and by a plain scan. Times and ratios side by side.
// Arguments: [runs] [corpus folder].
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "best_of.h"
#include "platform/math/intersect.h"
#include "platform/mesh/hierarchy_loader.h"
#include "platform/mesh/mesh_queries.h"
#include "platform/mesh/xfile_compression.h"
#include "xfile_text_to_binary.h"

#ifdef T3D_BENCH_ASSIMP
#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#endif

namespace {

void Append(std::string* out, const char* format, double a, double b, double c) {
  char line[128];
  std::snprintf(line, sizeof line, format, a, b, c);
  *out += line;
}

// A tube of rings x segments quads (two triangles each) bent over a chain of
// bones, written the way the model converter writes its files: per-corner
// normals, texture coordinates, a material list and skin weights.
std::string MakeModel(int rings, int segments, int bones) {
  const int vertices = rings * segments;
  std::string x = "xof 0303txt 0032\n";
  x += "Frame Scene_Root {\n FrameTransformMatrix {\n  1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0;;\n }\n";
  x += " Mesh {\n  " + std::to_string(vertices) + ";\n";
  for (int r = 0; r < rings; ++r) {
    for (int s = 0; s < segments; ++s) {
      const double a = 6.283185307179586 * s / segments;
      Append(&x, "  %0.5f;%0.5f;%0.5f;", 10.0 * std::cos(a), r * 0.5, 10.0 * std::sin(a));
      x += (r == rings - 1 && s == segments - 1) ? ";\n" : ",\n";
    }
  }
  const int faces = (rings - 1) * segments * 2;
  x += "\n  " + std::to_string(faces) + ";\n";
  int written = 0;
  for (int r = 0; r + 1 < rings; ++r) {
    for (int s = 0; s < segments; ++s) {
      const int a = r * segments + s, b = r * segments + (s + 1) % segments;
      const int c = a + segments, d = b + segments;
      x += "  3;" + std::to_string(a) + "," + std::to_string(c) + "," + std::to_string(b) + ";,\n";
      x += "  3;" + std::to_string(b) + "," + std::to_string(c) + "," + std::to_string(d) + ";";
      written += 2;
      x += written == faces ? ";\n" : ",\n";
    }
  }
  x += "\n  MeshMaterialList {\n   2;\n   " + std::to_string(faces) + ";\n";
  for (int f = 0; f < faces; ++f) x += "   " + std::to_string(f / (faces / 2)) + (f + 1 == faces ? ";;\n" : ",\n");
  x += "   Material {\n    0.8;0.8;0.8;1.0;;\n    5.0;\n    0.0;0.0;0.0;;\n    0.0;0.0;0.0;;\n   }\n";
  x += "   Material {\n    0.2;0.4;0.8;1.0;;\n    5.0;\n    0.0;0.0;0.0;;\n    0.0;0.0;0.0;;\n"
       "    TextureFilename {\n     \"skin.png\";\n    }\n   }\n  }\n";
  x += "  MeshNormals {\n   " + std::to_string(segments) + ";\n";
  for (int s = 0; s < segments; ++s) {
    const double a = 6.283185307179586 * s / segments;
    Append(&x, "   %0.5f;%0.5f;%0.5f;", std::cos(a), 0.0, std::sin(a));
    x += s + 1 == segments ? ";\n" : ",\n";
  }
  x += "   " + std::to_string(faces) + ";\n";
  written = 0;
  for (int r = 0; r + 1 < rings; ++r) {
    for (int s = 0; s < segments; ++s) {
      const std::string a = std::to_string(s), b = std::to_string((s + 1) % segments);
      x += "   3;" + a + "," + a + "," + b + ";,\n   3;" + b + "," + a + "," + b + ";";
      written += 2;
      x += written == faces ? ";\n" : ",\n";
    }
  }
  x += "  }\n  MeshTextureCoords {\n   " + std::to_string(vertices) + ";\n";
  for (int v = 0; v < vertices; ++v) {
    Append(&x, "   %0.5f;%0.5f;", double(v % segments) / segments, double(v / segments) / rings, 0);
    x += v + 1 == vertices ? ";\n" : ",\n";
  }
  x += "  }\n";
  // Each ring follows the two bones nearest its height.
  const int ringsPerBone = std::max(1, rings / bones);
  for (int bone = 0; bone < bones; ++bone) {
    std::vector<int> list;
    std::vector<double> weights;
    for (int r = 0; r < rings; ++r) {
      const double at = double(r) / ringsPerBone - 0.5;
      const int below = std::max(0, std::min(bones - 1, int(std::floor(at))));
      const int above = std::min(bones - 1, below + 1);
      const double t = std::clamp(at - below, 0.0, 1.0);
      double w = 0.0;
      if (bone == below) w += (below == above) ? 1.0 : 1.0 - t;
      if (bone == above && above != below) w += t;
      if (w <= 0.0) continue;
      for (int s = 0; s < segments; ++s) {
        list.push_back(r * segments + s);
        weights.push_back(w);
      }
    }
    if (list.empty()) continue;
    x += "  SkinWeights {\n   \"bone" + std::to_string(bone) + "\";\n   " + std::to_string(list.size()) + ";\n";
    for (std::size_t i = 0; i < list.size(); ++i) {
      x += "   " + std::to_string(list[i]) + (i + 1 == list.size() ? ";\n" : ",\n");
    }
    for (std::size_t i = 0; i < weights.size(); ++i) {
      Append(&x, "   %0.5f", weights[i], 0, 0);
      x += i + 1 == weights.size() ? ";\n" : ",\n";
    }
    Append(&x, "   1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,%0.5f,0.0,1.0;;\n  }\n",
           -bone * ringsPerBone * 0.5, 0, 0);
  }
  x += " }\n";
  // The bone chain: each bone a child of the one before.
  for (int bone = 0; bone < bones; ++bone) {
    x += " Frame bone" + std::to_string(bone) + " {\n  FrameTransformMatrix {\n";
    Append(&x, "   1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,%0.5f,0.0,1.0;;\n  }\n",
           bone == 0 ? 0.0 : ringsPerBone * 0.5, 0, 0);
  }
  for (int bone = 0; bone <= bones; ++bone) x += " }\n";
  return x;
}

void Destroy(LoadedHierarchy* loaded, AllocateHierarchy& allocator) {
  DestroyFrameHierarchy(loaded->root, allocator);
  loaded->root = nullptr;
}

// Best time of one load, repeated within each run until the run lasts about
// 20 ms so that small files time well; negative when a load fails.
template <typename Load>
double TimePerLoad(int runs, Load&& load) {
  bool ok = true;
  auto once = [&] { ok = load() && ok; };
  const double first = BestOf(1, once);
  if (!ok) return -1.0;
  const int repeats = std::max(1, static_cast<int>(0.02 / std::max(first, 1e-7)));
  return BestOf(runs, [&] {
    for (int i = 0; i < repeats; ++i) once();
  }) / repeats;
}

double LoadTime(int runs, const std::vector<std::uint8_t>& bytes) {
  DefaultAllocateHierarchy allocator;
  std::string error;
  return TimePerLoad(runs, [&] {
    LoadedHierarchy loaded;
    const bool ok = LoadMeshHierarchyFromXInMemory(bytes, allocator, &loaded, &error);
    Destroy(&loaded, allocator);
    return ok;
  });
}

#ifdef T3D_BENCH_ASSIMP
double AssimpLoadTime(int runs, const std::vector<std::uint8_t>& bytes) {
  Assimp::Importer importer;
  return TimePerLoad(runs, [&] {
    const bool ok = importer.ReadFileFromMemory(bytes.data(), bytes.size(), 0, "x") != nullptr;
    importer.FreeScene();
    return ok;
  });
}
#endif

// One line: our time, assimp's and the ratio (ours / assimp's).
void PrintLoad(const char* what, int runs, const std::vector<std::uint8_t>& bytes) {
  const double ours = LoadTime(runs, bytes);
  std::printf("  %-44s", what);
  if (ours < 0.0) {
    std::printf(" does not load\n");
    return;
  }
  std::printf(" %9.3f ms", ours * 1e3);
#ifdef T3D_BENCH_ASSIMP
  const double theirs = AssimpLoadTime(runs, bytes);
  if (theirs < 0.0) {
    std::printf("   assimp cannot read it\n");
  } else {
    std::printf(" %9.3f ms   %5.2fx\n", theirs * 1e3, ours / theirs);
  }
#else
  std::printf("\n");
#endif
}

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  const std::string corpus = argc > 2 ? argv[2] : T3D_CORPUS_DIR;
  // 251 rings of 200 segments: 100,000 triangles, 50,200 vertices, 16 bones.
  const std::string text = MakeModel(251, 200, 16);
  const std::vector<std::uint8_t> textBytes(text.begin(), text.end());
  const std::vector<std::uint8_t> binaryBytes = TextToBinary(text);
  const std::vector<std::uint8_t> compressed = CompressXFile(textBytes);
  DefaultAllocateHierarchy allocator;

  LoadedHierarchy loaded;
  std::string error;
  if (!LoadMeshHierarchyFromXInMemory(textBytes, allocator, &loaded, &error)) {
    std::fprintf(stderr, "the generated model does not load: %s\n", error.c_str());
    return 1;
  }
  MeshContainer* container = loaded.root->meshContainer;
  std::printf("model: %u triangles, %u vertices, %u bones; %.1f MB of text, %.1f MB binary, "
              "%.1f MB compressed\n",
              container->mesh->GetNumFaces(), container->mesh->GetNumVertices(),
              container->skinInfo->GetNumBones(), textBytes.size() / 1e6, binaryBytes.size() / 1e6,
              compressed.size() / 1e6);

#ifdef T3D_BENCH_ASSIMP
  std::printf("load (best of %d)%39s ours        assimp   ratio\n", runs, "");
#else
  std::printf("load (best of %d); the comparison with assimp was skipped: built without it\n",
              runs);
#endif
  PrintLoad("generated model, text", runs, textBytes);
  PrintLoad("generated model, binary", runs, binaryBytes);
  PrintLoad("generated model, compressed text", runs, compressed);
  // The real files, where the corpus is beside the project.
  const char* const files[] = {"anim_test.x", "kwxport_test_cubewithvcolors.x",
                               "test_cube_binary.x", "test_cube_compressed.x", "test_cube_text.x"};
  for (const char* name : files) {
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(corpus + "/" + name, &bytes)) {
      std::printf("  %-44s skipped: not in %s\n", name, corpus.c_str());
      continue;
    }
    char what[96];
    std::snprintf(what, sizeof what, "%s (%.1f kB %.4s)", name, bytes.size() / 1e3,
                  bytes.size() >= 12 ? reinterpret_cast<const char*>(bytes.data()) + 8 : "?");
    PrintLoad(what, runs, bytes);
  }

  const Mesh& mesh = *container->mesh;
  auto posed = mesh.CloneWithFvf(mesh.GetFvf());
  std::vector<Matrix> bones(container->skinInfo->GetNumBones(), MatrixIdentity());
  for (std::size_t b = 0; b < bones.size(); ++b) bones[b].m[3][0] = static_cast<float>(b);
  const double skinTime = BestOf(runs, [&] {
    container->skinInfo->UpdateSkinnedMesh(bones, mesh, posed.get());
  });
  std::printf("skin one pose      %8.2f ms\n", skinTime * 1e3);

  // Rays from outside the tube toward its axis, as shadow and camera tests cast them.
  const int rays = 200;
  RayHit hit{};
  float sink = 0.0f;
  IntersectMesh(mesh, {0, 0, 0}, {1, 0, 0}, &hit);  // builds the hierarchy
  const double treeTime = BestOf(runs, [&] {
    for (int i = 0; i < rays; ++i) {
      const Vector3 o = {30.0f * std::cos(i * 0.1f), 1.0f + i * 0.6f, 30.0f * std::sin(i * 0.1f)};
      if (IntersectMesh(mesh, o, Vector3{-o.x, 0.0f, -o.z}, &hit)) sink += hit.distance;
    }
  });
  const double scanTime = BestOf(1, [&] {
    for (int i = 0; i < rays; ++i) {
      const Vector3 o = {30.0f * std::cos(i * 0.1f), 1.0f + i * 0.6f, 30.0f * std::sin(i * 0.1f)};
      const Vector3 d = {-o.x, 0.0f, -o.z};
      float best = 1e30f;
      for (std::uint32_t f = 0; f < mesh.GetNumFaces(); ++f) {
        std::uint32_t c[3];
        mesh.GetFace(f, c);
        float u, v, t;
        if (IntersectTri(mesh.Position(c[0]), mesh.Position(c[1]), mesh.Position(c[2]), o, d, &u,
                         &v, &t)) {
          best = std::min(best, t);
        }
      }
      sink += best;
    }
  });
  std::printf("%d rays, hierarchy %8.3f ms, plain scan %8.1f ms   (%.0fx faster)\n", rays,
              treeTime * 1e3, scanTime * 1e3, scanTime / treeTime);
  Destroy(&loaded, allocator);
  return sink == 12345.0f ? 2 : 0;
}
