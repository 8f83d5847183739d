// The compiler: cuts a preprocessed source into functions, resolves every word
// to what it names and checks each function's header.
#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>

#include "platform/system/numbers.h"
#include "platform/system/safe_string.h"
#include "platform/system/shift_jis.h"
#include "script/engine_internal.h"
#include "script/preprocessor.h"
#include "script/script_context.h"

namespace {

// Names are kept to 31 characters; both storing and looking up go through the
// same cut so that long names still find themselves.
struct ShortName {
  char text[32];
  explicit ShortName(const char* name) { SafeStrCopy(text, name, sizeof text); }
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

const char* SkipLineEndsAndComments(const char* p) {
  for (;;) {
    if (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') {
      ++p;
    } else if (p[0] == '/' && p[1] == '/') {
      while (*p && *p != '\n' && *p != '\r') p += (IsShiftJisLeadByte(static_cast<unsigned char>(*p)) && p[1]) ? 2 : 1;
    } else {
      return p;
    }
  }
}

// Decodes a string literal that starts after its opening quote; *pos ends
// after the closing quote.
std::string ReadStringLiteral(const char** pos) {
  std::string text;
  const char* p = *pos;
  for (;;) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (c == 0 || c == '\n') throw ERR_BAD_STRING;
    if (c == '"') {
      ++p;
      break;
    }
    if (IsShiftJisLeadByte(c) && p[1] != '\0') {
      text += p[0];
      text += p[1];
      p += 2;
      continue;
    }
    if (c == '\\') {
      char escaped;
      switch (p[1]) {
        case 'f': escaped = '\f'; break;
        case 'n': escaped = '\n'; break;
        case 'r': escaped = '\r'; break;
        case 't': escaped = '\t'; break;
        case 'v': escaped = '\v'; break;
        case 'b': escaped = '\b'; break;
        case 'a': escaped = '\a'; break;
        case '"': escaped = '"'; break;
        case '\'': escaped = '\''; break;
        case '?': escaped = '?'; break;
        case '\\': escaped = '\\'; break;
        case '\0':
        case '\n': throw ERR_BAD_STRING;
        default: throw ERR_UNKNOWN_ESCAPE;
      }
      text += escaped;
      p += 2;
      continue;
    }
    text += static_cast<char>(c);
    ++p;
  }
  *pos = p;
  return text;
}

bool IsParameterType(TokenKind kind) {
  return kind == TokenKind::ByRef || kind == TokenKind::StringType || kind == TokenKind::NumberType ||
         kind == TokenKind::Class;
}

// A compile that would take its engine's compiled functions past their
// bound: it stops before allocating.
struct CompiledBoundPassed {};

// Why a compile stopped that met no script error: the reasons its report gives.
std::string BoundPassedReason(std::size_t bound) {
  return "not compiled: the compiled scripts would pass " + std::to_string(bound >> 20) + " MiB";
}
constexpr const char* kOutOfMemoryReason = "not compiled: out of memory";

void Charge(ScriptFunction& fn, std::size_t bytes) {
  if (!fn.Charge(bytes)) throw CompiledBoundPassed{};
}

// Where a compile that stopped for no script error stood: the function it
// was compiling, else where the preprocessing had come to.
SourceLines::Place StandingPlace(const SourceLines& lines, bool preprocessed, std::size_t start) {
  if (preprocessed) return lines.At(start);
  if (!lines.stretches.empty()) return lines.stretches.back().place;
  return {};
}

}  // namespace

EErrorCode CCScript::CompileScript(const char* source, const char* path, std::span<const int> fileLines) {
  if (!source) return ERR_NONE;
  // String literals are the program's own texts, not ones its scripts make.
  ScriptTextScope uncounted(nullptr);
  const std::string file(path ? path : "");
  std::string text;
  std::vector<PreprocessorDefinition> definitions;
  SourceLines lines;
  // The one report of a failed compile, at the place in the sources.
  auto fail = [&](EErrorCode code, const SourceLines::Place& place, const std::string& name = std::string(),
                  const std::string& reason = std::string()) {
    const bool main = place.file == 0;
    OnCompileError({code, main ? file : lines.files[static_cast<std::size_t>(place.file)],
                    main ? FileLineOf(place.line, fileLines) : place.line, name, reason});
    return code;
  };
  bool preprocessed = false;
  std::size_t start = 0;  // where the function being compiled starts in the preprocessed text
  try {
    if (!Preprocess(source, text, {std::string(FolderOfPath(file))}, definitions, context_.fileReader, &lines,
                    &context_.attention))
      return fail(ERR_INCLUDE_NOT_FOUND, lines.fault, lines.faultInclude, lines.faultReason);
    preprocessed = true;
    const TokenPlaces::Builder places(file, lines, fileLines);
    std::vector<ScriptFunction*> compiled;
    const char* pos = text.c_str();
    for (;;) {
      pos = SkipLineEndsAndComments(pos);
      std::size_t length = FindBlockEnd(pos);
      if (length == 0) {
        ReportLatentFaults(compiled);
        return ERR_NONE;
      }
      start = static_cast<std::size_t>(pos - text.c_str());
      char name[kTokenBufferSize];
      const char* probe = pos;
      ReadToken(&probe, name, false, false);
      if (FindFunction(name)) return fail(ERR_DUPLICATE_FUNCTION, lines.At(start));
      FunctionCompiler compiler(*this);
      EErrorCode code = compiler.Compile(pos, length, places, start);
      if (code != ERR_NONE)
        return fail(code, lines.At(start + compiler.FaultOffset()), compiler.FaultName(), compiler.FaultReason());
      compiled.push_back(compiler.Function());
      pos += length;
    }
  } catch (EErrorCode code) {
    // Only the preprocessing's stop at the attention comes here: the program
    // is ending, as the code's own message says.
    return fail(code, StandingPlace(lines, preprocessed, start));
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  // Memory ran out: no script error, and reported where the preprocessing or
  // the compile stood.
  return fail(ERR_USER_STOP, StandingPlace(lines, preprocessed, start), std::string(), kOutOfMemoryReason);
}

EErrorCode FunctionCompiler::Compile(const char* source, std::size_t length, const TokenPlaces::Builder& places,
                                     std::size_t start) {
  std::string text(source, length);
  const char* pos = text.c_str();
  char name[kTokenBufferSize];
  if (ReadToken(&pos, name, false, false) != TokenKind::String) return ERR_NO_FUNCTION_NAME;

  auto& functions = engine_.functions_;
  int slot = 0;
  for (; slot < kMaxFunctions && functions[slot]; ++slot)
    if (std::strcmp(functions[slot]->name, name) == 0) break;
  if (slot == kMaxFunctions) return ERR_TOO_MANY_FUNCTIONS;

  // The function takes its slot before its body is read, so it can call itself.
  auto function = std::make_unique<ScriptFunction>(engine_.compiled_);
  SafeStrCopy(function->name, name, sizeof function->name);
  ScriptFunction* fn = function.get();
  function_ = fn;
  std::unique_ptr<ScriptFunction> replaced = std::move(functions[slot]);
  functions[slot] = std::move(function);

  bool tokenized = false;
  std::size_t i = 0;
  // A half-built function must not stay callable; the fault is at the token
  // being read, or at the header's token that was wrong.
  auto fail = [&](EErrorCode code) {
    functions[slot] = std::move(replaced);
    if (tokenized) faultOffset_ = offsets_[i < offsets_.size() ? i : offsets_.size() - 1];
    return code;
  };
  try {
    Charge(*fn, sizeof(ScriptFunction));
    Tokenize(*fn, text.c_str(), text.size(), true);
    tokenized = true;
    const std::vector<Token>& t = fn->tokens;
    if (t[i].kind != TokenKind::Function || t[i].function != fn) throw ERR_NO_FUNCTION_NAME;
    ++i;
    if (t[i].kind != TokenKind::LParenthesis) throw ERR_NO_PARENTHESIS;
    ++i;
    int parameter = 0;
    if (t[i].kind != TokenKind::RParenthesis) {
      for (;;) {
        std::uint16_t flags = 0;
        int typeWords = 0;
        for (; IsParameterType(t[i].kind); ++i, ++typeWords) {
          switch (t[i].kind) {
            case TokenKind::ByRef: flags |= kParamByRef; break;
            case TokenKind::StringType: flags |= kParamString; break;
            case TokenKind::NumberType: flags |= kParamNumber; break;
            default: {
              int classSlot = engine_.ClassSlotOf(t[i].cls);
              flags = static_cast<std::uint16_t>(flags | kParamClass | ((classSlot < 0 ? 255 : classSlot) << 8));
              break;
            }
          }
        }
        if (typeWords >= 2) throw ERR_TWO_PARAMETER_TYPES;
        if (t[i].kind == TokenKind::GlobalValiable || t[i].kind == TokenKind::AutoValiable) {
          flags |= kParamPresent;
          ++i;
        } else if (typeWords > 0) {
          throw ERR_NO_PARAMETER_NAME;
        } else {
          throw ERR_NO_CLOSE_PARENTHESIS;
        }
        // Calls take at most 16 arguments, so a longer header could never be called.
        if (parameter == kMaxParameters) throw ERR_TOO_MANY_ARGUMENTS;
        fn->parameterFlags[parameter++] = flags;
        if (t[i].kind != TokenKind::Comma) break;
        ++i;
      }
    }
    if (t[i].kind != TokenKind::RParenthesis) throw ERR_NO_CLOSE_PARENTHESIS;
    // Charged once made: the map takes a few bytes a line, never more than
    // the tokens charged before it.
    fn->places = places.Build(start, offsets_);
    Charge(*fn, fn->places.Bytes());
  } catch (EErrorCode code) {
    return fail(code);
  } catch (CompiledBoundPassed) {
    // Any failure that is no script error stops the compile with 4.
    faultReason_ = BoundPassedReason(fn->Bound());
    return fail(ERR_USER_STOP);
  } catch (const std::bad_alloc&) {
    faultReason_ = kOutOfMemoryReason;
    return fail(ERR_USER_STOP);
  } catch (const std::length_error&) {
    faultReason_ = kOutOfMemoryReason;
    return fail(ERR_USER_STOP);
  }
  return ERR_NONE;
}

void FunctionCompiler::Tokenize(ScriptFunction& fn, const char* text, std::size_t length, bool singleFunction) {
  std::array<char[32], kMaxLocals> locals{};
  int localCount = 0;
  int labelCount = 0;
  const char* pos = text;
  const char* end = text + length;
  const char* lineStart = text;
  int line = 0;
  int column = 0;
  int depth = 0;
  char word[kTokenBufferSize];
  fn.tokens.clear();
  offsets_.clear();
  std::size_t lastEnd = 0;  // where the last token kept ends
  // Appending never allocates: room is made before a token is read (and its
  // text made), so that a refused growth leaves nothing without an owner.
  auto append = [&](Token& token) {
    token.line = static_cast<std::uint16_t>(line > 0xFFFF ? 0xFFFF : line);
    token.column = static_cast<std::uint16_t>(column > 0xFFFF ? 0xFFFF : column);
    fn.tokens.push_back(token);
    offsets_.push_back(faultOffset_);
  };

  for (;;) {
    // Room for this token and the None after the last one, charged before it is allocated.
    if (fn.tokens.size() + 2 > fn.tokens.capacity()) {
      const std::size_t capacity = std::max<std::size_t>(256, fn.tokens.capacity() * 2);
      Charge(fn, (capacity - fn.tokens.capacity()) * sizeof(Token));
      fn.tokens.reserve(capacity);
      offsets_.reserve(capacity);
    }
    Token token;
    // Blanks and comments before a token never pass a line end, so a fault
    // found reading it is on the line where the reading starts.
    faultOffset_ = static_cast<std::size_t>(pos - text);
    if (engine_.context_.attention.StopRequested()) throw ERR_USER_STOP;
    TokenKind kind = pos < end ? ReadToken(&pos, word, false, true) : TokenKind::None;
    token.kind = kind;
    if (kind == TokenKind::None) {
      // The end stands where the last token ended, not after the blank lines that may follow it.
      faultOffset_ = lastEnd;
      append(token);
      break;
    }
    if (kind == TokenKind::CR) {  // character 10 ends a line
      ++line;
      lineStart = pos;
      column = 0;
      continue;
    }
    if (kind == TokenKind::LF) {  // character 13 only restarts the column
      lineStart = pos;
      column = 0;
      continue;
    }
    if (kind == TokenKind::Space) continue;

    switch (kind) {
      case TokenKind::Digit: {
        std::string number = word;
        if (*pos == '.') {
          const char* p = pos + 1;
          while (*p >= '0' && *p <= '9') ++p;
          number.append(pos, p - pos);
          pos = p;
        }
        token.kind = TokenKind::Number;
        token.number = ReadDecimal(number.c_str());
        break;
      }
      case TokenKind::Hex:
        token.kind = TokenKind::Number;
        token.number = static_cast<double>(ReadHex32(word));
        break;
      case TokenKind::DQuate: {
        std::string literal = ReadStringLiteral(&pos);
        Charge(fn, ScriptTextSize(literal.size()));
        token.kind = TokenKind::String;
        token.text = NewScriptText(literal.data(), literal.size());
        break;
      }
      case TokenKind::Dollar: {
        TokenKind next = ReadToken(&pos, word, false, true);
        if (next != TokenKind::String && next != TokenKind::Digit) throw ERR_NO_GLOBAL_NAME;
        ShortName name(word);
        int index = -1;
        for (int i = 0; i < kMaxGlobals && index < 0; ++i)
          if (engine_.Global(i).name[0] && std::strcmp(engine_.Global(i).name, name.text) == 0) index = i;
        for (int i = 0; i < kMaxGlobals && index < 0; ++i) {
          if (!engine_.Global(i).name[0]) {
            std::memcpy(engine_.Global(i).name, name.text, sizeof name.text);
            index = i;
          }
        }
        if (index < 0) throw ERR_TOO_MANY_GLOBALS;
        token.kind = TokenKind::GlobalValiable;
        token.index = index;
        break;
      }
      case TokenKind::String: {  // a word
        TokenKind reserved = LookupReservedWord(word);
        if (reserved != TokenKind::None) {
          token.kind = reserved;
          break;
        }
        if (ScriptFunction* called = engine_.FindFunction(word)) {
          token.kind = TokenKind::Function;
          token.function = called;
          break;
        }
        NativeClass* cls = nullptr;
        for (int i = 0; i < kMaxClasses && engine_.ClassAt(i) && !cls; ++i)
          if (std::strcmp(engine_.ClassAt(i)->ClassName(), word) == 0) cls = engine_.ClassAt(i);
        if (cls) {
          token.kind = TokenKind::Class;
          token.cls = cls;
          break;
        }
        int member = engine_.context_.memberNames.Find(word);
        if (member >= 0) {
          token.kind = TokenKind::Identifier;
          token.index = member;
          break;
        }
        ShortName name(word);
        const char* after = pos;
        while (IsBlank(*after)) ++after;
        if (*after == ':') {
          for (int i = 0; i < labelCount; ++i) {
            if (std::strcmp(fn.labelNames[i], name.text) == 0) {
              faultName_ = word;
              throw ERR_LABEL_IN_USE;
            }
          }
          if (labelCount < kMaxLabels) {
            std::memcpy(fn.labelNames[labelCount], name.text, sizeof name.text);
            fn.labels[labelCount++] = static_cast<std::int32_t>(fn.tokens.size());
          }
          pos = after + 1;
          column = static_cast<int>(pos - lineStart);
          continue;
        }
        int label = -1;
        for (int i = 0; i < labelCount && label < 0; ++i)
          if (std::strcmp(fn.labelNames[i], name.text) == 0) label = i;
        if (label >= 0) {
          token.kind = TokenKind::Label;
          token.index = label;
          break;
        }
        int local = -1;
        for (int i = 0; i < localCount && local < 0; ++i)
          if (std::strcmp(locals[i], name.text) == 0) local = i;
        if (local < 0) {
          if (localCount == kMaxLocals) throw ERR_TOO_MANY_LOCALS;
          std::memcpy(locals[localCount], name.text, sizeof name.text);
          local = localCount++;
        }
        token.kind = TokenKind::AutoValiable;
        token.index = local;
        break;
      }
      default:
        break;
    }
    append(token);
    column = static_cast<int>(pos - lineStart);
    lastEnd = static_cast<std::size_t>(pos - text);

    if (kind == TokenKind::LMiddleParenthesis) ++depth;
    if (kind == TokenKind::RMiddleParenthesis) {
      --depth;
      if (singleFunction && depth == 0) {
        Token last;
        faultOffset_ = lastEnd;
        append(last);
        break;
      }
    }
  }
  fn.localCount = localCount;
  Charge(fn, fn.tokens.size() * (sizeof fn.skipTo[0] + sizeof fn.skipDepth[0]));
  fn.skipTo.assign(fn.tokens.size(), 0);
  fn.skipDepth.assign(fn.tokens.size(), 0);
}
