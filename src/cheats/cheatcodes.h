// Up, up, down, down, left, right, left, right on the left stick, then the right and bottom
// face buttons of gamepad 0.
#pragma once

#include <cstdint>

extern int64_t konami_step;  // index of the next expected step, 0..9

// One step test per call; true on the call that completes the sequence.
bool konami();
