#include "os.h"

#include <chrono>

Os_Femtoseconds os_monotonic_femtoseconds() {
    using Clock = std::chrono::steady_clock;
    auto ticks = Clock::now().time_since_epoch().count();
    // Multiply before dividing so that no precision of the tick is lost.
    return static_cast<Os_Femtoseconds>(ticks) * OS_FEMTOSECONDS_PER_SECOND * Clock::period::num /
           Clock::period::den;
}
