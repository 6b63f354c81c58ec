#include "random.h"

#include "runtime.h"

uint64_t rng_state = 0;

uint64_t rng_next() {
    rng_state = rng_state * 0x5851f42d4c957f2dULL + 0x14057b7ef767814fULL;
    return rng_state;
}

int64_t randi_range(int64_t min, int64_t max) {
    if (min >= max) {
        print("min must be less than max");
        rng_next();  // every call steps the generator, so later draws stay where they'd be
        return min;  // an empty range has no value; min keeps the caller's arithmetic sane
    }
    uint64_t span = uint64_t(max) - uint64_t(min);
    uint64_t r = rng_next() % span;
    return int64_t(uint64_t(min) + r);
}

float randf_range(float min, float max) {
    if (min >= max) {
        print("min must be less than max");
        rng_next();
        return min;
    }
    uint64_t r = rng_next();
    float width = max - min;  // in float32: the rounded width decides the number of steps
    if (!(width >= 1.0f)) return min;  // narrower than one whole step (or NaN): only min fits
    // Truncating a width beyond the integer range (or infinite) would be undefined; such a span is
    // all steps.
    uint64_t span = width < 18446744073709551616.0f ? uint64_t(width) : UINT64_MAX;
    return min + float(r % span);
}
