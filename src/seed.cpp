#include "seed.h"

#include <chrono>

#include "raylib.h"
#include "runtime.h"

#if defined(_WIN32)
extern "C" __declspec(dllimport) unsigned long __stdcall GetCurrentProcessId(void);
#else
#include <unistd.h>
#endif

// OS layer: the process identifier.
uint32_t get_pid() {
#if defined(_WIN32)
    return uint32_t(GetCurrentProcessId());
#else
    return uint32_t(getpid());
#endif
}

uint64_t fmix64(uint64_t h) {
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ULL;
    h ^= h >> 33;
    return h;
}

static uint64_t utc_millisecond_field() {
    auto since_epoch = std::chrono::system_clock::now().time_since_epoch();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since_epoch).count();
    return uint64_t(((ms % 1000) + 1000) % 1000);
}

uint64_t get_random_seed() {
    uint64_t ms = utc_millisecond_field();
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
