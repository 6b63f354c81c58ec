#include "gl_functions.h"

#include "raylib.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>

Gl_Functions gl;

bool load_gl_functions() {
    bool complete = true;
#define QUOL_GL_LOAD(type, name)                                                      \
    gl.name = reinterpret_cast<type>(SDL_GL_GetProcAddress("gl" #name));              \
    if (!gl.name) {                                                                   \
        TraceLog(LOG_WARNING, "GL: Failed to load OpenGL function: %s", "gl" #name); \
        complete = false;                                                             \
    }
    QUOL_GL_FUNCTIONS(QUOL_GL_LOAD)
#undef QUOL_GL_LOAD
    return complete;
}
