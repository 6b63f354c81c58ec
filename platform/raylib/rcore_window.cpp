// Window and GL context over SDL2: InitWindow, CloseWindow, flags, icon, screen size.
#include "gl_functions.h"
#include "rl_internal.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

Core_Window core_window;

namespace {

unsigned int pending_flags = 0;

void set_context_attributes(bool multisample) {
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, multisample ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, multisample ? 4 : 0);
}

// Where the real library puts a new window: centred on the primary monitor, in its work area (the
// screen less the taskbar) on Windows and on the whole monitor elsewhere, not clamped to it.
SDL_Point centred_position(int width, int height) {
    SDL_Rect area;
#if defined(_WIN32)
    int found = SDL_GetDisplayUsableBounds(0, &area);
#else
    int found = SDL_GetDisplayBounds(0, &area);
#endif
    if (found != 0) return {SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED};
    return {area.x + (area.w - width) / 2, area.y + (area.h - height) / 2};
}

// GLFW's error codes, which the real library's failure lines carry.
constexpr int GLFW_API_UNAVAILABLE = 65543;
constexpr int GLFW_PLATFORM_UNAVAILABLE = 65550;

// SDL falls back to its offscreen or dummy driver when no display can be opened: the game would
// then run unseen until killed. Only drivers that show a window are tried, unless
// SDL_VIDEODRIVER names another (the environment variable overrides this hint).
void choose_display_drivers() {
    std::string drivers;
    for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
        std::string name = SDL_GetVideoDriver(i);
        if (name == "offscreen" || name == "dummy" || name == "evdev") continue;
        drivers += (drivers.empty() ? "" : ",") + name;
    }
    SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
}

// Why no display opened, in the words of the real library's X11 back-end where X11 is meant.
// A driver named in SDL_VIDEODRIVER may have failed for reasons of its own: SDL's words then.
std::string display_failure() {
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
#if defined(_WIN32)
    bool x11_meant = false;
#else
    bool x11_meant = !asked || !*asked || SDL_strcasecmp(asked, "x11") == 0;
#endif
    if (asked && *asked && !x11_meant)
        return std::string("SDL: no video driver could be started (") + SDL_GetError() + ")";
#if defined(_WIN32)
    return SDL_GetError();
#else
    const char* display = SDL_getenv("DISPLAY");
    if (!display) return "X11: The DISPLAY environment variable is missing";
    return std::string("X11: Failed to open display ") + display;
#endif
}

// The version of a context with no version asked for, on `window` (one whose 3.3 context failed:
// its pixel format takes any context) or else on a hidden window of its own; empty when the
// driver gives no context at all.
std::string offered_gl_version(SDL_Window* window) {
    SDL_GL_ResetAttributes();
    SDL_Window* probe = window ? window : SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!probe) return "";
    std::string offered;
    if (SDL_GLContext context = SDL_GL_CreateContext(probe)) {
        auto get_string = reinterpret_cast<PFNGLGETSTRINGPROC>(SDL_GL_GetProcAddress("glGetString"));
        const GLubyte* version = get_string ? get_string(GL_VERSION) : nullptr;
        if (version) offered = reinterpret_cast<const char*>(version);
        SDL_GL_DeleteContext(context);
    }
    if (probe != window) SDL_DestroyWindow(probe);
    return offered;
}

// "2.1 Mesa 22.3.6": a version that no setting of ours would raise to 3.3.
bool below_3_3(const std::string& version) {
    int major = 0, minor = 0;
    if (std::sscanf(version.c_str(), "%d.%d", &major, &minor) != 2) return false;
    return major < 3 || (major == 3 && minor < 3);
}

// Creates window and context; a display that cannot give 4x MSAA gets none, silently. The window
// stays hidden until its context is made: one shown and destroyed again would flash on screen,
// and under Wine without a window manager destroying a shown window waits 2 s.
bool create_window_and_context(int width, int height, const char* title) {
    Uint32 window_flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (core_window.flags & FLAG_WINDOW_RESIZABLE) window_flags |= SDL_WINDOW_RESIZABLE;
    if (core_window.flags & FLAG_WINDOW_UNDECORATED) window_flags |= SDL_WINDOW_BORDERLESS;

    bool multisample = (core_window.flags & FLAG_MSAA_4X_HINT) != 0;
    SDL_Point position = centred_position(width, height);
    std::string failure;
    std::string offered;
    for (int attempt = 0; attempt < 2; ++attempt) {
        set_context_attributes(multisample);
        core_window.handle = SDL_CreateWindow(title ? title : "", position.x, position.y, width, height, window_flags);
        if (core_window.handle) {
            core_window.context = SDL_GL_CreateContext(core_window.handle);
            if (core_window.context) {
                if (!(core_window.flags & FLAG_WINDOW_HIDDEN)) SDL_ShowWindow(core_window.handle);
                return true;
            }
            failure = SDL_GetError();
            offered = offered_gl_version(core_window.handle);
            SDL_DestroyWindow(core_window.handle);
            core_window.handle = nullptr;
            if (below_3_3(offered)) break;  // no use trying without samples
        } else {
            failure = SDL_GetError();
        }
        if (!multisample) break;
        multisample = false;
    }
    if (offered.empty()) offered = offered_gl_version(nullptr);
    // The real library's two lines, then what the driver offers instead, which says why.
    TraceLog(LOG_WARNING, "GLFW: Error: %i Description: %s", GLFW_API_UNAVAILABLE, failure.c_str());
    if (!offered.empty())
        TraceLog(LOG_WARNING, "GL: OpenGL 3.3 is not available: the driver offers OpenGL %s", offered.c_str());
    TraceLog(LOG_WARNING, "GLFW: Failed to initialize Window");
    return false;
}

void log_display_info() {
    TraceLog(LOG_INFO, "DISPLAY: Device initialized successfully ");  // the library's own trailing blank
    SDL_DisplayMode mode;
    if (SDL_GetCurrentDisplayMode(0, &mode) == 0)
        TraceLog(LOG_INFO, "    > Display size: %i x %i", mode.w, mode.h);
    TraceLog(LOG_INFO, "    > Screen size:  %i x %i", core_window.width, core_window.height);
    TraceLog(LOG_INFO, "    > Render size:  %i x %i", core_window.width, core_window.height);
    TraceLog(LOG_INFO, "    > Viewport offsets: %i, %i", 0, 0);
}

void log_gl_info() {
    auto text = [](GLenum name) {
        const GLubyte* value = gl.GetString(name);
        return value ? reinterpret_cast<const char*>(value) : "";
    };
    TraceLog(LOG_INFO, "GL: OpenGL device information:");
    TraceLog(LOG_INFO, "    > Vendor:   %s", text(GL_VENDOR));
    TraceLog(LOG_INFO, "    > Renderer: %s", text(GL_RENDERER));
    TraceLog(LOG_INFO, "    > Version:  %s", text(GL_VERSION));
    TraceLog(LOG_INFO, "    > GLSL:     %s", text(GL_SHADING_LANGUAGE_VERSION));
}

void release_platform() {
    if (core_window.context) SDL_GL_DeleteContext(core_window.context);
    if (core_window.handle) SDL_DestroyWindow(core_window.handle);
    core_window.context = nullptr;
    core_window.handle = nullptr;
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_GAMECONTROLLER | SDL_INIT_JOYSTICK | SDL_INIT_EVENTS);
}

}  // namespace

void SetConfigFlags(unsigned int flags) { pending_flags |= flags; }

void InitWindow(int width, int height, const char* title) {
    if (core_window.ready) return;
    TraceLog(LOG_INFO, "Initializing raylib %s", RAYLIB_VERSION);
    TraceLog(LOG_INFO, "Platform backend: DESKTOP (SDL)");
    core_window.flags = pending_flags;
    core_window.width = width;
    core_window.height = height;
    core_window.should_close = false;

    // The clock starts first: frame timing must work even when the platform does not.
    core_window.timer_base = SDL_GetPerformanceCounter();
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    // Per-monitor DPI-aware (v2, else v1, else system) as the real library makes the process, so
    // that a scaled screen neither stretches nor blurs the window; the manifest of quol.exe
    // declares the same. Windows sizes stay in pixels: SDL's DPI scaling stays off.
    SDL_SetHint(SDL_HINT_WINDOWS_DPI_AWARENESS, "permonitorv2");
    choose_display_drivers();
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        TraceLog(LOG_WARNING, "GLFW: Error: %i Description: %s", GLFW_PLATFORM_UNAVAILABLE, display_failure().c_str());
        TraceLog(LOG_WARNING, "GLFW: Failed to initialize GLFW");
        TraceLog(LOG_WARNING, "SYSTEM: Failed to initialize platform");
        return;
    }
    if (core_window.flags & FLAG_MSAA_4X_HINT) TraceLog(LOG_INFO, "DISPLAY: Trying to enable MSAA x4");
    if (!create_window_and_context(width, height, title)) {
        release_platform();
        TraceLog(LOG_WARNING, "SYSTEM: Failed to initialize platform");
        return;
    }
    SDL_GL_MakeCurrent(core_window.handle, core_window.context);
    SDL_GL_SetSwapInterval((core_window.flags & FLAG_VSYNC_HINT) ? 1 : 0);
    SDL_GL_GetDrawableSize(core_window.handle, &core_window.width, &core_window.height);
    log_display_info();

    if (!load_gl_functions()) {
        release_platform();
        TraceLog(LOG_WARNING, "SYSTEM: Failed to initialize platform");
        return;
    }
    log_gl_info();
    if (!batch_init(core_window.width, core_window.height)) {
        release_platform();
        TraceLog(LOG_WARNING, "SYSTEM: Failed to initialize platform");
        return;
    }
    // Only once the window is sure: under Wine looking for game controllers takes a while that a
    // failed start should not wait for. Without them the window still works, with the keyboard
    // and the mouse.
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0)
        TraceLog(LOG_WARNING, "GLFW: Failed to initialize gamepads: %s", SDL_GetError());
    input_init();
    core_window.ready = true;

    load_default_font();
    TraceLog(LOG_INFO, "SYSTEM: Working Directory: %s", GetWorkingDirectory());
    random_seed(static_cast<uint64_t>(std::time(nullptr)));

    core_timing = Core_Timing{GetTime(), 0.0, 0.0, 0.0, core_timing.target};
}

void CloseWindow(void) {
    if (!core_window.ready) return;
    unload_default_font();
    batch_shutdown();
    input_shutdown();
    release_platform();
    core_window.ready = false;
    core_window.should_close = false;
    TraceLog(LOG_INFO, "Window closed successfully");
}

bool window_ready() { return core_window.ready; }
bool IsWindowReady(void) { return core_window.ready; }

bool WindowShouldClose(void) { return core_window.ready ? core_window.should_close : true; }

void SetExitKey(int key) { core_window.exit_key = key; }

int GetScreenWidth(void) { return core_window.width; }
int GetScreenHeight(void) { return core_window.height; }

void SetWindowIcon(Image image) {
    if (!core_window.ready) return;
    if (!image.data) return;  // the default icon stays
    if (image.format != PIXELFORMAT_UNCOMPRESSED_R8G8B8A8) {
        TraceLog(LOG_WARNING, "GLFW: Window icon image must be in R8G8B8A8 pixel format");
        return;
    }
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(image.data, image.width, image.height, 32,
                                                           image.width * 4, SDL_PIXELFORMAT_RGBA32);
    if (!icon) return;
    SDL_SetWindowIcon(core_window.handle, icon);
    SDL_FreeSurface(icon);
}
