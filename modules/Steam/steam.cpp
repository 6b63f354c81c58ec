#include "steam.h"

#include <chrono>
#include <cmath>
#include <thread>

#include <steam/steam_api.h>

#include "src-autogen/partial_steam_callbacks.h"

int32_t steam_pipe = 0;

namespace {
// The monotonic clock and sleeping, until the OS layer provides them.
int64_t monotonic_nanoseconds() {
    auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(now).count();
}

void sleep_milliseconds(int64_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
}  // namespace

bool IsSteamRunning() { return SteamAPI_IsSteamRunning(); }

bool Steam_Init() {
    if (!SteamAPI_Init()) return false;
    SteamAPI_ManualDispatch_Init();
    steam_pipe = SteamAPI_GetHSteamPipe();
    return true;
}

void RunCallbacks() {
    run_callbacks(steam_pipe, false);
    SteamAPI_ReleaseCurrentThreadMemory();
}

bool ShutdownSteam(double timeout) {
    if (timeout != 0) {
        int64_t start = monotonic_nanoseconds();
        auto elapsed_milliseconds = [start] { return (monotonic_nanoseconds() - start) / 1'000'000; };
        // Compared as a double so that a huge or non-finite timeout cannot overflow a conversion.
        double limit = std::trunc(timeout * 1000);
        // The sleep comes before each dispatch, so every pass takes at least 10 ms.
        while (double(elapsed_milliseconds()) < limit && count_pending_call_results() != 0) {
            sleep_milliseconds(10);
            RunCallbacks();
        }
    }
    bool finished = count_pending_call_results() == 0;
    SteamAPI_Shutdown();
    return finished;
}
