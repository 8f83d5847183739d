// The .x texts of the rendering tests and benchmarks.
#include "support/x_models.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

struct V3 {
  float x, y, z;
};
V3 Sub(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
float Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 Cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

std::string Num(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.7g", static_cast<double>(value));
  return text;
}

std::string Translation(float x, float y, float z) {
  return "1,0,0,0, 0,1,0,0, 0,0,1,0, " + Num(x) + "," + Num(y) + "," + Num(z) + ",1;;";
}

// A mesh under construction; faces turn clockwise seen from outside, the
// platform's front.
struct MeshText {
  std::vector<V3> positions, normals;
  std::vector<int> faces;
  std::vector<std::vector<std::pair<int, float>>> bones;  // per bone: vertex, weight

  int Vertex(V3 p, V3 n) {
    positions.push_back(p);
    normals.push_back(n);
    return static_cast<int>(positions.size()) - 1;
  }
  // With a, b, c seen clockwise from where `outward` points.
  void Face(int a, int b, int c, V3 outward) {
    const V3 n = Cross(Sub(positions[static_cast<std::size_t>(b)], positions[static_cast<std::size_t>(a)]),
                       Sub(positions[static_cast<std::size_t>(c)], positions[static_cast<std::size_t>(a)]));
    if (Dot(n, outward) < 0.0f) std::swap(b, c);
    faces.insert(faces.end(), {a, b, c});
  }

  std::string Text(const XMaterial& m) const {
    std::string t = "  Mesh Body {\n    " + std::to_string(positions.size()) + ";\n";
    for (std::size_t i = 0; i < positions.size(); ++i)
      t += "    " + Num(positions[i].x) + ";" + Num(positions[i].y) + ";" + Num(positions[i].z) +
           (i + 1 < positions.size() ? ";,\n" : ";;\n");
    const std::size_t faceCount = faces.size() / 3;
    std::string faceList = std::to_string(faceCount) + ";\n";
    for (std::size_t f = 0; f < faceCount; ++f)
      faceList += "    3;" + std::to_string(faces[3 * f]) + "," + std::to_string(faces[3 * f + 1]) + "," +
                  std::to_string(faces[3 * f + 2]) + (f + 1 < faceCount ? ";,\n" : ";;\n");
    t += "    " + faceList;
    t += "    MeshNormals {\n    " + std::to_string(normals.size()) + ";\n";
    for (std::size_t i = 0; i < normals.size(); ++i)
      t += "    " + Num(normals[i].x) + ";" + Num(normals[i].y) + ";" + Num(normals[i].z) +
           (i + 1 < normals.size() ? ";,\n" : ";;\n");
    t += "    " + faceList + "    }\n";
    t += "    MeshMaterialList {\n    1;\n    " + std::to_string(faceCount) + ";\n    ";
    for (std::size_t f = 0; f < faceCount; ++f) t += f + 1 < faceCount ? "0," : "0;;\n";
    t += "    Material {\n      " + Num(m.r) + ";" + Num(m.g) + ";" + Num(m.b) + ";" + Num(m.a) +
         ";;\n      1.0;\n      0.0;0.0;0.0;;\n      " + Num(m.emissiveR) + ";" + Num(m.emissiveG) + ";" +
         Num(m.emissiveB) + ";;\n" + (m.texture.empty() ? "" : "      TextureFilename { \"" + m.texture + "\"; }\n") +
         "    }\n    }\n";
    if (!bones.empty()) {
      // A bone no vertex follows (the top joint) gets no weights.
      const auto used = std::count_if(bones.begin(), bones.end(), [](const auto& weights) { return !weights.empty(); });
      t += "    XSkinMeshHeader {\n      2;\n      6;\n      " + std::to_string(used) + ";\n    }\n";
      for (std::size_t b = 0; b < bones.size(); ++b) {
        if (bones[b].empty()) continue;
        t += "    SkinWeights {\n      \"Bone" + std::to_string(b) + "\";\n      " +
             std::to_string(bones[b].size()) + ";\n      ";
        for (std::size_t i = 0; i < bones[b].size(); ++i)
          t += std::to_string(bones[b][i].first) + (i + 1 < bones[b].size() ? "," : ";\n      ");
        for (std::size_t i = 0; i < bones[b].size(); ++i)
          t += Num(bones[b][i].second) + (i + 1 < bones[b].size() ? "," : ";\n      ");
        t += Translation(0.0f, -jointHeights[b], 0.0f) + "\n    }\n";
      }
    }
    return t + "  }\n";
  }

  std::vector<float> jointHeights;
};

std::string Header() { return "xof 0303txt 0032\nFrame Root {\n  FrameTransformMatrix {\n    " + Translation(0, 0, 0) + "\n  }\n"; }

}  // namespace

std::string RectangleX(float x0, float y0, float x1, float y1, float z, const XMaterial& material) {
  MeshText mesh;
  const V3 toward{0.0f, 0.0f, -1.0f};
  const int a = mesh.Vertex({x0, y1, z}, toward), b = mesh.Vertex({x1, y1, z}, toward);
  const int c = mesh.Vertex({x1, y0, z}, toward), d = mesh.Vertex({x0, y0, z}, toward);
  mesh.Face(a, b, c, toward);
  mesh.Face(a, c, d, toward);
  return Header() + mesh.Text(material) + "}\n";
}

std::string FloorX(float x0, float z0, float x1, float z1, float y, const XMaterial& material, int cells) {
  MeshText mesh;
  const V3 up{0.0f, 1.0f, 0.0f};
  cells = std::max(cells, 1);
  const int side = cells + 1;
  auto at = [&](int i, float from, float to) {
    return from + (to - from) * static_cast<float>(i) / static_cast<float>(cells);
  };
  // Rows from z1 down to z0, each from x0 to x1.
  for (int j = 0; j < side; ++j)
    for (int i = 0; i < side; ++i) mesh.Vertex({at(i, x0, x1), y, at(j, z1, z0)}, up);
  for (int j = 0; j < cells; ++j) {
    for (int i = 0; i < cells; ++i) {
      const int a = j * side + i, b = a + 1, d = a + side, c = d + 1;
      mesh.Face(a, b, c, up);
      mesh.Face(a, c, d, up);
    }
  }
  return Header() + mesh.Text(material) + "}\n";
}

std::string SkinnedTubeX(float radius, float height, int segments, int rings, int bones, const XMaterial& material) {
  MeshText mesh;
  bones = std::max(bones, 2);
  mesh.bones.resize(static_cast<std::size_t>(bones));
  for (int b = 0; b < bones; ++b) mesh.jointHeights.push_back(height * static_cast<float>(b) / static_cast<float>(bones - 1));
  // Each stretch between two joints follows the bone at its foot; within a
  // fifth of a stretch of an inner joint a vertex blends with the bone on
  // the joint's other side, so the tube bends there without cracking.
  const float stretch = height / static_cast<float>(bones - 1), band = 0.2f;
  auto weigh = [&](int vertex, float y) {
    const float t = std::clamp(y / stretch, 0.0f, static_cast<float>(bones - 1));
    const int bone = std::min(static_cast<int>(t), bones - 2);
    const float f = t - static_cast<float>(bone);
    int other = bone;
    float share = 0.0f;
    if (f < band && bone > 0) {
      other = bone - 1;
      share = (band - f) / (2.0f * band);
    } else if (f > 1.0f - band && bone + 1 < bones - 1) {
      other = bone + 1;
      share = (f - (1.0f - band)) / (2.0f * band);
    }
    mesh.bones[static_cast<std::size_t>(bone)].push_back({vertex, 1.0f - share});
    if (share > 0.0f) mesh.bones[static_cast<std::size_t>(other)].push_back({vertex, share});
  };
  const float step = 6.2831853f / static_cast<float>(segments);
  for (int r = 0; r <= rings; ++r) {
    const float y = height * static_cast<float>(r) / static_cast<float>(rings);
    for (int s = 0; s < segments; ++s) {
      const V3 n{std::cos(step * static_cast<float>(s)), 0.0f, std::sin(step * static_cast<float>(s))};
      weigh(mesh.Vertex({radius * n.x, y, radius * n.z}, n), y);
    }
  }
  for (int r = 0; r < rings; ++r) {
    for (int s = 0; s < segments; ++s) {
      const int s1 = (s + 1) % segments;
      const int a = r * segments + s, b = r * segments + s1, c = (r + 1) * segments + s1, d = (r + 1) * segments + s;
      const V3 out = mesh.normals[static_cast<std::size_t>(a)];
      mesh.Face(a, b, c, out);
      mesh.Face(a, c, d, out);
    }
  }
  // The caps: a fan round a centre, with their own flat normals.
  for (const float y : {0.0f, height}) {
    const V3 n{0.0f, y > 0.0f ? 1.0f : -1.0f, 0.0f};
    const int centre = mesh.Vertex({0.0f, y, 0.0f}, n);
    weigh(centre, y);
    const int first = static_cast<int>(mesh.positions.size());
    for (int s = 0; s < segments; ++s) {
      weigh(mesh.Vertex({radius * std::cos(step * static_cast<float>(s)), y, radius * std::sin(step * static_cast<float>(s))}, n), y);
    }
    for (int s = 0; s < segments; ++s) mesh.Face(centre, first + s, first + (s + 1) % segments, n);
  }
  std::string text = Header() + mesh.Text(material);
  for (int b = 0; b < bones; ++b) {
    const float rise = b == 0 ? 0.0f : height / static_cast<float>(bones - 1);
    text += std::string(static_cast<std::size_t>(2 * b + 2), ' ') + "Frame Bone" + std::to_string(b) +
            " {\n  FrameTransformMatrix { " + Translation(0.0f, rise, 0.0f) + " }\n";
  }
  for (int b = bones; b > 0; --b) text += std::string(static_cast<std::size_t>(2 * b), ' ') + "}\n";
  return text + "}\n";
}
