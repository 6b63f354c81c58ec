// Colour fading and the library's random generator (xoshiro128** seeded through SplitMix64).
#include "rl_internal.h"

#include <ctime>

namespace {

uint32_t random_state[4];
bool random_seeded = false;

uint64_t splitmix64(uint64_t& x) {
    uint64_t z = (x += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

uint32_t rotate_left(uint32_t x, int k) { return (x << k) | (x >> (32 - k)); }

uint32_t xoshiro128_next() {
    uint32_t* s = random_state;
    uint32_t result = rotate_left(s[1] * 5, 7) * 9;
    uint32_t t = s[1] << 9;
    s[2] ^= s[0];
    s[3] ^= s[1];
    s[1] ^= s[2];
    s[0] ^= s[3];
    s[2] ^= t;
    s[3] = rotate_left(s[3], 11);
    return result;
}

}  // namespace

void random_seed(uint64_t seed) {
    uint64_t x = seed;
    // The library keeps the low, high, low and high halves of four consecutive draws.
    random_state[0] = static_cast<uint32_t>(splitmix64(x));
    random_state[1] = static_cast<uint32_t>(splitmix64(x) >> 32);
    random_state[2] = static_cast<uint32_t>(splitmix64(x));
    random_state[3] = static_cast<uint32_t>(splitmix64(x) >> 32);
    random_seeded = true;
}

int GetRandomValue(int min, int max) {
    if (!random_seeded) random_seed(static_cast<uint64_t>(std::time(nullptr)));
    if (min > max) {
        int swap = min;
        min = max;
        max = swap;
    }
    uint64_t span = static_cast<uint64_t>(static_cast<int64_t>(max) - min) + 1;
    return static_cast<int>(static_cast<int64_t>(min) + static_cast<int64_t>(xoshiro128_next() % span));
}

// Alpha is truncated, not rounded: 0.7 gives 178.
Color Fade(Color color, float alpha) {
    if (!(alpha >= 0.0f)) alpha = 0.0f;  // NaN too
    if (alpha > 1.0f) alpha = 1.0f;
    color.a = static_cast<unsigned char>(255.0f * alpha);
    return color;
}
