#include "os.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <unistd.h>

#include "portable_test_support.h"

namespace {

// Restores an environment variable when the test ends.
struct Saved_Variable {
    std::string name;
    std::optional<std::string> value;
    explicit Saved_Variable(const char* variable) : name(variable) {
        if (const char* v = std::getenv(variable)) value = v;
    }
    ~Saved_Variable() {
        if (value) set_environment(name.c_str(), value->c_str());
        else unset_environment(name.c_str());
    }
};

TEST(OsProfileFolder, PrefersUserProfileThenHomeThenEmpty) {
    Saved_Variable profile("USERPROFILE"), home("HOME");
    set_environment("USERPROFILE", "C:\\Users\\ann");
    set_environment("HOME", "/home/ann");
    EXPECT_EQ(os_profile_folder(), "C:\\Users\\ann");

    set_environment("USERPROFILE", "");
    EXPECT_EQ(os_profile_folder(), "/home/ann");
    unset_environment("USERPROFILE");
    EXPECT_EQ(os_profile_folder(), "/home/ann");

    set_environment("HOME", "");
    EXPECT_EQ(os_profile_folder(), "");
    unset_environment("HOME");
    EXPECT_EQ(os_profile_folder(), "");
}

TEST(OsProcess, IdIsThisProcess) { EXPECT_EQ(os_process_id(), static_cast<uint32_t>(getpid())); }

TEST(OsClock, MonotonicFemtosecondsAdvanceWithSleep) {
    Os_Femtoseconds start = os_monotonic_femtoseconds();
    os_sleep_milliseconds(20);
    Os_Femtoseconds middle = os_monotonic_femtoseconds();
    os_sleep_seconds(0.01);
    Os_Femtoseconds end = os_monotonic_femtoseconds();
    const Os_Femtoseconds ms = OS_FEMTOSECONDS_PER_SECOND / 1000;
    EXPECT_GE(middle - start, 20 * ms);
    EXPECT_LT(middle - start, 2000 * ms);
    EXPECT_GE(end - middle, 10 * ms);
    // Non-positive sleeps return at once.
    Os_Femtoseconds before = os_monotonic_femtoseconds();
    os_sleep_milliseconds(-5);
    os_sleep_seconds(0);
    EXPECT_LT(os_monotonic_femtoseconds() - before, 50 * ms);
}

void expect_same_calendar(const Os_Calendar_Time& got, const std::tm& want) {
    EXPECT_EQ(got.year, want.tm_year + 1900);
    EXPECT_EQ(got.month, want.tm_mon + 1);
    EXPECT_EQ(got.day, want.tm_mday);
    EXPECT_EQ(got.hour, want.tm_hour);
    EXPECT_EQ(got.minute, want.tm_min);
}

TEST(OsWallClock, CalendarFieldsMatchTheCLibrary) {
    Saved_Variable zone("TZ");
    set_environment("TZ", "UTC-5");  // five hours east of UTC, so local and UTC differ
    tzset();
    // Retry around a minute boundary rather than fail on it.
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::time_t now = std::time(nullptr);
        Os_Calendar_Time local = os_local_time();
        Os_Calendar_Time utc = os_utc_time();
        if (std::time(nullptr) / 60 != now / 60) continue;
        expect_same_calendar(local, local_calendar(now));
        expect_same_calendar(utc, utc_calendar(now));
        EXPECT_EQ((local.hour - utc.hour + 24) % 24, 5);
        EXPECT_GE(utc.millisecond, 0);
        EXPECT_LE(utc.millisecond, 999);
        break;
    }
    int ms = os_utc_milliseconds();
    EXPECT_GE(ms, 0);
    EXPECT_LE(ms, 999);
    unset_environment("TZ");
    tzset();
}

}  // namespace
