// Small numeric helpers. The header is math.hpp, not math.h: src/ is on the include path and a
// math.h there would shadow the C library's for every <math.h> include. The functions live in a
// namespace because the C library's round is global.
#pragma once

#include "raylib.h"

namespace math {

// a at t = 0, b at t = 1; t is not clamped.
Vector2 lerp(Vector2 a, Vector2 b, float t);
// floor(x + 0.5) in float32: halves go up (-2.5 gives -2).
float round(float x);

}  // namespace math
