#include "ui_management/debug_text.h"

#include "frametime.h"
#include "player/player.h"
#include "print.h"
#include "ui_management/draw_ui.h"
#include "vellmarch.h"

constexpr float DEBUG_TEXT_SIZE = 20.0f;

// A vector as a record with few members is written: {x, y}.
static String vector_text(const char* label, Vector2 v) {
    return tprint("%{%, %}", label, v.x, v.y);
}

void draw_debug_text() {
    String fps = tprint("FPS: %", GetFPS());
    String position = vector_text("Position: ", player_position);
    String velocity = vector_text("Velocity: ", player_velocity);

    Vector2 fps_at = {debug_text_anchor.x + 35, debug_text_anchor.y + 35};
    draw_text(fps, &fps_at, DEBUG_TEXT_SIZE);
    draw_frametime();
    Vector2 position_at = {debug_text_anchor.x + 35, debug_text_anchor.y + 170};
    draw_text(position, &position_at, DEBUG_TEXT_SIZE);
    Vector2 velocity_at = {debug_text_anchor.x + 35, debug_text_anchor.y + 190};
    draw_text(velocity, &velocity_at, DEBUG_TEXT_SIZE);
}
