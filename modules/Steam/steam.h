// The game's thin layer over the Steamworks SDK, in manual-dispatch mode: the SDK never calls
// into the game on a thread of its own; callbacks arrive only inside RunCallbacks.
#pragma once

#include <cstdint>

// The SDK's user pipe: 0 until Steam_Init succeeds, never reset.
extern int32_t steam_pipe;

bool IsSteamRunning();
// Starts the SDK in manual-dispatch mode. Prints nothing on failure.
bool Steam_Init();
// Dispatches everything queued for steam_pipe on the calling thread, then releases the SDK's
// per-thread memory.
void RunCallbacks();
// Waits up to `timeout` seconds for pending call results, dispatching every 10 ms, then shuts the
// SDK down in any case. True when nothing is pending at the end.
bool ShutdownSteam(double timeout);
