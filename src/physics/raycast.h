#pragma once

#include "raylib.h"

struct Ray_Hit {
    bool hit = false;
    Vector2 point = {0, 0};  // meaningful only when hit
};

// The crossing of the segment with the rectangle's sides nearest to segment[0], when nearer
// than *closest (which it then lowers).
Ray_Hit check_rect_collision(Vector2 (*segment)[2], Rectangle* rect, float* closest);
