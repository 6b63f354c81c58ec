#include "physics/physics_calculations.h"

#include "player/player.h"

Vector2 calculate_player_velocity(Vector2* previous, float dt) {
    Vector2 d = Vector2Subtract(player_position, *previous);
    if (dt > 0.000001f) {
        player_velocity = {d.x / dt, d.y / dt};
    } else {
        player_velocity = {0, 0};
    }
    return player_velocity;
}
