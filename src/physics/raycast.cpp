#include "physics/raycast.h"

#include "raymath.h"

Ray_Hit check_rect_collision(Vector2 (*segment)[2], Rectangle* rect, float* closest) {
    Vector2 top_left = {rect->x, rect->y};
    Vector2 top_right = {rect->x + rect->width, rect->y};
    Vector2 bottom_right = {rect->x + rect->width, rect->y + rect->height};
    Vector2 bottom_left = {rect->x, rect->y + rect->height};
    Vector2 sides[4][2] = {
        {top_left, top_right}, {top_right, bottom_right}, {bottom_right, bottom_left}, {bottom_left, top_left}};

    Vector2 start = (*segment)[0];
    Vector2 end = (*segment)[1];
    Ray_Hit result;
    for (auto& side : sides) {
        Vector2 p;
        if (!CheckCollisionLines(start, end, side[0], side[1], &p)) continue;
        float d = Vector2Distance(start, p);
        if (*closest > d) {
            *closest = d;
            result = {true, p};
        }
    }
    return result;
}
