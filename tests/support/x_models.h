// .x model texts made to measure for rendering tests and benchmarks: a flat
// rectangle facing the camera, a floor, and a closed tube skinned to a chain
// of bones.
#pragma once

#include <string>

// A material as a .x file gives it: face colour (r, g, b, a) and emissive
// colour (r, g, b). An emissive colour with a black face colour draws the
// same colour however it is lit.
struct XMaterial {
  float r = 0.0f, g = 0.0f, b = 0.0f, a = 1.0f;
  float emissiveR = 0.0f, emissiveG = 0.0f, emissiveB = 0.0f;
  std::string texture;  // a file beside the model, or none
};
// Drawn in this colour however it is lit.
inline XMaterial EmissiveMaterial(float r, float g, float b) {
  XMaterial m;
  m.emissiveR = r, m.emissiveG = g, m.emissiveB = b;
  return m;
}
// Lit, or coloured by a vertex program, in this colour.
inline XMaterial DiffuseMaterial(float r, float g, float b, float a = 1.0f) {
  XMaterial m;
  m.r = r, m.g = g, m.b = b, m.a = a;
  return m;
}

// One unskinned rectangle in the plane z, from (x0, y0) to (x1, y1), whose
// front faces a camera looking along +z. Its root frame holds the mesh.
std::string RectangleX(float x0, float y0, float x1, float y1, float z, const XMaterial& material);

// One unskinned rectangle in the plane y, from (x0, z0) to (x1, z1), whose
// front faces up, made of `cells` x `cells` squares of two triangles. Its
// root frame holds the mesh.
std::string FloorX(float x0, float z0, float x1, float z1, float y, const XMaterial& material, int cells = 1);

// A tube of `radius` standing on the origin up to `height`, closed at both
// ends, with smooth side normals: `segments` around, `rings` bands up. It is
// skinned to `bones` frames "Bone0" ... in a chain of joints evenly up its
// axis (each the child of the one below, "Bone0" at the foot, the last at
// the top): each stretch follows the bone at its foot, blending with the
// next near the joints. The mesh sits in the root frame "Root".
std::string SkinnedTubeX(float radius, float height, int segments, int rings, int bones, const XMaterial& material);
