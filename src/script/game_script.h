// GameScript: the program's script engine, whose errors appear in a
// "Script Error" box. The scenario runtime and the scene are each one.
#pragma once

#include "script/engine.h"

class GameScript : public CCScript {
 public:
  bool OnError(int line, int column, int code) override;
};
