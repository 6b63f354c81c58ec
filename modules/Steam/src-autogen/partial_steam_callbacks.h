// The dispatcher of the SDK's queued messages, and the registries of the game's call-result
// handlers and callback listeners. Kinds are keyed by the SDK's callback identifiers; this file
// lists a chosen subset of them. A message of a kind not listed here is fetched, freed and
// dropped, exactly like a listed kind that nobody waits for.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "basic.h"

// Called once with the result record of a completed call and whether the call failed.
using Call_Result_Handler = void (*)(void* result, bool failed);
// Called with the record of every callback of its kind.
using Callback_Listener = void (*)(void* data);

// The handlers waiting for calls whose result is of one kind, by call handle, in the order added.
struct Call_Result_Registry {
    int32_t callback_id;
    const char* name;
    std::unordered_map<uint64_t, std::vector<Call_Result_Handler>> waiting;
};

// The listeners of one callback kind, in the order added.
struct Callback_Registry {
    int32_t callback_id;
    const char* name;
    std::vector<Callback_Listener> listeners;
};

extern Array_View<Call_Result_Registry> call_result_registries;
extern Array_View<Callback_Registry> callback_registries;
// 1108 means stats unloaded both for the client and for a game server; the server has its own
// list, used when dispatching the server pipe.
extern Callback_Registry server_stats_unloaded_listeners;

// Null for a kind not listed.
Call_Result_Registry* find_call_result_registry(int32_t callback_id);
Callback_Registry* find_callback_registry(int32_t callback_id, bool server);

// Hands a completed call's result to the handlers waiting for that call, once: the call is then
// no longer pending.
void run_call_results(Call_Result_Registry* registry, uint64_t call, void* result, bool failed);

// Pumps the SDK for `pipe` and drains its queue, delivering each message on the calling thread.
void run_callbacks(int32_t pipe, bool server);

// Calls that handlers still wait for, all kinds together.
int64_t count_pending_call_results();
