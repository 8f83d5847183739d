// The .mqo reader: one pass over the expanded lines, dispatching on each line's
// first word. Counts, corner numbers and indices from the file are checked here,
// so the later steps can index the model without checks of their own.
#include "converter/mqo_reader.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "files/line_reader.h"
#include "platform/system/safe_string.h"
#include "script/tokenizer.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool EqualsIgnoringAsciiCase(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    char ca = (*a >= 'A' && *a <= 'Z') ? static_cast<char>(*a - 'A' + 'a') : *a;
    char cb = (*b >= 'A' && *b <= 'Z') ? static_cast<char>(*b - 'A' + 'a') : *b;
    if (ca != cb) return false;
  }
  return *a == *b;
}

// One float of a value list. Values are separate numbers, so "1 -2" must not
// be joined into one expression; an exponent ("1e-05"), whose value the
// expression reader already took, is stepped over so the next value reads.
bool ReadFloat(const char** p, float* out) {
  if (!EvalFloatExpression(p, out, false)) return false;
  const char* q = *p;
  if (*q == 'e' || *q == 'E') {
    ++q;
    if (*q == '+' || *q == '-') ++q;
    if (IsDigit(*q)) {
      while (IsDigit(*q)) ++q;
      *p = q;
    }
  }
  return true;
}

bool ReadInt(const char** p, int* out) { return EvalIntExpression(p, out, false); }

// A decimal colour word; values past 32 bits saturate as the runtime's
// unsigned conversion did.
bool ReadUnsigned(const char** p, std::uint32_t* out) {
  char token[kTokenBufferSize];
  const char* q = *p;
  if (ReadToken(&q, token, true, false) != TokenKind::Digit) return false;
  std::uint64_t value = 0;
  for (const char* d = token; *d != '\0'; ++d) {
    value = value * 10 + static_cast<std::uint64_t>(*d - '0');
    if (value > 0xFFFFFFFFu) value = 0xFFFFFFFFu;
  }
  *out = static_cast<std::uint32_t>(value);
  *p = q;
  return true;
}

bool Expect(const char** p, TokenKind kind) { return ExpectToken(p, kind, nullptr, true, false); }

// Current modellers add groups of their own ("reflect(0.188)", "proj_pos(0 0
// 0)"): the values in parentheses go with the word.
void SkipGroupValues(const char** p) {
  const char* q = *p;
  if (!Expect(&q, TokenKind::LParenthesis)) return;
  char token[kTokenBufferSize];
  for (;;) {
    const TokenKind kind = ReadToken(&q, token, true, false);
    if (kind == TokenKind::None || kind == TokenKind::RParenthesis) break;
  }
  *p = q;
}

// A line that opens a block of its own ("vertexattr {").
bool OpensBlock(const char* line) {
  std::size_t end = std::strlen(line);
  while (end > 0 && (line[end - 1] == ' ' || line[end - 1] == '\t' || line[end - 1] == '\r')) --end;
  return end > 0 && line[end - 1] == '{';
}

class MqoReader {
 public:
  MqoReader(LineReader& lines, XConverter& model) : lines_(lines), model_(model) {}

  const std::string& Error() const { return error_; }

  bool Read() {
    char word[kTokenBufferSize];
    while (NextLine()) {
      const char* p = lines_.GetLine();
      if (ReadToken(&p, word, true, false) != TokenKind::String) continue;
      if (std::strcmp(word, "Scene") == 0) {
        while (NextLine() && lines_.GetLine()[0] != '}') {
        }
      } else if (std::strcmp(word, "Material") == 0) {
        if (!ReadMaterials(p)) return false;
      } else if (std::strcmp(word, "Object") == 0) {
        if (!ReadObject(p)) return false;
      }
    }
    // Faces without a material group, or naming one the file lacks, take the first.
    const auto materialCount = static_cast<int>(model_.materials.size());
    for (MqoObject& object : model_.objects)
      for (MqoFace& face : object.faces)
        if (face.material < 0 || face.material >= materialCount) face.material = 0;
    return true;
  }

 private:
  bool NextLine() { return lines_.ReadLine(true); }

  bool Fail(int line, const std::string& what) {
    error_ = "line " + std::to_string(line) + ": " + what;
    return false;
  }

  bool ReadMaterials(const char* p) {
    const int start = lines_.GetLineNumber();
    int count = 0;
    if (!ReadInt(&p, &count)) return Fail(start, "the material count does not read");
    // Materials are added per line read, so a count larger than the file
    // costs nothing before the file runs out.
    for (int i = 0; i < count; ++i) {
      if (!NextLine()) return Fail(start, "the file ends before its " + std::to_string(count) + " materials");
      MqoMaterial& material = model_.materials.emplace_back();
      if (!ReadMaterialLine(lines_.GetLine(), material))
        return Fail(lines_.GetLineNumber(), "a material's group is incomplete");
    }
    // The closing "}", not looked at.
    return NextLine() || Fail(start, "the file ends before the materials' closing line");
  }

  static bool ReadMaterialLine(const char* p, MqoMaterial& material) {
    char word[kTokenBufferSize];
    ReadToken(&p, word, true, false);
    SafeStrCopy(material.name, word, sizeof material.name);
    while (ReadToken(&p, word, true, false) == TokenKind::String) {
      float value = 0;
      int ignored = 0;
      bool ok = true;
      if (std::strcmp(word, "shader") == 0 || std::strcmp(word, "vcol") == 0) {
        ok = Expect(&p, TokenKind::LParenthesis) && ReadInt(&p, &ignored);
      } else if (std::strcmp(word, "col") == 0) {
        ok = Expect(&p, TokenKind::LParenthesis) && ReadFloat(&p, &material.red) &&
             ReadFloat(&p, &material.green) && ReadFloat(&p, &material.blue) &&
             ReadFloat(&p, &material.alpha);
      } else if (std::strcmp(word, "dif") == 0 || std::strcmp(word, "amb") == 0) {
        ok = Expect(&p, TokenKind::LParenthesis) && ReadFloat(&p, &value);
      } else if (std::strcmp(word, "emi") == 0) {
        ok = Expect(&p, TokenKind::LParenthesis) && ReadFloat(&p, &value);
        material.emissive = {value, value, value};
      } else if (std::strcmp(word, "spc") == 0) {
        ok = Expect(&p, TokenKind::LParenthesis) && ReadFloat(&p, &value);
        material.specular = {value, value, value};
      } else if (std::strcmp(word, "power") == 0) {
        ok = Expect(&p, TokenKind::LParenthesis) && ReadFloat(&p, &material.power);
      } else if (std::strcmp(word, "tex") == 0) {
        ok = Expect(&p, TokenKind::LParenthesis) &&
             ReadToken(&p, word, true, false) == TokenKind::String;
        if (ok) SafeStrCopy(material.texture, word, sizeof material.texture);
      } else {
        SkipGroupValues(&p);
        continue;
      }
      if (!ok || !Expect(&p, TokenKind::RParenthesis)) return false;
    }
    return true;
  }

  bool ReadObject(const char* p) {
    const int start = lines_.GetLineNumber();
    char word[kTokenBufferSize];
    if (ReadToken(&p, word, true, false) != TokenKind::String) word[0] = '\0';
    MqoObject& object = model_.objects.emplace_back();
    SafeStrCopy(object.name, word, sizeof object.name);
    const bool boneObject = EqualsIgnoringAsciiCase(object.name, "bone");
    bool faceBlockComplete = false;
    bool dropped = false;

    while (NextLine()) {
      p = lines_.GetLine();
      if (p[0] == '}' || ReadToken(&p, word, true, false) != TokenKind::String) break;
      if (std::strcmp(word, "visible") == 0) {
        int value = 0;
        if (ReadInt(&p, &value) && value == 0) dropped = true;
      } else if (std::strcmp(word, "facet") == 0) {
        if (!ReadFloat(&p, &object.facet)) break;
      } else if (std::strcmp(word, "vertex") == 0) {
        if (!ReadVertices(p, object)) break;
      } else if (std::strcmp(word, "face") == 0) {
        faceBlockComplete = ReadFaces(p, object, boneObject);
        if (!faceBlockComplete) break;
      } else if (OpensBlock(p)) {
        SkipBlock();
      }
    }
    if (!faceBlockComplete && error_.empty())
      return Fail(start, "the object \"" + std::string(object.name) + "\" has no complete face block");
    if (!faceBlockComplete) return false;

    // A corner past the vertices read (the count promised more, or the index
    // is plainly wrong) would send every later step out of the array.
    const auto vertexCount = static_cast<std::int32_t>(object.vertices.size());
    std::erase_if(object.faces, [vertexCount](const MqoFace& face) {
      for (int c = 0; c < face.cornerCount; ++c)
        if (face.vertices[c] < 0 || face.vertices[c] >= vertexCount) return true;
      return false;
    });
    if (dropped) {
      object.vertices = {};
      object.faces = {};
      object.visible = false;
    }
    return true;
  }

  // An unknown block, with the blocks inside it, up to its closing line.
  void SkipBlock() {
    int depth = 1;
    while (depth > 0 && NextLine()) {
      const char* line = lines_.GetLine();
      if (line[0] == '}') --depth;
      else if (OpensBlock(line)) ++depth;
    }
  }

  // False when the file ends before the block's "}".
  bool ReadVertices(const char* p, MqoObject& object) {
    int count = 0;
    ReadInt(&p, &count);
    while (NextLine()) {
      const char* q = lines_.GetLine();
      if (q[0] == '}') return true;
      if (static_cast<int>(object.vertices.size()) >= count) continue;
      MqoVertex& vertex = object.vertices.emplace_back();
      // Values that do not read stay 0.
      if (ReadFloat(&q, &vertex.x) && ReadFloat(&q, &vertex.y)) ReadFloat(&q, &vertex.z);
    }
    return false;
  }

  // True when the block ends with its "}" line.
  bool ReadFaces(const char* p, MqoObject& object, bool boneObject) {
    int count = 0;
    ReadInt(&p, &count);
    while (NextLine()) {
      const char* q = lines_.GetLine();
      if (q[0] == '}') return true;
      if (static_cast<int>(object.faces.size()) >= count) continue;
      MqoFace face;
      if (!ReadInt(&q, &face.cornerCount)) return Fail(lines_.GetLineNumber(), "a face line has no corner count");
      // More corners than a face holds would write past its arrays.
      if (face.cornerCount < 1 || face.cornerCount > kMqoMaxCorners) continue;
      ReadFaceGroups(q, face, object);
      if (face.cornerCount >= 3 || (face.cornerCount == 2 && boneObject)) object.faces.push_back(face);
    }
    return false;
  }

  static void ReadFaceGroups(const char* p, MqoFace& face, MqoObject& object) {
    char word[kTokenBufferSize];
    const int n = face.cornerCount;
    while (ReadToken(&p, word, true, false) == TokenKind::String) {
      if (!Expect(&p, TokenKind::LParenthesis)) return;
      if (std::strcmp(word, "V") == 0) {
        for (int c = 0; c < n; ++c)
          if (!ReadInt(&p, &face.vertices[c])) return;
      } else if (std::strcmp(word, "M") == 0) {
        if (!ReadInt(&p, &face.material)) return;
      } else if (std::strcmp(word, "UV") == 0) {
        for (int c = 0; c < n; ++c) {
          if (!ReadFloat(&p, &face.u[c]) || !ReadFloat(&p, &face.v[c])) return;
          const std::int32_t index = face.vertices[c];
          if (index >= 0 && index < static_cast<std::int32_t>(object.vertices.size())) {
            object.vertices[static_cast<std::size_t>(index)].u = face.u[c];
            object.vertices[static_cast<std::size_t>(index)].v = face.v[c];
          }
        }
      } else if (std::strcmp(word, "COL") == 0) {
        for (int c = 0; c < n; ++c) {
          if (!ReadUnsigned(&p, &face.colours[c])) return;
          face.hasColour[c] = 1;
        }
      } else {
        return;
      }
      if (!Expect(&p, TokenKind::RParenthesis)) return;
    }
  }

  LineReader& lines_;
  XConverter& model_;
  std::string error_;
};

bool Read(LineReader& lines, XConverter& model, std::string* error) {
  MqoReader reader(lines, model);
  if (reader.Read()) return true;
  if (error != nullptr) *error = reader.Error();
  return false;
}

}  // namespace

bool ReadMqoFile(std::string_view path, XConverter& model, std::string* error) {
  LineReader lines;
  if (!lines.Open(path)) {
    if (error != nullptr) *error = "the file cannot be read";
    return false;
  }
  return Read(lines, model, error);
}

bool ReadMqoText(const char* text, XConverter& model, std::string* error) {
  LineReader lines;
  if (text == nullptr || !lines.SetText(text)) {
    if (error != nullptr) *error = "the text is empty";
    return false;
  }
  return Read(lines, model, error);
}
