// The left stick of gamepad 0, sampled once per game frame.
#pragma once

extern float left_stick_x;  // -1 full left .. 1 full right
extern float left_stick_y;  // -1 full up .. 1 full down

void input_handler();
