// The in-game clock and calendar with the date display, and the shared text drawing.
#pragma once

#include <cstdint>

#include "modules/Raylib/module.h"

// An in-game hour lasts 20 s of scaled time; ingame_minutes holds those seconds.
constexpr float SECONDS_PER_INGAME_HOUR = 20.0f;

extern float ingame_minutes;
extern int64_t ingame_hours;
extern int64_t days;          // 1..6
extern int64_t day_of_month;  // 1..29
extern int64_t month_number;  // 1..11
extern String month_name;

struct Ingame_Time {
    int64_t hours;
    float minutes;
    int64_t days;
    int64_t month;
};

Ingame_Time advance_ingame_time(float dt);
String get_season_name(int64_t month);
void draw_ingame_date(float dt);
// One text in the text font, spacing 5, white.
void draw_text(String text, Vector2* position, float size);
