#include "modules/Raylib/module.h"

void append_value(String_Builder* builder, Vector2 v) {
    append(builder, '{');
    append_float_text(builder, v.x);
    append(builder, ", ");
    append_float_text(builder, v.y);
    append(builder, '}');
}
