// Fuzz target for Command texts: parsed in a scene whose script defines a
// function, then run as a scene hook runs them (without a cast).
#include <cstddef>
#include <cstdint>
#include <string>

#include "classes/script_classes.h"
#include "scene/scene.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Scene* scene = [] {
    UseGameScriptClasses();
    auto* s = new Scene();
    s->CompileScript("Hello(c) { return 1; }", "fuzz");
    return s;
  }();
  const std::string text(reinterpret_cast<const char*>(data), size);
  Command command;
  command.SetText(text.c_str());
  scene->ParseCommand(command);
  scene->ExecuteCommand(command, nullptr, nullptr, 0);
  return 0;
}
