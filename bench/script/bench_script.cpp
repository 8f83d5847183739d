// Runs each program of bench/script/programs in this script language and in
// Lua 5.4, side by side in one process, and prints the time ratio.
// bench_script [FOLDER [RUNS [PROGRAM [script|lua]]]]: a program and a side
// alone, to count instructions under callgrind.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <lua5.4/lua.hpp>

#include "script/engine.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Best of `runs`, so a busy moment of the machine does not count.
template <typename F>
double BestOf(int runs, F&& body) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    auto start = std::chrono::steady_clock::now();
    if (!body()) return -1;
    best = std::min(best, Seconds(std::chrono::steady_clock::now() - start));
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  fs::path folder = argc > 1 ? fs::path(argv[1]) / "programs" : fs::path("bench/script/programs");
  int runs = argc > 2 ? std::atoi(argv[2]) : 3;
  const std::string only = argc > 3 ? argv[3] : "";
  const std::string side = argc > 4 ? argv[4] : "";
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().extension() == ".csc" && (only.empty() || entry.path().stem() == only))
      names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());

  std::printf("%-10s %12s %12s %8s\n", "program", "script (ms)", "lua (ms)", "ratio");
  double worst = 0;
  for (const std::string& name : names) {
    const std::string source = ReadAll(folder / (name + ".csc"));
    const std::string lua = ReadAll(folder / (name + ".lua"));
    double ours = side == "lua" ? 1 : BestOf(runs, [&] {
      CCScript engine;
      if (engine.CompileScript(source.c_str(), "") != ERR_NONE) return false;
      return engine.CallFunction(engine.FindFunction("main"), nullptr, 0) == ERR_NONE;
    });
    double theirs = side == "script" ? 1 : BestOf(runs, [&] {
      lua_State* state = luaL_newstate();
      luaL_openlibs(state);
      bool ok = luaL_dostring(state, lua.c_str()) == LUA_OK;
      lua_close(state);
      return ok;
    });
    if (ours < 0 || theirs < 0) {
      std::printf("%-10s failed to run\n", name.c_str());
      return 1;
    }
    double ratio = ours / theirs;
    worst = std::max(worst, ratio);
    std::printf("%-10s %12.1f %12.1f %7.2fx\n", name.c_str(), ours * 1000, theirs * 1000, ratio);
  }
  std::printf("slowest ratio: %.2fx (target: at most 1.5x)\n", worst);
  return 0;
}
