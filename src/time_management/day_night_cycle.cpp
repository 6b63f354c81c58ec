#include "time_management/day_night_cycle.h"

#include <algorithm>

#include "gc_manager.h"

float darkness = 0.0f;
bool night_time = false;
Texture night_texture = {};

void init_night_system() {
    Image white = GenImageColor(1, 1, WHITE);
    night_texture = load_textures_from_image_tracked(&tracked_resources, white);
    UnloadImage(white);
}

void init_night_state(int64_t hour) {
    // A game started at night begins dark, without a fade.
    night_time = hour >= NIGHT_START_HOUR;
    darkness = night_time ? NIGHT_DARKNESS : 0.0f;
}

void draw_night() {
    Rectangle source = {0, 0, float(night_texture.width), float(night_texture.height)};
    Rectangle screen = {0, 0, float(GetScreenWidth()), float(GetScreenHeight())};
    DrawTexturePro(night_texture, source, screen, Vector2{0, 0}, 0.0f, Fade(BLACK, darkness));
}

bool update_night_cycle(int64_t hour, float dt) {
    float target = hour >= NIGHT_START_HOUR ? NIGHT_DARKNESS : 0.0f;
    if (target > darkness) {
        darkness = std::min(darkness + DARKNESS_RATE * dt, target);
        night_time = true;
    } else {
        darkness = std::max(darkness - DARKNESS_RATE * dt, target);
        night_time = false;
    }
    return night_time;
}
