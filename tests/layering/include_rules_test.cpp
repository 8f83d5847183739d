// The layering of src/ as the #include lines show it: which folder may include
// which (the rules of DESIGN.md's "Layout", as a table here), library headers
// only inside the platform layer, no folders or headers that include each
// other, and no test header in src/. Run on the real tree and on a small tree
// with one fault of each kind, so the checks are known to catch them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "platform/system/temp_folder.h"

namespace {

namespace fs = std::filesystem;

// Which folders a folder of src/ may include besides itself. "platform/*"
// stands for every folder of platform/, "*" for every folder. A folder of
// src/ without a row fails the test until it is given one.
struct Rule {
  const char* folder;
  std::vector<std::string> may;
};

const std::vector<Rule> kRules = {
    {"platform/*", {"platform/*"}},
    // The base: the preprocessor reads files and the text loaders use the
    // tokenizer; the cycle check keeps the two from including each other.
    {"script", {"platform/*", "files"}},
    {"files", {"platform/*", "script"}},
    {"converter", {"platform/*", "files", "script"}},
    {"motion", {"platform/*", "script", "files", "converter"}},
    {"collision", {"platform/math", "platform/mesh"}},
    {"input", {"platform/*", "script", "files"}},
    {"sound", {"platform/*", "script", "files"}},
    {"scene", {"platform/*", "script", "files", "motion", "collision", "input", "sound"}},
    {"classes", {"platform/*", "script", "files", "converter", "motion", "collision", "input", "sound", "scene"}},
    {"render", {"platform/*", "script", "files", "converter", "motion", "collision", "input", "sound", "scene"}},
    {"app", {"*"}},
};

// Headers of the libraries that only the platform layer wraps, by the start
// of the name an #include <...> gives.
const char* const kPlatformLibraryHeaders[] = {"SDL", "GL/", "GLES", "EGL/", "KHR/", "epoxy/", "X11/",
                                               "vorbis/", "ogg/", "png.h", "pngconf.h", "jpeglib.h",
                                               "jerror.h", "jconfig.h", "jmorecfg.h"};
const char* const kTestLibraryHeaders[] = {"gtest/", "gmock/", "benchmark/"};

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

// The folder a file of src/ belongs to: the folder below platform/, else the
// top folder (scene/cast/ is part of scene).
std::string FolderOf(const std::string& file) {
  const std::size_t first = file.find('/');
  if (first == std::string::npos) return "";
  if (file.compare(0, first, "platform") != 0) return file.substr(0, first);
  const std::size_t second = file.find('/', first + 1);
  return second == std::string::npos ? "" : file.substr(0, second);
}

bool Matches(const std::string& pattern, const std::string& folder) {
  if (pattern == "*") return true;
  if (pattern.size() > 2 && pattern.ends_with("/*")) return StartsWith(folder, pattern.substr(0, pattern.size() - 1));
  return pattern == folder;
}

const Rule* RuleOf(const std::string& folder) {
  for (const Rule& rule : kRules)
    if (Matches(rule.folder, folder)) return &rule;
  return nullptr;
}

struct Include {
  int line = 0;
  std::string name;     // as written
  bool quoted = false;  // "..." rather than <...>
  std::string target;   // the file of src/ it names, relative to src/; empty when none
  bool testHeader = false;
};

// Every file of src/ (relative, sorted) with its #include lines resolved as
// the compiler does for the include folders of the build: the including
// file's folder first, then src/, then tests/ (which only tests may use).
std::map<std::string, std::vector<Include>> ReadTree(const fs::path& src, const fs::path& tests) {
  static const std::regex kInclude(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
  std::map<std::string, std::vector<Include>> tree;
  for (const auto& entry : fs::recursive_directory_iterator(src)) {
    const std::string extension = entry.path().extension().string();
    if (!entry.is_regular_file() || (extension != ".h" && extension != ".cpp" && extension != ".c")) continue;
    const std::string file = entry.path().lexically_relative(src).generic_string();
    std::vector<Include>& includes = tree[file];
    std::ifstream in(entry.path());
    std::string text;
    for (int line = 1; std::getline(in, text); ++line) {
      std::smatch match;
      if (!std::regex_search(text, match, kInclude)) continue;
      Include include{line, match[2], match[1] == "\"", "", false};
      if (include.quoted) {
        const fs::path besides = (entry.path().parent_path() / include.name).lexically_normal();
        const fs::path inSrc = (src / include.name).lexically_normal();
        if (fs::is_regular_file(besides)) include.target = besides.lexically_relative(src).generic_string();
        else if (fs::is_regular_file(inSrc)) include.target = inSrc.lexically_relative(src).generic_string();
        else include.testHeader = fs::is_regular_file(tests / include.name);
      } else {
        for (const char* prefix : kTestLibraryHeaders) include.testHeader |= StartsWith(include.name, prefix);
      }
      includes.push_back(include);
    }
  }
  return tree;
}

std::string Where(const std::string& file, const Include& include) {
  return file + ":" + std::to_string(include.line) + " " + include.name + ": ";
}

// The includes that break a folder rule, wrap a library outside platform/,
// name a test header or no file at all, in file order.
std::string CheckIncludes(const std::map<std::string, std::vector<Include>>& tree) {
  std::string report;
  std::set<std::string> unruled;
  for (const auto& [file, includes] : tree) {
    const std::string folder = FolderOf(file);
    const Rule* rule = RuleOf(folder);
    if (!rule && unruled.insert(folder).second) report += "src/" + folder + " has no rule (" + file + ")\n";
    for (const Include& include : includes) {
      const std::string target = FolderOf(include.target);
      const auto permits = [&](const std::string& may) { return Matches(may, target); };
      const bool allowed = !rule || target == folder || std::any_of(rule->may.begin(), rule->may.end(), permits);
      if (!include.target.empty() && !allowed)
        report += Where(file, include) + folder + " may not include " + target + "\n";
      for (const char* prefix : kPlatformLibraryHeaders)
        if (!include.quoted && !StartsWith(file, "platform/") && StartsWith(include.name, prefix))
          report += Where(file, include) + "only platform/ wraps this library\n";
      if (include.testHeader) report += Where(file, include) + "a test header\n";
      else if (include.quoted && include.target.empty()) report += Where(file, include) + "names no file of src/\n";
    }
  }
  return report;
}

// The groups of nodes that reach each other (more than one node, or one that
// reaches itself), each sorted, described one a line in sorted order.
std::string Cycles(const std::map<std::string, std::set<std::string>>& edges, const char* what) {
  std::map<std::string, std::set<std::string>> reached;
  for (const auto& [from, unused] : edges) {
    std::vector<std::string> todo{from};
    while (!todo.empty()) {
      const auto it = edges.find(todo.back());
      todo.pop_back();
      if (it == edges.end()) continue;
      for (const std::string& to : it->second)
        if (reached[from].insert(to).second) todo.push_back(to);
    }
  }
  std::set<std::string> groups;
  for (const auto& [node, reach] : reached) {
    if (!reach.count(node)) continue;
    std::string group = what;
    for (const std::string& other : reach)
      if (reached[other].count(node)) group += " " + other;
    groups.insert(group + "\n");
  }
  std::string report;
  for (const std::string& group : groups) report += group;
  return report;
}

std::string CheckCycles(const std::map<std::string, std::vector<Include>>& tree) {
  std::map<std::string, std::set<std::string>> folders, headers;
  for (const auto& [file, includes] : tree) {
    for (const Include& include : includes) {
      if (include.target.empty()) continue;
      if (FolderOf(include.target) != FolderOf(file)) folders[FolderOf(file)].insert(FolderOf(include.target));
      if (file.ends_with(".h")) headers[file].insert(include.target);
    }
  }
  return Cycles(folders, "folders include each other:") + Cycles(headers, "headers include each other:");
}

const fs::path kSource = fs::path(T3D_SOURCE_DIR);

TEST(IncludeRules, SourceTreeKeepsTheLayering) {
  const auto tree = ReadTree(kSource / "src", kSource / "tests");
  ASSERT_GT(tree.size(), 100u);
  EXPECT_EQ(CheckIncludes(tree) + CheckCycles(tree), "");
}

TEST(IncludeRules, EachKindOfFaultIsReported) {
  TempFolder root;
  root.Write("tests/support/helper.h", "");
  root.Write("src/platform/system/clock.h", "#include <SDL.h>\n");
  root.Write("src/script/engine.h", "#include \"files/archive.h\"\n");
  root.Write("src/files/archive.h", "#include \"script/engine.h\"\n#include <png.h>\n");
  root.Write("src/scene/cast/cast.h", "#include \"scene/scene.h\"\n#include \"classes/cast_class.h\"\n");
  root.Write("src/scene/scene.h", "#include \"cast/cast.h\"\n");
  root.Write("src/classes/cast_class.h", "#include \"scene/scene.h\"\n#include \"render/draw.h\"\n");
  root.Write("src/render/draw.h", "#include \"platform/system/clock.h\"\n");
  root.Write("src/collision/sweep.cpp", "#include \"platform/system/clock.h\"\n#include \"support/helper.h\"\n");
  root.Write("src/app/main.cpp", "#include <gtest/gtest.h>\n#include \"nowhere.h\"\n");
  root.Write("src/tools/tool.cpp", "#include \"app/none.h\"\n");
  const auto tree = ReadTree(root.path() + "src", root.path() + "tests");

  EXPECT_EQ(CheckIncludes(tree) + CheckCycles(tree),
            "app/main.cpp:1 gtest/gtest.h: a test header\n"
            "app/main.cpp:2 nowhere.h: names no file of src/\n"
            "classes/cast_class.h:2 render/draw.h: classes may not include render\n"
            "collision/sweep.cpp:1 platform/system/clock.h: collision may not include platform/system\n"
            "collision/sweep.cpp:2 support/helper.h: a test header\n"
            "files/archive.h:2 png.h: only platform/ wraps this library\n"
            "scene/cast/cast.h:2 classes/cast_class.h: scene may not include classes\n"
            "src/tools has no rule (tools/tool.cpp)\n"
            "tools/tool.cpp:1 app/none.h: names no file of src/\n"
            "folders include each other: classes scene\n"
            "folders include each other: files script\n"
            "headers include each other: classes/cast_class.h scene/cast/cast.h scene/scene.h\n"
            "headers include each other: files/archive.h script/engine.h\n");
}

}  // namespace
