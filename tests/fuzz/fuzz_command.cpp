// Fuzz target for Command texts: parsed in a scene whose script defines a
// function, then run as a scene hook runs them (without a cast).
#include "classes/script_classes.h"
#include "fuzz_support.h"
#include "scene/scene.h"

T3D_FUZZ_TARGET(data, size) {
  static Scene* scene = [] {
    UseGameScriptClasses();
    auto* s = new Scene();
    s->CompileScript("Hello(c) { return 1; }", "fuzz");
    return s;
  }();
  const std::string text(FuzzText(data, size));
  Command command;
  command.SetText(text.c_str());
  scene->ParseCommand(command);
  scene->ExecuteCommand(command, nullptr, nullptr, 0);
  return 0;
}
