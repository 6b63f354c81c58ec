#include "steam.h"

#include <cmath>

#include <steam/steam_api.h>

#include "os.h"
#include "src-autogen/partial_steam_callbacks.h"

int32_t steam_pipe = 0;


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
        Os_Femtoseconds start = os_monotonic_femtoseconds();
        auto elapsed_milliseconds = [start] {
            return int64_t((os_monotonic_femtoseconds() - start) / (OS_FEMTOSECONDS_PER_SECOND / 1000));
        };
        // Compared as a double so that a huge or non-finite timeout cannot overflow a conversion.
        double limit = std::trunc(timeout * 1000);
        // The sleep comes before each dispatch, so every pass takes at least 10 ms.
        while (double(elapsed_milliseconds()) < limit && count_pending_call_results() != 0) {
            os_sleep_milliseconds(10);
            RunCallbacks();
        }
    }
    bool finished = count_pending_call_results() == 0;
    SteamAPI_Shutdown();
    return finished;
}
