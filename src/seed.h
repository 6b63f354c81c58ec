// The run's random seed, mixed from values that differ between processes and moments.
#pragma once

#include <cstdint>

uint32_t get_pid();
uint64_t get_random_seed();

// MurmurHash3's 64-bit finaliser.
uint64_t fmix64(uint64_t h);
