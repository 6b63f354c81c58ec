#include <cstring>

#include "steam/steam_api.h"
#include "steam_stub_control.h"

Steam_Stub steam_stub;

namespace {
void log_call(std::string text) { steam_stub.calls.push_back(std::move(text)); }

std::string with_result(std::string text, bool result) { return text + (result ? " -> true" : " -> false"); }

std::string pipe_call(const char* name, HSteamPipe pipe) { return std::string(name) + "(" + std::to_string(pipe) + ")"; }

// Messages reach only the pipe of a running start; pipe 0 means no start.
bool pipe_is_live(HSteamPipe pipe) { return steam_stub.started && pipe != 0 && pipe == steam_stub.pipe; }
}  // namespace

void steam_stub_reset() { steam_stub = Steam_Stub{}; }

void steam_stub_queue_message(int32_t callback_id, const void* data, size_t size) {
    Steam_Stub_Message message;
    message.callback_id = callback_id;
    message.data.resize(size);
    if (size) std::memcpy(message.data.data(), data, size);
    steam_stub.queue.push_back(std::move(message));
}

void steam_stub_complete_call(uint64_t call, int32_t callback_id, const void* result, size_t size, bool failed) {
    Steam_Stub_Call_Result& stored = steam_stub.completed_calls[call];
    stored.callback_id = callback_id;
    stored.data.resize(size);
    if (size) std::memcpy(stored.data.data(), result, size);
    stored.failed = failed;

    SteamAPICallCompleted_t completed{};
    completed.m_hAsyncCall = call;
    completed.m_iCallback = callback_id;
    completed.m_cubParam = uint32_t(size);
    steam_stub_queue_record(SteamAPICallCompleted_t::k_iCallback, completed);
}

extern "C" {
bool SteamAPI_IsSteamRunning() {
    log_call(with_result("IsSteamRunning", steam_stub.client_running));
    return steam_stub.client_running;
}

bool SteamAPI_Init() {
    bool ok = steam_stub.client_running && steam_stub.init_succeeds;
    steam_stub.started = ok;
    log_call(with_result("Init", ok));
    return ok;
}

void SteamAPI_Shutdown() {
    steam_stub.started = false;
    log_call("Shutdown");
}

void SteamAPI_ReleaseCurrentThreadMemory() { log_call("ReleaseCurrentThreadMemory"); }

HSteamPipe SteamAPI_GetHSteamPipe() {
    HSteamPipe pipe = steam_stub.started ? steam_stub.pipe : 0;
    log_call("GetHSteamPipe -> " + std::to_string(pipe));
    return pipe;
}

void SteamAPI_ManualDispatch_Init() { log_call("ManualDispatch_Init"); }

void SteamAPI_ManualDispatch_RunFrame(HSteamPipe pipe) { log_call(pipe_call("RunFrame", pipe)); }

bool SteamAPI_ManualDispatch_GetNextCallback(HSteamPipe pipe, CallbackMsg_t* message) {
    if (steam_stub.holding_message) steam_stub.misuse_count++;
    bool fetched = pipe_is_live(pipe) && !steam_stub.queue.empty();
    if (fetched) {
        steam_stub.held = std::move(steam_stub.queue.front());
        steam_stub.queue.pop_front();
        steam_stub.holding_message = true;
        message->m_hSteamUser = 1;
        message->m_iCallback = steam_stub.held.callback_id;
        message->m_pubParam = steam_stub.held.data.data();
        message->m_cubParam = int(steam_stub.held.data.size());
    }
    log_call(with_result(pipe_call("GetNextCallback", pipe), fetched));
    return fetched;
}

void SteamAPI_ManualDispatch_FreeLastCallback(HSteamPipe pipe) {
    if (!steam_stub.holding_message) steam_stub.misuse_count++;
    steam_stub.holding_message = false;
    steam_stub.held = Steam_Stub_Message{};
    log_call(pipe_call("FreeLastCallback", pipe));
}

bool SteamAPI_ManualDispatch_GetAPICallResult(HSteamPipe pipe, SteamAPICall_t call, void* result, int result_size,
                                              int expected_callback, bool* failed) {
    bool delivered = false;
    auto found = steam_stub.completed_calls.find(call);
    if (pipe_is_live(pipe) && found != steam_stub.completed_calls.end()) {
        const Steam_Stub_Call_Result& stored = found->second;
        if (stored.callback_id == expected_callback && size_t(result_size) == stored.data.size()) {
            if (result_size) std::memcpy(result, stored.data.data(), stored.data.size());
            *failed = stored.failed;
            steam_stub.completed_calls.erase(found);
            delivered = true;
        }
    }
    log_call(with_result("GetAPICallResult(" + std::to_string(pipe) + ", call " + std::to_string(call) + ", " +
                             std::to_string(result_size) + " bytes, " + std::to_string(expected_callback) + ")",
                         delivered));
    return delivered;
}
}
