// From in-game hour 18 a black overlay fades in up to 70 %, from hour 0 it fades out again.
#pragma once

#include <cstdint>

#include "raylib.h"

constexpr int64_t NIGHT_START_HOUR = 18;
constexpr float NIGHT_DARKNESS = 0.7f;
constexpr float DARKNESS_RATE = 0.05f;  // per second of scaled time

extern float darkness;
extern bool night_time;  // true only while the overlay is darkening
extern Texture night_texture;

void init_night_system();
void init_night_state(int64_t hour);
void draw_night();
bool update_night_cycle(int64_t hour, float dt);
