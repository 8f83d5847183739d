// Reading case-table files: the text is cleaned, the cases of each motion
// counted, then the records filled pair by pair.
#include "motion/case_table.h"

#include <cstring>
#include <string>

#include "files/archive.h"
#include "files/text_scan.h"
#include "motion/motion.h"
#include "platform/system/content_path.h"
#include "platform/system/content_report.h"
#include "platform/system/numbers.h"
#include "script/tokenizer.h"

namespace {

int FindMotionIndex(std::span<const Motion> motions, const char* name) {
  for (std::size_t i = 0; i < motions.size(); ++i)
    if (std::strcmp(motions[i].GetName(), name) == 0) return static_cast<int>(i);
  return -1;
}

// Drops comments, tabs and the quotes of quoted runs, so that the passes see
// plain "key=value" pairs; a quoted run that starts with "#" (an action) keeps
// its quotes, so that its commas stay inside the value. A run without its
// closing quote ends with the text.
std::string CleanCaseText(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  auto copyRunTo = [&](std::size_t end) {
    out.append(text.substr(i, end - i));
    i = end;
  };
  while (i < text.size()) {
    const char c = text[i];
    if (c == '"') {
      const bool action = i + 1 < text.size() && text[i + 1] == '#';
      std::size_t close = text.find('"', i + 1);
      if (close == std::string_view::npos) close = text.size();
      if (action) {
        copyRunTo(close < text.size() ? close + 1 : close);
      } else {
        ++i;
        copyRunTo(close);
        if (i < text.size()) ++i;
      }
    } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '/') {
      std::size_t end = text.find_first_of("\r\n", i);
      i = end == std::string_view::npos ? text.size() : end;
    } else if (c == '\t') {
      ++i;
    } else {
      copyRunTo(i + CharWidthIn(text, i));
    }
  }
  return out;
}

// Moves past the next line end, CR, LF or CR LF; false when there is none,
// which ends the pass. A table saved by a Linux editor or checked out with
// LF line ends reads as the CR LF table it was written as.
bool NextLine(const char*& p) {
  const char* end = std::strpbrk(p, "\r\n");
  if (end == nullptr) return false;
  p = end + 1;
  if (*end == '\r' && *p == '\n') ++p;
  return true;
}

// The motion named by the line's first token, or -1.
int ReadLineMotion(const char*& p, std::span<const Motion> motions, char* token) {
  while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') ++p;
  if (ReadToken(&p, token, true, false) != TokenKind::String) return -1;
  return FindMotionIndex(motions, token);
}

// The raw value after "=": up to NUL, ",", CR or LF; a quote opens a run
// copied up to the next quote, both quotes dropped. Longer values are cut at
// a character boundary and the rest is skipped.
std::string ReadCaseValue(const char*& p) {
  std::string value;
  auto take = [&]() {
    const std::size_t width = CharWidthAt(p);
    if (value.size() + width < kCaseValueSize) value.append(p, width);
    p += width;
  };
  while (*p != '\0' && *p != ',' && *p != '\r' && *p != '\n') {
    if (*p == '"') {
      ++p;
      while (*p != '\0' && *p != '"') take();
      if (*p == '"') ++p;
    } else {
      take();
    }
  }
  return value;
}

void ApplyCasePair(CaseRecord& record, const char* key, const std::string& value, std::span<const Motion> motions) {
  if (EqualsIgnoreAsciiCase(key, "CURRCON")) {
    record.current = ReadCaseCondition(value);
  } else if (EqualsIgnoreAsciiCase(key, "UPCON")) {
    record.on = ReadCaseCondition(value);
  } else if (EqualsIgnoreAsciiCase(key, "DOWNCON")) {
    record.off = ReadCaseCondition(value);
  } else if (EqualsIgnoreAsciiCase(key, "STATE")) {
    record.nextMotion = FindMotionIndex(motions, value.c_str());
  } else if (EqualsIgnoreAsciiCase(key, "TIME")) {
    record.time = value.empty() ? -1 : ReadDecimalInt32(value.c_str());
  } else if (EqualsIgnoreAsciiCase(key, "SCRIPT")) {
    record.script.SetText(value.c_str());
  } else if (EqualsIgnoreAsciiCase(key, "CONTINUE")) {
    record.continues = ReadDecimalInt32(value.c_str()) != 0;
  }
}

// The pairs of one line into the record; a token out of place ends them.
void ReadCasePairs(const char*& p, CaseRecord& record, std::span<const Motion> motions, char* token) {
  char key[kTokenBufferSize];
  while (ExpectToken(&p, TokenKind::Comma, token, true, false) &&
         ExpectToken(&p, TokenKind::String, key, true, false) &&
         ExpectToken(&p, TokenKind::Equal, token, true, false)) {
    ApplyCasePair(record, key, ReadCaseValue(p), motions);
  }
}

}  // namespace

bool CaseRecord::IsFree() const {
  const CaseCondition* words[] = {&current, &on, &off};
  for (const CaseCondition* w : words)
    if (w->value != 0 || w->mask != 0 || w->any != 0) return false;
  return nextMotion == -1 && time == -1 && !continues;
}

CaseCondition ReadCaseCondition(std::string_view text) {
  CaseCondition condition;
  for (char c : text) {
    condition.value >>= 1;
    condition.mask >>= 1;
    condition.any >>= 1;
    constexpr std::uint32_t kTop = 0x80000000u;
    if (c == '0') {
      condition.mask |= kTop;
    } else if (c == '1') {
      condition.mask |= kTop;
      condition.value |= kTop;
    } else if (c == '2') {
      condition.any |= kTop;
    }
  }
  return condition;
}

CaseList* CaseTable::ListAt(int index) {
  return index >= 0 && index < Count() ? &lists_[static_cast<std::size_t>(index)] : nullptr;
}

const CaseList* CaseTable::ListAt(int index) const {
  return index >= 0 && index < Count() ? &lists_[static_cast<std::size_t>(index)] : nullptr;
}

bool CaseTable::Load(std::string_view path, std::span<const Motion> motions) {
  FileData data;
  if (!LoadFile(path, data)) {
    ReportContentFault(path, 0, "cannot be read");
    return false;
  }
  LoadText(data.view(), motions);
  return true;
}

void CaseTable::LoadText(std::string_view source, std::span<const Motion> motions) {
  lists_.clear();
  lists_.resize(motions.size());
  const std::string text = CleanCaseText(source);
  char token[kTokenBufferSize];

  std::vector<std::size_t> counts(motions.size(), 0);
  const char* p = text.c_str();
  do {
    int motion = ReadLineMotion(p, motions, token);
    if (motion >= 0) ++counts[static_cast<std::size_t>(motion)];
  } while (NextLine(p));
  for (std::size_t i = 0; i < motions.size(); ++i) lists_[i].records.resize(counts[i]);

  // The first record of each list that is still free: records before it are
  // never written again.
  std::vector<std::size_t> nextFree(motions.size(), 0);
  p = text.c_str();
  do {
    int motion = ReadLineMotion(p, motions, token);
    if (motion < 0) continue;
    auto& records = lists_[static_cast<std::size_t>(motion)].records;
    std::size_t& cursor = nextFree[static_cast<std::size_t>(motion)];
    // A quoted value that runs over line ends can make this pass meet a
    // line the counting pass stepped over; with no record left it is skipped.
    if (cursor >= records.size()) continue;
    CaseRecord& record = records[cursor];
    ReadCasePairs(p, record, motions, token);
    if (!record.IsFree()) ++cursor;
  } while (NextLine(p));
}
