// The renderer's five vertex programs, in GLSL over the device's `c[96]`
// constant registers (see VertexShader in platform/gpu/device.h). The
// registers each reads are set by the frame renderer and the model draw.
#pragma once

// Places vertices by the transposed world x view x projection in c4..c7,
// colours them c0, passes the texture coordinate.
extern const char kFlatColorShaderText[];
// The outline: each vertex pushed out along its normal's direction on the
// screen by c1.x normalised-device units, whatever the distance.
extern const char kOutlineShaderText[];
// Toon shading without a texture: colour c1, the ramp coordinate from the
// normal and the model-space light direction in c3, scaled and offset by c2.
extern const char kToonUntexturedShaderText[];
// Toon shading over the model's texture: the texture on stage 0, the ramp
// on stage 1, colour c8.
extern const char kToonTexturedShaderText[];
// The projected shadow of the blob pass (c0..c3, c12..c15, c18..c22). The
// renderer only needs it to exist.
extern const char kShadowShaderText[];
