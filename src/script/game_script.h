// GameScript: the program's script engine, whose run-time errors appear in a
// "Script Error" box and whose failed compiles and latent faults in a line on
// standard error. The scenario runtime and the scene are each one.
#pragma once

#include "script/engine.h"

class GameScript : public CCScript {
 public:
  using CCScript::CCScript;
  // The box, its copy on standard error preceded by
  // "t3dplayer: FILE:LINE: Script Error at FUNCTION(LINE,COLUMN)": the file
  // and its line where the token the box marks stands.
  bool OnError(int line, int column, int code) override;
  // "t3dplayer: FILE:LINE: error CODE: MESSAGE", the message as the table
  // gives it, with the include's name after it in double quotes for 2, or the
  // fault's reason when it has one.
  void OnCompileError(const CompileFault& fault) override;
  // "t3dplayer: FILE:LINE: error CODE: MESSAGE (in FUNCTION)", and for a
  // missing "}" where the swallowed function starts, what the author adds there.
  void OnLatentFault(const CompileFault& fault) override;
};
