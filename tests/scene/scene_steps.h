// A small step language that drives the game's scene from a text (load scene files,
// register classes, add and move casts, run frames) and prints what the
// scene holds; the data-driven scene cases are written in it.
#pragma once

#include <string>

// Runs the steps (see cases/README) with class and scene files taken from
// `casesDir`; returns the printed trace.
std::string RunSceneSteps(const std::string& steps, const std::string& casesDir);
