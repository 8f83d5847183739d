// ScriptContext: what the script engines of one program share, the member-name
// table and the reader through which #include finds files. Hosts and tests.
#pragma once

#include "script/native_class.h"
#include "script/preprocessor.h"

// The program's engines all use ScriptContext::Program(), so that a class
// registered with several of them has one set of member-name ids. A test makes
// its own, so that the ids it sees and the files it includes do not depend on
// what ran before it in the same process. A context outlives its engines.
struct ScriptContext {
  MemberNameTable memberNames;
  ScriptFileReader fileReader;  // empty: includes are read from the disk

  static ScriptContext& Program();
};
