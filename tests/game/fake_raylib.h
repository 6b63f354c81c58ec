// A scriptable stand-in for the rendering library's input, loading and drawing calls, so that
// the game logic runs without a window: tests set keys and sticks and read back what was drawn.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "raylib.h"

struct Drawn_Text {
    std::string text;
    Vector2 position;
    float size;
    float spacing;
};

struct Fake_Raylib {
    std::set<int> keys_down;
    std::set<int> gamepad_pressed;  // buttons of gamepad 0 that went down this frame
    float axes[6] = {};
    int mouse_x = 0, mouse_y = 0;
    double time = 0;
    std::vector<std::string> loaded_paths;
    std::vector<std::string> released;  // "texture N" / "image N" in release order
    std::vector<Drawn_Text> texts;
    std::vector<Rectangle> hitboxes;
    unsigned next_texture_id = 1;
    std::vector<int> random_bounds;  // min, max of each GetRandomValue call
};

extern Fake_Raylib fake;
void reset_fake_raylib();
// Every game global back to its initial value.
void reset_game_state();
