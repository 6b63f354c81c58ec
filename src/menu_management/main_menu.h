#pragma once

#include <cstdint>
#include <initializer_list>

#include "raylib.h"

constexpr float MENU_FONT_SIZE = 80.0f;
constexpr float MENU_BUTTON_WIDTH = 2 * MENU_FONT_SIZE;
constexpr float MENU_BUTTON_HEIGHT = MENU_FONT_SIZE;

extern Vector2 main_menu_cursor;
extern bool main_cursor_placed;

struct Main_Menu_Buttons {
    Rectangle play;
    Rectangle quit;
};

Main_Menu_Buttons update_and_draw_main_menu();
Rectangle play_button();
Rectangle quit_button();
void button_highlighter(Rectangle play, Rectangle quit);

// A text button centred on `anchor`: draws the label, returns its 160x80 box from the label's
// top-left corner. Shared with the pause menu.
Rectangle draw_menu_button(Vector2 anchor, const char* label, Vector2* label_position);
// One frame of cursor movement from the stick's y: 5 pixels up or down past the dead zone.
void step_menu_cursor(Vector2* cursor, float stick_y);
// The first of `buttons` that the cursor box overlaps when confirmed, or -1: earlier buttons win
// where the box overlaps several.
int64_t confirmed_button(Rectangle box, std::initializer_list<Rectangle> buttons, bool pressed);
