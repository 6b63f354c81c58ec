// The OpenGL 3.3 core entry points the layer uses, loaded through SDL_GL_GetProcAddress so that
// no loader library is needed. Call them as gl.Clear(...), gl.DrawArrays(...), ...
#pragma once

// glcorearb.h includes <windows.h> on Windows unless APIENTRY is defined, and windows.h's
// Rectangle, CloseWindow, LoadImage and DrawTextEx clash with the raylib interface. The entry
// points are only called through pointers, so the calling convention is all it needs.
#if defined(_WIN32) && !defined(APIENTRY)
#define APIENTRY __stdcall
#endif
#include <GL/glcorearb.h>

#define QUOL_GL_FUNCTIONS(X)                                    \
    X(PFNGLGETSTRINGPROC, GetString)                            \
    X(PFNGLGETINTEGERVPROC, GetIntegerv)                        \
    X(PFNGLCLEARPROC, Clear)                                    \
    X(PFNGLCLEARCOLORPROC, ClearColor)                          \
    X(PFNGLVIEWPORTPROC, Viewport)                              \
    X(PFNGLENABLEPROC, Enable)                                  \
    X(PFNGLDISABLEPROC, Disable)                                \
    X(PFNGLCULLFACEPROC, CullFace)                              \
    X(PFNGLFRONTFACEPROC, FrontFace)                            \
    X(PFNGLBLENDFUNCPROC, BlendFunc)                            \
    X(PFNGLBLENDEQUATIONPROC, BlendEquation)                    \
    X(PFNGLPIXELSTOREIPROC, PixelStorei)                        \
    X(PFNGLGENTEXTURESPROC, GenTextures)                        \
    X(PFNGLDELETETEXTURESPROC, DeleteTextures)                  \
    X(PFNGLBINDTEXTUREPROC, BindTexture)                        \
    X(PFNGLACTIVETEXTUREPROC, ActiveTexture)                    \
    X(PFNGLTEXIMAGE2DPROC, TexImage2D)                          \
    X(PFNGLTEXPARAMETERIPROC, TexParameteri)                    \
    X(PFNGLTEXPARAMETERIVPROC, TexParameteriv)                  \
    X(PFNGLGENBUFFERSPROC, GenBuffers)                          \
    X(PFNGLDELETEBUFFERSPROC, DeleteBuffers)                    \
    X(PFNGLBINDBUFFERPROC, BindBuffer)                          \
    X(PFNGLBUFFERDATAPROC, BufferData)                          \
    X(PFNGLBUFFERSUBDATAPROC, BufferSubData)                    \
    X(PFNGLGENVERTEXARRAYSPROC, GenVertexArrays)                \
    X(PFNGLDELETEVERTEXARRAYSPROC, DeleteVertexArrays)          \
    X(PFNGLBINDVERTEXARRAYPROC, BindVertexArray)                \
    X(PFNGLVERTEXATTRIBPOINTERPROC, VertexAttribPointer)        \
    X(PFNGLENABLEVERTEXATTRIBARRAYPROC, EnableVertexAttribArray) \
    X(PFNGLDRAWARRAYSPROC, DrawArrays)                          \
    X(PFNGLDRAWELEMENTSBASEVERTEXPROC, DrawElementsBaseVertex)  \
    X(PFNGLCREATESHADERPROC, CreateShader)                      \
    X(PFNGLSHADERSOURCEPROC, ShaderSource)                      \
    X(PFNGLCOMPILESHADERPROC, CompileShader)                    \
    X(PFNGLGETSHADERIVPROC, GetShaderiv)                        \
    X(PFNGLGETSHADERINFOLOGPROC, GetShaderInfoLog)              \
    X(PFNGLDELETESHADERPROC, DeleteShader)                      \
    X(PFNGLCREATEPROGRAMPROC, CreateProgram)                    \
    X(PFNGLATTACHSHADERPROC, AttachShader)                      \
    X(PFNGLDETACHSHADERPROC, DetachShader)                      \
    X(PFNGLBINDATTRIBLOCATIONPROC, BindAttribLocation)          \
    X(PFNGLLINKPROGRAMPROC, LinkProgram)                        \
    X(PFNGLGETPROGRAMIVPROC, GetProgramiv)                      \
    X(PFNGLGETPROGRAMINFOLOGPROC, GetProgramInfoLog)            \
    X(PFNGLDELETEPROGRAMPROC, DeleteProgram)                    \
    X(PFNGLUSEPROGRAMPROC, UseProgram)                          \
    X(PFNGLGETUNIFORMLOCATIONPROC, GetUniformLocation)          \
    X(PFNGLGETATTRIBLOCATIONPROC, GetAttribLocation)            \
    X(PFNGLUNIFORM1FVPROC, Uniform1fv)                          \
    X(PFNGLUNIFORM2FVPROC, Uniform2fv)                          \
    X(PFNGLUNIFORM3FVPROC, Uniform3fv)                          \
    X(PFNGLUNIFORM4FVPROC, Uniform4fv)                          \
    X(PFNGLUNIFORM1IVPROC, Uniform1iv)                          \
    X(PFNGLUNIFORM2IVPROC, Uniform2iv)                          \
    X(PFNGLUNIFORM3IVPROC, Uniform3iv)                          \
    X(PFNGLUNIFORM4IVPROC, Uniform4iv)                          \
    X(PFNGLUNIFORM1IPROC, Uniform1i)                            \
    X(PFNGLUNIFORM4FPROC, Uniform4f)                            \
    X(PFNGLUNIFORMMATRIX4FVPROC, UniformMatrix4fv)              \
    X(PFNGLREADPIXELSPROC, ReadPixels)

struct Gl_Functions {
#define QUOL_GL_MEMBER(type, name) type name;
    QUOL_GL_FUNCTIONS(QUOL_GL_MEMBER)
#undef QUOL_GL_MEMBER
};

extern Gl_Functions gl;

// Loads every entry point from the current context; false (with a warning) if one is missing.
bool load_gl_functions();
