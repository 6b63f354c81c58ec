// A small program driven by the window tests through the harness:
//   window_probe reference   draws the reference frame until closed
//   window_probe input       reports the input state of every frame on standard output
// Both stop by themselves after a while, so a test that loses track never leaves them behind.
#include "raylib.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int frame_limit = 60 * 20;

int run_reference_frame() {
    SetConfigFlags(FLAG_MSAA_4X_HINT);
    SetTargetFPS(60);
    InitWindow(1600, 900, "quol window probe");
    Font font = LoadFont("DejaVuSans.ttf");
    Image white = GenImageColor(1, 1, WHITE);
    Texture2D overlay = LoadTextureFromImage(white);
    UnloadImage(white);
    for (int frame = 0; frame < frame_limit && !WindowShouldClose(); ++frame) {
        BeginDrawing();
        ClearBackground({105, 105, 105, 255});
        DrawTextEx(font, "Play", {700, 400}, 80, 5, WHITE);
        DrawRectangleLinesEx({700, 400, 160, 80}, 2, WHITE);
        DrawRectangle(35, 55, 1, 83, GREEN);
        DrawLine(35, 72, 235, 72, BLUE);
        DrawTexturePro(overlay, {0, 0, 1, 1}, {0, 0, 1600, 900}, {0, 0}, 0, Fade(BLACK, 0.7f));
        EndDrawing();
        if (frame == 2) std::printf("READY\n");
        std::fflush(stdout);
    }
    UnloadTexture(overlay);
    UnloadFont(font);
    CloseWindow();
    return 0;
}

int run_input_report() {
    SetTargetFPS(60);
    InitWindow(1600, 900, "quol window probe");
    SetExitKey(KEY_NULL);
    for (int frame = 0; frame < frame_limit && !WindowShouldClose(); ++frame) {
        BeginDrawing();
        ClearBackground(IsKeyDown(KEY_C) ? RED : DARKGRAY);
        EndDrawing();
        Vector2 mouse = GetMousePosition();
        std::printf("frame %d c_pressed %d c_down %d esc_pressed %d click %d mouse %g %g xy %d %d\n", frame,
                    IsKeyPressed(KEY_C), IsKeyDown(KEY_C), IsKeyPressed(KEY_ESCAPE),
                    IsMouseButtonPressed(MOUSE_BUTTON_LEFT), static_cast<double>(mouse.x),
                    static_cast<double>(mouse.y), GetMouseX(), GetMouseY());
        std::fflush(stdout);
    }
    CloseWindow();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "reference") == 0) return run_reference_frame();
    if (argc > 1 && std::strcmp(argv[1], "input") == 0) return run_input_report();
    std::fprintf(stderr, "usage: window_probe reference|input\n");
    return 2;
}
