#include "input/input.h"

#include "raylib.h"

float left_stick_x = 0.0f;
float left_stick_y = 0.0f;

void input_handler() {
    left_stick_x = GetGamepadAxisMovement(0, GAMEPAD_AXIS_LEFT_X);
    left_stick_y = GetGamepadAxisMovement(0, GAMEPAD_AXIS_LEFT_Y);
}
