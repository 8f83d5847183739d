// Animation sets made from motions: one key-frame interpolator per model
// frame, one tick per frame. The object class builds one per motion when the
// scene registers it.
#pragma once

#include <memory>

#include "platform/mesh/animation_set.h"

class Model;
class Motion;

// Track i of the motion animates frame i of the model's frame order: its
// rotation, scale and translation keys (translations moved by the frame's
// own translation as loaded), each kind closed by a key at the motion's
// length that repeats its value at time 0, so a looping motion wraps without
// a jump. The interpolators carry the frames' full names, so a frame whose
// name is longer than a track can store still animates. A frame without a
// track of its own holds its loaded translation.
std::shared_ptr<AnimationSet> BuildMotionAnimationSet(const Motion& motion, const Model& model);
