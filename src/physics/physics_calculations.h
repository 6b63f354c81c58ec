#pragma once

#include "raylib.h"

// player_velocity := (player_position - *previous) / dt, or (0, 0) for a step of 1 µs or less.
Vector2 calculate_player_velocity(Vector2* previous, float dt);
