// CPU time of a representative frame of the rendering layer, with frame pacing off:
// clear, a full-screen tinted texture, 200 glyphs in two fonts, 100 rectangles and a line
// inside a 2-D camera. Needs a display (scripts/bench.sh uses Xvfb when there is none).
//   bench_frame [frames] [--no-msaa]
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "raylib.h"
#if __has_include("rl_internal.h")  // our own layer counts its GL draws; an installed raylib does not
#include "rl_internal.h"
#else
static uint64_t batch_gl_draw_count() { return 0; }
#endif

namespace {

double process_cpu_seconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);  // includes the software rasteriser's threads
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    auto index = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
    return values[index];
}

}  // namespace

int main(int argc, char** argv) {
    int frames = 600;
    bool msaa = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-msaa") == 0) msaa = false;
        else frames = std::max(10, std::atoi(argv[i]));
    }
    SetTraceLogLevel(LOG_WARNING);
    if (msaa) SetConfigFlags(FLAG_MSAA_4X_HINT);
    InitWindow(1600, 900, "bench_frame");
    if (WindowShouldClose()) {
        std::fprintf(stderr, "bench_frame: no window (is there a display?)\n");
        return 1;
    }
    SetTargetFPS(0);
    Font sans = LoadFont("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    Font mono = LoadFont("/usr/share/fonts/opentype/freefont/FreeMono.otf");
    Image pattern = GenImageColor(64, 64, WHITE);
    Texture2D overlay = LoadTextureFromImage(pattern);
    UnloadImage(pattern);
    Camera2D camera = {{800, 450}, {0, 0}, 0, 1};
    const char* line = "The quick brown fox jumps over the lazy dog. 0123456789 ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefg!";

    std::vector<double> cpu, wall;
    uint64_t draws_before = 0, draws = 0;
    for (int frame = 0; frame < frames + 30; ++frame) {
        double cpu_start = process_cpu_seconds(), wall_start = GetTime();
        draws_before = batch_gl_draw_count();
        BeginDrawing();
        ClearBackground({105, 105, 105, 255});
        BeginMode2D(camera);
        for (int i = 0; i < 100; ++i)
            DrawRectangle(-700 + (i % 20) * 70, -400 + (i / 20) * 70, 50, 50, Color{200, 80, 40, 255});
        DrawLine(-800, 0, 800, 0, BLUE);
        EndMode2D();
        DrawTextEx(sans, TextFormat("%.100s", line), {20, 700}, 32, 2, WHITE);
        DrawTextEx(mono, TextFormat("%.100s", line), {20, 760}, 24, 1, WHITE);
        DrawTexturePro(overlay, {0, 0, 64, 64}, {0, 0, 1600, 900}, {0, 0}, 0, Fade(BLACK, 0.3f));
        EndDrawing();
        draws = batch_gl_draw_count() - draws_before;
        camera.rotation += 0.1f;
        if (frame >= 30) {  // the first frames warm caches and the driver
            cpu.push_back((process_cpu_seconds() - cpu_start) * 1000.0);
            wall.push_back((GetTime() - wall_start) * 1000.0);
        }
    }
    std::printf("frames %d, MSAA %s, GL draws per frame %llu\n", frames, msaa ? "4x" : "off",
                static_cast<unsigned long long>(draws));
    std::printf("CPU time per frame:  median %.3f ms, p99 %.3f ms\n", percentile(cpu, 0.5), percentile(cpu, 0.99));
    std::printf("wall time per frame: median %.3f ms, p99 %.3f ms\n", percentile(wall, 0.5), percentile(wall, 0.99));

    UnloadTexture(overlay);
    UnloadFont(sans);
    UnloadFont(mono);
    CloseWindow();
    return 0;
}
