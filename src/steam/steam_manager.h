#pragma once

extern bool steam_enabled;

void steam_start();
void steam_update();
void steam_stop();
