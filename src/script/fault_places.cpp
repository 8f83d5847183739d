// Where script faults stand: the token places of compiled functions, the
// check at load for the faults the interpreter meets only when it reaches
// them, and the place of the token a run-time error report marks.
#include "script/fault_places.h"

#include <algorithm>
#include <iterator>

#include "platform/system/stack_guard.h"
#include "script/engine_internal.h"
#include "script/preprocessor.h"

int FileLineOf(int line, std::span<const int> fileLines) {
  const auto listed = static_cast<int>(fileLines.size());
  if (listed == 0) return line;
  if (line <= listed) return fileLines[static_cast<std::size_t>(line - 1)];
  return fileLines.back() + line - listed;
}

TokenPlaces::Builder::Builder(const std::string& path, const SourceLines& lines, std::span<const int> fileLines)
    : lines_(lines), fileLines_(fileLines) {
  auto files = std::make_shared<std::vector<std::string>>(lines.files);
  files->front() = path;
  files_ = std::move(files);
}

TokenPlaces TokenPlaces::Builder::Build(std::size_t start, std::span<const std::size_t> offsets) const {
  TokenPlaces places;
  places.files_ = files_;
  for (std::size_t i = 0; i < offsets.size(); ++i) {
    const SourceLines::Place place = lines_.At(start + offsets[i]);
    const int line = place.file == 0 ? FileLineOf(place.line, fileLines_) : place.line;
    const auto file = static_cast<std::uint32_t>(place.file);
    if (!places.runs_.empty() && places.runs_.back().file == file && places.runs_.back().line == line) continue;
    places.runs_.push_back({static_cast<std::uint32_t>(i), file, line});
  }
  return places;
}

SourcePlace TokenPlaces::Of(std::size_t index) const {
  auto after = std::upper_bound(runs_.begin(), runs_.end(), index,
                                [](std::size_t token, const Run& run) { return token < run.token; });
  if (after == runs_.begin()) return {};
  const Run& run = *std::prev(after);
  return {(*files_)[run.file], run.line};
}

Interpreter::SyntaxFault Interpreter::FirstSyntaxFault(ScriptFunction& fn) {
  // The check may come while a script of this engine runs (a class that a
  // native method registers): its registers are put back as they were.
  const Token* savedPc = pc_;
  ScriptFunction* savedRunning = running_;
  const int savedDepth = depth_;
  const int savedPeak = peak_;
  const std::uintptr_t savedLimit = stackLimit_;
  SyntaxFault fault{ERR_NONE, 0};
  try {
    pc_ = fn.tokens.data();
    running_ = &fn;
    depth_ = 0;
    peak_ = 0;
    stackLimit_ = NativeStackLimit();
    ScriptValue unused;
    RunFunctionBody(false, unused, &fn);
  } catch (EErrorCode code) {
    fault = {code, static_cast<std::size_t>(pc_ - fn.tokens.data())};
  }
  pc_ = savedPc;
  running_ = savedRunning;
  depth_ = savedDepth;
  peak_ = savedPeak;
  stackLimit_ = savedLimit;
  return fault;
}

namespace {

bool CouldBeFunctionName(TokenKind kind) {
  return kind == TokenKind::AutoValiable || kind == TokenKind::Function || kind == TokenKind::Identifier ||
         kind == TokenKind::Class || kind == TokenKind::Label;
}

// A function whose "}" is missing runs on over the functions after it. The
// first of them then stands in its body as "Name ( ... ) {", which no
// statement can be, and the parse fails inside that header. The index of
// that name when the fault at `fault` is such a one; otherwise npos.
std::size_t SwallowedFunctionName(const std::vector<Token>& tokens, std::size_t fault) {
  int braces = 0;
  for (const Token& token : tokens) {
    if (token.kind == TokenKind::LMiddleParenthesis) ++braces;
    if (token.kind == TokenKind::RMiddleParenthesis) --braces;
  }
  if (braces <= 0) return std::string::npos;
  std::vector<std::size_t> open;  // the "(" not yet closed
  std::size_t lastOpened = std::string::npos;  // the "(" that the last ")" closed
  for (std::size_t i = static_cast<std::size_t>(FindBodyStart(tokens.data()).at); i < tokens.size(); ++i) {
    switch (tokens[i].kind) {
      case TokenKind::LParenthesis:
        open.push_back(i);
        break;
      case TokenKind::RParenthesis:
        lastOpened = open.empty() ? std::string::npos : open.back();
        if (!open.empty()) open.pop_back();
        break;
      case TokenKind::LMiddleParenthesis:
        if (tokens[i - 1].kind == TokenKind::RParenthesis && lastOpened != std::string::npos && lastOpened > 0 &&
            CouldBeFunctionName(tokens[lastOpened - 1].kind) && lastOpened - 1 <= fault && fault <= i)
          return lastOpened - 1;
        if (i >= fault) return std::string::npos;
        break;
      default:
        break;
    }
  }
  return std::string::npos;
}

}  // namespace

void CCScript::ReportLatentFaults(std::span<ScriptFunction* const> functions) {
  for (ScriptFunction* fn : functions) {
    const Interpreter::SyntaxFault fault = interpreter_->FirstSyntaxFault(*fn);
    // Nesting too deep depends on where the call comes from as well: the
    // run names it, not the load.
    if (fault.code == ERR_NONE || fault.code == ERR_STACK_OVERFLOW) continue;
    EErrorCode code = fault.code;
    bool swallows = false;
    // The interpreter raises a fault at the token after it; the fault stands
    // where the last token it took ends (a ";" missing at the end of a line
    // belongs to that line, not to the next).
    std::size_t at = fault.at > 0 ? fault.at - 1 : 0;
    const std::size_t swallowed = SwallowedFunctionName(fn->tokens, fault.at);
    if (swallowed != std::string::npos) {
      // Said as the "}" that is missing, where the function it swallowed
      // starts: the place to add it.
      code = ERR_NO_CLOSE_PARENTHESIS;
      at = swallowed;
      swallows = true;
    }
    const SourcePlace place = fn->places.Of(at);
    CompileFault latent;
    latent.code = code;
    latent.file = place.file;
    latent.line = place.line;
    latent.name = fn->name;
    latent.swallows = swallows;
    OnLatentFault(latent);
  }
}

CCScript::MarkedToken CCScript::MarkedTokenOf(int line, int column) const {
  const ScriptFunction* owner = FunctionHoldingPosition();
  if (!owner) return {};
  const std::vector<Token>& tokens = owner->tokens;
  for (std::size_t i = 0; i < tokens.size(); ++i)
    if (tokens[i].line == line && tokens[i].column == column) return {owner, owner->places.Of(i)};
  return {owner, {}};
}
