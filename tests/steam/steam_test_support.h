// Shared set-up of the Steam tests: a fresh stand-in SDK and empty registries.
#pragma once

#include "src-autogen/partial_steam_callbacks.h"
#include "steam.h"
#include "steam_stub_control.h"

inline void clear_steam_registries() {
    for (Call_Result_Registry& registry : call_result_registries) registry.waiting.clear();
    for (Callback_Registry& registry : callback_registries) registry.listeners.clear();
    server_stats_unloaded_listeners.listeners.clear();
}

inline void reset_steam() {
    steam_stub_reset();
    steam_pipe = 0;
    clear_steam_registries();
}

// The stand-in's log from now on only.
inline void forget_calls() { steam_stub.calls.clear(); }
