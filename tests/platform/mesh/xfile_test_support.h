// Helpers of the mesh tests: hand-made bytes and a readable dump of a loaded
// hierarchy so that tests compare whole results.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/mesh/frame_hierarchy.h"
#include "platform/mesh/hierarchy_loader.h"
#include "xfile_text_to_binary.h"

std::vector<std::uint8_t> Bytes(std::string_view text);

// Frames, matrices, containers, meshes (every vertex and face), materials,
// attribute tables, adjacency and skins, one item a line.
std::string DumpHierarchy(const Frame* root);
std::string DumpMesh(const Mesh& mesh);
std::string MatrixText(const Matrix& m);

// Loads with the plain allocator; on failure the returned text is the error.
struct LoadOutcome {
  bool ok = false;
  std::string error;
  LoadedHierarchy hierarchy;
  DefaultAllocateHierarchy allocator;
  ~LoadOutcome();
};
void Load(const std::vector<std::uint8_t>& bytes, LoadOutcome* outcome);

// The dump of a loaded file with its warnings and animation sets, then posed
// one second into the first set (track 0); or "error: " and the message.
std::string DescribeLoad(const LoadOutcome& outcome, bool pose = true);
