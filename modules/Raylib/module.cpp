#include "modules/Raylib/module.h"

void append_value(String_Builder* builder, Vector2 v) {
    append(builder, '{');
    append_float_text(builder, double(v.x));
    append(builder, ", ");
    append_float_text(builder, double(v.y));
    append(builder, '}');
}
