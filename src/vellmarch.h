// The game scene's frame hooks: ready once at start-up, then process and late_process every game
// frame and physics_process in fixed steps.
#pragma once

#include "raylib.h"

extern Shader blur_shader;
extern int render_size_location;
extern Vector2 debug_text_anchor;  // top-left corner of the screen
extern Vector2 date_anchor;        // top-right corner of the screen
extern Font text_font;
extern Texture player_texture;
extern bool pause_toggle;

void ready();
void process(float dt);
void late_process(float dt);
void physics_process(float step);
