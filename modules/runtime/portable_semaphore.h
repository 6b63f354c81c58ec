// A counting semaphore from a mutex and a condition variable. std::counting_semaphore would do,
// but GCC 12's libstdc++ for mingw-w64 picks an atomic-wait version of it that never wakes a
// waiting thread there; this one works with every toolchain. Same calls as the standard one.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

struct Semaphore {
    explicit Semaphore(int64_t initial = 0) : count(initial) {}
    Semaphore(const Semaphore&) = delete;
    Semaphore& operator=(const Semaphore&) = delete;

    void release(int64_t update = 1) {
        // Notified under the lock, so that a waiter may destroy the semaphore once it returns.
        std::lock_guard lock(mutex);
        count += update;
        if (update == 1) changed.notify_one();
        else changed.notify_all();
    }

    void acquire() {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return count > 0; });
        count--;
    }

    bool try_acquire() {
        std::lock_guard lock(mutex);
        if (count == 0) return false;
        count--;
        return true;
    }

    template <typename Rep, typename Period>
    bool try_acquire_for(const std::chrono::duration<Rep, Period>& timeout) {
        std::unique_lock lock(mutex);
        if (!changed.wait_for(lock, timeout, [&] { return count > 0; })) return false;
        count--;
        return true;
    }

    std::mutex mutex;
    std::condition_variable changed;
    int64_t count;
};
