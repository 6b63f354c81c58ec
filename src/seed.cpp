#include "seed.h"

#include "os.h"
#include "raylib.h"
#include "runtime.h"

uint32_t get_pid() { return os_process_id(); }

uint64_t fmix64(uint64_t h) {
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ULL;
    h ^= h >> 33;
    return h;
}

uint64_t get_random_seed() {
    uint64_t ms = uint64_t(os_utc_milliseconds());
    // A pointer left of or above the window gives a negative coordinate: its two's complement
    // bits mix in as well as any other.
    uint64_t mx = uint64_t(int64_t(GetMouseX()));
    uint64_t my = uint64_t(int64_t(GetMouseY()));
    uint64_t pid = get_pid();
    double ns_since_open = GetTime() * 1e9;
    uint64_t ns = ns_since_open > 0 && ns_since_open < 18446744073709551616.0 ? uint64_t(ns_since_open) : 0;
    int on_stack = 0;
    uint64_t h = mx ^ (my << 16) ^ (ms << 32) ^ ns ^ pid ^ uint64_t(reinterpret_cast<uintptr_t>(&on_stack)) ^
                 uint64_t(reinterpret_cast<uintptr_t>(&context));
    return fmix64(h);
}
