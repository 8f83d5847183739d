// Turns a mesh as a .x file gives it into a Mesh with materials and skin: fan
// triangulation, vertices split where normals differ, faces sorted by
// material. Used by the hierarchy loader.
#pragma once

#include <string>

#include "platform/mesh/frame_hierarchy.h"
#include "platform/mesh/xfile_document.h"

enum class XMeshBuildResult {
  Built,
  NoTriangles,  // nothing to draw: the loader drops the mesh
  Refused,      // inconsistent data; the message says what
};

// Refuses face or normal indices past their lists, material indices past the
// declared materials, fewer materials than declared, colours or skin weights
// for vertices that do not exist, and sizes past the mesh limits.
XMeshBuildResult BuildMeshContainerData(const XMeshData& data, MeshContainerData* out,
                                        std::string* error);
