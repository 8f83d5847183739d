// ScriptContext: what the script engines of one program share, the member-name
// table, the reader through which #include finds files, the account of the
// texts their scripts hold and the attention that stops them when the
// program ends. Hosts and tests.
#pragma once

#include "script/native_class.h"
#include "script/preprocessor.h"
#include "script/script_attention.h"
#include "script/script_text.h"

// The program's engines all use ScriptContext::Program(), so that a class
// registered with several of them has one set of member-name ids. A test makes
// its own, so that the ids it sees and the files it includes do not depend on
// what ran before it in the same process. A context outlives its engines and
// every value their scripts made.
struct ScriptContext {
  MemberNameTable memberNames;
  ScriptFileReader fileReader;  // empty: includes are read from the disk
  // One for both of the program's engines: the bound is on what the game's
  // scripts hold together, the root scenario's and the scene's.
  ScriptTextAccount texts;
  // Raised from outside while a script of the context runs; the hook says
  // whether it must stop (ScriptAttention).
  ScriptAttention attention;

  static ScriptContext& Program();
};
