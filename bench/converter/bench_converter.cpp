// Converts a generated skin of 100,000 triangles on 30 bones from .mqo to .x,
// printing the time of each step and of the whole conversion from file to
// file, and the same for a model a quarter the size: the whole model should
// take about four times as long, not sixteen, if no step compares every pair.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "best_of.h"
#include "converter/mqo_bones.h"
#include "converter/mqo_reader.h"
#include "converter/x_converter.h"
#include "converter/x_writer.h"
#include "platform/system/content_path.h"

namespace {

namespace fs = std::filesystem;

constexpr int kBones = 30;
constexpr int kSegments = 100;

void Append(std::string& out, const char* format, double a, double b = 0, double c = 0) {
  char line[160];
  std::snprintf(line, sizeof line, format, a, b, c);
  out += line;
}

// A tube of `rings` rings, 0.2 apart (so corners of neighbouring rings are
// near enough to smooth each other), around a chain of bones. Each ring of
// faces is painted with the colour of the bone at its height, so the rows
// where two bones meet are shared between them.
std::string MakeModel(int rings) {
  const double height = (rings - 1) * 0.2;
  const double boneLength = height / kBones;
  auto boneOf = [&](int ring) { return std::min(kBones - 1, static_cast<int>(ring * 0.2 / boneLength)); };
  auto colour = [](int bone) { return (40 + bone * 7) | ((200 - bone * 5) << 8) | ((bone * 8) << 16); };

  std::string text = "Metasequoia Document\nFormat Text Ver 1.0\n\nMaterial " + std::to_string(kBones) + " {\n";
  for (int b = 0; b < kBones; ++b) {
    const int c = colour(b);
    text += "\t\"b" + std::to_string(b) + "\"";
    Append(text, " col(%.6f %.6f %.6f 1.000) dif(0.800) power(5.00)\n", (c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0,
           ((c >> 16) & 0xFF) / 255.0);
  }
  text += "}\nObject \"bone\" {\n\tvertex " + std::to_string(kBones * 2 + 1) + " {\n";
  for (int b = 0; b <= kBones; ++b) Append(text, "\t\t0 %.4f 0\n", b * boneLength);
  for (int b = 0; b < kBones; ++b) Append(text, "\t\t0.5 %.4f 0\n", b * boneLength);
  text += "\t}\n\tface " + std::to_string(kBones) + " {\n";
  for (int b = 0; b < kBones; ++b)
    text += "\t\t3 V(" + std::to_string(b) + " " + std::to_string(b + 1) + " " + std::to_string(kBones + 1 + b) +
            ") M(" + std::to_string(b) + ")\n";
  text += "\t}\n}\nObject \"body\" {\n\tfacet 59.5\n\tvertex " + std::to_string(rings * kSegments) + " {\n";
  for (int r = 0; r < rings; ++r)
    for (int s = 0; s < kSegments; ++s) {
      const double a = 6.283185307179586 * s / kSegments;
      Append(text, "\t\t%.4f %.4f %.4f\n", 5.0 * std::cos(a), r * 0.2, 5.0 * std::sin(a));
    }
  text += "\t}\n\tface " + std::to_string((rings - 1) * kSegments * 2) + " {\n";
  for (int r = 0; r + 1 < rings; ++r) {
    const std::string col = std::to_string(colour(boneOf(r)));
    const std::string cols = " COL(" + col + " " + col + " " + col + ")\n";
    for (int s = 0; s < kSegments; ++s) {
      const int a = r * kSegments + s, b = r * kSegments + (s + 1) % kSegments, c = a + kSegments, d = b + kSegments;
      const double u0 = double(s) / kSegments, u1 = double(s + 1) / kSegments;
      const double v0 = double(r) / rings, v1 = double(r + 1) / rings;
      text += "\t\t3 V(" + std::to_string(a) + " " + std::to_string(c) + " " + std::to_string(b) + ") M(" +
              std::to_string(boneOf(r)) + ")";
      Append(text, " UV(%.5f %.5f %.5f", u0, v0, u0);
      Append(text, " %.5f %.5f %.5f)", v1, u1, v0);
      text += cols;
      text += "\t\t3 V(" + std::to_string(b) + " " + std::to_string(c) + " " + std::to_string(d) + ") M(" +
              std::to_string(boneOf(r)) + ")";
      Append(text, " UV(%.5f %.5f %.5f", u1, v0, u0);
      Append(text, " %.5f %.5f %.5f)", v1, u1, v1);
      text += cols;
    }
  }
  text += "\t}\n}\nEof\n";
  return text;
}

struct Timings {
  double read, normals, bones, weights, weld, write, whole;
  std::size_t faces, vertices, bytes;
};

Timings Measure(int rings, const fs::path& folder, int runs) {
  const std::string text = MakeModel(rings);
  const fs::path mqo = folder / "bench.mqo";
  const fs::path x = folder / "bench.x";
  std::ofstream(mqo, std::ios::binary) << text;

  Timings t{};
  XConverter model;
  t.read = BestOf(runs, [&] {
    model = XConverter();
    if (!ReadMqoText(text.c_str(), model)) std::abort();
  });
  t.faces = model.objects.back().faces.size();
  t.normals = BestOf(runs, [&] { ComputeBodyNormals(model); });
  t.bones = BestOf(runs, [&] {
    if (!BuildBones(model)) std::abort();
  });
  t.weights = BestOf(runs, [&] { ComputeWeights(model); });
  t.weld = BestOf(1, [&] { WeldBodyVertices(model); });  // the second weld would find nothing to do
  t.vertices = model.objects.back().vertices.size();
  std::string written;
  t.write = BestOf(runs, [&] { written = WriteXText(model); });
  t.bytes = written.size();
  t.whole = BestOf(runs, [&] {
    std::string error;
    if (!ConvertMqoToX(mqo.string(), x.string(), 1, 1, -1, &error)) {
      std::fprintf(stderr, "conversion failed: %s\n", error.c_str());
      std::exit(1);
    }
  });
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  const fs::path folder = fs::temp_directory_path() / ("t3d_bench_converter_" + std::to_string(getpid()));
  fs::create_directories(folder);
  std::ofstream(folder / "Template.x", std::ios::binary) << "xof 0303txt 0032\r\n";
  SetProgramDir(folder.string());

  // 501 rings of 100 segments: 100,000 triangles; a quarter: 126 rings.
  const Timings whole = Measure(501, folder, runs);
  const Timings quarter = Measure(126, folder, runs);
  fs::remove_all(folder);

  std::printf("model: %zu triangles, %d bones; %zu vertices welded, %.1f MB of .x text\n", whole.faces, kBones,
              whole.vertices, whole.bytes / 1e6);
  const char* names[] = {"read .mqo", "normals", "bones", "weights", "weld", "write .x text", "whole conversion"};
  const double wholeTimes[] = {whole.read, whole.normals, whole.bones, whole.weights,
                               whole.weld, whole.write,   whole.whole};
  const double quarterTimes[] = {quarter.read, quarter.normals, quarter.bones, quarter.weights,
                                 quarter.weld, quarter.write,   quarter.whole};
  std::printf("%-18s %10s %10s %8s\n", "step", "100k tris", "25k tris", "ratio");
  for (int i = 0; i < 7; ++i)
    std::printf("%-18s %8.1f ms %8.1f ms %7.2fx\n", names[i], wholeTimes[i] * 1e3, quarterTimes[i] * 1e3,
                wholeTimes[i] / quarterTimes[i]);
  std::printf(
      "aim: the whole conversion under 500 ms; four times the triangles about 4x the time (16x would be "
      "quadratic)\n");
  return 0;
}
