// A fresh folder under the system's temporary folder, removed with everything
// in it at the end of a test. Used by the file-lookup, profile and archive tests.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "t3d-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern + "/";
  }
  ~TempFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder, ending in "/".
  const std::string& path() const { return path_; }

  // Writes `bytes` to the relative name, making the folders on the way.
  std::string Write(const std::string& name, std::string_view bytes) const {
    std::filesystem::path full = path_ + name;
    std::filesystem::create_directories(full.parent_path());
    std::ofstream(full, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return full.string();
  }

  std::string MakeFolder(const std::string& name) const {
    std::filesystem::create_directories(path_ + name);
    return path_ + name;
  }

  // The whole file, or "<missing>".
  std::string Read(const std::string& name) const {
    std::ifstream in(path_ + name, std::ios::binary);
    if (!in) return "<missing>";
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

 private:
  std::string path_;
};
