// The platform's conventions on the GL device, one test each: pictures drawn
// on llvmpipe, read back and compared with what the platform would show.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <vector>

#include "platform/gpu/device.h"
#include "platform/math/matrix.h"
#include "support/gl_pictures.h"

namespace {

struct ScreenVertex {  // 0x144
  float x, y, z, rhw;
  std::uint32_t color;
  float u, v;
};

struct ColorVertex {  // 0x042: position and colour, transformed
  float x, y, z;
  std::uint32_t color;
};

struct LitVertex {  // 0x152
  float x, y, z, nx, ny, nz;
  std::uint32_t color;
  float u, v;
};

constexpr std::uint32_t kFvfPositionColor = 0x042;
constexpr std::uint32_t kFvfPositionNormalColorTex = 0x152;

// Two triangles in the fade quad's corner order.
template <typename Vertex, typename Make>
std::vector<Vertex> Quad(float x0, float y0, float x1, float y1, Make make) {
  return {make(x0, y0, 0.0f, 0.0f), make(x1, y0, 1.0f, 0.0f), make(x0, y1, 0.0f, 1.0f),
          make(x1, y1, 1.0f, 1.0f), make(x0, y1, 0.0f, 1.0f), make(x1, y0, 1.0f, 0.0f)};
}

std::vector<ScreenVertex> ScreenQuad(float x0, float y0, float x1, float y1, std::uint32_t color) {
  return Quad<ScreenVertex>(x0, y0, x1, y1, [color](float x, float y, float u, float v) {
    return ScreenVertex{x, y, 0.0f, 1.0f, color, u, v};
  });
}

// Cell `i` of 8x8 pixels, pre-transformed, in the platform's screen pixels
// (centres on integers, so the usual -0.5).
std::vector<ScreenVertex> ScreenCell(int cell, std::uint32_t color) {
  const float x = static_cast<float>(cell * 8) - 0.5f;
  return ScreenQuad(x, -0.5f, x + 8.0f, 7.5f, color);
}

// Screen pixels to clip coordinates of a target of the given size, for
// draws through identity matrices.
float ClipX(float x, std::uint32_t width) { return 2.0f * x / static_cast<float>(width) - 1.0f; }
float ClipY(float y, std::uint32_t height) { return 1.0f - 2.0f * y / static_cast<float>(height); }

// Cell `i` of 8x8 pixels, in clip coordinates, with edges between pixel centres.
template <typename Vertex, typename Make>
std::vector<Vertex> CellQuad(int cell, std::uint32_t width, std::uint32_t height, Make make) {
  const float x0 = static_cast<float>(cell * 8) - 0.5f;
  return Quad<Vertex>(ClipX(x0, width), ClipY(-0.5f, height), ClipX(x0 + 8.0f, width), ClipY(7.5f, height),
                      [&make](float x, float y, float, float) { return make(x, y); });
}

// The picture of cells 8 pixels wide, one colour each.
Picture Cells(std::uint32_t height, const std::vector<std::uint32_t>& colors) {
  return MakePicture(static_cast<std::uint32_t>(colors.size() * 8), height,
                     [&](std::uint32_t x, std::uint32_t) { return colors[x / 8]; });
}

class GlConventions : public ::testing::Test {
 protected:
  // An offscreen target of that size; `unlit`: vertex colours as they are,
  // no depth, no culling.
  bool Start(std::uint32_t width, std::uint32_t height, bool unlit = true) {
    gl = MakeGlTestDevice(width, height);
    device = gl.device.get();
    if (device && unlit) {
      device->SetRenderState(RenderState::Lighting, 0);
      device->SetRenderState(RenderState::ZEnable, 0);
      device->SetRenderState(RenderState::CullMode, kCullNone);
    }
    return device != nullptr;
  }
  void Blend(std::uint32_t source, std::uint32_t destination) {
    device->SetRenderState(RenderState::AlphaBlendEnable, 1);
    device->SetRenderState(RenderState::SrcBlend, source);
    device->SetRenderState(RenderState::DestBlend, destination);
  }
  template <typename Vertex>
  void Draw(std::uint32_t fvf, const std::vector<Vertex>& vertices) {
    ASSERT_EQ(device->SetFVF(fvf), DeviceResult::Ok);
    ASSERT_EQ(device->DrawPrimitiveUP(PrimitiveType::TriangleList, static_cast<std::uint32_t>(vertices.size() / 3),
                                      vertices.data(), sizeof(Vertex)),
              DeviceResult::Ok);
  }
  void DrawCell(int cell, std::uint32_t color) { Draw(kFvfScreenColorTex, ScreenCell(cell, color)); }
  std::unique_ptr<Texture> Filled(std::uint32_t width, std::uint32_t height, TextureFormat format,
                                  const std::function<std::uint32_t(std::uint32_t, std::uint32_t)>& color) {
    std::unique_ptr<Texture> texture = device->CreateTexture(width, height, 1, 0, format, TexturePool::Managed);
    Texture::LockedRect rect = texture->LockRect();
    for (std::uint32_t y = 0; y < height; ++y)
      for (std::uint32_t x = 0; x < width; ++x) rect.pixels[y * rect.pitch + x] = color(x, y);
    texture->UnlockRect();
    return texture;
  }

  GlTestDevice gl;
  GraphicsDevice* device = nullptr;
};

TEST_F(GlConventions, ClipDepthRunsFromZeroToW) {
  ASSERT_TRUE(Start(32, 8));
  device->SetRenderState(RenderState::ZEnable, 1);
  device->Clear(kClearTarget | kClearZBuffer, 0xFF000000u, 0.4f);
  // Column 0 lies nearer than the cleared depth, column 1 farther; column 2
  // lies before the near plane and column 3 just inside the far one.
  const struct {
    float z;
    std::uint32_t func;
    std::uint32_t color;
  } columns[] = {{0.3f, kCmpLessEqual, 0xFFFF0000u},
                 {0.5f, kCmpLessEqual, 0xFF00FF00u},
                 {-0.1f, kCmpAlways, 0xFFFFFF00u},
                 {0.99f, kCmpAlways, 0xFF0000FFu}};
  for (int i = 0; i < 4; ++i) {
    device->SetRenderState(RenderState::ZFunc, columns[i].func);
    Draw(kFvfPositionColor, CellQuad<ColorVertex>(i, 32, 8, [&](float x, float y) {
           return ColorVertex{x, y, columns[i].z, columns[i].color};
         }));
  }
  EXPECT_TRUE(PicturesMatch("clip_depth", gl.BackBuffer(),
                            Cells(8, {0xFFFF0000u, 0xFF000000u, 0xFF000000u, 0xFF0000FFu})));
}

TEST_F(GlConventions, TexelAlignedQuadsReproduceTheirTexture) {
  ASSERT_TRUE(Start(16, 8));
  // Neighbours differ strongly, so half a pixel off would blend them.
  auto pattern = [](std::uint32_t x, std::uint32_t y) {
    return 0xFF000000u | ((x * 37 + y * 91) % 256) << 16 | ((x + y) % 2 ? 0xFF00u : 0u) | (y * 32 + x * 3);
  };
  std::unique_ptr<Texture> texture = Filled(8, 8, TextureFormat::X8R8G8B8, pattern);
  device->SetTexture(0, texture.get());
  device->SetTextureStageState(0, TextureStageState::ColorOp, kTopSelectArg1);
  for (SamplerState s : {SamplerState::MagFilter, SamplerState::MinFilter})
    device->SetSamplerState(0, s, kTexFilterLinear);
  // Left: pre-transformed. Right: transformed.
  DrawCell(0, 0xFFFFFFFFu);
  Draw(0x102u, Quad<std::array<float, 5>>(ClipX(7.5f, 16), ClipY(-0.5f, 8), ClipX(15.5f, 16), ClipY(7.5f, 8),
                                          [](float x, float y, float u, float v) {
                                            return std::array<float, 5>{x, y, 0.5f, u, v};
                                          }));
  EXPECT_TRUE(PicturesMatch("texel_aligned", gl.BackBuffer(),
                            MakePicture(16, 8, [&](std::uint32_t x, std::uint32_t y) { return pattern(x % 8, y); }),
                            1));
}

TEST_F(GlConventions, TargetsReadBacksAndTexturesKeepTheTopRowFirst) {
  ASSERT_TRUE(Start(8, 8));
  std::unique_ptr<Texture> target =
      device->CreateTexture(8, 8, 1, kUsageRenderTarget, TextureFormat::X8R8G8B8, TexturePool::Default);
  std::unique_ptr<Texture> copy = device->CreateTexture(8, 8, 1, 0, TextureFormat::X8R8G8B8, TexturePool::SystemMem);
  device->SetViewport(DeviceViewport{1, 1, 4, 4, 0.0f, 1.0f});
  device->SetRenderTarget(target.get());
  EXPECT_EQ(device->GetViewport().width, 8u);  // a new target takes the whole of it
  device->Clear(kClearTarget, 0xFF0000FFu, 1.0f);
  Draw(kFvfScreenColorTex, ScreenQuad(-0.5f, -0.5f, 7.5f, 1.5f, 0xFFFF0000u));
  ASSERT_EQ(device->GetRenderTargetData(*target, *copy), DeviceResult::Ok);
  const Picture expected = MakePicture(8, 8, [](std::uint32_t, std::uint32_t y) {
    return y < 2 ? 0xFFFF0000u : 0xFF0000FFu;
  });
  EXPECT_TRUE(PicturesMatch("target_read_back", Picture{8, 8, copy->Pixels()}, expected, 0));
  // The target drawn as a texture comes out the same way up.
  device->SetRenderTarget(nullptr);
  device->SetTexture(0, target.get());
  DrawCell(0, 0xFFFFFFFFu);
  EXPECT_TRUE(PicturesMatch("target_as_texture", gl.BackBuffer(), expected, 0));
}

TEST_F(GlConventions, X8R8G8B8ReadsAlphaAsOne) {
  ASSERT_TRUE(Start(24, 8));
  // Cleared with alpha 0: only a buffer without alpha reads it as 1.
  device->Clear(kClearTarget, 0x0000FF00u, 1.0f);
  Blend(kBlendSrcAlpha, kBlendInvSrcAlpha);
  device->SetTextureStageState(0, TextureStageState::ColorOp, kTopSelectArg1);
  // Red words whose alpha byte is 0: opaque without an alpha channel,
  // invisible with one.
  auto red = [](std::uint32_t, std::uint32_t) { return 0x00FF0000u; };
  std::unique_ptr<Texture> x8 = Filled(2, 2, TextureFormat::X8R8G8B8, red);
  std::unique_ptr<Texture> a8 = Filled(2, 2, TextureFormat::A8R8G8B8, red);
  device->SetTexture(0, x8.get());
  DrawCell(0, 0xFFFFFFFFu);
  device->SetTexture(0, a8.get());
  DrawCell(1, 0xFFFFFFFFu);
  // The back buffer has no alpha either: DESTALPHA reads 1 and keeps the
  // destination whole.
  device->SetTexture(0, nullptr);
  device->SetTextureStageState(0, TextureStageState::ColorOp, kTopModulate);
  Blend(kBlendZero, kBlendDestAlpha);
  DrawCell(2, 0xFF000000u);
  EXPECT_TRUE(PicturesMatch("x8_alpha", gl.BackBuffer(), Cells(8, {0xFFFF0000u, 0xFF00FF00u, 0xFF00FF00u})));
}

TEST_F(GlConventions, AStageWithoutTextureSamplesWhite) {
  ASSERT_TRUE(Start(16, 8));
  device->Clear(kClearTarget, 0xFFFFFFFFu, 1.0f);
  // The fade's states: colour and alpha are texture x diffuse, blended.
  Blend(kBlendSrcAlpha, kBlendInvSrcAlpha);
  for (TextureStageState op : {TextureStageState::ColorOp, TextureStageState::AlphaOp})
    device->SetTextureStageState(0, op, kTopModulate);
  device->SetTextureStageState(0, TextureStageState::AlphaArg2, kTaDiffuse);
  device->SetTextureStageState(0, TextureStageState::ColorArg2, kTaDiffuse);
  struct FadeVertex {  // 0x044, no texture coordinates
    float x, y, z, rhw;
    std::uint32_t color;
  };
  std::vector<FadeVertex> fade;
  for (const ScreenVertex& v : ScreenCell(0, 0x80000000u)) fade.push_back({v.x, v.y, v.z, v.rhw, v.color});
  Draw(kFvfScreenColor, fade);
  DrawCell(1, 0xFF3366CCu);
  EXPECT_TRUE(PicturesMatch("null_texture_white", gl.BackBuffer(), Cells(8, {0xFF7F7F7Fu, 0xFF3366CCu})));
}

// A shader that places vertices as the toon and outline passes do, through
// the transposed world x view x projection in c4 to c7.
constexpr char kPlaceRed[] = R"(void ShaderMain() {
  oPos = vec4(dot(inPosition, c[4]), dot(inPosition, c[5]), dot(inPosition, c[6]), dot(inPosition, c[7]));
  oD0 = vec4(1.0, 0.0, 0.0, 1.0);
})";
constexpr char kPlaceGreen[] = R"(void ShaderMain() {
  oD0 = vec4(0.0, 1.0, 0.0, 1.0);
  oT0 = vec4(inTexCoord, 0.0, 1.0);
  oPos = vec4(dot(inPosition, c[4]), dot(inPosition, c[5]), dot(inPosition, c[6]), dot(inPosition, c[7]));
})";

TEST_F(GlConventions, PassesOfOneShapeMeetInDepthExactly) {
  ASSERT_TRUE(Start(64, 64, false));
  std::string errors;
  std::unique_ptr<VertexShader> red = device->CreateVertexShader("red", kPlaceRed, &errors);
  std::unique_ptr<VertexShader> green = device->CreateVertexShader("green", kPlaceGreen, &errors);
  ASSERT_TRUE(red && green) << errors;
  device->SetRenderState(RenderState::CullMode, kCullNone);
  device->Clear(kClearTarget | kClearZBuffer, 0xFF000000u, 1.0f);
  const Matrix wvp = MatrixRotationYawPitchRoll(0.7f, 0.4f, 0.3f) * MatrixTranslation(0.1f, 0.2f, 3.0f) *
                     MatrixPerspectiveFovLH(1.0f, 1.0f, 0.5f, 20.0f);
  const Matrix t = MatrixTranspose(wvp);
  device->SetVertexShaderConstantF(4, &t.m[0][0], 4);
  std::vector<std::array<float, 5>> triangles;
  for (int i = 0; i < 24; ++i) {
    const float a = static_cast<float>(i) * 0.2618f, b = a + 0.2618f;
    for (const auto& p : {std::array<float, 3>{0.0f, 0.0f, 0.3f},
                          std::array<float, 3>{std::cos(a), std::sin(a), 0.1f * std::sin(3 * a)},
                          std::array<float, 3>{std::cos(b), std::sin(b), 0.1f * std::sin(3 * b)}})
      triangles.push_back({p[0], p[1], p[2], 0.0f, 0.0f});
  }
  device->SetVertexShader(red.get());
  Draw(0x102u, triangles);
  const Picture first = gl.BackBuffer();
  device->SetRenderState(RenderState::ZFunc, kCmpEqual);
  device->SetVertexShader(green.get());
  Draw(0x102u, triangles);
  std::size_t drawn = 0;
  const Picture expected = MakePicture(64, 64, [&](std::uint32_t x, std::uint32_t y) {
    const bool covered = first.At(x, y) == 0xFFFF0000u;
    drawn += covered;
    return covered ? 0xFF00FF00u : 0xFF000000u;
  });
  EXPECT_GT(drawn, 500u);
  EXPECT_TRUE(PicturesMatch("equal_depth_passes", gl.BackBuffer(), expected, 0));
}

TEST_F(GlConventions, CounterClockwiseCullingIsTheScreensDirection) {
  ASSERT_TRUE(Start(16, 8, false));
  device->SetRenderState(RenderState::Lighting, 0);
  // Left: corners turn clockwise on the screen (drawn); right: counter-clockwise (culled).
  std::vector<ScreenVertex> quads = ScreenCell(0, 0xFFFFFFFFu);
  for (ScreenVertex v : ScreenCell(1, 0xFFFFFFFFu)) quads.push_back(v);
  std::swap(quads[7], quads[8]);
  std::swap(quads[10], quads[11]);
  Draw(kFvfScreenColorTex, quads);
  EXPECT_TRUE(PicturesMatch("cull_ccw", gl.BackBuffer(), Cells(8, {0xFFFFFFFFu, 0xFF000000u}), 0));
}

// One case of lighting: a square facing the camera (normal given), lit by
// the light as set, drawn through world x identity view and projection.
// Its colour is the platform's formula, per vertex: emissive + ambient x
// (global + light ambient) + diffuse x light x max(0, N . -L), clamped.
struct LightingCase {
  const char* name;
  Vector3 normal;
  Vector3 lightDirection;
  bool lightOn;
  std::uint32_t vertexColor;  // 0: the vertex carries no colour
  std::uint32_t colorVertex;
  Matrix world;
  std::uint32_t expected;
};

TEST_F(GlConventions, FixedFunctionLightingIsThePlatforms) {
  const Material material{{0.5f, 0.25f, 1.0f, 1.0f}, {0.5f, 0.5f, 0.5f, 1.0f}, {0, 0, 0, 0}, {0.1f, 0.2f, 0.0f, 1.0f}, 0};
  Light light;
  light.diffuse = {1.0f, 1.0f, 0.5f, 0.0f};
  light.ambient = {0.2f, 0.2f, 0.2f, 0.0f};
  const float s60 = std::sin(1.0471976f), c60 = std::cos(1.0471976f);
  const Matrix turn = MatrixRotationY(1.5707964f);  // the normal (0, 0, -1) comes to face -x
  const std::uint32_t none = 0, green = 0xFF339966u;
  const LightingCase cases[] = {
      {"light off", {0, 0, -1}, {0, 0, 1}, false, none, 1, MatrixIdentity(), 0xFF395320u},
      {"facing the light", {0, 0, -1}, {0, 0, 1}, true, none, 1, MatrixIdentity(), 0xFFD2ACB9u},
      {"at sixty degrees", {0, 0, -1}, {0, -s60, c60}, true, none, 1, MatrixIdentity(), 0xFF938C79u},
      {"facing away", {0, 0, -1}, {0, 0, -1}, true, none, 1, MatrixIdentity(), 0xFF536C39u},
      // Not renormalised: the light counts twice, clamped.
      {"normal of length two", {0, 0, -2}, {0, 0, 1}, true, none, 1, MatrixIdentity(), 0xFFFFECFFu},
      {"vertex colour as diffuse", {0, 0, -1}, {0, 0, 1}, true, green, 1, MatrixIdentity(), 0xFF86FF6Cu},
      {"vertex colour switched off", {0, 0, -1}, {0, 0, 1}, true, green, 0, MatrixIdentity(), 0xFFD2ACB9u},
      {"normal turned by the world", {0, 0, -1}, {1, 0, 0}, true, none, 1, turn, 0xFFD2ACB9u},
  };
  constexpr std::uint32_t kCount = sizeof cases / sizeof cases[0];
  ASSERT_TRUE(Start(8 * kCount, 8, false));
  device->SetRenderState(RenderState::CullMode, kCullNone);
  device->SetRenderState(RenderState::Ambient, 0xFF404040u);
  device->Clear(kClearTarget | kClearZBuffer, 0xFF000000u, 1.0f);
  device->SetMaterial(material);
  std::vector<std::uint32_t> expected;
  for (std::uint32_t i = 0; i < kCount; ++i) {
    const LightingCase& c = cases[i];
    light.direction = c.lightDirection;
    device->SetLight(0, light);
    device->LightEnable(0, c.lightOn);
    device->SetRenderState(RenderState::ColorVertex, c.colorVertex);
    device->SetTransform(TransformState::World, c.world);
    // The world turns the square too: place it where it lands in the cell.
    Matrix inverse;
    float determinant;
    MatrixInverse(&inverse, &determinant, c.world);
    std::vector<LitVertex> square = CellQuad<LitVertex>(static_cast<int>(i), 8 * kCount, 8, [&](float x, float y) {
      const Vector3 p{x * inverse.m[0][0] + y * inverse.m[1][0] + 0.5f * inverse.m[2][0],
                      x * inverse.m[0][1] + y * inverse.m[1][1] + 0.5f * inverse.m[2][1],
                      x * inverse.m[0][2] + y * inverse.m[1][2] + 0.5f * inverse.m[2][2]};
      return LitVertex{p.x, p.y, p.z, c.normal.x, c.normal.y, c.normal.z, c.vertexColor, 0, 0};
    });
    if (c.vertexColor != 0) {
      Draw(kFvfPositionNormalColorTex, square);
    } else {
      std::vector<std::array<float, 8>> plain;
      for (const LitVertex& v : square) plain.push_back({v.x, v.y, v.z, v.nx, v.ny, v.nz, 0, 0});
      Draw(kFvfPositionNormalTex, plain);
    }
    expected.push_back(c.expected);
  }
  EXPECT_TRUE(PicturesMatch("lighting", gl.BackBuffer(), Cells(8, expected)));
}

struct StageCase {
  const char* name;
  std::uint32_t colorOp0, colorArg01, colorArg02, alphaOp0, alphaArg01;
  std::uint32_t colorOp1, colorArg11, colorArg12;
  std::uint32_t expected;
};

TEST_F(GlConventions, TextureStagesCombineAsThePlatformsDo) {
  const std::uint32_t tex0 = 0xFF80FF40u, tex1 = 0xFFFF8080u, diffuse = 0xFFFFFF80u, factor = 0x80204080u;
  const StageCase cases[] = {
      {"texture factor", kTopSelectArg1, kTaTFactor, kTaCurrent, kTopSelectArg1, kTaTexture, kTopDisable, 0, 0,
       0xFF204080u},
      {"texture x diffuse", kTopModulate, kTaTexture, kTaDiffuse, kTopSelectArg1, kTaTexture, kTopDisable, 0, 0,
       0xFF80FF20u},
      {"two stages", kTopModulate, kTaTexture, kTaCurrent, kTopSelectArg1, kTaTexture, kTopModulate, kTaTexture,
       kTaCurrent, 0xFF808010u},
      {"first stage off stops the second", kTopDisable, kTaTexture, kTaCurrent, kTopDisable, kTaTexture,
       kTopModulate, kTaTexture, kTaCurrent, diffuse},
      {"second stage alone", kTopSelectArg1, kTaDiffuse, kTaCurrent, kTopSelectArg1, kTaTexture, kTopSelectArg1,
       kTaTexture, kTaCurrent, tex1},
      // Alpha from the factor (0x80) blends the diffuse colour half over black.
      {"alpha from the factor", kTopSelectArg1, kTaDiffuse, kTaCurrent, kTopSelectArg1, kTaTFactor, kTopDisable, 0,
       0, 0xFF808040u},
  };
  constexpr std::uint32_t kCount = sizeof cases / sizeof cases[0];
  ASSERT_TRUE(Start(8 * kCount, 8));
  device->Clear(kClearTarget, 0xFF000000u, 1.0f);
  Blend(kBlendSrcAlpha, kBlendInvSrcAlpha);
  device->SetRenderState(RenderState::TextureFactor, factor);
  std::unique_ptr<Texture> first = Filled(2, 2, TextureFormat::X8R8G8B8, [&](auto, auto) { return tex0; });
  std::unique_ptr<Texture> second = Filled(2, 2, TextureFormat::X8R8G8B8, [&](auto, auto) { return tex1; });
  device->SetTexture(0, first.get());
  device->SetTexture(1, second.get());
  std::vector<std::uint32_t> expected;
  for (std::uint32_t i = 0; i < kCount; ++i) {
    const StageCase& c = cases[i];
    const std::pair<TextureStageState, std::uint32_t> stage0[] = {
        {TextureStageState::ColorOp, c.colorOp0},   {TextureStageState::ColorArg1, c.colorArg01},
        {TextureStageState::ColorArg2, c.colorArg02}, {TextureStageState::AlphaOp, c.alphaOp0},
        {TextureStageState::AlphaArg1, c.alphaArg01}};
    for (const auto& [state, value] : stage0) device->SetTextureStageState(0, state, value);
    device->SetTextureStageState(1, TextureStageState::ColorOp, c.colorOp1);
    if (c.colorOp1 != kTopDisable) {
      device->SetTextureStageState(1, TextureStageState::ColorArg1, c.colorArg11);
      device->SetTextureStageState(1, TextureStageState::ColorArg2, c.colorArg12);
      device->SetTextureStageState(1, TextureStageState::AlphaOp, kTopDisable);
    }
    DrawCell(static_cast<int>(i), diffuse);
    expected.push_back(c.expected);
  }
  EXPECT_TRUE(PicturesMatch("texture_stages", gl.BackBuffer(), Cells(8, expected)));
}

TEST_F(GlConventions, AlphaTestDiscardsWhatFails) {
  ASSERT_TRUE(Start(24, 8));
  device->SetRenderState(RenderState::ZEnable, 1);
  device->Clear(kClearTarget | kClearZBuffer, 0xFF0000FFu, 1.0f);
  device->SetRenderState(RenderState::AlphaTestEnable, 1);
  device->SetRenderState(RenderState::AlphaFunc, kCmpGreaterEqual);
  device->SetRenderState(RenderState::AlphaRef, 0x80);
  device->SetTextureStageState(0, TextureStageState::AlphaArg1, kTaDiffuse);
  DrawCell(0, 0x7FFF0000u);
  DrawCell(1, 0x80FF0000u);
  // A discarded pixel writes no depth either: green at z 0.5 shows there.
  device->SetRenderState(RenderState::AlphaTestEnable, 0);
  std::vector<ScreenVertex> behind = ScreenQuad(-0.5f, -0.5f, 15.5f, 7.5f, 0xFF00FF00u);
  for (ScreenVertex& v : behind) v.z = 0.5f;
  Draw(kFvfScreenColorTex, behind);
  EXPECT_TRUE(PicturesMatch("alpha_test", gl.BackBuffer(), Cells(8, {0xFF00FF00u, 0xFFFF0000u, 0xFF0000FFu}), 0));
}

}  // namespace
