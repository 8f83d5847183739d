// Runs one line of a class case file: a script fragment against the class
// objects of a script host, reported as its value or its error code.
#pragma once

#include <string>

// `fragment` is an expression whose value is reported, or (when it holds a
// ";") statements that leave the value to report in $r. The shared random
// generator is seeded with 1 first. Answers "compile N", "error N", "<none>",
// a number by the number-to-text rule, or a string in double quotes (UTF-8).
std::string RunClassFragment(const std::string& fragment);

// Every line "FRAGMENT => EXPECTED" of a case text run again, each with the
// answer of this run in place of EXPECTED; other lines are kept as they are.
std::string RunClassCases(const std::string& text);
