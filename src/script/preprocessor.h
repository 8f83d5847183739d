// The script preprocessor: #define (one token), #include through the
// replaceable file reader, comments dropped, other directives ignored; and
// the map from its output back to files and lines. Used by the compiler.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class ScriptAttention;

// What reading an include came to.
enum class ScriptFileRead { Read, Missing, TooLarge };
// Reads a whole named file into `out`, unless it holds more than `limit`
// bytes: that it tells from the file's size, without reading it (TooLarge).
// An empty reader reads the disk. Each engine uses its ScriptContext's.
using ScriptFileReader =
    std::function<ScriptFileRead(const std::string& path, std::uint64_t limit, std::string& out)>;
// Through `reader`, or from the disk when it is empty.
ScriptFileRead ReadScriptFile(const ScriptFileReader& reader, const std::string& path, std::uint64_t limit,
                              std::string& out);
// Sets the reader of the program's engines (ScriptContext::Program): the
// program installs one at start-up so that includes are found in archives first.
void SetScriptFileReader(ScriptFileReader reader);

struct PreprocessorDefinition {
  std::string name;   // at most 63 characters kept
  std::string value;  // at most 255 characters kept
};

// Includes nest at most this deep; deeper (a file that includes itself, or a
// cycle) fails with the code of a missing file.
constexpr int kMaxIncludeDepth = 32;

// Files that include each other many times over could multiply the output
// without end; past this size the preprocessing fails. The files included
// count against it too, as they are read, so that files of comments alone
// cannot multiply the reading either: an include larger than what is left
// is refused from its size, before it is read.
constexpr std::size_t kMaxPreprocessedSize = std::size_t{64} << 20;

// Nor may many small files multiply the reading: one preprocessing reads at
// most this many includes (as many as the model reader allows), and the one
// past them fails, before it is read.
constexpr int kMaxIncludes = 1024;

// Where the output came from, for reports that name a file and its line:
// the preprocessor drops directive lines and inserts included files. File 0
// is the text given to Preprocess, the others the included files as they
// were read (folder and name). Lines count from 1 in their own file, at each
// character 10.
struct SourceLines {
  struct Place {
    int file = 0;
    int line = 1;
  };
  // From `offset` on, the output comes from this place.
  struct Stretch {
    std::size_t offset;
    Place place;
  };
  std::vector<std::string> files{std::string()};
  std::vector<Stretch> stretches;
  // A failed preprocessing: where it stopped (the #include that could not be
  // read) and that include's name, empty when the fault was no include; and
  // the bound it met, empty for an include that is not there.
  Place fault;
  std::string faultInclude;
  std::string faultReason;

  // The place of the output's byte at `offset`.
  Place At(std::size_t offset) const;
};

// Preprocesses `text` into `output`. Include names are tried after each folder
// (each ending in a separator, or empty) in turn, read through `reader`. False
// when an include fails. With `lines`, notes where the output came from and
// where a failure stands. With `attention`, a long preprocessing hears it at
// every token: when it says stop, ERR_USER_STOP is thrown, and `lines` (when
// given) ends where the preprocessing stood.
bool Preprocess(const char* text, std::string& output, const std::vector<std::string>& includeFolders,
                std::vector<PreprocessorDefinition>& definitions, const ScriptFileReader& reader,
                SourceLines* lines = nullptr, ScriptAttention* attention = nullptr);
