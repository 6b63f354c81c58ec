// The frame: drawing begin/end, frame pacing and timing, camera, blend and shader modes.
#include "rl_internal.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <chrono>
#include <cmath>
#include <thread>

Core_Timing core_timing;

namespace {

// Sleeps for most of the wait and spins for the rest: sleeping alone overshoots by a fraction
// of a millisecond, which shows as jitter at 60 frames per second.
void wait_seconds(double seconds) {
    if (seconds <= 0.0) return;
    using Clock = std::chrono::steady_clock;
    auto end = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    double sleep = seconds * 0.95 - 0.0005;
    if (sleep > 0.0) std::this_thread::sleep_for(std::chrono::duration<double>(sleep));
    while (Clock::now() < end) {
    }
}

}  // namespace

double GetTime(void) {
    if (!core_window.timer_base) return 0.0;
    auto elapsed = SDL_GetPerformanceCounter() - core_window.timer_base;
    return static_cast<double>(elapsed) / static_cast<double>(SDL_GetPerformanceFrequency());
}

void SetTargetFPS(int fps) {
    core_timing.target = (fps < 1) ? 0.0 : 1.0 / fps;
    TraceLog(LOG_INFO, "TIMER: Target time per frame: %02.03f milliseconds", core_timing.target * 1000.0);
}

float GetFrameTime(void) { return static_cast<float>(core_timing.frame); }

int GetFPS(void) {
    // The library's moving average: a sample is taken only when asked, at most every 1/60 s.
    constexpr int history_count = 30;
    constexpr float sample_step = 0.5f / history_count;
    static int index = 0;
    static float history[history_count] = {};
    static float average = 0.0f;
    static double last_sample = 0.0;

    float frame = GetFrameTime();
    if (frame == 0.0f) return 0;
    if (GetTime() - last_sample > static_cast<double>(sample_step)) {
        last_sample = GetTime();
        index = (index + 1) % history_count;
        average -= history[index];
        history[index] = frame / history_count;
        average += history[index];
    }
    return static_cast<int>(std::lround(1.0f / average));
}

void BeginDrawing(void) {
    double now = GetTime();
    core_timing.update = now - core_timing.previous;
    core_timing.previous = now;
    batch_set_modelview(mat4_identity());
}

void EndDrawing(void) {
    batch_flush();
    if (core_window.ready) SDL_GL_SwapWindow(core_window.handle);

    double now = GetTime();
    core_timing.draw = now - core_timing.previous;
    core_timing.previous = now;
    core_timing.frame = core_timing.update + core_timing.draw;
    if (core_timing.frame < core_timing.target) {
        wait_seconds(core_timing.target - core_timing.frame);
        now = GetTime();
        double waited = now - core_timing.previous;
        core_timing.previous = now;
        core_timing.frame += waited;
    }
    poll_input_events();
}

void ClearBackground(Color color) { gl_clear(color); }

void BeginMode2D(Camera2D camera) { batch_set_modelview(camera_matrix_2d(camera)); }
void EndMode2D(void) { batch_set_modelview(mat4_identity()); }

Vector2 GetWorldToScreen2D(Vector2 position, Camera2D camera) {
    Mat4 m = camera_matrix_2d(camera);
    return {m.m[0] * position.x + m.m[4] * position.y + m.m[12],
            m.m[1] * position.x + m.m[5] * position.y + m.m[13]};
}

void BeginBlendMode(int mode) { batch_set_blend_mode(mode); }
void EndBlendMode(void) { batch_set_blend_mode(BLEND_ALPHA); }

void BeginShaderMode(Shader shader) { batch_set_shader(shader.id, shader.locs); }
void EndShaderMode(void) { batch_set_shader(default_shader_id(), default_shader_locs()); }
