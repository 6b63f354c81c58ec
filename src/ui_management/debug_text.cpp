#include "ui_management/debug_text.h"

#include "frametime.h"
#include "modules/Raylib/module.h"
#include "player/player.h"
#include "print.h"
#include "ui_management/draw_ui.h"
#include "vellmarch.h"

constexpr float DEBUG_TEXT_SIZE = 20.0f;

void draw_debug_text() {
    String fps = tprint("FPS: %", GetFPS());
    String position = tprint("Position: %", player_position);  // {x, y}
    String velocity = tprint("Velocity: %", player_velocity);

    Vector2 fps_at = {debug_text_anchor.x + 35, debug_text_anchor.y + 35};
    draw_text(fps, &fps_at, DEBUG_TEXT_SIZE);
    draw_frametime();
    Vector2 position_at = {debug_text_anchor.x + 35, debug_text_anchor.y + 170};
    draw_text(position, &position_at, DEBUG_TEXT_SIZE);
    Vector2 velocity_at = {debug_text_anchor.x + 35, debug_text_anchor.y + 190};
    draw_text(velocity, &velocity_at, DEBUG_TEXT_SIZE);
}
