#include "math.hpp"

#include <cmath>

#include "raymath.h"

namespace math {

Vector2 lerp(Vector2 a, Vector2 b, float t) {
    Vector2 from = {(1.0f - t) * a.x, (1.0f - t) * a.y};
    Vector2 to = {t * b.x, t * b.y};
    return Vector2Add(from, to);
}

float round(float x) { return std::floor(x + 0.5f); }

}  // namespace math
