// The script preprocessor: #define (one token), #include through the
// replaceable file reader, comments dropped, other directives ignored.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// Reads a whole named file into `out`; false when it does not exist. The
// default reads the disk; the archive layer installs its own at start-up so
// that includes are found in archives first.
using ScriptFileReader = std::function<bool(const std::string& path, std::string& out)>;
void SetScriptFileReader(ScriptFileReader reader);
bool ReadScriptFile(const std::string& path, std::string& out);

struct PreprocessorDefinition {
  std::string name;   // at most 63 characters kept
  std::string value;  // at most 255 characters kept
};

// Includes nest at most this deep; deeper (a file that includes itself, or a
// cycle) fails like a missing file.
constexpr int kMaxIncludeDepth = 32;

// Files that include each other many times over could multiply the output
// without end; past this size the preprocessing fails.
constexpr std::size_t kMaxPreprocessedSize = std::size_t{64} << 20;

// Preprocesses `text` into `output`. Include names are tried after each folder
// (each ending in a separator, or empty) in turn. False when an include fails.
bool Preprocess(const char* text, std::string& output, const std::vector<std::string>& includeFolders,
                std::vector<PreprocessorDefinition>& definitions);
