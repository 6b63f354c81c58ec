// The game's use of Steam: started in the game scene's start-up when the client runs,
// dispatched once per game-scene frame, shut down at exit.
#pragma once

// Set by steam_start when the Steam client runs, even if the start then fails; never cleared.
// It alone decides whether steam_update and steam_stop reach the SDK.
extern bool steam_enabled;

void steam_start();
void steam_update();
void steam_stop();
