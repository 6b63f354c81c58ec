#pragma once

#include "raylib.h"

extern Vector2 pause_menu_cursor;
extern bool pause_cursor_placed;
extern float pause_overlay_alpha;

struct Pause_Menu_Buttons {
    Rectangle resume;
    Rectangle menu;
    Rectangle quit;
};

// Named pause_game: POSIX already declares pause() in the global namespace.
void pause_game();
void resume_game();
void pause_menu_overlay(float* alpha);
Pause_Menu_Buttons update_and_draw_pause_menu();
Rectangle resume_button();
Rectangle menu_button();
Rectangle pause_quit_button();
void button_highlighter(Rectangle resume, Rectangle menu, Rectangle quit);
