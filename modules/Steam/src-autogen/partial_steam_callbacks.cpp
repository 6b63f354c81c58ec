#include "partial_steam_callbacks.h"

#include <cstddef>
#include <cstring>
#include <iterator>
#include <utility>

#include <steam/steam_api.h>

#include "context.h"

namespace {
Call_Result_Registry call_result_kinds[] = {
    {154, "EncryptedAppTicketResponse", {}},
    {504, "LobbyEnter", {}},
    {510, "LobbyMatchList", {}},
    {513, "LobbyCreated", {}},
    {1104, "LeaderboardFindResult", {}},
    {1105, "LeaderboardScoresDownloaded", {}},
    {1106, "LeaderboardScoreUploaded", {}},
    {1107, "NumberOfCurrentPlayers", {}},
    {1112, "GlobalStatsReceived", {}},
};

Callback_Registry callback_kinds[] = {
    {101, "SteamServersConnected", {}},
    {102, "SteamServerConnectFailure", {}},
    {103, "SteamServersDisconnected", {}},
    {331, "GameOverlayActivated", {}},
    {1101, "UserStatsReceived", {}},
    {1102, "UserStatsStored", {}},
    {1103, "UserAchievementStored", {}},
    {1108, "UserStatsUnloaded", {}},
};

constexpr int32_t STATS_UNLOADED = 1108;

void deliver_completed_call(int32_t pipe, const CallbackMsg_t& message) {
    // The message data carries no alignment promise: copy the record out.
    SteamAPICallCompleted_t completed;
    std::memcpy(&completed, message.m_pubParam, sizeof completed);

    // Dies with the frame's temporary storage, after every handler has seen it.
    void* result = temporary_allocator()->allocate(completed.m_cubParam, alignof(std::max_align_t));
    bool failed = false;
    if (!SteamAPI_ManualDispatch_GetAPICallResult(pipe, completed.m_hAsyncCall, result, int(completed.m_cubParam),
                                                  completed.m_iCallback, &failed)) {
        return;
    }
    if (Call_Result_Registry* registry = find_call_result_registry(completed.m_iCallback)) {
        run_call_results(registry, completed.m_hAsyncCall, result, failed);
    }
}

void deliver_callback(const CallbackMsg_t& message, bool server) {
    Callback_Registry* registry = find_callback_registry(message.m_iCallback, server);
    if (!registry) return;
    // By index: a listener may add another one.
    for (size_t i = 0; i < registry->listeners.size(); i++) registry->listeners[i](message.m_pubParam);
}
}  // namespace

Array_View<Call_Result_Registry> call_result_registries = {int64_t(std::size(call_result_kinds)), call_result_kinds};
Array_View<Callback_Registry> callback_registries = {int64_t(std::size(callback_kinds)), callback_kinds};
Callback_Registry server_stats_unloaded_listeners = {STATS_UNLOADED, "GSStatsUnloaded", {}};

Call_Result_Registry* find_call_result_registry(int32_t callback_id) {
    for (Call_Result_Registry& registry : call_result_registries) {
        if (registry.callback_id == callback_id) return &registry;
    }
    return nullptr;
}

Callback_Registry* find_callback_registry(int32_t callback_id, bool server) {
    if (server && callback_id == STATS_UNLOADED) return &server_stats_unloaded_listeners;
    for (Callback_Registry& registry : callback_registries) {
        if (registry.callback_id == callback_id) return &registry;
    }
    return nullptr;
}

void run_call_results(Call_Result_Registry* registry, uint64_t call, void* result, bool failed) {
    auto found = registry->waiting.find(call);
    if (found == registry->waiting.end()) return;
    // Taken out first, so each result is delivered once even if a handler registers again.
    std::vector<Call_Result_Handler> handlers = std::move(found->second);
    registry->waiting.erase(found);
    for (Call_Result_Handler handler : handlers) handler(result, failed);
}

void run_callbacks(int32_t pipe, bool server) {
    SteamAPI_ManualDispatch_RunFrame(pipe);
    CallbackMsg_t message = {};
    while (SteamAPI_ManualDispatch_GetNextCallback(pipe, &message)) {
        if (message.m_iCallback == SteamAPICallCompleted_t::k_iCallback) {
            deliver_completed_call(pipe, message);
        } else {
            deliver_callback(message, server);
        }
        SteamAPI_ManualDispatch_FreeLastCallback(pipe);
    }
}

int64_t count_pending_call_results() {
    int64_t pending = 0;
    for (const Call_Result_Registry& registry : call_result_registries) pending += int64_t(registry.waiting.size());
    return pending;
}
