// Stand-in until the Steam layer lands: Steam stays off.
#include "steam/steam_manager.h"

bool steam_enabled = false;

void steam_start() {}
void steam_update() {}
void steam_stop() {}
