// Rectangles and lines on the batch's white texture, and the overlap tests.
#include "rl_internal.h"

#include <cfloat>
#include <cmath>

namespace {

void draw_rectangle(float x, float y, float width, float height, Color c) {
    Batch_Vertex* v = batch_quad(default_texture_id());
    if (!v) return;
    v[0] = {x, y, 0.0f, 0.0f, 0.0f, c.r, c.g, c.b, c.a};
    v[1] = {x, y + height, 0.0f, 0.0f, 1.0f, c.r, c.g, c.b, c.a};
    v[2] = {x + width, y + height, 0.0f, 1.0f, 1.0f, c.r, c.g, c.b, c.a};
    v[3] = {x + width, y, 0.0f, 1.0f, 0.0f, c.r, c.g, c.b, c.a};
}

float cross(Vector2 a, Vector2 b) { return a.x * b.y - a.y * b.x; }

}  // namespace

void DrawRectangle(int posX, int posY, int width, int height, Color color) {
    draw_rectangle(static_cast<float>(posX), static_cast<float>(posY), static_cast<float>(width),
                   static_cast<float>(height), color);
}

// The 6.0 rule: a thickness above the width or height becomes half the smaller side.
void DrawRectangleLinesEx(Rectangle rec, float lineThick, Color color) {
    if (lineThick > rec.width || lineThick > rec.height) {
        lineThick = (rec.width >= rec.height) ? rec.height / 2.0f : rec.width / 2.0f;
    }
    float t = lineThick;
    draw_rectangle(rec.x, rec.y, rec.width, t, color);
    draw_rectangle(rec.x, rec.y + rec.height - t, rec.width, t, color);
    draw_rectangle(rec.x, rec.y + t, t, rec.height - 2 * t, color);
    draw_rectangle(rec.x + rec.width - t, rec.y + t, t, rec.height - 2 * t, color);
}

// One line segment at the exact integer coordinates, without a half-pixel offset.
void DrawLine(int startPosX, int startPosY, int endPosX, int endPosY, Color color) {
    Batch_Vertex* v = batch_line(default_texture_id());
    if (!v) return;
    v[0] = {static_cast<float>(startPosX), static_cast<float>(startPosY), 0.0f, 0.0f, 0.0f,
            color.r, color.g, color.b, color.a};
    v[1] = {static_cast<float>(endPosX), static_cast<float>(endPosY), 0.0f, 0.0f, 0.0f,
            color.r, color.g, color.b, color.a};
}

// Strict on both axes: rectangles that only touch do not collide.
bool CheckCollisionRecs(Rectangle rec1, Rectangle rec2) {
    return rec1.x < rec2.x + rec2.width && rec1.x + rec1.width > rec2.x && rec1.y < rec2.y + rec2.height &&
           rec1.y + rec1.height > rec2.y;
}

// Endpoints count; parallel and collinear segments never collide. collisionPoint may be null.
bool CheckCollisionLines(Vector2 startPos1, Vector2 endPos1, Vector2 startPos2, Vector2 endPos2,
                         Vector2* collisionPoint) {
    Vector2 d1 = {endPos1.x - startPos1.x, endPos1.y - startPos1.y};
    Vector2 d2 = {endPos2.x - startPos2.x, endPos2.y - startPos2.y};
    float denominator = cross(d1, d2);
    if (std::fabs(denominator) < FLT_EPSILON) return false;
    Vector2 between = {startPos2.x - startPos1.x, startPos2.y - startPos1.y};
    float t = cross(between, d2) / denominator;
    float u = cross(between, d1) / denominator;
    if (t < 0.0f || t > 1.0f || u < 0.0f || u > 1.0f) return false;
    if (collisionPoint) *collisionPoint = {startPos1.x + t * d1.x, startPos1.y + t * d1.y};
    return true;
}
