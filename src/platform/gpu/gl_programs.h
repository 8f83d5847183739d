// The GLSL side of the GL device: the generated fixed-function program (the
// platform's lighting and the two texture stages), the wrapper that turns a
// vertex shader of the renderer into a program, and the uniform blocks both share.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>
#include <string>
#include <string_view>

// Uniform blocks, std140, at these binding points.
constexpr GLuint kBlockTarget = 0, kBlockFixed = 1, kBlockConstants = 2, kBlockPixel = 3;

// The current target's viewport in pixels, for the clip-space conversion.
struct TargetBlock {
  float viewport[4];  // x, y, width, height
};

// Transform and lighting without a vertex shader.
struct FixedBlock {
  float worldView[16];
  float projection[16];
  float normalMatrix[16];  // inverse transpose of worldView, upper 3x3 used
  float materialDiffuse[4], materialAmbient[4], materialEmissive[4];
  float ambient[4];         // the ambient state plus the light's ambient when on
  float lightDiffuse[4];
  float lightDirection[4];  // in view space, normalised
  std::int32_t mode[4];     // pre-transformed, lighting, vertex colour present, light on
  std::int32_t sources[4];  // diffuse from the vertex colour, ambient from the vertex colour
};

struct ConstantsBlock {
  float c[96][4];
};

// The texture stages and the alpha test.
struct PixelBlock {
  std::int32_t stage0[4];       // colour op, colour arg 1, colour arg 2, alpha op
  std::int32_t stage0Alpha[4];  // alpha arg 1, alpha arg 2
  std::int32_t stage1[4];
  std::int32_t stage1Alpha[4];
  float textureFactor[4];
  std::int32_t alphaTest[4];  // on, function, reference
};

// Vertex attribute locations.
constexpr GLuint kAttribPosition = 0, kAttribNormal = 1, kAttribDiffuse = 2, kAttribTexCoord = 3;

// A linked program with its blocks bound and samplers on units 0 and 1;
// 0 with the messages in *errors. `shaderBody` empty gives the
// fixed-function program.
GLuint BuildProgram(std::string_view shaderBody, std::string* errors);
