// .x parser: data objects by their template names, with the loose separators
// real files use. Values are read as one stream of numbers and strings, so
// ";" and "," may be missing or doubled and binary lists may cut across
// members; every count is checked against the data as it is read.
#include "platform/mesh/xfile_parser.h"

#include <cmath>
#include <unordered_map>
#include <vector>

#include "platform/math/matrix.h"
#include "platform/math/quaternion.h"
#include "platform/math/vector.h"
#include "platform/mesh/mesh.h"
#include "platform/mesh/xfile_compression.h"
#include "platform/mesh/xfile_lexer.h"

namespace {

// Corner lists longer than this are refused before they fill memory.
constexpr std::size_t kMaxCorners = 1u << 26;
// Reservations from counts in the file stay small; vectors grow with the data.
constexpr std::uint32_t kMaxReserve = 1u << 16;

std::string Quote(std::string_view name) { return "'" + std::string(name) + "'"; }

// Scale, rotation and translation of an affine matrix, for files that give
// matrix keys.
void DecomposeMatrix(const Matrix& m, Vector3* scale, Quaternion* rotation, Vector3* translation) {
  Vector3 rows[3];
  for (int r = 0; r < 3; ++r) rows[r] = {m.m[r][0], m.m[r][1], m.m[r][2]};
  Vector3 s = {Vec3Length(rows[0]), Vec3Length(rows[1]), Vec3Length(rows[2])};
  if (Vec3Dot(Vec3Cross(rows[0], rows[1]), rows[2]) < 0.0f) s.x = -s.x;
  *scale = s;
  *translation = {m.m[3][0], m.m[3][1], m.m[3][2]};
  if (s.x == 0.0f || s.y == 0.0f || s.z == 0.0f) {
    *rotation = QuaternionIdentity();
    return;
  }
  Matrix pure = MatrixIdentity();
  const float inv[3] = {1.0f / s.x, 1.0f / s.y, 1.0f / s.z};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) pure.m[r][c] = m.m[r][c] * inv[r];
  }
  *rotation = QuaternionNormalize(QuaternionRotationMatrix(pure));
}

class Parser {
 public:
  Parser(XFileLexer* lexer, XFileDocument* document) : lex_(*lexer), doc_(*document) {}

  bool ParseFile();
  const std::string& Error() const { return error_; }

 private:
  bool Fail(const std::string& message) {
    if (error_.empty()) {
      error_ = lex_.Error().empty() ? message : lex_.Error();
      error_ += " (" + lex_.Where() + ")";
    }
    return false;
  }
  // The message is made out of line, so the readers that run once per
  // number carry no string building.
  [[gnu::cold]] bool Fail(const char* problem, const char* what = "") {
    return Fail(std::string(problem) + what);
  }
  // The lexer's tokens, null after a failure; a token stays valid until the
  // next Peek, Next or read.
  const XToken* Next() {
    const XToken* token = lex_.Next();
    if (!token) Fail("bad token");
    return token;
  }
  const XToken* Peek() {
    const XToken* token = lex_.Peek();
    if (!token) Fail("bad token");
    return token;
  }

  const XToken* SkipSeparators();
  bool PeekIsNumber(bool* isNumber);
  const XToken* NextNumber(const char* what);
  bool ReadUInt(std::uint32_t* value, const char* what);
  bool ReadFloat(float* value, const char* what);
  bool ReadString(std::string* value, const char* what);
  bool ReadVector3(Vector3* value, const char* what);
  bool ReadMatrix(Matrix* value, const char* what);
  bool ReadPolygons(XPolygons* polygons, const char* what);

  bool OpenObject(std::string* name);
  bool SkipBody();
  bool SkipTemplate();
  template <typename OnChild, typename OnReference>
  bool ReadChildren(OnChild onChild, OnReference onReference);
  bool FinishObject();

  bool ParseFrame(const std::string& name, XFrameData* frame);
  bool ParseMesh(const std::string& name, XMeshData* mesh);
  bool ParseNormals(XMeshData* mesh);
  bool ParseTexCoords(XMeshData* mesh);
  bool ParseVertexColors(XMeshData* mesh);
  bool ParseMaterialList(XMeshData* mesh);
  bool ParseMaterial(const std::string& name, ExtendedMaterial* material);
  bool ParseSkinWeights(XMeshData* mesh);
  bool ParseAnimationSet(const std::string& name, XAnimationSetData* set);
  bool ParseAnimation(XAnimationData* animation);
  bool ParseAnimationKey(XAnimationData* animation);
  bool ParseTicksPerSecond();
  const ExtendedMaterial* FindNamedMaterial(std::string_view name) const;

  XFileLexer& lex_;
  XFileDocument& doc_;
  std::string error_;
  int depth_ = 0;
  // Named materials for references; the first of a name wins.
  std::unordered_map<std::string, ExtendedMaterial> namedMaterials_;
};

// Exporters disagree on letter case ("TextureFileName", "TextureFilename").
bool Is(std::string_view identifier, std::string_view templateName) {
  if (identifier.size() != templateName.size()) return false;
  for (std::size_t i = 0; i < identifier.size(); ++i) {
    char a = identifier[i], b = templateName[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
    if (a != b) return false;
  }
  return true;
}

// The first token that is not "," or ";", left unread.
const XToken* Parser::SkipSeparators() {
  const XToken* token = lex_.PeekPastSeparators();
  if (!token) Fail("bad token");
  return token;
}

bool Parser::PeekIsNumber(bool* isNumber) {
  const XToken* token = SkipSeparators();
  if (!token) return false;
  *isNumber = token->kind == XTokenKind::Number;
  return true;
}

const XToken* Parser::NextNumber(const char* what) {
  const XToken* token = SkipSeparators();
  if (!token) return nullptr;
  if (token->kind != XTokenKind::Number) {
    Fail("expected a number for ", what);
    return nullptr;
  }
  return lex_.Next();
}

bool Parser::ReadUInt(std::uint32_t* value, const char* what) {
  const XToken* token = NextNumber(what);
  if (!token) return false;
  if (token->integral) {
    // "-0" is zero; other negative counts are refused like large ones.
    if ((token->negative && token->integer != 0) || token->integer > 0xFFFFFFFFu) {
      return Fail("expected a count or index for ", what);
    }
    *value = static_cast<std::uint32_t>(token->integer);
    return true;
  }
  // A count written with a point, or from a float list, serves when it is whole.
  const double number = token->number;
  if (!(number >= 0.0 && number <= 4294967295.0) || number != std::floor(number)) {
    return Fail("expected a count or index for ", what);
  }
  *value = static_cast<std::uint32_t>(number);
  return true;
}

bool Parser::ReadFloat(float* value, const char* what) {
  const XToken* token = NextNumber(what);
  if (!token) return false;
  if (token->integral) {
    // Integers of text files stay below 2^44, far inside the float range.
    const float magnitude = static_cast<float>(token->integer);
    *value = token->negative ? -magnitude : magnitude;
    return true;
  }
  double number = token->number;
  // Out-of-range doubles from 64-bit files clamp instead of overflowing.
  if (number > 3.4028234663852886e38) number = 3.4028234663852886e38;
  if (number < -3.4028234663852886e38) number = -3.4028234663852886e38;
  *value = std::isnan(number) ? 0.0f : static_cast<float>(number);
  return true;
}

bool Parser::ReadString(std::string* value, const char* what) {
  if (!SkipSeparators()) return false;
  const XToken* token = lex_.Next();
  // Some exporters leave texture names unquoted.
  if (token->kind != XTokenKind::String && token->kind != XTokenKind::Name) {
    return Fail("expected a string for ", what);
  }
  value->assign(token->text);
  return true;
}

bool Parser::ReadVector3(Vector3* value, const char* what) {
  return ReadFloat(&value->x, what) && ReadFloat(&value->y, what) && ReadFloat(&value->z, what);
}

bool Parser::ReadMatrix(Matrix* value, const char* what) {
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      if (!ReadFloat(&value->m[r][c], what)) return false;
    }
  }
  return true;
}

bool Parser::ReadPolygons(XPolygons* polygons, const char* what) {
  std::uint32_t count;
  if (!ReadUInt(&count, what)) return false;
  if (count > kMaxMeshFaces) return Fail("too many faces in ", what);
  polygons->sizes.reserve(std::min(count, kMaxReserve));
  for (std::uint32_t f = 0; f < count; ++f) {
    std::uint32_t corners;
    if (!ReadUInt(&corners, what)) return false;
    if (corners > kMaxCorners - polygons->corners.size()) {
      return Fail("too many face corners in ", what);
    }
    polygons->sizes.push_back(corners);
    for (std::uint32_t k = 0; k < corners; ++k) {
      std::uint32_t index;
      if (!ReadUInt(&index, what)) return false;
      polygons->corners.push_back(index);
    }
  }
  return true;
}

// After a template name: an optional object name, "{" and an optional GUID.
bool Parser::OpenObject(std::string* name) {
  const XToken* token = Next();
  if (!token) return false;
  if (token->kind == XTokenKind::Name) {
    name->assign(token->text);
    if (!(token = Next())) return false;
  }
  if (token->kind != XTokenKind::OpenBrace) return Fail("expected \"{\" after a data object's name");
  if (!(token = Peek())) return false;
  if (token->kind == XTokenKind::Guid) lex_.Next();
  return true;
}

// Skips to the "}" that closes the current object, nested objects included.
bool Parser::SkipBody() {
  std::size_t open = 1;
  while (open > 0) {
    const XToken* token = Next();
    if (!token) return false;
    if (token->kind == XTokenKind::OpenBrace) ++open;
    if (token->kind == XTokenKind::CloseBrace) --open;
    if (token->kind == XTokenKind::End) return Fail("unexpected end of file inside a data object");
  }
  return true;
}

bool Parser::SkipTemplate() {
  const XToken* token = Next();
  if (!token) return false;
  if (token->kind != XTokenKind::Name) return Fail("expected a template name");
  if (!(token = Next())) return false;
  if (token->kind != XTokenKind::OpenBrace) return Fail("expected \"{\" after a template name");
  return SkipBody();
}

// The nested part of an object, up to and including its "}": nested data
// objects go to onChild (which must read them through their "}"), references
// "{ name }" to onReference; stray values and separators are passed over.
template <typename OnChild, typename OnReference>
bool Parser::ReadChildren(OnChild onChild, OnReference onReference) {
  for (;;) {
    const XToken* token = Next();
    if (!token) return false;
    switch (token->kind) {
      case XTokenKind::CloseBrace:
        return true;
      case XTokenKind::End:
        return Fail("unexpected end of file inside a data object");
      case XTokenKind::OpenBrace: {
        std::string reference;
        for (;;) {
          if (!(token = Next())) return false;
          if (token->kind == XTokenKind::CloseBrace) break;
          if (token->kind == XTokenKind::Name && reference.empty()) {
            reference.assign(token->text);
          } else if (token->kind != XTokenKind::Guid) {
            return Fail("bad reference");
          }
        }
        if (!onReference(reference)) return false;
        break;
      }
      case XTokenKind::Name: {
        const std::string identifier(token->text);
        if (depth_ >= kMaxXFileNesting) return Fail("data objects nest too deeply");
        std::string name;
        if (!OpenObject(&name)) return false;
        ++depth_;
        const bool ok = onChild(identifier, name);
        --depth_;
        if (!ok) return false;
        break;
      }
      case XTokenKind::Template:
        if (!SkipTemplate()) return false;
        break;
      default:
        break;
    }
  }
}

bool Parser::FinishObject() {
  return ReadChildren([this](const std::string&, const std::string&) { return SkipBody(); },
                      [](const std::string&) { return true; });
}

bool Parser::ParseFile() {
  for (;;) {
    const XToken* token = Next();
    if (!token) return false;
    switch (token->kind) {
      case XTokenKind::End:
        return true;
      case XTokenKind::Template:
        if (!SkipTemplate()) return false;
        break;
      case XTokenKind::Name: {
        const std::string identifier(token->text);
        std::string name;
        if (!OpenObject(&name)) return false;
        ++depth_;
        bool ok;
        if (Is(identifier, "Frame")) {
          doc_.frames.emplace_back();
          ok = ParseFrame(name, &doc_.frames.back());
        } else if (Is(identifier, "Mesh")) {
          doc_.frames.emplace_back();
          doc_.frames.back().meshes.emplace_back();
          ok = ParseMesh(name, &doc_.frames.back().meshes.back());
        } else if (Is(identifier, "Material")) {
          ExtendedMaterial material;
          ok = ParseMaterial(name, &material);
        } else if (Is(identifier, "AnimationSet")) {
          doc_.animationSets.emplace_back();
          ok = ParseAnimationSet(name, &doc_.animationSets.back());
        } else if (Is(identifier, "AnimTicksPerSecond")) {
          ok = ParseTicksPerSecond();
        } else {
          ok = SkipBody();
        }
        --depth_;
        if (!ok) return false;
        break;
      }
      case XTokenKind::OpenBrace:
        // A top-level reference instances nothing that the loader keeps.
        if (!SkipBody()) return false;
        break;
      case XTokenKind::Comma:
      case XTokenKind::Semicolon:
        break;
      default:
        return Fail("unexpected token at the top level");
    }
  }
}

bool Parser::ParseFrame(const std::string& name, XFrameData* frame) {
  frame->name = name;
  return ReadChildren(
      [this, frame](const std::string& identifier, const std::string& childName) {
        if (Is(identifier, "FrameTransformMatrix")) {
          return ReadMatrix(&frame->transform, "FrameTransformMatrix") && FinishObject();
        }
        if (Is(identifier, "Frame")) {
          frame->children.emplace_back();
          return ParseFrame(childName, &frame->children.back());
        }
        if (Is(identifier, "Mesh")) {
          frame->meshes.emplace_back();
          return ParseMesh(childName, &frame->meshes.back());
        }
        return SkipBody();
      },
      [](const std::string&) { return true; });
}

bool Parser::ParseMesh(const std::string& name, XMeshData* mesh) {
  mesh->name = name;
  std::uint32_t count;
  if (!ReadUInt(&count, "Mesh vertex count")) return false;
  if (count > kMaxMeshVertices) return Fail("Mesh " + Quote(name) + " has too many vertices");
  mesh->positions.reserve(std::min(count, kMaxReserve));
  for (std::uint32_t v = 0; v < count; ++v) {
    Vector3 p;
    if (!ReadVector3(&p, "Mesh vertices")) return false;
    mesh->positions.push_back(p);
  }
  if (!ReadPolygons(&mesh->faces, "Mesh faces")) return false;
  return ReadChildren(
      [this, mesh](const std::string& identifier, const std::string& childName) {
        if (Is(identifier, "MeshNormals")) return ParseNormals(mesh);
        if (Is(identifier, "MeshTextureCoords")) return ParseTexCoords(mesh);
        if (Is(identifier, "MeshVertexColors")) return ParseVertexColors(mesh);
        if (Is(identifier, "MeshMaterialList")) return ParseMaterialList(mesh);
        if (Is(identifier, "SkinWeights")) return ParseSkinWeights(mesh);
        if (Is(identifier, "Material")) {
          // A stray material outside a list is still a named material.
          ExtendedMaterial material;
          return ParseMaterial(childName, &material);
        }
        return SkipBody();
      },
      [](const std::string&) { return true; });
}

bool Parser::ParseNormals(XMeshData* mesh) {
  std::uint32_t count;
  if (!ReadUInt(&count, "MeshNormals count")) return false;
  if (count > kMaxMeshVertices) return Fail("MeshNormals has too many normals");
  mesh->normals.clear();
  mesh->normals.reserve(std::min(count, kMaxReserve));
  for (std::uint32_t i = 0; i < count; ++i) {
    Vector3 n;
    if (!ReadVector3(&n, "MeshNormals normals")) return false;
    mesh->normals.push_back(n);
  }
  mesh->normalFaces = XPolygons{};
  if (!ReadPolygons(&mesh->normalFaces, "MeshNormals faces")) return false;
  mesh->hasNormals = true;
  return FinishObject();
}

bool Parser::ParseTexCoords(XMeshData* mesh) {
  std::uint32_t count;
  if (!ReadUInt(&count, "MeshTextureCoords count")) return false;
  if (count > kMaxMeshVertices) return Fail("MeshTextureCoords has too many entries");
  mesh->texCoords.clear();
  mesh->texCoords.reserve(std::min(count, kMaxReserve));
  for (std::uint32_t i = 0; i < count; ++i) {
    Vector2 uv;
    if (!ReadFloat(&uv.x, "MeshTextureCoords") || !ReadFloat(&uv.y, "MeshTextureCoords")) {
      return false;
    }
    mesh->texCoords.push_back(uv);
  }
  mesh->hasTexCoords = true;
  return FinishObject();
}

bool Parser::ParseVertexColors(XMeshData* mesh) {
  std::uint32_t count;
  if (!ReadUInt(&count, "MeshVertexColors count")) return false;
  if (count > kMaxMeshVertices) return Fail("MeshVertexColors has too many entries");
  mesh->colorVertices.clear();
  mesh->colors.clear();
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint32_t vertex;
    float rgba[4];
    if (!ReadUInt(&vertex, "MeshVertexColors index")) return false;
    for (float& channel : rgba) {
      if (!ReadFloat(&channel, "MeshVertexColors colour")) return false;
    }
    auto byte = [](float f) {
      const float clamped = f < 0.0f ? 0.0f : (f > 1.0f ? 1.0f : f);
      return static_cast<std::uint32_t>(clamped * 255.0f + 0.5f);
    };
    mesh->colorVertices.push_back(vertex);
    mesh->colors.push_back(byte(rgba[3]) << 24 | byte(rgba[0]) << 16 | byte(rgba[1]) << 8 |
                           byte(rgba[2]));
  }
  mesh->hasColors = true;
  return FinishObject();
}

bool Parser::ParseMaterialList(XMeshData* mesh) {
  std::uint32_t count;
  if (!ReadUInt(&mesh->materialCount, "MeshMaterialList material count") ||
      !ReadUInt(&count, "MeshMaterialList face count")) {
    return false;
  }
  if (count > kMaxMeshFaces) return Fail("MeshMaterialList has too many faces");
  mesh->faceMaterials.clear();
  mesh->faceMaterials.reserve(std::min(count, kMaxReserve));
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint32_t index;
    if (!ReadUInt(&index, "MeshMaterialList face material")) return false;
    mesh->faceMaterials.push_back(index);
  }
  mesh->materials.clear();
  mesh->hasMaterialList = true;
  return ReadChildren(
      [this, mesh](const std::string& identifier, const std::string& childName) {
        if (!Is(identifier, "Material")) return SkipBody();
        mesh->materials.emplace_back();
        return ParseMaterial(childName, &mesh->materials.back());
      },
      [this, mesh](const std::string& reference) {
        const ExtendedMaterial* material = FindNamedMaterial(reference);
        if (!material) return Fail("material reference " + Quote(reference) + " names no material");
        mesh->materials.push_back(*material);
        return true;
      });
}

const ExtendedMaterial* Parser::FindNamedMaterial(std::string_view name) const {
  auto it = namedMaterials_.find(std::string(name));
  return it == namedMaterials_.end() ? nullptr : &it->second;
}

bool Parser::ParseMaterial(const std::string& name, ExtendedMaterial* material) {
  Material& m = material->material;
  if (!ReadFloat(&m.diffuse.r, "Material") || !ReadFloat(&m.diffuse.g, "Material") ||
      !ReadFloat(&m.diffuse.b, "Material") || !ReadFloat(&m.diffuse.a, "Material") ||
      !ReadFloat(&m.power, "Material power")) {
    return false;
  }
  // Some exporters stop after the power; the missing colours stay black.
  m.specular = {0.0f, 0.0f, 0.0f, 1.0f};
  m.emissive = {0.0f, 0.0f, 0.0f, 1.0f};
  m.ambient = {0.0f, 0.0f, 0.0f, 1.0f};
  bool more;
  if (!PeekIsNumber(&more)) return false;
  if (more && !(ReadFloat(&m.specular.r, "Material specular") &&
                ReadFloat(&m.specular.g, "Material specular") &&
                ReadFloat(&m.specular.b, "Material specular"))) {
    return false;
  }
  if (!PeekIsNumber(&more)) return false;
  if (more && !(ReadFloat(&m.emissive.r, "Material emissive") &&
                ReadFloat(&m.emissive.g, "Material emissive") &&
                ReadFloat(&m.emissive.b, "Material emissive"))) {
    return false;
  }
  const bool ok = ReadChildren(
      [this, material](const std::string& identifier, const std::string&) {
        if (!Is(identifier, "TextureFilename")) return SkipBody();
        return ReadString(&material->textureFilename, "TextureFilename") && FinishObject();
      },
      [](const std::string&) { return true; });
  if (ok && !name.empty()) namedMaterials_.emplace(name, *material);
  return ok;
}

bool Parser::ParseSkinWeights(XMeshData* mesh) {
  XSkinWeightsData skin;
  std::uint32_t count;
  if (!ReadString(&skin.boneName, "SkinWeights bone name") ||
      !ReadUInt(&count, "SkinWeights count")) {
    return false;
  }
  if (count > kMaxMeshVertices) return Fail("SkinWeights has too many weights");
  skin.vertices.reserve(std::min(count, kMaxReserve));
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint32_t vertex;
    if (!ReadUInt(&vertex, "SkinWeights vertex")) return false;
    skin.vertices.push_back(vertex);
  }
  skin.weights.reserve(std::min(count, kMaxReserve));
  for (std::uint32_t i = 0; i < count; ++i) {
    float weight;
    if (!ReadFloat(&weight, "SkinWeights weight")) return false;
    skin.weights.push_back(weight);
  }
  if (!ReadMatrix(&skin.offset, "SkinWeights offset matrix")) return false;
  mesh->skinWeights.push_back(std::move(skin));
  return FinishObject();
}

bool Parser::ParseAnimationSet(const std::string& name, XAnimationSetData* set) {
  set->name = name;
  return ReadChildren(
      [this, set](const std::string& identifier, const std::string&) {
        if (!Is(identifier, "Animation")) return SkipBody();
        set->animations.emplace_back();
        return ParseAnimation(&set->animations.back());
      },
      [](const std::string&) { return true; });
}

bool Parser::ParseAnimation(XAnimationData* animation) {
  return ReadChildren(
      [this, animation](const std::string& identifier, const std::string&) {
        if (Is(identifier, "AnimationKey")) return ParseAnimationKey(animation);
        return SkipBody();
      },
      [animation](const std::string& reference) {
        if (animation->frameName.empty()) animation->frameName = reference;
        return true;
      });
}

bool Parser::ParseAnimationKey(XAnimationData* animation) {
  std::uint32_t type, count;
  if (!ReadUInt(&type, "AnimationKey type") || !ReadUInt(&count, "AnimationKey count")) {
    return false;
  }
  if (type > 4) return Fail("unknown AnimationKey type " + std::to_string(type));
  const std::uint32_t expected = type == 0 ? 4 : (type <= 2 ? 3 : 16);
  for (std::uint32_t k = 0; k < count; ++k) {
    std::uint32_t time, values;
    if (!ReadUInt(&time, "AnimationKey time") || !ReadUInt(&values, "AnimationKey value count")) {
      return false;
    }
    if (values != expected) {
      return Fail("AnimationKey of type " + std::to_string(type) + " with " +
                  std::to_string(values) + " values");
    }
    float v[16];
    for (std::uint32_t i = 0; i < values; ++i) {
      if (!ReadFloat(&v[i], "AnimationKey values")) return false;
    }
    const float t = static_cast<float>(time);
    if (type == 0) {
      // The file writes w first and turns the other way round from the
      // matrices: its quaternion is the conjugate of the one the frame
      // matrix is built from.
      animation->rotationKeys.push_back({t, Quaternion{-v[1], -v[2], -v[3], v[0]}});
    } else if (type == 1) {
      animation->scaleKeys.push_back({t, Vector3{v[0], v[1], v[2]}});
    } else if (type == 2) {
      animation->translationKeys.push_back({t, Vector3{v[0], v[1], v[2]}});
    } else {
      Matrix m;
      for (int i = 0; i < 16; ++i) m.m[i / 4][i % 4] = v[i];
      Vector3 scale, translation;
      Quaternion rotation;
      DecomposeMatrix(m, &scale, &rotation, &translation);
      animation->scaleKeys.push_back({t, scale});
      animation->rotationKeys.push_back({t, rotation});
      animation->translationKeys.push_back({t, translation});
    }
  }
  return FinishObject();
}

bool Parser::ParseTicksPerSecond() {
  std::uint32_t ticks;
  if (!ReadUInt(&ticks, "AnimTicksPerSecond")) return false;
  if (ticks > 0) doc_.ticksPerSecond = ticks;
  return FinishObject();
}

}  // namespace

bool ParseXFile(std::span<const std::uint8_t> file, XFileDocument* document, std::string* error) {
  XFileHeader header;
  if (!ParseXFileHeader(file, &header, error)) return false;
  std::vector<std::uint8_t> inflated;
  if (header.compressed) {
    if (!DecompressXFile(file, &inflated, error)) return false;
    file = inflated;
  }
  *document = XFileDocument{};
  XFileLexer lexer(file.subspan(kXFileHeaderSize), header.encoding, header.floatBits);
  Parser parser(&lexer, document);
  if (!parser.ParseFile()) {
    if (error) *error = parser.Error();
    return false;
  }
  return true;
}
