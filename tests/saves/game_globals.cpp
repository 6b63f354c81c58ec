// The game globals the save system reads and restores. Their owners' sources also draw through
// the rendering library, which these tests don't link.
#include "player/player.h"
#include "time_management/day_night_cycle.h"
#include "ui_management/draw_ui.h"

Player player;
bool night_time = false;
float ingame_minutes = 0.0f;
int64_t ingame_hours = 0;
int64_t days = 1;
String month_name;
