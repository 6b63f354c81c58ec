// The render batch: vertices of quads and lines collect in one buffer and are drawn at flush
// time with one GL draw per run of equal texture and primitive kind. Shader, blend mode and
// matrix changes flush first, like the library's rlgl.
#include "gl_functions.h"
#include "rl_internal.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr int max_quads = 8192;
constexpr int max_vertices = max_quads * 4;
constexpr int max_draw_calls = 256;

enum Primitive { PRIMITIVE_QUADS, PRIMITIVE_LINES };

struct Draw_Call {
    Primitive primitive;
    unsigned int texture;
    int first_vertex;
    int vertex_count;
};

struct Batch {
    bool ready = false;
    unsigned int vertex_array = 0;
    unsigned int vertex_buffer = 0;
    unsigned int index_buffer = 0;
    std::vector<Batch_Vertex> vertices;
    int vertex_count = 0;
    Draw_Call calls[max_draw_calls];
    int call_count = 0;

    Mat4 projection;
    Mat4 modelview;
    unsigned int program = 0;
    const int* locs = nullptr;
    int blend_mode = BLEND_ALPHA;
    uint64_t gl_draws = 0;  // GL draw calls issued so far, for tests and benchmarks

    unsigned int white_texture = 0;
    unsigned int default_vertex_shader = 0;
    unsigned int default_fragment_shader = 0;
    unsigned int default_program = 0;
    int default_locs[32];
};

Batch batch;

const char* default_vertex_source =
    "#version 330\n"
    "in vec3 vertexPosition;\n"
    "in vec2 vertexTexCoord;\n"
    "in vec4 vertexColor;\n"
    "out vec2 fragTexCoord;\n"
    "out vec4 fragColor;\n"
    "uniform mat4 mvp;\n"
    "void main()\n"
    "{\n"
    "    fragTexCoord = vertexTexCoord;\n"
    "    fragColor = vertexColor;\n"
    "    gl_Position = mvp*vec4(vertexPosition, 1.0);\n"
    "}\n";

const char* default_fragment_source =
    "#version 330\n"
    "in vec2 fragTexCoord;\n"
    "in vec4 fragColor;\n"
    "out vec4 finalColor;\n"
    "uniform sampler2D texture0;\n"
    "uniform vec4 colDiffuse;\n"
    "void main()\n"
    "{\n"
    "    vec4 texelColor = texture(texture0, fragTexCoord);\n"
    "    finalColor = texelColor*colDiffuse*fragColor;\n"
    "}\n";

unsigned int compile_default_stage(unsigned int kind, const char* source) {
    unsigned int id = gl.CreateShader(kind);
    gl.ShaderSource(id, 1, &source, nullptr);
    gl.CompileShader(id);
    int ok = 0;
    gl.GetShaderiv(id, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        TraceLog(LOG_WARNING, "SHADER: [ID %i] Failed to compile default shader code", id);
        gl.DeleteShader(id);
        return 0;
    }
    return id;
}

bool load_default_shader() {
    batch.default_vertex_shader = compile_default_stage(GL_VERTEX_SHADER, default_vertex_source);
    batch.default_fragment_shader = compile_default_stage(GL_FRAGMENT_SHADER, default_fragment_source);
    if (!batch.default_vertex_shader || !batch.default_fragment_shader) return false;

    unsigned int program = gl.CreateProgram();
    gl.AttachShader(program, batch.default_vertex_shader);
    gl.AttachShader(program, batch.default_fragment_shader);
    gl.BindAttribLocation(program, 0, "vertexPosition");
    gl.BindAttribLocation(program, 1, "vertexTexCoord");
    gl.BindAttribLocation(program, 3, "vertexColor");
    gl.LinkProgram(program);
    int ok = 0;
    gl.GetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
        TraceLog(LOG_WARNING, "SHADER: [ID %i] Failed to link default shader program", program);
        gl.DeleteProgram(program);
        return false;
    }
    batch.default_program = program;
    for (int& loc : batch.default_locs) loc = -1;
    batch.default_locs[SHADER_LOC_VERTEX_POSITION] = gl.GetAttribLocation(program, "vertexPosition");
    batch.default_locs[SHADER_LOC_VERTEX_TEXCOORD01] = gl.GetAttribLocation(program, "vertexTexCoord");
    batch.default_locs[SHADER_LOC_VERTEX_COLOR] = gl.GetAttribLocation(program, "vertexColor");
    batch.default_locs[SHADER_LOC_MATRIX_MVP] = gl.GetUniformLocation(program, "mvp");
    batch.default_locs[SHADER_LOC_COLOR_DIFFUSE] = gl.GetUniformLocation(program, "colDiffuse");
    batch.default_locs[SHADER_LOC_MAP_DIFFUSE] = gl.GetUniformLocation(program, "texture0");
    TraceLog(LOG_INFO, "SHADER: [ID %i] Vertex shader compiled successfully", batch.default_vertex_shader);
    TraceLog(LOG_INFO, "SHADER: [ID %i] Fragment shader compiled successfully", batch.default_fragment_shader);
    TraceLog(LOG_INFO, "SHADER: [ID %i] Program shader loaded successfully", program);
    TraceLog(LOG_INFO, "SHADER: [ID %i] Default shader loaded successfully", program);
    return true;
}

void load_white_texture() {
    const unsigned char white[4] = {255, 255, 255, 255};
    gl.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gl.GenTextures(1, &batch.white_texture);
    gl.BindTexture(GL_TEXTURE_2D, batch.white_texture);
    gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    gl.BindTexture(GL_TEXTURE_2D, 0);
    // The library logs the 1x1 texture's own load before naming it the default one.
    TraceLog(LOG_INFO, "TEXTURE: [ID %i] Texture loaded successfully (1x1 | R8G8B8A8 | 1 mipmaps)", batch.white_texture);
    TraceLog(LOG_INFO, "TEXTURE: [ID %i] Default texture loaded successfully", batch.white_texture);
}

void create_buffers() {
    batch.vertices.assign(max_vertices, Batch_Vertex{});
    std::vector<unsigned int> indices(static_cast<std::size_t>(max_quads) * 6);
    for (unsigned int q = 0; q < static_cast<unsigned int>(max_quads); ++q) {
        // TL, BL, BR, TR: two counter-clockwise triangles
        unsigned int* i = &indices[q * 6];
        unsigned int v = q * 4;
        i[0] = v; i[1] = v + 1; i[2] = v + 2;
        i[3] = v; i[4] = v + 2; i[5] = v + 3;
    }
    gl.GenVertexArrays(1, &batch.vertex_array);
    gl.BindVertexArray(batch.vertex_array);
    gl.GenBuffers(1, &batch.vertex_buffer);
    gl.BindBuffer(GL_ARRAY_BUFFER, batch.vertex_buffer);
    gl.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(max_vertices * sizeof(Batch_Vertex)), nullptr,
                  GL_DYNAMIC_DRAW);
    const auto stride = static_cast<GLsizei>(sizeof(Batch_Vertex));
    gl.VertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(Batch_Vertex, x)));
    gl.EnableVertexAttribArray(0);
    gl.VertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(Batch_Vertex, u)));
    gl.EnableVertexAttribArray(1);
    gl.VertexAttribPointer(3, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride, reinterpret_cast<void*>(offsetof(Batch_Vertex, r)));
    gl.EnableVertexAttribArray(3);
    gl.GenBuffers(1, &batch.index_buffer);
    gl.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, batch.index_buffer);
    gl.BufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(unsigned int)),
                  indices.data(), GL_STATIC_DRAW);
    TraceLog(LOG_INFO, "RLGL: Render batch vertex buffers loaded successfully in RAM (CPU)");
    TraceLog(LOG_INFO, "RLGL: Render batch vertex buffers loaded successfully in VRAM (GPU)");
}

void apply_blend_mode(int mode) {
    gl.BlendEquation(GL_FUNC_ADD);
    switch (mode) {
        case BLEND_ADDITIVE: gl.BlendFunc(GL_SRC_ALPHA, GL_ONE); break;
        case BLEND_MULTIPLIED: gl.BlendFunc(GL_DST_COLOR, GL_ONE_MINUS_SRC_ALPHA); break;
        case BLEND_ADD_COLORS: gl.BlendFunc(GL_ONE, GL_ONE); break;
        case BLEND_SUBTRACT_COLORS:
            gl.BlendFunc(GL_ONE, GL_ONE);
            gl.BlendEquation(GL_FUNC_SUBTRACT);
            break;
        case BLEND_ALPHA_PREMULTIPLY: gl.BlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA); break;
        default: gl.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA); break;
    }
}

// Room for `count` more vertices of the given kind and texture; flushes when full.
Batch_Vertex* reserve(Primitive primitive, unsigned int texture, int count) {
    if (!batch.ready) return nullptr;
    if (batch.vertex_count + count > max_vertices) batch_flush();
    Draw_Call* last = batch.call_count ? &batch.calls[batch.call_count - 1] : nullptr;
    if (!last || last->primitive != primitive || last->texture != texture) {
        if (batch.call_count == max_draw_calls) batch_flush();
        batch.calls[batch.call_count++] = {primitive, texture, batch.vertex_count, 0};
        last = &batch.calls[batch.call_count - 1];
    }
    Batch_Vertex* slot = &batch.vertices[static_cast<std::size_t>(batch.vertex_count)];
    batch.vertex_count += count;
    last->vertex_count += count;
    return slot;
}

}  // namespace

Mat4 mat4_identity() {
    Mat4 r{};
    r.m[0] = r.m[5] = r.m[10] = r.m[15] = 1.0f;
    return r;
}

Mat4 mat4_multiply(const Mat4& a, const Mat4& b) {
    Mat4 r{};
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += a.m[k * 4 + row] * b.m[col * 4 + k];
            r.m[col * 4 + row] = sum;
        }
    return r;
}

Mat4 mat4_ortho(float left, float right, float bottom, float top, float near_plane, float far_plane) {
    Mat4 r{};
    r.m[0] = 2.0f / (right - left);
    r.m[5] = 2.0f / (top - bottom);
    r.m[10] = -2.0f / (far_plane - near_plane);
    r.m[12] = -(right + left) / (right - left);
    r.m[13] = -(top + bottom) / (top - bottom);
    r.m[14] = -(far_plane + near_plane) / (far_plane - near_plane);
    r.m[15] = 1.0f;
    return r;
}

// screen = offset + zoom * R(rotation) * (world - target), R turning clockwise on screen.
Mat4 camera_matrix_2d(Camera2D camera) {
    float radians = camera.rotation * DEG2RAD;
    float c = cosf(radians);
    float s = sinf(radians);
    float z = camera.zoom;
    Mat4 r = mat4_identity();
    r.m[0] = z * c;
    r.m[1] = z * s;
    r.m[4] = -z * s;
    r.m[5] = z * c;
    r.m[12] = camera.offset.x - (r.m[0] * camera.target.x + r.m[4] * camera.target.y);
    r.m[13] = camera.offset.y - (r.m[1] * camera.target.x + r.m[5] * camera.target.y);
    return r;
}

bool gl_ready() { return batch.ready; }

bool batch_init(int width, int height) {
    load_white_texture();
    if (!load_default_shader()) return false;
    create_buffers();

    gl.Enable(GL_BLEND);
    apply_blend_mode(BLEND_ALPHA);
    gl.Enable(GL_CULL_FACE);
    gl.CullFace(GL_BACK);
    gl.FrontFace(GL_CCW);
    gl.Disable(GL_DEPTH_TEST);
    gl.Viewport(0, 0, width, height);
    gl.ClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    gl.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    TraceLog(LOG_INFO, "RLGL: Default OpenGL state initialized successfully");

    // Top-left origin, y down; z = 0 sits in the middle of the depth range.
    batch.projection = mat4_ortho(0.0f, static_cast<float>(width), static_cast<float>(height), 0.0f, -1.0f, 1.0f);
    batch.modelview = mat4_identity();
    batch.program = batch.default_program;
    batch.locs = batch.default_locs;
    batch.blend_mode = BLEND_ALPHA;
    batch.vertex_count = 0;
    batch.call_count = 0;
    batch.ready = true;
    return true;
}

void batch_shutdown() {
    if (!batch.ready) return;
    gl.BindVertexArray(0);
    gl.DeleteBuffers(1, &batch.vertex_buffer);
    gl.DeleteBuffers(1, &batch.index_buffer);
    gl.DeleteVertexArrays(1, &batch.vertex_array);
    gl.DeleteProgram(batch.default_program);
    gl.DeleteShader(batch.default_vertex_shader);
    gl.DeleteShader(batch.default_fragment_shader);
    gl.DeleteTextures(1, &batch.white_texture);
    TraceLog(LOG_INFO, "SHADER: [ID %i] Default shader unloaded successfully", batch.default_program);
    TraceLog(LOG_INFO, "TEXTURE: [ID %i] Default texture unloaded successfully", batch.white_texture);
    batch = Batch{};
}

void batch_flush() {
    if (!batch.ready || batch.vertex_count == 0) return;

    // A program that failed to compile draws nothing, as in the library.
    if (batch.program != 0) {
        gl.BindVertexArray(batch.vertex_array);
        gl.BindBuffer(GL_ARRAY_BUFFER, batch.vertex_buffer);
        gl.BufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(batch.vertex_count * sizeof(Batch_Vertex)),
                         batch.vertices.data());
        gl.UseProgram(batch.program);
        Mat4 mvp = mat4_multiply(batch.projection, batch.modelview);
        if (batch.locs[SHADER_LOC_MATRIX_MVP] != -1)
            gl.UniformMatrix4fv(batch.locs[SHADER_LOC_MATRIX_MVP], 1, GL_FALSE, mvp.m);
        if (batch.locs[SHADER_LOC_COLOR_DIFFUSE] != -1)
            gl.Uniform4f(batch.locs[SHADER_LOC_COLOR_DIFFUSE], 1.0f, 1.0f, 1.0f, 1.0f);
        if (batch.locs[SHADER_LOC_MAP_DIFFUSE] != -1) gl.Uniform1i(batch.locs[SHADER_LOC_MAP_DIFFUSE], 0);
        gl.ActiveTexture(GL_TEXTURE0);

        for (int i = 0; i < batch.call_count; ++i) {
            const Draw_Call& call = batch.calls[i];
            if (call.vertex_count == 0) continue;
            gl.BindTexture(GL_TEXTURE_2D, call.texture);
            ++batch.gl_draws;
            if (call.primitive == PRIMITIVE_LINES) {
                gl.DrawArrays(GL_LINES, call.first_vertex, call.vertex_count);
            } else {
                gl.DrawElementsBaseVertex(GL_TRIANGLES, call.vertex_count / 4 * 6, GL_UNSIGNED_INT, nullptr,
                                          call.first_vertex);
            }
        }
        gl.BindTexture(GL_TEXTURE_2D, 0);
    }
    batch.vertex_count = 0;
    batch.call_count = 0;
}

Batch_Vertex* batch_quad(unsigned int texture) { return reserve(PRIMITIVE_QUADS, texture, 4); }
Batch_Vertex* batch_line(unsigned int texture) { return reserve(PRIMITIVE_LINES, texture, 2); }

void batch_set_modelview(const Mat4& modelview) {
    batch_flush();
    batch.modelview = modelview;
}

void batch_set_shader(unsigned int program, const int* locs) {
    if (!batch.ready) return;
    if (program == batch.program && locs == batch.locs) return;
    batch_flush();
    batch.program = program;
    batch.locs = locs ? locs : batch.default_locs;
}

void batch_set_blend_mode(int mode) {
    if (!batch.ready || mode == batch.blend_mode) return;
    batch_flush();
    apply_blend_mode(mode);
    batch.blend_mode = mode;
}

uint64_t batch_gl_draw_count() { return batch.gl_draws; }

int batch_pending_vertices(const Batch_Vertex** vertices) {
    *vertices = batch.vertices.data();
    return batch.vertex_count;
}

unsigned int default_texture_id() { return batch.white_texture; }
unsigned int default_shader_id() { return batch.default_program; }
int* default_shader_locs() { return batch.default_locs; }
unsigned int default_vertex_shader_object() { return batch.default_vertex_shader; }

// Executed at once, without flushing: what is queued is drawn later, over the cleared screen.
void gl_clear(Color color) {
    if (!batch.ready) return;
    gl.ClearColor(color.r / 255.0f, color.g / 255.0f, color.b / 255.0f, color.a / 255.0f);
    gl.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}
