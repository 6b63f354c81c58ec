// The debug overlay's bar graph of the last 100 frame times.
#pragma once

#include <cstdint>

#include "raylib.h"

constexpr int64_t FRAME_TIME_SAMPLES = 100;
constexpr float FRAME_TIME_BAR_SCALE = 5000.0f;  // pixels per second of frame time
constexpr float FRAME_BUDGET = 0.0166667f;       // 1/60 s

extern float frame_times[FRAME_TIME_SAMPLES];
extern int64_t frame_time_index;

void draw_frametime();
// Records one frame time in the ring (the oldest sample is overwritten).
void record_frame_time(float seconds);
Color frame_time_colour(float seconds);
int frame_time_bar_height(float seconds);
