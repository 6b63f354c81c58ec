// Scripting the Steamworks stand-in from tests: whether a client runs, whether the start
// succeeds, the messages waiting in the queue, the calls whose results are ready, and the log
// of every SDK call received.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

struct Steam_Stub_Message {
    int32_t callback_id = 0;
    std::vector<uint8_t> data;
};

struct Steam_Stub_Call_Result {
    int32_t callback_id = 0;
    std::vector<uint8_t> data;
    bool failed = false;
};

struct Steam_Stub {
    bool client_running = false;
    bool init_succeeds = true;  // only matters while a client runs
    int32_t pipe = 1;           // handed out by SteamAPI_GetHSteamPipe after a successful start

    std::deque<Steam_Stub_Message> queue;                                // fetched in order
    std::unordered_map<uint64_t, Steam_Stub_Call_Result> completed_calls;  // by call handle

    // Every call received, in order, as text: "RunFrame(1)", "GetNextCallback(1) -> false", ...
    std::vector<std::string> calls;
    // Fetches while a message is still held and frees without one: the SDK forbids both.
    int misuse_count = 0;

    bool started = false;
    bool holding_message = false;
    Steam_Stub_Message held;  // the message handed out last, alive until its free
};

extern Steam_Stub steam_stub;

// Back to the defaults: no client, empty queue, empty log.
void steam_stub_reset();

void steam_stub_queue_message(int32_t callback_id, const void* data, size_t size);

template <typename T>
void steam_stub_queue_record(int32_t callback_id, const T& record) {
    steam_stub_queue_message(callback_id, &record, sizeof record);
}

// Makes the result of `call` available and queues the message that announces it (703).
void steam_stub_complete_call(uint64_t call, int32_t callback_id, const void* result, size_t size,
                              bool failed = false);
