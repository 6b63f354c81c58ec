// Records shaped like the game's save (the game describes its own in the save manager).
#pragma once

#include "runtime.h"

// The rendering library's two-float vector, laid out alike. (raylib.h can't share a translation
// unit with the runtime: both declare LOG_ERROR, LOG_WARNING and LOG_NONE.)
struct Vec2 {
    float x;
    float y;
};
DESCRIBE_STRUCT(Vec2, x, y);

struct Header_Record {
    float version;
    uint32_t checksum;
};
DESCRIBE_STRUCT(Header_Record, version, checksum);

struct Player_Record {
    Vec2 position;
};
DESCRIBE_STRUCT(Player_Record, position);

struct Time_Record {
    bool night_time;
    int64_t ingame_hours;
    int64_t ingame_minutes;
    int64_t days;
    String month;
};
DESCRIBE_STRUCT(Time_Record, night_time, ingame_hours, ingame_minutes, days, month);

struct State_Record {
    String saved_at;
    Player_Record player;
    Time_Record time;
};
DESCRIBE_STRUCT(State_Record, saved_at, player, time);

struct Save_Record {
    Header_Record header;
    State_Record state;
};
DESCRIBE_STRUCT(Save_Record, header, state);

inline State_Record example_state() {
    return {"8/12/2026 - 9:5", {{412.5f, -96.25f}}, {false, 19, 40, 3, "Summer 2"}};
}

inline Save_Record example_save() { return {{0.1f, 3000000000u}, example_state()}; }
