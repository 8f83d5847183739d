// The program's script context.
#include "script/script_context.h"

#include <utility>

ScriptContext& ScriptContext::Program() {
  // Made on first use and kept for the whole run: the classes registered with
  // the program's engines hold ids into its table until the end.
  static ScriptContext context;
  return context;
}

void SetScriptFileReader(ScriptFileReader reader) { ScriptContext::Program().fileReader = std::move(reader); }
