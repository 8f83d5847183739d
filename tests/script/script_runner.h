// The script test driver: compiles a file with the test class Probe, calls a
// function and reports the result and the globals as text. Used by the
// script-run tool and by the data-driven cases.
#pragma once

#include <string>
#include <vector>

// The driver's whole output for one run, as script-run prints it. Each run has
// a script context of its own, so runs in one process do not affect each other.
std::string RunScriptFile(const std::string& path, const std::string& function,
                          const std::vector<std::string>& args);
