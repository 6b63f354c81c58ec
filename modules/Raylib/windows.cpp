#include "modules/Raylib/windows.h"

const char* library_text_format(String format, std::initializer_list<Format_Arg> args) {
    Push_Allocator use_temporary(temporary_allocator());
    String_Builder builder;
    format_into(&builder, format, args);
    // Taken through a pointer of the C signature, so the call can't resolve to the template.
    const char* (*c_text_format)(const char*, ...) = TextFormat;
    return c_text_format("%s", builder.text.c_str());
}
