// Our stand-in for the flat interface of the Steamworks SDK: only the calls and records the
// game's Steam layer uses, under the SDK's own names so that the layer builds against either.
// Without a script (steam_stub_control.h) it behaves as a machine where no Steam client runs.
#pragma once

#include <cstdint>

using HSteamPipe = int32_t;
using HSteamUser = int32_t;
using SteamAPICall_t = uint64_t;

// One queued message: filled by SteamAPI_ManualDispatch_GetNextCallback, valid until
// SteamAPI_ManualDispatch_FreeLastCallback.
struct CallbackMsg_t {
    HSteamUser m_hSteamUser;
    int m_iCallback;
    uint8_t* m_pubParam;
    int m_cubParam;
};

// The data of the message that announces a completed call.
struct SteamAPICallCompleted_t {
    enum { k_iCallback = 703 };
    SteamAPICall_t m_hAsyncCall;
    int m_iCallback;
    uint32_t m_cubParam;
};

extern "C" {
bool SteamAPI_IsSteamRunning();
bool SteamAPI_Init();
void SteamAPI_Shutdown();
void SteamAPI_ReleaseCurrentThreadMemory();
HSteamPipe SteamAPI_GetHSteamPipe();

void SteamAPI_ManualDispatch_Init();
void SteamAPI_ManualDispatch_RunFrame(HSteamPipe pipe);
bool SteamAPI_ManualDispatch_GetNextCallback(HSteamPipe pipe, CallbackMsg_t* message);
void SteamAPI_ManualDispatch_FreeLastCallback(HSteamPipe pipe);
bool SteamAPI_ManualDispatch_GetAPICallResult(HSteamPipe pipe, SteamAPICall_t call, void* result, int result_size,
                                              int expected_callback, bool* failed);
}
