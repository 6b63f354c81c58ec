// The game's own generator: an MMIX linear congruential generator over rng_state.
#pragma once

#include <cstdint>

extern uint64_t rng_state;

// Advances rng_state one step and returns it.
uint64_t rng_next();

// A value in [min, max). min >= max prints "min must be less than max" and returns min. Every
// call advances the generator one step.
int64_t randi_range(int64_t min, int64_t max);
// A whole step above min: min, min + 1, ... below max. min >= max prints the same message and
// returns min; a span below 1 returns min.
float randf_range(float min, float max);
