#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include <steam/steam_api.h>

#include "context.h"
#include "steam_test_support.h"

using ::testing::ElementsAre;

namespace {
constexpr int32_t LOBBY_CREATED = 513;
constexpr int32_t OVERLAY_ACTIVATED = 331;
constexpr int32_t STATS_UNLOADED = 1108;
constexpr int32_t NOT_LISTED = 9999;

struct Lobby_Created {
    int32_t result;
    uint64_t lobby;
};

std::vector<std::string> seen;  // what the handlers and listeners below were given

void first_handler(void* result, bool failed) {
    seen.push_back("first " + std::to_string(static_cast<Lobby_Created*>(result)->lobby) + (failed ? " failed" : ""));
}
void second_handler(void*, bool failed) { seen.push_back(failed ? "second failed" : "second"); }
void overlay_listener(void* data) { seen.push_back("overlay " + std::to_string(*static_cast<uint8_t*>(data))); }
void other_overlay_listener(void*) { seen.push_back("other overlay"); }
void client_unloaded(void*) { seen.push_back("client unloaded"); }
void server_unloaded(void*) { seen.push_back("server unloaded"); }

Call_Result_Registry& lobby_created() { return *find_call_result_registry(LOBBY_CREATED); }

bool in_temporary_storage(const void* pointer) {
    const std::byte* start = context.temporary_storage->buffer.get();
    auto* p = static_cast<const std::byte*>(pointer);
    return p >= start && p < start + context.temporary_storage->size;
}

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

class SteamLayer : public ::testing::Test {
protected:
    void SetUp() override {
        reset_steam();
        seen.clear();
        reset_temporary_storage();
    }
    void TearDown() override { clear_steam_registries(); }

    void start() {
        steam_stub.client_running = true;
        ASSERT_TRUE(Steam_Init());
        forget_calls();
    }
};
}  // namespace

TEST_F(SteamLayer, StartsInManualDispatchModeOnlyWhenInitSucceeds) {
    EXPECT_FALSE(IsSteamRunning());  // the stand-in's default: no client
    EXPECT_FALSE(Steam_Init());
    steam_stub.client_running = true;
    steam_stub.init_succeeds = false;
    EXPECT_TRUE(IsSteamRunning());
    EXPECT_FALSE(Steam_Init());
    EXPECT_EQ(steam_pipe, 0);

    steam_stub.init_succeeds = true;
    steam_stub.pipe = 7;
    EXPECT_TRUE(Steam_Init());
    EXPECT_EQ(steam_pipe, 7);
    EXPECT_THAT(steam_stub.calls, ElementsAre("IsSteamRunning -> false", "Init -> false", "IsSteamRunning -> true",
                                              "Init -> false", "Init -> true", "ManualDispatch_Init",
                                              "GetHSteamPipe -> 7"));
}

TEST_F(SteamLayer, EmptyQueuePumpsOnceAndReleasesThreadMemory) {
    start();
    RunCallbacks();
    EXPECT_THAT(steam_stub.calls,
                ElementsAre("RunFrame(1)", "GetNextCallback(1) -> false", "ReleaseCurrentThreadMemory"));
}

TEST_F(SteamLayer, EveryMessageIsFreedWhetherListedOrNot) {
    start();
    uint8_t byte = 0;
    steam_stub_queue_record(OVERLAY_ACTIVATED, byte);  // listed, nobody listens
    steam_stub_queue_record(NOT_LISTED, byte);
    steam_stub_queue_record(STATS_UNLOADED, byte);
    RunCallbacks();
    EXPECT_THAT(steam_stub.calls,
                ElementsAre("RunFrame(1)", "GetNextCallback(1) -> true", "FreeLastCallback(1)",
                            "GetNextCallback(1) -> true", "FreeLastCallback(1)", "GetNextCallback(1) -> true",
                            "FreeLastCallback(1)", "GetNextCallback(1) -> false", "ReleaseCurrentThreadMemory"));
    EXPECT_TRUE(steam_stub.queue.empty());
    EXPECT_EQ(steam_stub.misuse_count, 0);
}

TEST_F(SteamLayer, ListenersGetTheirKindInOrderAndOtherKindsAreDropped) {
    start();
    find_callback_registry(OVERLAY_ACTIVATED, false)->listeners = {overlay_listener, other_overlay_listener};
    uint8_t active = 1;
    steam_stub_queue_record(NOT_LISTED, active);
    steam_stub_queue_record(OVERLAY_ACTIVATED, active);
    RunCallbacks();
    EXPECT_THAT(seen, ElementsAre("overlay 1", "other overlay"));
}

TEST_F(SteamLayer, StatsUnloadedGoesToTheSideBeingDispatched) {
    start();
    find_callback_registry(STATS_UNLOADED, false)->listeners = {client_unloaded};
    find_callback_registry(STATS_UNLOADED, true)->listeners = {server_unloaded};
    uint64_t user = 0;
    steam_stub_queue_record(STATS_UNLOADED, user);
    run_callbacks(steam_pipe, false);
    steam_stub_queue_record(STATS_UNLOADED, user);
    run_callbacks(steam_pipe, true);
    EXPECT_THAT(seen, ElementsAre("client unloaded", "server unloaded"));
}

TEST_F(SteamLayer, CompletedCallIsDeliveredOnceFromTemporaryStorage) {
    start();
    lobby_created().waiting[42] = {first_handler, second_handler};
    ASSERT_EQ(count_pending_call_results(), 1);

    Lobby_Created result{1, 0x1234};
    steam_stub_complete_call(42, LOBBY_CREATED, &result, sizeof result);
    static const void* delivered;
    delivered = nullptr;
    lobby_created().waiting[42].push_back([](void* data, bool) { delivered = data; });
    RunCallbacks();

    EXPECT_THAT(seen, ElementsAre("first 4660", "second"));
    EXPECT_TRUE(in_temporary_storage(delivered));
    EXPECT_EQ(count_pending_call_results(), 0);
    EXPECT_THAT(steam_stub.calls, ElementsAre("RunFrame(1)", "GetNextCallback(1) -> true",
                                              "GetAPICallResult(1, call 42, 16 bytes, 513) -> true",
                                              "FreeLastCallback(1)", "GetNextCallback(1) -> false",
                                              "ReleaseCurrentThreadMemory"));

    // The same call completing again reaches nobody: its handlers were dropped.
    steam_stub_complete_call(42, LOBBY_CREATED, &result, sizeof result);
    RunCallbacks();
    EXPECT_EQ(seen.size(), 2u);
}

TEST_F(SteamLayer, FailedCallStillReachesItsHandlersWithTheFlag) {
    start();
    lobby_created().waiting[5] = {second_handler};
    lobby_created().waiting[6] = {first_handler};
    Lobby_Created result{};
    steam_stub_complete_call(5, LOBBY_CREATED, &result, sizeof result, true);
    RunCallbacks();
    EXPECT_THAT(seen, ElementsAre("second failed"));
    EXPECT_EQ(count_pending_call_results(), 1);  // call 6 still waits
}

TEST_F(SteamLayer, UndeliverableOrUnlistedResultsDeliverNothing) {
    start();
    lobby_created().waiting[42] = {first_handler};

    // Announced, but the SDK cannot hand the result over: freed, and the call stays pending.
    SteamAPICallCompleted_t announced{};
    announced.m_hAsyncCall = 42;
    announced.m_iCallback = LOBBY_CREATED;
    announced.m_cubParam = sizeof(Lobby_Created);
    steam_stub_queue_record(SteamAPICallCompleted_t::k_iCallback, announced);
    // Call 42 completing as a kind the dispatcher does not list.
    uint32_t other = 7;
    steam_stub_complete_call(42, NOT_LISTED, &other, sizeof other);
    RunCallbacks();

    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(count_pending_call_results(), 1);
    EXPECT_THAT(steam_stub.calls, ElementsAre("RunFrame(1)", "GetNextCallback(1) -> true",
                                              "GetAPICallResult(1, call 42, 16 bytes, 513) -> false",
                                              "FreeLastCallback(1)", "GetNextCallback(1) -> true",
                                              "GetAPICallResult(1, call 42, 4 bytes, 9999) -> true",
                                              "FreeLastCallback(1)", "GetNextCallback(1) -> false",
                                              "ReleaseCurrentThreadMemory"));
}

TEST_F(SteamLayer, ShutdownWithNothingPendingDoesNotWait) {
    start();
    auto begin = std::chrono::steady_clock::now();
    EXPECT_TRUE(ShutdownSteam(3.0));
    EXPECT_LT(seconds_since(begin), 0.005);
    EXPECT_THAT(steam_stub.calls, ElementsAre("Shutdown"));
}

TEST_F(SteamLayer, ShutdownWithoutTimeLimitGivesUpOnPendingCallsAtOnce) {
    start();
    lobby_created().waiting[42] = {first_handler};
    auto begin = std::chrono::steady_clock::now();
    EXPECT_FALSE(ShutdownSteam(0));
    EXPECT_LT(seconds_since(begin), 0.005);
    EXPECT_THAT(steam_stub.calls, ElementsAre("Shutdown"));
    EXPECT_TRUE(seen.empty());
}

TEST_F(SteamLayer, ShutdownWaitEndsWhenTheLastCallCompletes) {
    start();
    lobby_created().waiting[42] = {first_handler};
    Lobby_Created result{1, 9};
    steam_stub_complete_call(42, LOBBY_CREATED, &result, sizeof result);
    auto begin = std::chrono::steady_clock::now();
    EXPECT_TRUE(ShutdownSteam(3.0));
    EXPECT_GE(seconds_since(begin), 0.010);  // slept before dispatching
    EXPECT_LT(seconds_since(begin), 1.0);
    EXPECT_THAT(seen, ElementsAre("first 9"));
    EXPECT_EQ(steam_stub.calls.back(), "Shutdown");
}
