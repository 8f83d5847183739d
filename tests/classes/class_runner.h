// Runs one line of a class case file: a script fragment against the class
// objects of a script host, reported as its value or its error code.
#pragma once

#include <functional>
#include <string>

#include "script/engine.h"

// An engine (a CCScript, a Scene, a ScenarioRuntime) that reports script
// errors to no one: the cases read them from the results.
template <typename Engine>
class Quiet : public Engine {
 public:
  bool OnError(int, int, int) override { return false; }
};

// `fragment` is an expression whose value is reported, or (when it holds a ";") statements that leave the value
// to report in $r. The shared random generator is seeded with 1 first. Answers "compile N", "error N" or the value.
std::string RunClassFragment(const std::string& fragment);

// Compiles `fragment` (as RunClassFragment takes it) as the function
// `function` of `engine` and calls it (`beforeCall` first, when given):
// "compile N", "error N", or `describe` of the value $r then holds (null
// when there is none).
std::string AnswerFragment(CCScript& engine, const std::string& function, const std::string& fragment,
                           const std::function<std::string(const ScriptValue*)>& describe,
                           const std::function<void()>& beforeCall = {});

// A value as answers show it: "<none>", a number by the number-to-text rule, or a string in quotes (UTF-8).
std::string DescribeValue(const ScriptValue* value);
