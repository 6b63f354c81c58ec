// The debug overlay: frames per second, the player's position and velocity, the frame-time graph.
#pragma once

void draw_debug_text();
