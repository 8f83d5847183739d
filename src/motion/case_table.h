// CaseTable: per motion, the cases that turn the control word into motion
// changes, read from a case-table file when a class loads and evaluated by the scene every frame.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "motion/command.h"

class Motion;

// A case value keeps this many bytes; longer values are cut.
constexpr std::size_t kCaseValueSize = 260;

// One condition on a word of the control bits: (word & mask) == value, and
// when `any` is non-zero at least one of its bits on.
struct CaseCondition {
  std::uint32_t value = 0;
  std::uint32_t mask = 0;
  std::uint32_t any = 0;
};

struct CaseRecord {
  CaseCondition current;  // CURRCON: the bits that are on
  CaseCondition on;       // UPCON: the bits that came on this frame
  CaseCondition off;      // DOWNCON: the bits that went off this frame
  std::int32_t nextMotion = -1;
  std::int32_t time = -1;
  Command script;
  bool continues = false;

  // Nothing set but (perhaps) the script: the next case of the motion is
  // read into the same record.
  bool IsFree() const;
};

struct CaseList {
  std::vector<CaseRecord> records;
};

class CaseTable {
 public:
  void Clear() { lists_.clear(); }
  int Count() const { return static_cast<int>(lists_.size()); }
  // The cases of motion `index`; null outside the table.
  CaseList* ListAt(int index);
  const CaseList* ListAt(int index) const;

  // Reads the file (archives, then the disk) and rebuilds the table for the
  // motions; false, with the table unchanged, when it cannot be read (which
  // standard error is told).
  bool Load(std::string_view path, std::span<const Motion> motions);
  // The same from a text in memory.
  void LoadText(std::string_view text, std::span<const Motion> motions);

 private:
  std::vector<CaseList> lists_;
};

// Reads a condition string: each character shifts the three words one bit
// down and sets bit 31 by its meaning ("0" must be off, "1" must be on, "2"
// one of the any set, other characters untested).
CaseCondition ReadCaseCondition(std::string_view text);
