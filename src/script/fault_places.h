// Script faults named where they stand in the content's files: the place of
// every token of a compiled function, which the function keeps for the
// reports of its run-time errors, and (fault_places.cpp) the check at load
// for faults the interpreter would raise only when it reached them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct SourceLines;

// A file as the content names it (the compiled source's path, or an included
// file's folder and name) and a line there, from 1; line 0: not known.
struct SourcePlace {
  std::string_view file;
  int line = 0;
};

// The line of the source's file on which line `line` (from 1) of its text
// stands: `fileLines` lists them (a script inside markup starts below its
// element's tag, and the markup leaves its blank lines out); lines past the
// list, all of them for an empty one, follow on one by one.
int FileLineOf(int line, std::span<const int> fileLines);

// Where the tokens of one compiled function stand. Tokens of one line of one
// file share a run, so the map costs a few bytes a line, not a token.
class TokenPlaces {
 public:
  // Makes the maps of the functions of one compile, which share its files
  // (file 0 the compiled source, then the included files).
  class Builder {
   public:
    Builder(const std::string& path, const SourceLines& lines, std::span<const int> fileLines);
    // The places of a function whose text starts at `start` in the
    // preprocessed text, its tokens at `offsets` from there.
    TokenPlaces Build(std::size_t start, std::span<const std::size_t> offsets) const;

   private:
    std::shared_ptr<const std::vector<std::string>> files_;
    const SourceLines& lines_;
    std::span<const int> fileLines_;
  };

  // The place of token `index`; line 0 for a function built without a map.
  SourcePlace Of(std::size_t index) const;
  // What the map keeps, for its engine's account of compiled functions.
  std::size_t Bytes() const { return runs_.capacity() * sizeof(Run); }

 private:
  struct Run {
    std::uint32_t token;  // the first token of the run
    std::uint32_t file;
    std::int32_t line;
  };
  std::shared_ptr<const std::vector<std::string>> files_;
  std::vector<Run> runs_;
};
