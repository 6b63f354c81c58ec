// The player: eight-way walking on keys or the left stick, a dash on gamepad button 6.
#pragma once

#include <cstdint>

#include "modules/Raylib/module.h"

struct Player {
    Vector2 position = {0, 0};
    float rotation = 0.0f;
    float scale = 0.5f;
};

enum Player_State : int64_t { DASH = 0, WALK = 1 };

constexpr float DASH_DURATION = 0.2f;
constexpr float DASH_COOLDOWN = 3.0f;

extern Player player;
extern Player_State player_state;
extern float dash_timer;
extern float dash_cooldown_timer;  // seconds since the last dash began; never capped
extern Vector2 dash_direction;

// The copy of player.position taken after each move; camera, velocity and overlay read it.
extern Vector2 player_position;
extern Vector2 previous_player_position;
extern Vector2 player_velocity;

// Walk and dash speeds in world units per second, read from the configuration at start-up.
extern float speed;
extern float dash_speed;

// One frame of movement on the scaled delta; returns the new player.position.
Vector2 player_move(float dt);
// Draws the sprite centred on the player and, in debug mode, its hitbox.
void player_draw(Texture* texture);
