// GameScript: the program's script engine, whose run-time errors appear in a
// "Script Error" box and whose failed compiles in a line on standard error.
// The scenario runtime and the scene are each one.
#pragma once

#include "script/engine.h"

class GameScript : public CCScript {
 public:
  using CCScript::CCScript;
  bool OnError(int line, int column, int code) override;
  // "t3dplayer: FILE:LINE: error CODE: MESSAGE", the message as the table
  // gives it, with the include's name after it in double quotes for 2, or the
  // fault's reason when it has one.
  void OnCompileError(const CompileFault& fault) override;
};
