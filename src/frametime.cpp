#include "frametime.h"

#include "vellmarch.h"

float frame_times[FRAME_TIME_SAMPLES] = {};
int64_t frame_time_index = 0;

constexpr int GRAPH_HEIGHT = 100;

Color frame_time_colour(float seconds) {
    if (seconds <= FRAME_BUDGET * 1.1f) return {0, 255, 0, 255};
    return {255, 0, 0, 255};
}

int frame_time_bar_height(float seconds) {
    return int(seconds * FRAME_TIME_BAR_SCALE);
}

void record_frame_time(float seconds) {
    frame_times[frame_time_index] = seconds;
    frame_time_index = (frame_time_index + 1) % FRAME_TIME_SAMPLES;
}

void draw_frametime() {
    int x = int(debug_text_anchor.x + 35);
    int y = int(debug_text_anchor.y + 55);
    // Oldest sample leftmost; bars stand on the graph's bottom edge and may rise above its top.
    for (int64_t i = 0; i < FRAME_TIME_SAMPLES; i++) {
        float seconds = frame_times[(frame_time_index + i) % FRAME_TIME_SAMPLES];
        int height = frame_time_bar_height(seconds);
        DrawRectangle(x + 2 * int(i), y + GRAPH_HEIGHT - height, 1, height, frame_time_colour(seconds));
    }
    int budget_y = y + GRAPH_HEIGHT - frame_time_bar_height(FRAME_BUDGET);
    DrawLine(x, budget_y, x + 2 * int(FRAME_TIME_SAMPLES), budget_y, {0, 0, 255, 255});
    record_frame_time(GetFrameTime());
}
