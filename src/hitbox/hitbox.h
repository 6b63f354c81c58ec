#pragma once

#include "raylib.h"

// {position - origin, size}.
Rectangle get_player_rect(Vector2* position, Vector2* origin, Vector2* size);
bool is_colliding(Rectangle* a, Rectangle* b);
