#include "hitbox/hitbox.h"

Rectangle get_player_rect(Vector2* position, Vector2* origin, Vector2* size) {
    return {position->x - origin->x, position->y - origin->y, size->x, size->y};
}

bool is_colliding(Rectangle* a, Rectangle* b) { return CheckCollisionRecs(*a, *b); }
