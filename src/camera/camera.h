// The game scene's 2-D camera, easing its target toward the player every frame.
#pragma once

#include "raylib.h"

constexpr float CAMERA_FOLLOW = 0.4f;  // share of the remaining gap covered per frame

extern Camera2D camera;
extern float shake_time;
extern float shake_intensity;

// Offset (800, 450), target player_position, rotation 0, zoom 1.
Camera2D init_camera();
void update_camera(Camera2D* cam);
// One short shake per run: an offset jittered around the screen centre while shake_time lasts.
Vector2 shake_camera(float dt);
