// The vector helpers of raylib 6.0's raymath that quol uses, header-only as in the library.
#ifndef RAYMATH_H
#define RAYMATH_H

#include <math.h>

#include "raylib.h"

#ifndef RMAPI
#define RMAPI static inline
#endif

RMAPI float Clamp(float value, float min, float max) {
    float result = (value < min) ? min : value;
    if (result > max) result = max;
    return result;
}

RMAPI Vector2 Vector2Add(Vector2 v1, Vector2 v2) { return CLITERAL(Vector2){ v1.x + v2.x, v1.y + v2.y }; }

RMAPI Vector2 Vector2Subtract(Vector2 v1, Vector2 v2) { return CLITERAL(Vector2){ v1.x - v2.x, v1.y - v2.y }; }

RMAPI Vector2 Vector2Scale(Vector2 v, float scale) { return CLITERAL(Vector2){ v.x * scale, v.y * scale }; }

RMAPI float Vector2Length(Vector2 v) { return sqrtf((v.x * v.x) + (v.y * v.y)); }

RMAPI Vector2 Vector2Normalize(Vector2 v) {
    Vector2 result = { 0.0f, 0.0f };
    float length = sqrtf((v.x * v.x) + (v.y * v.y));
    if (length > 0) {
        float ilength = 1.0f / length;
        result.x = v.x * ilength;
        result.y = v.y * ilength;
    }
    return result;
}

RMAPI Vector2 Vector2Lerp(Vector2 v1, Vector2 v2, float amount) {
    Vector2 result = { 0.0f, 0.0f };
    result.x = v1.x + amount * (v2.x - v1.x);
    result.y = v1.y + amount * (v2.y - v1.y);
    return result;
}

RMAPI float Vector2Distance(Vector2 v1, Vector2 v2) {
    return sqrtf((v1.x - v2.x) * (v1.x - v2.x) + (v1.y - v2.y) * (v1.y - v2.y));
}

// The library's optional C++ operators, under the same guard: code that brings operators of its
// own must define RAYMATH_DISABLE_CPP_OPERATORS, and a clash shows here as it would there.
#if defined(__cplusplus) && !defined(RAYMATH_DISABLE_CPP_OPERATORS)

inline Vector2 operator+(const Vector2& a, const Vector2& b) { return Vector2Add(a, b); }
inline Vector2 operator-(const Vector2& a, const Vector2& b) { return Vector2Subtract(a, b); }
inline Vector2 operator*(const Vector2& v, const float& s) { return Vector2Scale(v, s); }
inline Vector2 operator*(const Vector2& a, const Vector2& b) { return Vector2{ a.x * b.x, a.y * b.y }; }
inline Vector2 operator/(const Vector2& v, const float& s) { return Vector2Scale(v, 1.0f / s); }
inline Vector2 operator/(const Vector2& a, const Vector2& b) { return Vector2{ a.x / b.x, a.y / b.y }; }

inline const Vector2& operator+=(Vector2& a, const Vector2& b) { return a = a + b; }
inline const Vector2& operator-=(Vector2& a, const Vector2& b) { return a = a - b; }
inline const Vector2& operator*=(Vector2& v, const float& s) { return v = v * s; }
inline const Vector2& operator*=(Vector2& a, const Vector2& b) { return a = a * b; }
inline const Vector2& operator/=(Vector2& v, const float& s) { return v = v / s; }
inline const Vector2& operator/=(Vector2& a, const Vector2& b) { return a = a / b; }

// Equal within a millionth, relative to the larger magnitude (absolute below 1), as the library.
inline bool operator==(const Vector2& a, const Vector2& b) {
    auto close_enough = [](float x, float y) {
        return fabsf(x - y) <= 0.000001f * fmaxf(1.0f, fmaxf(fabsf(x), fabsf(y)));
    };
    return close_enough(a.x, b.x) && close_enough(a.y, b.y);
}
inline bool operator!=(const Vector2& a, const Vector2& b) { return !(a == b); }

#endif

#endif // RAYMATH_H
