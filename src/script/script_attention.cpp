// The attention's answer.
#include "script/script_attention.h"

bool ScriptAttention::AskHook() {
  // Lowered before the hook looks, so that a raise while it looks is kept.
  raised_.store(false, std::memory_order_relaxed);
  if (!hook_ || !hook_()) return false;
  raised_.store(true, std::memory_order_relaxed);
  return true;
}
