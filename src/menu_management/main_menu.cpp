#include "menu_management/main_menu.h"

#include "basic.h"
#include "hitbox/hitbox.h"
#include "input/input.h"
#include "raymath.h"
#include "scene_management/scene_manager.h"

Vector2 main_menu_cursor = {0, 0};
bool main_cursor_placed = false;

constexpr Color MENU_WHITE = {255, 255, 255, 255};
constexpr float MENU_TEXT_SPACING = 5.0f;
constexpr float STICK_DEAD_ZONE = 0.1f;
constexpr float CURSOR_STEP = 5.0f;

Rectangle draw_menu_button(Vector2 anchor, const char* label, Vector2* label_position) {
    const char* text = temp_c_string(label);
    Vector2 size = MeasureTextEx(ui_font, text, MENU_FONT_SIZE, MENU_TEXT_SPACING);
    Vector2 position = {anchor.x - size.x / 2, anchor.y - size.y / 2};
    DrawTextEx(ui_font, text, position, MENU_FONT_SIZE, MENU_TEXT_SPACING, MENU_WHITE);
    if (label_position) *label_position = position;
    // The box has a fixed size whatever the label's width.
    return {position.x, position.y, MENU_BUTTON_WIDTH, MENU_BUTTON_HEIGHT};
}

void step_menu_cursor(Vector2* cursor, float stick_y) {
    if (stick_y < -STICK_DEAD_ZONE) {
        cursor->y -= CURSOR_STEP;
    } else if (stick_y > STICK_DEAD_ZONE) {
        cursor->y += CURSOR_STEP;
    }
}

int64_t confirmed_button(Rectangle box, std::initializer_list<Rectangle> buttons, bool pressed) {
    if (!pressed) return -1;
    int64_t index = 0;
    for (Rectangle button : buttons) {
        if (is_colliding(&box, &button)) return index;
        index++;
    }
    return -1;
}

Rectangle play_button() {
    Vector2 position;
    Rectangle box = draw_menu_button({800, 450}, "Play", &position);
    if (!main_cursor_placed) {
        main_menu_cursor = position;
        main_cursor_placed = true;
    }
    return box;
}

Rectangle quit_button() {
    return draw_menu_button({800, 550}, "Quit", nullptr);
}

Main_Menu_Buttons update_and_draw_main_menu() {
    Main_Menu_Buttons buttons;
    buttons.play = play_button();
    buttons.quit = quit_button();
    return buttons;
}

void button_highlighter(Rectangle play, Rectangle quit) {
    float stick_y = GetGamepadAxisMovement(0, GAMEPAD_AXIS_LEFT_Y);
    left_stick_y = stick_y;

    // Hit tests use the box as it was before this frame's movement.
    Rectangle box = {main_menu_cursor.x, main_menu_cursor.y, MENU_BUTTON_WIDTH, MENU_BUTTON_HEIGHT};
    DrawRectangleLinesEx(box, 2.0f, MENU_WHITE);

    step_menu_cursor(&main_menu_cursor, stick_y);
    if (IsGamepadAvailable(0)) {
        main_menu_cursor.y = Clamp(main_menu_cursor.y, 450 - 40, 550 - 40);
    } else {
        main_menu_cursor = GetMousePosition();
    }

    bool pressed = IsGamepadButtonPressed(0, GAMEPAD_BUTTON_RIGHT_FACE_DOWN) || IsMouseButtonPressed(MOUSE_BUTTON_LEFT);
    switch (confirmed_button(box, {play, quit}, pressed)) {
        case 0: play_transition = true; break;
        case 1: running = false; break;  // the frame completes, then the normal shutdown
        default: break;
    }

    if (play_transition) {
        draw_scene_transition_texture(&transition_texture, &play_transition_alpha);
        scene_transition(&transition_timer, &play_transition_alpha);
        if (play_transition_alpha >= 1.0f) set_scene(GAME);
    }
}
