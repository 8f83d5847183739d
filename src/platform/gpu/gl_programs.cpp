// The GL device's programs: one generated fixed-function program, and the
// renderer's vertex shaders wrapped so that they feed the same texture stages.
#include "platform/gpu/gl_programs.h"

#include <string>

namespace {

// Shared by every vertex program. `invariant` makes the passes of one cast
// (toon, outline, silhouette) compute the same depths, so they test against
// each other exactly.
constexpr char kVertexPrelude[] = R"(#version 330 core
invariant gl_Position;
layout(location = 0) in vec4 inPosition;
layout(location = 1) in vec3 inNormal;
layout(location = 2) in vec4 inDiffuse;
layout(location = 3) in vec2 inTexCoord;
layout(std140) uniform Target {
  vec4 viewport;
};
out vec4 vDiffuse;
out vec4 vTex0;
out vec4 vTex1;

// The platform's clip space (0 <= z <= w, pixel centres on integer
// coordinates) to GL's (-w <= z <= w, centres at halves). y is negated so
// that the first row stored is the top of the picture.
vec4 ToGlClip(vec4 p) {
  return vec4(p.x + p.w / viewport.z, -p.y + p.w / viewport.w, 2.0 * p.z - p.w, p.w);
}
)";

constexpr char kFixedVertex[] = R"(
layout(std140) uniform Fixed {
  mat4 worldView;
  mat4 projection;
  mat4 normalMatrix;
  vec4 materialDiffuse;
  vec4 materialAmbient;
  vec4 materialEmissive;
  vec4 ambient;
  vec4 lightDiffuse;
  vec4 lightDirection;
  ivec4 mode;
  ivec4 sources;
};

void main() {
  vec4 color = mode.z != 0 ? inDiffuse : vec4(1.0);
  vTex0 = vec4(inTexCoord, 0.0, 1.0);
  vTex1 = vTex0;
  if (mode.x != 0) {
    // Screen pixels, depth 0..1 and 1/w: not transformed, not lit.
    float w = inPosition.w != 0.0 ? 1.0 / inPosition.w : 1.0;
    vec2 ndc = (inPosition.xy + 0.5 - viewport.xy) / viewport.zw * 2.0 - 1.0;
    gl_Position = vec4(ndc * w, (2.0 * inPosition.z - 1.0) * w, w);
    vDiffuse = color;
    return;
  }
  gl_Position = ToGlClip(projection * (worldView * vec4(inPosition.xyz, 1.0)));
  if (mode.y != 0) {
    vec4 d = sources.x != 0 ? color : materialDiffuse;
    vec4 a = sources.y != 0 ? color : materialAmbient;
    // Normals are not renormalised, as the platform leaves them by default.
    vec3 n = mat3(normalMatrix) * inNormal;
    float k = mode.w != 0 ? max(0.0, dot(n, -lightDirection.xyz)) : 0.0;
    vec3 lit = materialEmissive.rgb + a.rgb * ambient.rgb + d.rgb * lightDiffuse.rgb * k;
    color = vec4(clamp(lit, 0.0, 1.0), clamp(d.a, 0.0, 1.0));
  }
  vDiffuse = color;
}
)";

constexpr char kShaderWrapperHead[] = R"(
layout(std140) uniform Constants {
  vec4 c[96];
};
vec4 oPos = vec4(0.0, 0.0, 0.0, 1.0);
vec4 oD0 = vec4(1.0);
vec4 oT0 = vec4(0.0, 0.0, 0.0, 1.0);
vec4 oT1 = vec4(0.0, 0.0, 0.0, 1.0);
#line 1
)";

constexpr char kShaderWrapperTail[] = R"(
void main() {
  ShaderMain();
  vDiffuse = clamp(oD0, 0.0, 1.0);
  vTex0 = oT0;
  vTex1 = oT1;
  gl_Position = ToGlClip(oPos);
}
)";

// The texture stages: ops 1 DISABLE, 2 SELECTARG1, 4 MODULATE; arguments
// 0 DIFFUSE, 1 CURRENT, 2 TEXTURE, 3 TFACTOR. An unbound stage samples a
// white texel. Alpha test functions are the platform's 1 NEVER .. 8 ALWAYS
// on the 8-bit alpha.
constexpr char kFragment[] = R"(#version 330 core
in vec4 vDiffuse;
in vec4 vTex0;
in vec4 vTex1;
uniform sampler2D texture0;
uniform sampler2D texture1;
layout(std140) uniform Pixel {
  ivec4 stage0;
  ivec4 stage0Alpha;
  ivec4 stage1;
  ivec4 stage1Alpha;
  vec4 textureFactor;
  ivec4 alphaTest;
};
out vec4 fragColor;

vec4 Arg(int arg, vec4 current, vec4 tex) {
  if (arg == 0) return vDiffuse;
  if (arg == 1) return current;
  if (arg == 2) return tex;
  return textureFactor;
}

vec4 Combine(int op, vec4 a, vec4 b) {
  return op == 4 ? a * b : a;
}

vec4 Stage(ivec4 colorOp, ivec4 alphaArgs, vec4 current, vec4 tex) {
  vec3 rgb = Combine(colorOp.x, Arg(colorOp.y, current, tex), Arg(colorOp.z, current, tex)).rgb;
  float a = colorOp.w == 1 ? current.a
                           : Combine(colorOp.w, Arg(alphaArgs.x, current, tex), Arg(alphaArgs.y, current, tex)).a;
  return vec4(rgb, a);
}

bool Passes(int f, int a, int ref) {
  if (f == 1) return false;
  if (f == 2) return a < ref;
  if (f == 3) return a == ref;
  if (f == 4) return a <= ref;
  if (f == 5) return a > ref;
  if (f == 6) return a != ref;
  if (f == 7) return a >= ref;
  return true;
}

void main() {
  vec4 current = vDiffuse;
  if (stage0.x != 1) {
    current = Stage(stage0, stage0Alpha, current, texture(texture0, vTex0.xy));
    if (stage1.x != 1) current = Stage(stage1, stage1Alpha, current, texture(texture1, vTex1.xy));
  }
  if (alphaTest.x != 0 && !Passes(alphaTest.y, int(floor(current.a * 255.0 + 0.5)), alphaTest.z)) discard;
  fragColor = current;
}
)";

GLuint Compile(GLenum type, const std::string& text, std::string* errors) {
  const GLuint shader = glCreateShader(type);
  const char* source = text.c_str();
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint ok = 0;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (ok) return shader;
  if (errors != nullptr) {
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<std::size_t>(length > 0 ? length : 1), '\0');
    glGetShaderInfoLog(shader, length, nullptr, log.data());
    *errors += log.c_str();
  }
  glDeleteShader(shader);
  return 0;
}

void BindBlock(GLuint program, const char* name, GLuint binding) {
  const GLuint index = glGetUniformBlockIndex(program, name);
  if (index != GL_INVALID_INDEX) glUniformBlockBinding(program, index, binding);
}

}  // namespace

GLuint BuildProgram(std::string_view shaderBody, std::string* errors) {
  std::string vertexText = kVertexPrelude;
  if (shaderBody.empty()) {
    vertexText += kFixedVertex;
  } else {
    vertexText += kShaderWrapperHead;
    vertexText += shaderBody;
    vertexText += kShaderWrapperTail;
  }
  const GLuint vertex = Compile(GL_VERTEX_SHADER, vertexText, errors);
  const GLuint fragment = vertex != 0 ? Compile(GL_FRAGMENT_SHADER, kFragment, errors) : 0;
  if (fragment == 0) {
    if (vertex != 0) glDeleteShader(vertex);
    return 0;
  }
  const GLuint program = glCreateProgram();
  glAttachShader(program, vertex);
  glAttachShader(program, fragment);
  glLinkProgram(program);
  glDeleteShader(vertex);
  glDeleteShader(fragment);
  GLint ok = 0;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  if (!ok) {
    if (errors != nullptr) {
      char log[2048] = {};
      glGetProgramInfoLog(program, sizeof log, nullptr, log);
      *errors += log;
    }
    glDeleteProgram(program);
    return 0;
  }
  BindBlock(program, "Target", kBlockTarget);
  BindBlock(program, "Fixed", kBlockFixed);
  BindBlock(program, "Constants", kBlockConstants);
  BindBlock(program, "Pixel", kBlockPixel);
  glUseProgram(program);
  glUniform1i(glGetUniformLocation(program, "texture0"), 0);
  glUniform1i(glGetUniformLocation(program, "texture1"), 1);
  return program;
}
