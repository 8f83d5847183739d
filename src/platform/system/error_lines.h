// The player's lines on standard error, each text at most once per scene run:
// content that repeats a fault every frame tells its author once instead of
// flooding the terminal. Content faults, the copies of message boxes and the
// sound manager's lines are written through it; the scene starts each run.
#pragma once

#include <string_view>

// Writes `line` (ending in "\n") to standard error in one write, unless the
// same text was written since the last ForgetWrittenErrorLines. Lines of any
// thread may come at once. Past kMaxErrorLinesPerRun different texts in one
// run, one line says the rest are held back, and nothing more is written
// until the next run: what is remembered stays bounded.
void WriteErrorLineOnce(std::string_view line);
// A new scene run begins: every text may be written once again.
void ForgetWrittenErrorLines();

constexpr int kMaxErrorLinesPerRun = 4096;
