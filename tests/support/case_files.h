// Reading the case files of data-driven tests: a whole file as bytes, the
// sorted names of the cases in a folder, the rows of a table file, case files
// of calls and answers, traces and golden files, the fields of rows (bytes,
// numbers), and the folder of real files written by other tools. Shared by
// every suite's case runner.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
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

// The lines, each ended by a line break: a recorded trace as a golden file holds it.
inline std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

// The golden file's text to compare `actual` with. T3D_WRITE_GOLDEN=1 writes
// `actual` there first: a changed golden file is a change of behaviour,
// reviewed as code.
inline std::string GoldenText(const std::filesystem::path& golden, const std::string& actual) {
  if (std::getenv("T3D_WRITE_GOLDEN")) std::ofstream(golden, std::ios::binary) << actual;
  return ReadTextFile(golden);
}

// The stems of the files in `folder` with the given extension (".csc"), sorted.
inline std::vector<std::string> ListCases(const std::filesystem::path& folder, std::string_view extension) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.path().extension() == extension) names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

// The names of the sub-folders of `folder` (one case each), sorted.
inline std::vector<std::string> ListCaseFolders(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// The rows of a table file (NAME.rows): one row a line, fields apart by
// blanks; a field in double quotes may hold blanks and the escapes \" \\ \n
// \r \t \0 and \xHH. Blank lines and lines starting with "#" are skipped. A
// line that does not parse gives the one field "<bad row>" and the line.
inline std::vector<std::vector<std::string>> ReadTableRows(const std::filesystem::path& path) {
  constexpr std::string_view kEscapes = "\"\\nrt0", kMeanings("\"\\\n\r\t\0", 6);
  const auto hex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(ReadTextFile(path));
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> row;
    bool bad = false;
    for (std::size_t i = line.find_first_not_of(" \t"); i < line.size() && !bad; i = line.find_first_not_of(" \t", i)) {
      if (row.empty() && line[i] == '#') break;
      std::string field;
      if (line[i] != '"') {
        const std::size_t end = std::min(line.find_first_of(" \t", i), line.size());
        field = line.substr(i, end - i);
        i = end;
      } else {
        for (++i; i < line.size() && line[i] != '"' && !bad; ++i) {
          if (line[i] != '\\') {
            field += line[i];
          } else if (i + 1 < line.size() && kEscapes.find(line[i + 1]) != std::string_view::npos) {
            field += kMeanings[kEscapes.find(line[++i])];
          } else if (i + 3 < line.size() && line[i + 1] == 'x' && hex(line[i + 2]) && hex(line[i + 3])) {
            field += static_cast<char>(std::stoi(line.substr(i + 2, 2), nullptr, 16));
            i += 3;
          } else {
            bad = true;
          }
        }
        bad = bad || i++ >= line.size();  // no closing quote
      }
      row.push_back(field);
    }
    if (bad) row = {"<bad row>", line};
    if (!row.empty()) rows.push_back(row);
  }
  return rows;
}

// The rows of a table file, each checked to have `fields` fields; a table of
// fewer than `atLeast` rows fails the test, so that a table cut short by a
// bad edit does not pass quietly.
inline std::vector<std::vector<std::string>> ReadTableRows(const std::filesystem::path& path, std::size_t fields,
                                                           std::size_t atLeast) {
  auto rows = ReadTableRows(path);
  EXPECT_GE(rows.size(), atLeast) << path.filename();
  for (const auto& row : rows) EXPECT_EQ(row.size(), fields) << path.filename() << ": " << row[0];
  return rows;
}

// Bytes of a row field as hex words apart by blanks ("0100 c8000000");
// "00*52" repeats a word, "-" is none.
inline std::vector<std::uint8_t> HexBytes(std::string_view text) {
  std::vector<std::uint8_t> bytes;
  std::istringstream words{std::string(text)};
  for (std::string word; words >> word;) {
    if (word == "-") continue;
    const std::size_t star = std::min(word.find('*'), word.size());
    const int times = star < word.size() ? std::stoi(word.substr(star + 1)) : 1;
    if (star % 2 != 0) ADD_FAILURE() << "odd hex word " << word;
    for (int t = 0; t < times; ++t)
      for (std::size_t i = 0; i + 1 < star; i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(word.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

// The numbers of a comma-separated row field ("2,16,22050"; 0x.. in hex).
inline std::vector<long> Numbers(const std::string& list) {
  std::vector<long> numbers;
  std::istringstream in(list);
  for (std::string number; std::getline(in, number, ',');) numbers.push_back(std::stol(number, nullptr, 0));
  return numbers;
}

// A case file of calls answered anew, to be compared with the file as
// written. Each line that is neither blank, a comment ("#") nor indented is a
// call: its text before " =>" (trailing blanks cut) goes to `answer`, and the
// line comes back as written up to the arrow, then " => " and the answer, the
// answer's later lines indented by two blanks. The indented lines of the file
// (the rest of an answer) are left out, as the answer writes them again. A
// call that answers "" comes back alone: a step that says nothing.
inline std::string AnswerCalls(const std::string& text, const std::function<std::string(const std::string&)>& answer) {
  std::istringstream lines(text);
  std::string out;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("  ", 0) == 0) continue;
    const std::string written = line.substr(0, line.find(" =>"));
    if (written.empty() || written[0] == '#') {
      out += line + "\n";
      continue;
    }
    std::string said = answer(written.substr(0, written.find_last_not_of(' ') + 1));
    for (std::size_t at = said.find('\n'); at != std::string::npos; at = said.find('\n', at + 3))
      said.insert(at + 1, "  ");
    out += (said.empty() ? written : written + " => " + said) + "\n";
  }
  return out;
}

// The folder of the shared corpus of real files of a kind ("x", "mqo"), beside
// the checkout or beside the folder of worktrees; empty when it is absent
// (tests then skip).
inline std::filesystem::path CorpusDir(std::string_view kind) {
  for (const char* up : {"/..", "/../.."}) {
    const std::filesystem::path dir = std::filesystem::path(std::string(T3D_SOURCE_DIR) + up + "/shared/corpus") / kind;
    if (std::filesystem::exists(dir / "README.md")) return dir;
  }
  return {};
}
