// The layer with a real GL context, on SDL's offscreen video driver (no X display needed):
// fonts and textures on the GPU, shaders, batching, frame pacing and the gamepad through
// SDL's virtual joystick.
#include "raylib.h"
#include "rl_internal.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Window : testing::Test {
    std::string init_log;
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        testing::internal::CaptureStdout();
        InitWindow(320, 200, "gl test");
        init_log = testing::internal::GetCapturedStdout();
        ASSERT_FALSE(WindowShouldClose()) << init_log;
    }
    void TearDown() override {
        testing::internal::CaptureStdout();
        CloseWindow();
        testing::internal::GetCapturedStdout();
        EXPECT_TRUE(WindowShouldClose());  // after CloseWindow, as before InitWindow
    }
    static void frame() {
        BeginDrawing();
        EndDrawing();
    }
};

TEST_F(Window, InitialisesLikeTheLibrary) {
    EXPECT_EQ(GetScreenWidth(), 320);
    EXPECT_EQ(GetScreenHeight(), 200);
    EXPECT_NE(init_log.find("INFO: Initializing raylib 6.0\n"), std::string::npos);
    EXPECT_NE(init_log.find("INFO: FONT: Default font loaded successfully"), std::string::npos);
    EXPECT_NE(init_log.find("INFO: SYSTEM: Working Directory: "), std::string::npos);
    EXPECT_EQ(GetFrameTime(), 0.0f);  // until the first frame ends
    EXPECT_EQ(GetFPS(), 0);
    EXPECT_GT(GetTime(), 0.0);
}

TEST_F(Window, LoadFontGivesTheRealFontOrTheDefaultThatMeasures) {
    testing::internal::CaptureStdout();
    Font dejavu = LoadFont("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    Font missing = LoadFont("assets/fonts/missing.ttf");
    std::string log = testing::internal::GetCapturedStdout();

    EXPECT_NE(dejavu.texture.id, 0u);
    EXPECT_EQ(dejavu.texture.width, 512);
    EXPECT_EQ(dejavu.texture.height, 256);
    EXPECT_EQ(dejavu.texture.format, PIXELFORMAT_UNCOMPRESSED_GRAY_ALPHA);
    Vector2 play = MeasureTextEx(dejavu, "Play", 80, 5);
    EXPECT_FLOAT_EQ(play.x, 152.5f);
    EXPECT_FLOAT_EQ(play.y, 80);

    EXPECT_EQ(missing.texture.id, GetFontDefault().texture.id);
    EXPECT_NE(missing.texture.id, 0u);
    EXPECT_EQ(missing.baseSize, 10);
    Vector2 fallback = MeasureTextEx(missing, "Play", 80, 5);
    EXPECT_GT(fallback.x, 100);
    EXPECT_FLOAT_EQ(fallback.y, 80);
    EXPECT_NE(log.find("WARNING: FILEIO: [assets/fonts/missing.ttf] Failed to open file\n"
                       "WARNING: FONT: [assets/fonts/missing.ttf] Failed to load font texture -> Using default font\n"),
              std::string::npos)
        << log;

    for (std::string junk : {std::string("tiny"), std::string(200, 'x')}) {
        std::string path = testing::TempDir() + "quol-junk.ttf";
        std::ofstream(path) << junk;
        testing::internal::CaptureStdout();
        Font not_a_font = LoadFont(path.c_str());
        log = testing::internal::GetCapturedStdout();
        std::remove(path.c_str());
        EXPECT_EQ(not_a_font.texture.id, GetFontDefault().texture.id);
        EXPECT_NE(log.find("WARNING: FONT: Failed to process TTF font data\n"), std::string::npos) << log;
    }

    testing::internal::CaptureStdout();
    UnloadFont(missing);  // the default font stays
    UnloadFont(dejavu);
    testing::internal::GetCapturedStdout();
    EXPECT_NE(GetFontDefault().texture.id, 0u);
    EXPECT_GT(MeasureTextEx(GetFontDefault(), "x", 10, 1).x, 0);
}

TEST_F(Window, TexturesFromImagesAndMissingFiles) {
    testing::internal::CaptureStdout();
    Image white = GenImageColor(1, 1, WHITE);
    Texture2D texture = LoadTextureFromImage(white);
    Texture2D empty = LoadTextureFromImage(Image{});
    Texture2D missing = LoadTexture("no-such.png");
    UnloadTexture(texture);
    UnloadTexture(missing);
    std::string log = testing::internal::GetCapturedStdout();
    UnloadImage(white);

    EXPECT_NE(texture.id, 0u);
    EXPECT_EQ(empty.id, 0u);
    EXPECT_EQ(missing.id, 0u);
    std::string id = std::to_string(texture.id);
    EXPECT_NE(log.find("INFO: TEXTURE: [ID " + id + "] Texture loaded successfully (1x1 | R8G8B8A8 | 1 mipmaps)\n"),
              std::string::npos);
    EXPECT_NE(log.find("WARNING: IMAGE: Data is not valid to load texture\n"), std::string::npos);
    EXPECT_NE(log.find("WARNING: FILEIO: [no-such.png] Failed to open file\n"), std::string::npos);
    EXPECT_NE(log.find("INFO: TEXTURE: [ID " + id + "] Unloaded texture data from VRAM (GPU)\n"), std::string::npos);
}

TEST_F(Window, ShadersFallBackOrFailLikeTheLibrary) {
    std::string good = testing::TempDir() + "quol-good.glsl";
    std::string broken = testing::TempDir() + "quol-broken.glsl";
    std::ofstream(good) << "#version 330\nin vec2 fragTexCoord;\nin vec4 fragColor;\nout vec4 finalColor;\n"
                           "uniform sampler2D texture0;\nuniform vec2 renderSize;\n"
                           "void main() { finalColor = texture(texture0, fragTexCoord + 1.0/renderSize)*fragColor; }\n";
    std::ofstream(broken) << "#version 330\nvoid main() { this is not glsl }\n";

    testing::internal::CaptureStdout();
    Shader fallback = LoadShader(nullptr, "missing.glsl");
    Shader custom = LoadShader(nullptr, good.c_str());
    Shader failed = LoadShader(nullptr, broken.c_str());
    std::string log = testing::internal::GetCapturedStdout();

    EXPECT_NE(log.find("WARNING: FILEIO: [missing.glsl] Failed to open text file\n"
                       "WARNING: SHADER: Shader files provided are not valid, using default shader\n"),
              std::string::npos);
    EXPECT_NE(fallback.id, 0u);
    EXPECT_NE(custom.id, 0u);
    EXPECT_NE(custom.id, fallback.id);
    EXPECT_EQ(failed.id, 0u);
    EXPECT_NE(log.find("Failed to compile fragment shader code"), std::string::npos);

    int location = GetShaderLocation(custom, "renderSize");
    EXPECT_GE(location, 0);
    EXPECT_EQ(GetShaderLocation(custom, "noSuchUniform"), -1);
    Vector2 size = {320, 200};
    SetShaderValue(custom, location, &size, SHADER_UNIFORM_VEC2);
    SetShaderValue(custom, -1, &size, SHADER_UNIFORM_VEC2);  // silently nothing

    // Drawing through each of them must not fail.
    BeginDrawing();
    for (Shader s : {fallback, custom, failed}) {
        BeginShaderMode(s);
        DrawRectangle(0, 0, 10, 10, RED);
        EndShaderMode();
    }
    EndDrawing();

    testing::internal::CaptureStdout();
    UnloadShader(fallback);  // the default shader: nothing happens
    UnloadShader(custom);
    UnloadShader(failed);
    testing::internal::GetCapturedStdout();
    std::remove(good.c_str());
    std::remove(broken.c_str());
}

TEST_F(Window, OneGlDrawPerTextureOrStateRun) {
    testing::internal::CaptureStdout();
    Image white = GenImageColor(1, 1, WHITE);
    Texture2D texture = LoadTextureFromImage(white);
    UnloadImage(white);
    testing::internal::GetCapturedStdout();

    BeginDrawing();
    ClearBackground(BLACK);
    uint64_t before = batch_gl_draw_count();
    for (int i = 0; i < 100; ++i) DrawRectangle(i, i, 5, 5, RED);
    DrawRectangleLinesEx({10, 10, 50, 40}, 2, WHITE);
    EndMode2D();  // flushes: one draw for 104 quads
    EXPECT_EQ(batch_gl_draw_count() - before, 1u);

    before = batch_gl_draw_count();
    DrawRectangle(0, 0, 5, 5, RED);
    DrawTextEx(GetFontDefault(), "Hello there", {10, 10}, 20, 2, WHITE);  // one texture: one run
    DrawTexture(texture, 5, 5, WHITE);
    DrawLine(0, 0, 100, 100, BLUE);
    DrawLine(0, 100, 100, 0, BLUE);
    BeginBlendMode(BLEND_ADDITIVE);  // a state change flushes
    EXPECT_EQ(batch_gl_draw_count() - before, 4u);
    BeginBlendMode(BLEND_ADDITIVE);  // the same mode again: no flush
    DrawRectangle(0, 0, 5, 5, RED);
    EndBlendMode();
    EXPECT_EQ(batch_gl_draw_count() - before, 5u);
    EndDrawing();

    testing::internal::CaptureStdout();
    UnloadTexture(texture);
    testing::internal::GetCapturedStdout();
}

TEST_F(Window, FramesArePacedToTheTarget) {
    testing::internal::CaptureStdout();
    SetTargetFPS(60);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "INFO: TIMER: Target time per frame: 16.667 milliseconds\n");
    frame();
    EXPECT_GT(GetFrameTime(), 0.0f);  // the first frame includes everything since InitWindow
    std::vector<float> times;
    double start = GetTime();
    for (int i = 0; i < 12; ++i) {
        frame();
        times.push_back(GetFrameTime());
    }
    double elapsed = GetTime() - start;
    std::sort(times.begin(), times.end());
    // Empty frames take well under a millisecond, so these only hold when EndDrawing waits. Pacing
    // never ends a frame early; how late a busy machine makes it is not the layer's to test.
    EXPECT_GE(times.front(), 1.0f / 60.0f - 0.0005f);
    EXPECT_GE(elapsed, 12.0 / 60.0 - 0.002);
    EXPECT_LT(times[times.size() / 2], 0.25f);
    EXPECT_GT(GetFPS(), 0);
    SetTargetFPS(0);
}

TEST_F(Window, GamepadThroughSdlVirtualJoystick) {
    EXPECT_FALSE(IsGamepadAvailable(0));
    EXPECT_EQ(GetGamepadAxisMovement(0, GAMEPAD_AXIS_LEFT_X), 0.0f);
    EXPECT_EQ(GetGamepadAxisMovement(0, GAMEPAD_AXIS_LEFT_TRIGGER), -1.0f);  // triggers rest at -1
    EXPECT_FALSE(IsGamepadButtonPressed(0, GAMEPAD_BUTTON_MIDDLE_RIGHT));

    SDL_VirtualJoystickDesc desc = {};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    int device = SDL_JoystickAttachVirtualEx(&desc);
    ASSERT_GE(device, 0) << SDL_GetError();
    SDL_Joystick* joystick = SDL_JoystickOpen(device);
    ASSERT_NE(joystick, nullptr);
    frame();
    EXPECT_TRUE(IsGamepadAvailable(0));
    EXPECT_FALSE(IsGamepadAvailable(1));
    EXPECT_FALSE(IsGamepadAvailable(-1));
    EXPECT_FALSE(IsGamepadAvailable(4));

    struct Case { SDL_GameControllerButton sdl; int button; };
    for (Case c : {Case{SDL_CONTROLLER_BUTTON_B, GAMEPAD_BUTTON_RIGHT_FACE_RIGHT},
                   Case{SDL_CONTROLLER_BUTTON_A, GAMEPAD_BUTTON_RIGHT_FACE_DOWN},
                   Case{SDL_CONTROLLER_BUTTON_START, GAMEPAD_BUTTON_MIDDLE_RIGHT}}) {
        SDL_JoystickSetVirtualButton(joystick, c.sdl, 1);
        frame();
        EXPECT_TRUE(IsGamepadButtonPressed(0, c.button)) << c.button;
        EXPECT_FALSE(IsGamepadButtonPressed(1, c.button));
        frame();
        EXPECT_FALSE(IsGamepadButtonPressed(0, c.button)) << "held is not pressed again: " << c.button;
        SDL_JoystickSetVirtualButton(joystick, c.sdl, 0);
        frame();
        EXPECT_FALSE(IsGamepadButtonPressed(0, c.button));
    }

    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX, 16384);
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTY, -32768);
    frame();
    EXPECT_NEAR(GetGamepadAxisMovement(0, GAMEPAD_AXIS_LEFT_X), 0.5f, 0.01f);
    EXPECT_FLOAT_EQ(GetGamepadAxisMovement(0, GAMEPAD_AXIS_LEFT_Y), -1.0f);
    EXPECT_FLOAT_EQ(GetGamepadAxisMovement(0, GAMEPAD_AXIS_LEFT_TRIGGER), -1.0f);
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX, 300);  // no dead zone in the library
    frame();
    EXPECT_NEAR(GetGamepadAxisMovement(0, GAMEPAD_AXIS_LEFT_X), 300.0f / 32767.0f, 1e-4f);

    SDL_JoystickClose(joystick);
    SDL_JoystickDetachVirtual(device);
    frame();
    EXPECT_FALSE(IsGamepadAvailable(0));
}

}  // namespace

namespace {

TEST(AudioDevice, MissingDeviceOnlyWarns) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    testing::internal::CaptureStdout();
    InitAudioDevice();
    bool ready = IsAudioDeviceReady();
    CloseAudioDevice();
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(ready);
    EXPECT_EQ(log, "WARNING: AUDIO: Failed to initialize playback device\n"
                   "WARNING: AUDIO: Device could not be closed, not currently initialized\n");
}

TEST(AudioDevice, OpensAndClosesWhereThereIsOne) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    testing::internal::CaptureStdout();
    InitAudioDevice();
    bool ready = IsAudioDeviceReady();
    CloseAudioDevice();
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(ready) << log;
    EXPECT_NE(log.find("INFO: AUDIO: Device initialized successfully\n"), std::string::npos);
    EXPECT_NE(log.find("INFO: AUDIO: Device closed successfully\n"), std::string::npos);
    EXPECT_FALSE(IsAudioDeviceReady());
}

}  // namespace
