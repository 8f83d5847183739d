// ScriptAttention: how the world outside reaches a script that runs long, or
// a compile that does: a flag any thread may raise, which the interpreter
// looks at where a script can go on without end (a loop going back, a call)
// and the compile in its long loops. A ScriptContext owns one for its engines.
#pragma once

#include <atomic>
#include <functional>
#include <utility>

class ScriptAttention {
 public:
  // Answers, on the engines' thread, whether what runs must stop: the
  // program is ending. It may look around first (at the window, say), but
  // must not run scripts.
  using Hook = std::function<bool()>;

  void SetHook(Hook hook) { hook_ = std::move(hook); }
  // From any thread, a signal handler included (the store is lock-free).
  void Raise() { raised_.store(true, std::memory_order_relaxed); }
  // One load: the interpreter's check where loops go back.
  bool IsRaised() const { return raised_.load(std::memory_order_relaxed); }
  // True when the running call (or compile) must end as stopped at the
  // user's request. A raised flag is lowered and the hook asked; while the
  // hook says stop the flag stays raised, so whatever runs next stops at
  // its first check too, without waiting for another raise.
  bool StopRequested() { return IsRaised() && AskHook(); }

 private:
  bool AskHook();

  static_assert(std::atomic<bool>::is_always_lock_free);
  std::atomic<bool> raised_{false};
  Hook hook_;
};
