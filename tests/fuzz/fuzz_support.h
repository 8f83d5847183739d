// What the fuzz targets share: the entry point, the check that stops a run as
// a found fault, the input as text, and for targets that go through files a
// scratch folder of the process, removed when it ends, and whole files
// written into it.
#pragma once

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#define T3D_FUZZ_TARGET(data, size) extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)

// Stops the run as a found fault: a promise of the code under test is broken.
inline void FaultIf(bool fault) {
  if (fault) __builtin_trap();
}

inline std::string_view FuzzText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// A folder of this process under the temporary folder, ending in "/". Its
// name is never destroyed: the handler that removes the folder at exit runs
// after the statics are gone.
inline const std::string& FuzzScratchFolder() {
  static const std::string& folder = *[] {
    std::string pattern = (std::filesystem::temp_directory_path() / "t3d-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(FuzzScratchFolder(), ignored);
    });
    return new std::string(pattern + "/");
  }();
  return folder;
}

// Writes the bytes as the file `name` of the scratch folder; gives its path.
inline std::string WriteFuzzFile(const std::string& name, const void* data, std::size_t size) {
  const std::string path = FuzzScratchFolder() + name;
  if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, file);
    std::fclose(file);
  }
  return path;
}
