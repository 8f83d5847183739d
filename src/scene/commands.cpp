// Commands of the scene: resolving a Command's text once the scripts are
// compiled, and running it (a script function or a built-in action).
#include <cstring>

#include "platform/system/content_report.h"
#include "platform/system/numbers.h"
#include "platform/system/safe_string.h"
#include "platform/system/terminal_text.h"
#include "scene/command_actions.h"
#include "scene/scene.h"
#include "sound/sound_manager.h"
#include "script/tokenizer.h"

namespace {

// Blanks as the tokenizer skips them before a token.
void SkipBlanks(const char** pos) {
  while (**pos == ' ' || **pos == '\t') ++*pos;
}

// Reads the comma that introduces a parameter; anything else is left in place.
bool ReadComma(const char** pos) {
  char scratch[kTokenBufferSize];
  const char* at = *pos;
  if (ReadToken(pos, scratch, false, false) == TokenKind::Comma) return true;
  *pos = at;
  return false;
}

bool IsWordChar(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// One parameter at *pos (blanks skipped, not at the end). False when it does
// not read.
bool ReadParameter(const char** pos, CommandParam& param) {
  const char first = **pos;
  if (first == ',') {
    param.kind = CommandParamKind::Empty;
    return true;
  }
  if (first == '\'') {
    char literal[kTokenBufferSize];
    if (!ExpectToken(pos, TokenKind::String, literal, true, false)) return false;
    SafeStrCopy(param.text, literal, sizeof param.text);
    param.kind = CommandParamKind::String;
    return true;
  }
  if (first == '#') {
    // The whole run of letters and digits is the parameter however long it
    // is; its value ends at the first character that is no hex digit.
    const char* run = *pos + 1;
    const char* end = run;
    while (IsWordChar(*end)) ++end;
    if (end == run) return false;
    param.word = ReadHex32(run);
    param.kind = CommandParamKind::Hex;
    *pos = end;
    return true;
  }
  float number = 0.0f;
  if (!EvalFloatExpression(pos, &number, true)) return false;
  param.number = number;
  param.kind = CommandParamKind::Number;
  return true;
}

bool ParseAction(Command& command) {
  const char* pos = command.text + 1;
  for (int i = 0; i < 4; ++i) {
    command.code <<= 8;
    if (*pos != '\0') command.code |= static_cast<unsigned char>(*pos++);
  }
  for (CommandParam& param : command.params) {
    if (*pos == '\0' || !ReadComma(&pos)) return true;
    SkipBlanks(&pos);
    if (*pos == '\0') return true;
    if (!ReadParameter(&pos, param)) return false;
  }
  return true;
}

// The class scripts see casts through until the scene is given its own: it
// has no members, so a script can pass the cast on but reads nothing of it.
class BareCastClass : public NativeClass {
 public:
  const char* ClassName() override { return "Cast"; }
  MemberRecord* GetMemberTable() override { return members_; }

 private:
  MemberRecord members_[1] = {{MK_End, SVT_None, "", 0, 0}};
};

}  // namespace

bool Scene::ParseCommand(Command& command) {
  if (!command.HasText()) return true;
  if (command.text[0] != '#') {
    if (ScriptFunction* function = FindFunction(command.text)) {
      command.type = CommandType::Function;
      command.function = function;
    }
    return true;
  }
  char text[kCommandTextSize];
  SafeStrCopy(text, command.text, sizeof text);
  command.Clear();
  std::memcpy(command.text, text, sizeof text);
  command.type = CommandType::Action;
  return ParseAction(command);
}

bool Scene::ResolveHook(Command& command, std::string_view file, const std::string& hook, HookOwner owner) {
  const bool parsed = ParseCommand(command);
  // Either way the hook keeps what ParseCommand made of it: a misspelt name
  // does nothing, as it always has; only its author is told.
  if (!parsed) {
    ReportContentFault(file, 0, hook + " has an action parameter that cannot be read: \"" +
                                    ContentTextForTerminal(command.text) + "\"");
  } else if (command.HasText() && command.text[0] != '#' && !FindFunction(command.text)) {
    // An author who put the function in the scene's script is sent there
    // by "the script"; a class's hook can only name what is compiled before
    // it, its own script with its includes (and the classes before it).
    const char* searched = owner == HookOwner::kClass
                               ? "\" that the class's script and its includes do not have (the scene's script is "
                                 "compiled after its classes)"
                               : "\" that the script does not have";
    ReportContentFault(file, 0, hook + " names the function \"" + ContentTextForTerminal(command.text) + searched);
  }
  return parsed;
}

NativeClass* Scene::GetCastClass() {
  static BareCastClass bare;
  return castClass_ ? castClass_ : &bare;
}

int Scene::ExecuteCommand(const Command& command, Cast* cast, ScriptValue* args, int argCount) {
  ++commandsRun_;
  switch (command.type) {
    case CommandType::Function: {
      if (!command.function) return ERR_NO_FUNCTION_NAME;
      ScriptValue list[kMaxParameters];
      int count = 0;
      if (cast) SetCastValue(list[count++], GetCastClass(), cast);
      for (int i = 0; args && i < argCount && count < kMaxParameters; ++i) list[count++] = args[i];
      // The engine keeps compiled functions mutable (it memoises into them).
      return CallFunction(const_cast<ScriptFunction*>(command.function), list, count);
    }
    case CommandType::Action:
      try {
        const int result = RunBuiltInAction(*this, command, cast);
        return result == kUnknownAction ? OnUserCommand(command, cast) : result;
      } catch (EErrorCode code) {
        // Inside a script call the engine reports it where the script
        // stands; an event key, a case record or a frame hook has no script
        // call around it, so the error ends here as the result.
        if (hostDepth_ > 0) throw;
        return code;
      }
    case CommandType::None:
      break;
  }
  return 0;
}

int Scene::OnUserCommand(const Command&, Cast*) { return 0; }

void Scene::PlayCommandSound(std::uint32_t code, float volume, float pan) {
  if (managers_.sound) managers_.sound->PlaySound(code, volume, pan, 0.0f);
}
