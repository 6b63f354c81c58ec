// State and helpers shared by the source files of the rendering layer. Not part of the raylib
// interface: the game never includes this header.
#pragma once

#include "raylib.h"

#include <cstddef>
#include <cstdint>

// ---- GL state and batch (rlgl.cpp) ----------------------------------------------------------
struct Mat4 {
    float m[16];  // column-major, as GL takes it
};
Mat4 mat4_identity();
Mat4 mat4_multiply(const Mat4& a, const Mat4& b);  // a * b
Mat4 mat4_ortho(float left, float right, float bottom, float top, float near_plane, float far_plane);
Mat4 camera_matrix_2d(Camera2D camera);

struct Batch_Vertex {
    float x, y, z;
    float u, v;
    unsigned char r, g, b, a;
};

bool gl_ready();                                 // a context exists and the batch is set up
bool batch_init(int width, int height);          // after the GL context is current
void batch_shutdown();
void batch_flush();                              // draws everything queued, one call per run
Batch_Vertex* batch_quad(unsigned int texture);  // four vertices: TL, BL, BR, TR
Batch_Vertex* batch_line(unsigned int texture);  // two vertices
void batch_set_modelview(const Mat4& modelview);
void batch_set_shader(unsigned int program, const int* locs);
void batch_set_blend_mode(int mode);
uint64_t batch_gl_draw_count();                  // GL draw calls issued since start
int batch_pending_vertices(const Batch_Vertex** vertices);  // queued, not yet drawn
unsigned int default_texture_id();               // 1x1 white
unsigned int default_shader_id();
int* default_shader_locs();
unsigned int default_vertex_shader_object();
void gl_clear(Color color);

// ---- window and frame (rcore_*.cpp) ---------------------------------------------------------
struct SDL_Window;
struct Core_Window {
    bool ready = false;
    SDL_Window* handle = nullptr;
    void* context = nullptr;  // SDL_GLContext
    int width = 0;
    int height = 0;
    unsigned int flags = 0;
    bool should_close = false;
    int exit_key = KEY_ESCAPE;
    uint64_t timer_base = 0;  // SDL performance counter at init
};
extern Core_Window core_window;
struct Core_Timing {
    double previous;  // GetTime() at the end of the last measured step
    double update;
    double draw;
    double frame;
    double target;    // seconds per frame, 0 = unpaced
};
extern Core_Timing core_timing;
bool window_ready();
void poll_input_events();
void input_init();      // after SDL video and game-controller init
void input_shutdown();

// ---- text (rtext.cpp, default_font.cpp) -----------------------------------------------------
void load_default_font();
void unload_default_font();
// Glyph metrics and bitmaps from TTF/OTF bytes, then the atlas texture (when a context exists).
bool load_font_from_memory(const unsigned char* data, std::size_t size, int font_size,
                           const int* codepoints, int codepoint_count, Font* font);
int glyph_index(Font font, int codepoint);
int next_codepoint(const char* text, int* byte_count);  // UTF-8; invalid bytes give '?'
Image gen_font_atlas(GlyphInfo* glyphs, Rectangle** recs, int glyph_count, int font_size, int padding);

// ---- random (rutils.cpp) --------------------------------------------------------------------
void random_seed(uint64_t seed);  // SplitMix64 into the xoshiro128** state

// ---- files (rfiles.cpp) ---------------------------------------------------------------------
unsigned char* load_file_data(const char* file_name, int* size);  // malloc'd, logs like the library
const char* file_extension(const char* file_name);                // with the dot, or nullptr

// ---- textures (rtextures.cpp) ---------------------------------------------------------------
const char* pixel_format_name(int format);
