#include "vellmarch.h"

#include "camera/camera.h"
#include "file_management/dir_manager.h"
#include "file_management/save_manager.h"
#include "input/input.h"
#include "modules/Raylib/windows.h"
#include "physics/physics_calculations.h"
#include "player/player.h"
#include "scene_management/scene_manager.h"
#include "steam/steam_manager.h"
#include "textures.h"
#include "time_management/day_night_cycle.h"
#include "ui_management/debug_text.h"
#include "ui_management/draw_ui.h"

Shader blur_shader = {};
int render_size_location = -1;
Vector2 debug_text_anchor = {0, 0};
Vector2 date_anchor = {0, 0};
Font text_font = {};
Texture player_texture = {};
bool pause_toggle = false;

constexpr Color WORLD_TEXT_GREEN = {0, 255, 0, 255};

void ready() {
    blur_shader = LoadShader(nullptr, "shaders/blur.glsl");
    render_size_location = GetShaderLocation(blur_shader, "renderSize");
    init_save_system();
    steam_start();
    camera = init_camera();
    // Fixed once: the overlays stay in the screen corners whatever the camera does later.
    debug_text_anchor = GetWorldToScreen2D({-800, -450}, camera);
    date_anchor = GetWorldToScreen2D({800, -450}, camera);
    SetExitKey(0);  // Escape pauses instead of closing the window
    text_font = LoadFont("assets/fonts/Monocraft.otf");
    SetTextureFilter(text_font.texture, TEXTURE_FILTER_POINT);
    // Without a game folder the path would point into the root folder: nothing is read there.
    if (saving_enabled() && FileExists(TextFormat("%/quol.sav", game_dir))) load_save();
    init_night_state(ingame_hours);
    player_texture = textures_from_image_init("assets/sprites/square.png");
    init_night_system();
}

void process(float dt) {
    steam_update();
    input_handler();
    draw_ingame_date(dt);
    if (debug_mode) draw_debug_text();

    previous_player_position = player_position;
    BeginMode2D(camera);
    player_draw(&player_texture);
    if (pause_state == 0) player_position = player_move(dt);
    DrawTextEx(text_font, "Hello, Sailor", {0, 0}, 20.0f, 5.0f, WORLD_TEXT_GREEN);
    EndMode2D();

    draw_night();
    night_time = update_night_cycle(ingame_hours, dt);

    if (IsKeyPressed(KEY_C)) queue_save(night_time, ingame_hours, int64_t(ingame_minutes), days, month_name);
    if (IsGamepadButtonPressed(0, GAMEPAD_BUTTON_MIDDLE_RIGHT) || IsKeyPressed(KEY_ESCAPE)) {
        pause_toggle = !pause_toggle;
        pause_state = pause_toggle ? 1 : 0;
    }
}

void late_process(float) {
    update_camera(&camera);
}

void physics_process(float step) {
    calculate_player_velocity(&previous_player_position, step);  // stores player_velocity itself
}
