// Shaders from files: a missing vertex shader means the default one; uniforms set directly.
#include "gl_functions.h"
#include "rl_internal.h"

#include <cstdlib>
#include <string>

namespace {

constexpr int max_shader_locations = 32;

// Compiles one stage; 0 (with the driver's log) when it does not compile.
unsigned int compile_stage(const char* source, GLenum kind) {
    unsigned int id = gl.CreateShader(kind);
    gl.ShaderSource(id, 1, &source, nullptr);
    gl.CompileShader(id);
    int ok = 0;
    gl.GetShaderiv(id, GL_COMPILE_STATUS, &ok);
    const char* stage = (kind == GL_VERTEX_SHADER) ? "vertex" : "fragment";
    if (!ok) {
        TraceLog(LOG_WARNING, "SHADER: [ID %i] Failed to compile %s shader code", id, stage);
        int length = 0;
        gl.GetShaderiv(id, GL_INFO_LOG_LENGTH, &length);
        if (length > 0) {
            std::string log(static_cast<std::size_t>(length), '\0');
            gl.GetShaderInfoLog(id, length, nullptr, log.data());
            TraceLog(LOG_WARNING, "SHADER: [ID %i] Compile error: %s", id, log.c_str());
        }
        gl.DeleteShader(id);
        return 0;
    }
    TraceLog(LOG_INFO, "SHADER: [ID %i] %s shader compiled successfully", id,
             kind == GL_VERTEX_SHADER ? "Vertex" : "Fragment");
    return id;
}

unsigned int link_program(unsigned int vertex, unsigned int fragment) {
    unsigned int program = gl.CreateProgram();
    gl.AttachShader(program, vertex);
    gl.AttachShader(program, fragment);
    // Fixed attribute locations, so any program fits the batch's vertex layout.
    gl.BindAttribLocation(program, 0, "vertexPosition");
    gl.BindAttribLocation(program, 1, "vertexTexCoord");
    gl.BindAttribLocation(program, 2, "vertexNormal");
    gl.BindAttribLocation(program, 3, "vertexColor");
    gl.BindAttribLocation(program, 4, "vertexTangent");
    gl.BindAttribLocation(program, 5, "vertexTexCoord2");
    gl.LinkProgram(program);
    int ok = 0;
    gl.GetProgramiv(program, GL_LINK_STATUS, &ok);
    gl.DetachShader(program, vertex);
    gl.DetachShader(program, fragment);
    if (!ok) {
        TraceLog(LOG_WARNING, "SHADER: [ID %i] Failed to link shader program", program);
        gl.DeleteProgram(program);
        return 0;
    }
    TraceLog(LOG_INFO, "SHADER: [ID %i] Program shader loaded successfully", program);
    return program;
}

Shader default_shader() { return {default_shader_id(), default_shader_locs()}; }

int* new_locations() {
    auto* locs = static_cast<int*>(std::malloc(max_shader_locations * sizeof(int)));
    if (locs)
        for (int i = 0; i < max_shader_locations; ++i) locs[i] = -1;
    return locs;
}

}  // namespace

Shader LoadShader(const char* vsFileName, const char* fsFileName) {
    if (!gl_ready()) {
        TraceLog(LOG_WARNING, "GL: GPU is not ready to load data, trying to load before InitWindow()?");
        return Shader{};
    }
    char* vertex_text = vsFileName ? LoadFileText(vsFileName) : nullptr;
    char* fragment_text = fsFileName ? LoadFileText(fsFileName) : nullptr;
    if (!vertex_text && !fragment_text) {
        TraceLog(LOG_WARNING, "SHADER: Shader files provided are not valid, using default shader");
        return default_shader();
    }

    unsigned int vertex = vertex_text ? compile_stage(vertex_text, GL_VERTEX_SHADER) : default_vertex_shader_object();
    unsigned int fragment = fragment_text ? compile_stage(fragment_text, GL_FRAGMENT_SHADER) : 0;
    bool own_vertex = vertex_text != nullptr;
    UnloadFileText(vertex_text);
    UnloadFileText(fragment_text);

    Shader shader = {0, new_locations()};
    if (!fragment_text && vertex) {
        // Only a vertex shader: pair it with the default fragment stage by relinking the default.
        TraceLog(LOG_WARNING, "SHADER: Fragment shader missing, using default shader");
        if (own_vertex) gl.DeleteShader(vertex);
        std::free(shader.locs);
        return default_shader();
    }
    if (!vertex || !fragment) {
        // A stage that does not compile gives an unusable shader, as in the library.
        if (own_vertex && vertex) gl.DeleteShader(vertex);
        if (fragment) gl.DeleteShader(fragment);
        return shader;
    }
    shader.id = link_program(vertex, fragment);
    if (own_vertex) gl.DeleteShader(vertex);
    gl.DeleteShader(fragment);
    if (!shader.id) {
        std::free(shader.locs);
        TraceLog(LOG_WARNING, "SHADER: Failed to load custom shader code, using default shader");
        return default_shader();
    }
    if (shader.locs) {
        shader.locs[SHADER_LOC_VERTEX_POSITION] = gl.GetAttribLocation(shader.id, "vertexPosition");
        shader.locs[SHADER_LOC_VERTEX_TEXCOORD01] = gl.GetAttribLocation(shader.id, "vertexTexCoord");
        shader.locs[SHADER_LOC_VERTEX_COLOR] = gl.GetAttribLocation(shader.id, "vertexColor");
        shader.locs[SHADER_LOC_MATRIX_MVP] = gl.GetUniformLocation(shader.id, "mvp");
        shader.locs[SHADER_LOC_MATRIX_VIEW] = gl.GetUniformLocation(shader.id, "matView");
        shader.locs[SHADER_LOC_MATRIX_PROJECTION] = gl.GetUniformLocation(shader.id, "matProjection");
        shader.locs[SHADER_LOC_MATRIX_MODEL] = gl.GetUniformLocation(shader.id, "matModel");
        shader.locs[SHADER_LOC_MATRIX_NORMAL] = gl.GetUniformLocation(shader.id, "matNormal");
        shader.locs[SHADER_LOC_COLOR_DIFFUSE] = gl.GetUniformLocation(shader.id, "colDiffuse");
        shader.locs[SHADER_LOC_MAP_DIFFUSE] = gl.GetUniformLocation(shader.id, "texture0");
        shader.locs[SHADER_LOC_MAP_SPECULAR] = gl.GetUniformLocation(shader.id, "texture1");
        shader.locs[SHADER_LOC_MAP_NORMAL] = gl.GetUniformLocation(shader.id, "texture2");
    }
    return shader;
}

void UnloadShader(Shader shader) {
    if (shader.id == default_shader_id() && shader.locs == default_shader_locs()) return;
    if (shader.locs == default_shader_locs()) return;
    if (shader.id != 0 && gl_ready()) {
        batch_flush();
        gl.DeleteProgram(shader.id);
        TraceLog(LOG_INFO, "SHADER: [ID %i] Unloaded shader program data from VRAM (GPU)", shader.id);
    }
    std::free(shader.locs);
}

int GetShaderLocation(Shader shader, const char* uniformName) {
    if (shader.id == 0 || !uniformName || !gl_ready()) return -1;
    return gl.GetUniformLocation(shader.id, uniformName);
}

// Sets the uniform at once without flushing, so it applies to everything still queued.
void SetShaderValue(Shader shader, int locIndex, const void* value, int uniformType) {
    if (locIndex < 0 || shader.id == 0 || !value || !gl_ready()) return;
    gl.UseProgram(shader.id);
    const auto* f = static_cast<const float*>(value);
    const auto* i = static_cast<const int*>(value);
    switch (uniformType) {
        case SHADER_UNIFORM_FLOAT: gl.Uniform1fv(locIndex, 1, f); break;
        case SHADER_UNIFORM_VEC2: gl.Uniform2fv(locIndex, 1, f); break;
        case SHADER_UNIFORM_VEC3: gl.Uniform3fv(locIndex, 1, f); break;
        case SHADER_UNIFORM_VEC4: gl.Uniform4fv(locIndex, 1, f); break;
        case SHADER_UNIFORM_INT:
        case SHADER_UNIFORM_SAMPLER2D: gl.Uniform1iv(locIndex, 1, i); break;
        case SHADER_UNIFORM_IVEC2: gl.Uniform2iv(locIndex, 1, i); break;
        case SHADER_UNIFORM_IVEC3: gl.Uniform3iv(locIndex, 1, i); break;
        case SHADER_UNIFORM_IVEC4: gl.Uniform4iv(locIndex, 1, i); break;
        default: TraceLog(LOG_WARNING, "SHADER: Failed to set uniform value, data type not recognized"); break;
    }
}
