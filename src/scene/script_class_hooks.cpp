// The script class hooks of the process.
#include "scene/script_class_hooks.h"

namespace {

// Set once at start-up, before any engine is made; constant-initialised, so
// an engine made during static initialisation sees "no hooks", never garbage.
constinit ScriptClassHooks g_hooks;

}  // namespace

void SetScriptClassHooks(const ScriptClassHooks& hooks) { g_hooks = hooks; }

const ScriptClassHooks& GetScriptClassHooks() { return g_hooks; }
