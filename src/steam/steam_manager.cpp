#include "steam/steam_manager.h"

#include "runtime.h"
#include "steam.h"

bool steam_enabled = false;

void steam_start() {
    if (IsSteamRunning()) steam_enabled = true;
    if (steam_enabled && !Steam_Init()) print("failed to initialize steam\n");
}

void steam_update() {
    if (steam_enabled) RunCallbacks();
}

void steam_stop() {
    if (steam_enabled && !ShutdownSteam(3.0)) log_message("failed to finish cleanly\n", LOG_FLAG_ERROR);
}
