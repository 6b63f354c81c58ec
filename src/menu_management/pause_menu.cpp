#include "menu_management/pause_menu.h"

#include "input/input.h"
#include "menu_management/main_menu.h"
#include "raymath.h"
#include "scene_management/scene_manager.h"
#include "vellmarch.h"

Vector2 pause_menu_cursor = {0, 0};
bool pause_cursor_placed = false;
float pause_overlay_alpha = 0.7f;

constexpr float PAUSE_OVERLAY_ALPHA = 0.7f;
constexpr float PAUSE_OVERLAY_FADE = 0.05f;

void pause_menu_overlay(float* alpha) {
    if (*alpha >= 0) *alpha -= PAUSE_OVERLAY_FADE * GetFrameTime();
}

void resume_game() {
    pause_menu_overlay(&pause_overlay_alpha);
    time_scale = 1.0f;
    pause_overlay_alpha = PAUSE_OVERLAY_ALPHA;  // overrides the fade step: the layer is always 0.7
}

void pause_game() {
    time_scale = 0.0f;

    Vector2 render_size = {float(transition_texture.width), float(transition_texture.height)};
    SetShaderValue(blur_shader, render_size_location, &render_size, SHADER_UNIFORM_VEC2);
    BeginBlendMode(BLEND_ALPHA);
    BeginShaderMode(blur_shader);
    draw_scene_transition_texture(&transition_texture, &pause_overlay_alpha);
    EndShaderMode();
    EndBlendMode();

    Pause_Menu_Buttons buttons = update_and_draw_pause_menu();
    button_highlighter(buttons.resume, buttons.menu, buttons.quit);
}

Rectangle resume_button() {
    Vector2 position;
    Rectangle box = draw_menu_button({800, 350}, "Resume", &position);
    if (!pause_cursor_placed) {
        pause_menu_cursor = position;
        pause_cursor_placed = true;
    }
    return box;
}

Rectangle menu_button() {
    return draw_menu_button({800, 450}, "Menu", nullptr);
}

Rectangle pause_quit_button() {
    return draw_menu_button({800, 550}, "Quit", nullptr);
}

Pause_Menu_Buttons update_and_draw_pause_menu() {
    Pause_Menu_Buttons buttons;
    buttons.resume = resume_button();
    buttons.menu = menu_button();
    buttons.quit = pause_quit_button();
    return buttons;
}

void button_highlighter(Rectangle resume, Rectangle menu, Rectangle quit) {
    float stick_y = GetGamepadAxisMovement(0, GAMEPAD_AXIS_LEFT_Y);
    left_stick_y = stick_y;

    Rectangle box = {pause_menu_cursor.x, pause_menu_cursor.y, MENU_BUTTON_WIDTH, MENU_BUTTON_HEIGHT};
    DrawRectangleLinesEx(box, 2.0f, {255, 255, 255, 255});

    step_menu_cursor(&pause_menu_cursor, stick_y);
    if (IsGamepadAvailable(0)) {
        pause_menu_cursor.y = Clamp(pause_menu_cursor.y, 350 - 40, 550 - 40);
        pause_menu_cursor.x = 800 - MENU_BUTTON_WIDTH / 2;
    } else {
        pause_menu_cursor = GetMousePosition();
    }

    bool pressed = IsGamepadButtonPressed(0, GAMEPAD_BUTTON_RIGHT_FACE_DOWN) || IsMouseButtonPressed(MOUSE_BUTTON_LEFT);
    switch (confirmed_button(box, {resume, menu, quit}, pressed)) {
        case 0: pause_state = 0; break;  // time_scale returns to 1 next frame through resume_game
        case 1: menu_transition = true; break;
        case 2: running = false; break;
        default: break;
    }

    if (menu_transition) {
        draw_scene_transition_texture(&transition_texture, &menu_transition_alpha);
        scene_transition(&transition_timer, &menu_transition_alpha);
        if (menu_transition_alpha >= 1.0f) set_scene(MAIN_MENU);
    }
}
