// The "System" class object: the window title, stopping a script, random
// numbers. Each script host (scenario runtime and scene) holds one.
#pragma once

#include "classes/class_object.h"

class RandomGenerator;

class SystemClass : public EngineClassObject {
 public:
  SystemClass();
};

// System.Random's draw: an integer from floor(a) to floor(b) (either order)
// taken from `generator`. Ranges wider than the generator's 32768 values give
// only their lowest 32768.
double DrawRandomInRange(double a, double b, RandomGenerator& generator);
