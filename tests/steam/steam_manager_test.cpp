#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

#include "steam/steam_manager.h"
#include "steam_test_support.h"

using ::testing::ElementsAre;
using ::testing::internal::CaptureStderr;
using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStderr;
using ::testing::internal::GetCapturedStdout;

namespace {
void never_called(void*, bool) { ADD_FAILURE() << "a call that never completes was delivered"; }

class SteamManager : public ::testing::Test {
protected:
    void SetUp() override {
        reset_steam();
        steam_enabled = false;
        steam_stub.pipe = 5;
        steam_stub_queue_record(101, uint8_t{0});  // waiting for whoever fetches from a live pipe
    }
    void TearDown() override { clear_steam_registries(); }

    // steam_start, then what it printed.
    std::string start() {
        CaptureStdout();
        steam_start();
        return GetCapturedStdout();
    }
};
}  // namespace

TEST_F(SteamManager, WithoutAClientOnlyTheRunningTestReachesTheSdk) {
    EXPECT_EQ(start(), "");
    CaptureStderr();
    steam_update();
    steam_stop();
    EXPECT_EQ(GetCapturedStderr(), "");
    EXPECT_FALSE(steam_enabled);
    EXPECT_THAT(steam_stub.calls, ElementsAre("IsSteamRunning -> false"));
}

TEST_F(SteamManager, StartedDispatchesEachUpdateAndShutsDown) {
    steam_stub.client_running = true;
    EXPECT_EQ(start(), "");
    EXPECT_TRUE(steam_enabled);
    EXPECT_THAT(steam_stub.calls,
                ElementsAre("IsSteamRunning -> true", "Init -> true", "ManualDispatch_Init", "GetHSteamPipe -> 5"));

    forget_calls();
    steam_update();
    EXPECT_THAT(steam_stub.calls,
                ElementsAre("RunFrame(5)", "GetNextCallback(5) -> true", "FreeLastCallback(5)",
                            "GetNextCallback(5) -> false", "ReleaseCurrentThreadMemory"));

    forget_calls();
    CaptureStderr();
    steam_stop();
    EXPECT_EQ(GetCapturedStderr(), "");
    EXPECT_THAT(steam_stub.calls, ElementsAre("Shutdown"));
}

TEST_F(SteamManager, FailedStartIsReportedButStillDispatchesAndShutsDownOnPipeZero) {
    steam_stub.client_running = true;
    steam_stub.init_succeeds = false;
    EXPECT_EQ(start(), "failed to initialize steam\n");
    EXPECT_TRUE(steam_enabled);
    EXPECT_THAT(steam_stub.calls, ElementsAre("IsSteamRunning -> true", "Init -> false"));

    forget_calls();
    steam_update();
    steam_update();
    CaptureStderr();
    steam_stop();
    EXPECT_EQ(GetCapturedStderr(), "");
    EXPECT_THAT(steam_stub.calls,
                ElementsAre("RunFrame(0)", "GetNextCallback(0) -> false", "ReleaseCurrentThreadMemory",
                            "RunFrame(0)", "GetNextCallback(0) -> false", "ReleaseCurrentThreadMemory", "Shutdown"));
}

// Nothing in the game registers, so this state is reached only here: the stop waits the full
// three seconds, dispatching every 10 ms, then shuts down and reports.
TEST_F(SteamManager, StopGivesUpOnACallThatNeverCompletesAfterThreeSeconds) {
    steam_stub.client_running = true;
    EXPECT_EQ(start(), "");
    find_call_result_registry(513)->waiting[42] = {never_called};
    forget_calls();

    CaptureStderr();
    auto begin = std::chrono::steady_clock::now();
    steam_stop();
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    EXPECT_EQ(GetCapturedStderr(), "failed to finish cleanly\n");

    EXPECT_GE(seconds, 3.0);
    EXPECT_LT(seconds, 3.5);
    const std::vector<std::string>& calls = steam_stub.calls;
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), "Shutdown");
    // Passes of RunFrame ... ReleaseCurrentThreadMemory; the first also fetches the queued message.
    size_t passes = 0;
    for (size_t i = 0; i < calls.size(); i++) {
        if (calls[i] == "RunFrame(5)") passes++;
        if (calls[i] == "GetNextCallback(5) -> false") {
            EXPECT_EQ(calls[i + 1], "ReleaseCurrentThreadMemory");
        }
    }
    // Each pass sleeps 10 ms first, so at most 300 fit in the 3 s; an oversleeping OS allows fewer.
    EXPECT_LE(passes, 300u);
    EXPECT_GE(passes, 150u);
    EXPECT_EQ(calls.size(), passes * 3 + 2 + 1);
}
