// The game's additions to the rendering library's Vector2: arithmetic operators, the text form
// used by print ("{x, y}") and the type description.
#pragma once

#include "runtime.h"
#include "raylib.h"
#include "raymath.h"
#include "modules/Raylib/windows.h"

inline Vector2 operator+(Vector2 a, Vector2 b) { return Vector2Add(a, b); }
inline Vector2 operator-(Vector2 a, Vector2 b) { return Vector2Subtract(a, b); }
inline Vector2 operator*(Vector2 v, float s) { return Vector2Scale(v, s); }

void append_value(String_Builder* builder, Vector2 v);

DESCRIBE_STRUCT(Vector2, x, y);
