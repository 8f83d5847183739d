// The steps between reading a .mqo model and writing its .x file: smoothed skin
// normals, the bone tree, skin weights from painted colours, and vertex welding.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "converter/mqo_model.h"

// The skeleton never grows past this many nodes (the root included); the
// colour painted on a corner names at most kMaxBonesPerColour of them.
constexpr int kMaxBoneNodes = 1024;
constexpr int kMaxBonesPerColour = 64;

// A name as frames and weight lookups use it: "[]" and all after it become "R"
// for x <= 0, else "L".
std::string SideName(const char* name, float x);

// Corner normals of every skin object, each smoothed across nearby corners of
// its own whose faces meet below the object's facet angle.
void ComputeBodyNormals(XConverter& model);

// The bone tree from the first object named exactly "bone". False when there is
// none or its triangles exceed kMaxBoneNodes.
bool BuildBones(XConverter& model);

// The bones the material nearest to the colour names at x, in order; at most
// kMaxBonesPerColour are written to out. Returns how many.
int BonesForColour(const XConverter& model, std::uint32_t colour, float x, std::int32_t* out);

// Influences of every vertex of every skin object. Returns one message for
// each object that has vertices in its faces without any influence.
std::vector<std::string> ComputeWeights(XConverter& model);

// Merges the corners of every skin object into one vertex per distinct
// position, normal, texture point and weighting. False when memory runs out.
bool WeldBodyVertices(XConverter& model);
