// The Command record's clear and text copy.
#include "motion/command.h"

#include "platform/system/safe_string.h"

void Command::Clear() { *this = Command{}; }

void Command::SetText(const char* source) { SafeStrCopy(text, source != nullptr ? source : "", sizeof text); }
