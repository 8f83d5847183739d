// The script engine's inside, for the files of src/script only: the operator
// table and the numeric operators that both execution paths use.
#pragma once

#include <array>
#include <climits>
#include <cstdint>

#include "script/engine.h"

// The operator table both execution paths parse with.
// Binary operator levels, tighter binding higher; 0 is no binary operator.
enum Level { kOrOr = 1, kAndAnd, kBitOr, kBitAnd, kEquality, kRelational, kShift, kAdditive, kMultiplicative };

struct OperatorInfo {
  std::uint8_t level;
  std::uint8_t code;        // BinaryOp code
  std::uint8_t assignCode;  // code of an assignment operator, 0 when none
};

constexpr std::array<OperatorInfo, kTokenKindCount> MakeOperatorTable() {
  std::array<OperatorInfo, kTokenKindCount> table{};
  auto set = [&table](TokenKind kind, int level, int code) {
    table[static_cast<int>(kind)].level = static_cast<std::uint8_t>(level);
    table[static_cast<int>(kind)].code = static_cast<std::uint8_t>(code);
  };
  set(TokenKind::OrOr, kOrOr, 0);
  set(TokenKind::AndAnd, kAndAnd, 0);
  set(TokenKind::Or, kBitOr, 8);
  set(TokenKind::And, kBitAnd, 7);
  set(TokenKind::EqualEqual, kEquality, 11);
  set(TokenKind::NotEqual, kEquality, 12);
  set(TokenKind::Less, kRelational, 13);
  set(TokenKind::Grater, kRelational, 14);
  set(TokenKind::EqualLess, kRelational, 15);
  set(TokenKind::EqualGrater, kRelational, 16);
  set(TokenKind::LShift, kShift, 9);
  set(TokenKind::RShift, kShift, 10);
  set(TokenKind::Plus, kAdditive, 2);
  set(TokenKind::Minus, kAdditive, 3);
  set(TokenKind::Asta, kMultiplicative, 4);
  set(TokenKind::Slash, kMultiplicative, 5);
  set(TokenKind::Percent, kMultiplicative, 6);
  auto assign = [&table](TokenKind kind, int code) { table[static_cast<int>(kind)].assignCode = static_cast<std::uint8_t>(code); };
  assign(TokenKind::Equal, 1);
  assign(TokenKind::PlusEqual, 2);
  assign(TokenKind::MinusEqual, 3);
  assign(TokenKind::MultiplyEqual, 4);
  assign(TokenKind::DevideEqual, 5);
  assign(TokenKind::AndEqual, 7);
  assign(TokenKind::OrEqual, 8);
  assign(TokenKind::LShiftEqual, 9);
  assign(TokenKind::RShiftEqual, 10);
  return table;
}

constexpr std::array<OperatorInfo, kTokenKindCount> kOperators = MakeOperatorTable();

// The code raised when an operator of a level has no right operand.
constexpr EErrorCode kMissingOperand[] = {ERR_NO_RIGHT_VALUE, ERR_SYNTAX,         ERR_NO_RIGHT_VALUE,
                                          ERR_SYNTAX,         ERR_NO_RIGHT_VALUE, ERR_NO_RIGHT_VALUE,
                                          ERR_NO_RIGHT_VALUE, ERR_NO_RIGHT_VALUE, ERR_NO_RIGHT_VALUE,
                                          ERR_NO_RIGHT_VALUE};

// TruncateToInt32 of platform/system/numbers.h, here so that the operators
// inline it; the two must agree (a test compares them).
inline std::int32_t TruncateForOperator(double value) {
  constexpr double kLow = -2147483648.0;
  constexpr double kHigh = 4294967296.0;
  if (!(value > kLow - 1.0 && value < kHigh)) return INT32_MIN;
  const auto whole = static_cast<std::int64_t>(value);  // truncates toward zero
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(whole)));
}

// The numeric operators on doubles; false when the code is no numeric
// operator or a remainder's divisor is 0 (the caller raises 25).
__attribute__((always_inline)) inline bool NumericOp(int code, double x, double y, double& r) {
  switch (code) {
    case 2: r = x + y; return true;
    case 3: r = x - y; return true;
    case 4: r = x * y; return true;
    case 5: r = x / y; return true;
    case 6: {
      const std::int32_t divisor = TruncateForOperator(y);
      if (divisor == 0) return false;
      const std::int32_t dividend = TruncateForOperator(x);
      // INT32_MIN % -1 traps on the machine; its remainder is 0.
      r = divisor == -1 ? 0 : dividend % divisor;
      return true;
    }
    case 7: r = static_cast<std::uint32_t>(TruncateForOperator(x)) & static_cast<std::uint32_t>(TruncateForOperator(y)); return true;
    case 8: r = static_cast<std::uint32_t>(TruncateForOperator(x)) | static_cast<std::uint32_t>(TruncateForOperator(y)); return true;
    case 9: r = static_cast<std::uint32_t>(static_cast<std::uint32_t>(TruncateForOperator(x)) << (TruncateForOperator(y) & 31)); return true;
    case 10: r = static_cast<std::uint32_t>(TruncateForOperator(x)) >> (TruncateForOperator(y) & 31); return true;
    case 11: r = x == y; return true;
    case 12: r = x != y; return true;
    case 13: r = x < y; return true;
    case 14: r = x > y; return true;
    case 15: r = x <= y; return true;
    case 16: r = x >= y; return true;
    default: return false;
  }
}
