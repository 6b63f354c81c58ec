// Scenes, the game-state flags the frame loop runs on, and the black fade between scenes.
#pragma once

#include <cstdint>

#include "raylib.h"

enum Scene : int64_t {
    SPLASH = 0,
    MAIN_MENU = 1,
    GAME = 2,
};

// The frame loop's state; main drives it, the menus and the command line change it.
extern bool running;
extern Scene current_scene;
extern int64_t pause_state;  // 0 runs, 1 paused
extern float time_scale;
extern bool debug_mode;
extern bool skip_splash;
extern Font ui_font;
extern char* steam_appid_text;  // null when steam_appid.txt could not be read

// The fade layer: one timer shared by the Play fade and the Menu fade.
extern Texture transition_texture;
extern float transition_timer;
extern bool play_transition;
extern float play_transition_alpha;
extern bool menu_transition;
extern float menu_transition_alpha;

constexpr float TRANSITION_DELAY = 0.5f;
constexpr float TRANSITION_SPEED = 1.0f;

// Stores 0..3 (3 is a scene the loop draws nothing for); other values are ignored.
void set_scene(Scene scene);

Texture init_scene_transition();
void draw_scene_transition_texture(Texture* texture, float* alpha);
void scene_transition(float* timer, float* alpha);
// One fade step of `frame_seconds`; scene_transition passes the length of the last frame.
void advance_transition(float* timer, float* alpha, float frame_seconds);
