// Reading the case files of data-driven tests: a whole file as bytes, and the
// sorted names of the cases in a folder. Shared by every suite's case runner.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

inline std::string ReadTextFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// The stems of the files in `folder` with the given extension (".csc"), sorted.
inline std::vector<std::string> ListCases(const std::filesystem::path& folder, std::string_view extension) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.path().extension() == extension) names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}
