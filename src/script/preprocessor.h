// The script preprocessor: #define (one token), #include through the
// replaceable file reader, comments dropped, other directives ignored.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// Reads a whole named file into `out`; false when it does not exist. An empty
// reader reads the disk. Each engine uses its ScriptContext's.
using ScriptFileReader = std::function<bool(const std::string& path, std::string& out)>;
// Through `reader`, or from the disk when it is empty.
bool ReadScriptFile(const ScriptFileReader& reader, const std::string& path, std::string& out);
// Sets the reader of the program's engines (ScriptContext::Program): the
// program installs one at start-up so that includes are found in archives first.
void SetScriptFileReader(ScriptFileReader reader);

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
// (each ending in a separator, or empty) in turn, read through `reader`. False
// when an include fails.
bool Preprocess(const char* text, std::string& output, const std::vector<std::string>& includeFolders,
                std::vector<PreprocessorDefinition>& definitions, const ScriptFileReader& reader);
