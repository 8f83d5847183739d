// Lays out a function's bytecode while bytecode_compiler.cpp parses it:
// instructions, jumps that wait for labels bound later, operands (temporaries
// taken and given back last first, constants), the nesting count, a syntax
// fault that ends the code, and the finished form the machine runs.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "script/bytecode/bytecode.h"

// The body nests too deeply to be worth compiling.
struct TooDeep {};
// Its code would take more than the engine's compiled functions may still grow by.
struct TooLarge {};

// A place in the code that jumps refer to before it is known.
struct Label {
  std::int32_t at = -1;
  std::vector<std::uint32_t> uses;  // instructions whose target is this label
};

class CodeBuilder {
 public:
  // The code may take at most `room` bytes, charged before they are allocated.
  CodeBuilder(Bytecode& out, std::size_t room) : out_(out), code_(out.counted), room_(room) {}

  std::uint32_t Emit(Op op, int rel, std::int32_t pos, std::uint32_t a = 0, std::uint32_t b = 0,
                     std::uint32_t c = 0, int code = 0);
  // Points the instruction's target at the label, now or once it is bound.
  void Target(std::uint32_t instruction, Label& label);
  void Bind(Label& label);
  void Jump(Label& label) { Target(Emit(Op::Jump, 0, 0), label); }
  // Goes to `label` when `value` is false (or true, with `when`), judged where
  // the plain routines stand at `pos`. A comparison just made for the test
  // alone (`consumed`) is folded into it: its value is a number, whose truth
  // raises nothing.
  void JumpOn(bool when, std::uint32_t value, Label& label, std::int32_t pos, int rel, bool consumed = true);
  // True when `value` is the temporary the last instruction (one of first to
  // last) just wrote, with no jump landing after it.
  bool ResultOfLast(std::uint32_t value, Op first, Op last) const;
  // The last instruction writes `variable` instead (see ResultOfLast).
  void RetargetLast(std::uint32_t variable) { code_.back().a = variable; }
  // A remainder just emitted whose divisor is a constant whole number that
  // needs no special case becomes a ModConstant.
  void RemainderByConstant();

  // A syntax fault at `pos`: the code ends by raising it, and every jump still
  // waiting for its place goes there, since the plain routines would parse on
  // to it.
  void Fault(EErrorCode code, std::int32_t pos);

  // Parses what the plain routines only parse at this point (a for loop's
  // step before its body): its syntax faults count here, its code does not.
  template <typename F>
  bool DryRun(F&& parse) {
    const std::size_t mark = code_.size();
    const int temps = freeTemp_;
    dryMark_ = static_cast<std::int64_t>(mark);
    const bool found = parse();
    dryMark_ = -1;
    code_.resize(mark);
    if (boundAtEnd_ > mark) boundAtEnd_ = mark;
    freeTemp_ = temps;
    return found;
  }

  // Records that `depth` nesting units are open here.
  void Note(int depth);

  // ---- operands
  static std::uint32_t Local(int index);
  static std::uint32_t Global(int index);
  std::uint32_t NewTemp();
  // Temporaries are taken and given back last first; one given back out of
  // turn stays taken until TempsTaken comes back to where it was.
  void Release(std::uint32_t operand);
  int TempsTaken() const { return freeTemp_; }
  void GiveBackTemps(int taken) { freeTemp_ = taken; }
  std::uint32_t NumberConstant(double number);
  std::uint32_t TextConstant(const char* text);
  std::uint32_t NoneConstant();
  std::uint32_t EmptyConstant();
  std::uint32_t FunctionConstant(ScriptFunction* function);
  std::uint32_t ClassConstant(NativeClass* cls);
  // An argument list for a call; its start in Bytecode::operands.
  std::uint32_t OperandList(const std::uint32_t* args, int count);
  std::uint32_t CalleeIndex(const ScriptFunction* function);

  // The finished code: returns that go to the end end the call themselves,
  // the copy without steps, targets made relative, and the bytes it keeps.
  void Finish();

 private:
  std::uint32_t AddConstant(ScriptValue&& value);
  // Takes `bytes` of the room; TooLarge when they are not there.
  void Charge(std::size_t bytes);
  // Room for `count` more values in `values`, charged when it grows.
  template <typename T>
  void MakeRoom(std::vector<T>& values, std::size_t count);
  void StripSteps();

  Bytecode& out_;
  std::vector<Instruction>& code_;
  std::size_t boundAtEnd_ = static_cast<std::size_t>(-1);  // code size when a label was last bound
  std::int64_t dryMark_ = -1;
  int freeTemp_ = 0;
  int maxTemps_ = 0;
  int maxRel_ = 0;
  std::map<std::uint64_t, std::uint32_t> numbers_;
  std::uint32_t none_ = 0;  // 0: not made yet (a constant's operand is never 0)
  std::uint32_t empty_ = 0;
  std::size_t room_;
  std::size_t spent_ = 0;
};
