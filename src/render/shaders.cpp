// The vertex programs' texts.
#include "render/shaders.h"

// m4x4 of a position by four constant rows.
#define T3D_TRANSFORM(first)                                                                        \
  "vec4(dot(inPosition, c[" #first "]), dot(inPosition, c[" #first " + 1]), dot(inPosition, c[" #first \
  " + 2]), dot(inPosition, c[" #first " + 3]))"

const char kFlatColorShaderText[] =
    "void ShaderMain() {\n"
    "  oPos = " T3D_TRANSFORM(4) ";\n"
    "  oD0 = c[0];\n"
    "  oT0 = vec4(inTexCoord, 0.0, 1.0);\n"
    "}\n";

// A normal seen end on has no direction on the screen; it is not pushed
// rather than thrown to infinity.
const char kOutlineShaderText[] =
    "void ShaderMain() {\n"
    "  vec4 n = vec4(dot(inNormal, c[4].xyz), dot(inNormal, c[5].xyz), c[0].z, c[0].w);\n"
    "  float len = length(n);\n"
    "  n = len > 0.0 ? n / len : vec4(0.0);\n"
    "  vec4 p = " T3D_TRANSFORM(4) ";\n"
    "  oPos = p + n * c[1].x * p.w;\n"
    "}\n";

const char kToonUntexturedShaderText[] =
    "void ShaderMain() {\n"
    "  oD0 = c[1];\n"
    "  float k = dot(inNormal, c[3].xyz);\n"
    "  oT0 = vec4(k * c[2].x + c[2].y, k * c[2].z + c[2].w, 0.0, 1.0);\n"
    "  oPos = " T3D_TRANSFORM(4) ";\n"
    "}\n";

const char kToonTexturedShaderText[] =
    "void ShaderMain() {\n"
    "  oT0 = vec4(inTexCoord, 0.0, 1.0);\n"
    "  float k = dot(inNormal, c[3].xyz);\n"
    "  oT1 = vec4(k * c[2].x + c[2].y, k * c[2].z + c[2].w, 0.0, 1.0);\n"
    "  oPos = " T3D_TRANSFORM(4) ";\n"
    "  oD0 = c[8];\n"
    "}\n";

const char kShadowShaderText[] =
    "void ShaderMain() {\n"
    "  oPos = " T3D_TRANSFORM(0) ";\n"
    "  vec4 r = " T3D_TRANSFORM(18) ";\n"
    "  oT0 = vec4(inTexCoord, 0.0, 1.0);\n"
    "  r.xy = r.xy * c[12].y + r.w * c[12].y;\n"
    "  float d = max(0.0, dot(inNormal, c[13].xyz));\n"
    "  if (!(d >= c[22].x)) r.xy = vec2(0.0);\n"
    "  oT1 = vec4(r.xy, 0.0, 1.0);\n"
    "  oD0 = min(d * c[14] + c[15], vec4(c[12].z));\n"
    "}\n";
