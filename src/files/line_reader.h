// LineReader: a text handed out line by line, raw (for the markup reader) or
// expanding $(NAME) macros and #define/#set/#add/#include directives (for the model-source reader).
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "files/archive.h"

// The current line holds this many characters and a NUL.
constexpr std::size_t kLineCapacity = 1024;
// Definition table: entries, and the bytes of a name or value with its NUL.
constexpr int kLineDefinitionCount = 1000;
constexpr std::size_t kLineDefinitionTextSize = 32;
// Includes nest at most this deep below the file being read; past that, or
// when a file would include one of the files that include it, the include
// fails instead of recursing.
constexpr int kLineIncludeDepth = 16;
// Files that include each other many times over (without a cycle) could
// multiply the reading without end; one reading opens at most this many.
constexpr int kLineIncludeBudget = 1024;

struct LineDefinition {
  char name[kLineDefinitionTextSize] = {};
  char value[kLineDefinitionTextSize] = {};
};

class LineReader {
 public:
  // Reads a whole file; the default is LoadFile (archives, then the disk).
  using FileSource = std::function<bool(const std::string& path, FileData& out)>;

  LineReader();
  virtual ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // Loads the file and reads it; the reader owns the text. False when the
  // file is missing or empty.
  bool Open(std::string_view path);
  // Reads the caller's NUL-terminated text, which must outlive the reading.
  // Starts an empty definition table and clears the file name.
  bool SetText(const char* text);
  // Releases an owned text and the definition table.
  void Close();

  // The next line into GetLine, raw or expanded; false at the end.
  bool ReadLine(bool expand);
  const char* GetLine() const { return line_.data(); }
  // The source line (from 1) on which the current line starts.
  int GetLineNumber() const { return lineNumber_; }
  // The file the text came from; empty for a text handed in.
  const std::string& GetPath() const { return path_; }

  // An expanded, non-blank line: true delivers it, false consumes it. This
  // reader's own handles the "#" directives.
  virtual bool OnDirective(const char* line);

  // Replaces the value of the entry with that name or appends one; names and
  // values are kept to 31 characters (names are compared as kept). False when
  // the table is full or there is none.
  bool Define(std::string_view name, std::string_view value);
  void SetNumber(std::string_view name, int value);
  // The value as a decimal integer; false when the name is not defined.
  bool GetNumber(std::string_view name, int& value) const;
  // The value of the first entry with the name, or null.
  const char* FindDefinition(std::string_view name) const;
  int GetDefinitionCount() const { return static_cast<int>(definitions_.size()); }
  const LineDefinition& GetDefinition(int index) const {
    return definitions_[static_cast<std::size_t>(index)];
  }

  // Where Open and #include read files; kept by Close, passed on to includes.
  void SetFileSource(FileSource source);
  // Some #include could not be read (missing, too deep, a cycle, over the
  // budget), here or in a file it included. The reading went on without it.
  bool IncludeFailed() const { return includeFailed_; }

 protected:
  // The next non-empty raw line, whole, within the text (GetLine gets it cut
  // to 1023 characters). The view stays valid while the text does.
  bool ReadRawLine(std::string_view& line);

 private:
  bool ReadExpandedLine();
  std::size_t ScanLineEnd(const char* p) const;
  void SkipLineBreaks();
  void Include(std::string_view file);
  bool IncludeIsRefused(const std::string& path) const;

  FileData owned_;
  const char* text_ = nullptr;
  const char* pos_ = nullptr;
  std::array<char, kLineCapacity> line_{};
  int lineNumber_ = 0;
  int nextLineNumber_ = 1;
  std::string path_;
  std::vector<LineDefinition> definitions_;
  bool hasTable_ = false;

  FileSource fileSource_;
  const LineReader* includer_ = nullptr;  // the reader whose #include opened this one
  int includeDepth_ = 0;
  int includesLeft_ = kLineIncludeBudget;
  int* budget_ = &includesLeft_;          // shared by one reading and its includes
  bool includeFailed_ = false;
};
