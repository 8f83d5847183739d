// script-run FILE [FUNCTION [ARG...]]: compile a script with the test class
// Probe, call a function and print the result and the globals.
#include <cstdio>
#include <string>
#include <vector>

#include "script/script_runner.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: script-run FILE [FUNCTION [ARG...]]\n");
    return 2;
  }
  ScriptCall call;
  if (argc > 2) call.function = argv[2];
  call.args.assign(argv + (argc > 3 ? 3 : argc), argv + argc);
  std::string output = RunScriptFile(argv[1], {call});
  std::fwrite(output.data(), 1, output.size(), stdout);
  return output.rfind("cannot read ", 0) == 0 ? 2 : 0;
}
