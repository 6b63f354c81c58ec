// The layer with a real GL context, on SDL's offscreen video driver (no X display needed):
// fonts and textures on the GPU, shaders, batching, frame pacing and the gamepad through
// SDL's virtual joystick.
#include "raylib.h"
#include "rl_internal.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <gtest/gtest.h>

#include "portable_test_support.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Window : testing::Test {
    std::string init_log;
    void SetUp() override {
        set_environment("SDL_VIDEODRIVER", "offscreen");
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

// The queued quads of one draw call, as (x, y) corners and uv, in the order TL, BL, BR, TR.
std::vector<Batch_Vertex> queued_after(const std::function<void()>& draw) {
    batch_flush();
    draw();
    const Batch_Vertex* vertices = nullptr;
    int count = batch_pending_vertices(&vertices);
    std::vector<Batch_Vertex> result(vertices, vertices + count);
    batch_flush();
    return result;
}

void expect_corner(const Batch_Vertex& v, float x, float y) {
    EXPECT_NEAR(v.x, x, 1e-3f);
    EXPECT_NEAR(v.y, y, 1e-3f);
}

TEST_F(Window, TexturedQuadCornersAndTextureCoordinates) {
    Texture2D texture = {7, 4, 2, 1, PIXELFORMAT_UNCOMPRESSED_R8G8B8A8};  // only its size matters here
    auto quad = [&](Rectangle source, Rectangle dest, float rotation) {
        return queued_after([&] { DrawTexturePro(texture, source, dest, {20, 10}, rotation, WHITE); });
    };
    BeginDrawing();
    auto q = quad({1, 0, 2, 2}, {100, 50, 40, 20}, 0);
    ASSERT_EQ(q.size(), 4u);
    expect_corner(q[0], 80, 40);
    expect_corner(q[1], 80, 60);
    expect_corner(q[2], 120, 60);
    expect_corner(q[3], 120, 40);
    EXPECT_FLOAT_EQ(q[0].u, 0.25f);
    EXPECT_FLOAT_EQ(q[2].u, 0.75f);
    EXPECT_FLOAT_EQ(q[0].v, 0);
    EXPECT_FLOAT_EQ(q[2].v, 1);

    q = quad({1, 0, 2, 2}, {100, 50, 40, 20}, 90);
    expect_corner(q[0], 110, 30);
    expect_corner(q[1], 90, 30);
    expect_corner(q[2], 90, 70);
    expect_corner(q[3], 110, 70);
    q = quad({1, 0, 2, 2}, {100, 50, 40, 20}, 30);
    expect_corner(q[0], 87.6795f, 31.3397f);
    expect_corner(q[1], 77.6795f, 48.6603f);
    expect_corner(q[2], 112.3205f, 68.6603f);
    expect_corner(q[3], 122.3205f, 51.3397f);

    q = quad({1, 0, -2, 2}, {100, 50, 40, 20}, 0);  // negative source width flips u
    EXPECT_FLOAT_EQ(q[0].u, 0.75f);
    EXPECT_FLOAT_EQ(q[3].u, 0.25f);
    q = quad({1, 0, 2, -2}, {100, 50, 40, 20}, 0);  // negative source height flips v
    EXPECT_FLOAT_EQ(q[0].v, 1);
    EXPECT_FLOAT_EQ(q[1].v, 0);
    q = quad({1, 0, 2, 2}, {100, 50, -40, -20}, 0);  // negative destination size: same quad
    expect_corner(q[0], 80, 40);
    expect_corner(q[2], 120, 60);
    EndDrawing();
}

TEST_F(Window, TextQuadsFollowThePenWithoutRounding) {
    testing::internal::CaptureStdout();
    Font dejavu = LoadFont("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    testing::internal::GetCapturedStdout();
    BeginDrawing();
    auto q = queued_after([&] { DrawTextEx(dejavu, "Play", {700, 400}, 80, 5, WHITE); });
    ASSERT_EQ(q.size(), 16u);
    float expected[4][4] = {{695, 750, 400, 472.5f}, {740, 770, 400, 472.5f}, {760, 815, 412.5f, 475},
                            {802.5f, 862.5f, 412.5f, 487.5f}};
    for (int glyph = 0; glyph < 4; ++glyph) {
        expect_corner(q[glyph * 4 + 0], expected[glyph][0], expected[glyph][2]);
        expect_corner(q[glyph * 4 + 2], expected[glyph][1], expected[glyph][3]);
    }
    EXPECT_NEAR(q[0].u, 0.054688f, 1e-5f);
    EXPECT_NEAR(q[2].u, 0.097656f, 1e-5f);
    EXPECT_NEAR(q[0].v, 0.3125f, 1e-5f);
    EXPECT_NEAR(q[2].v, 0.425781f, 1e-5f);

    q = queued_after([&] { DrawTextEx(dejavu, "P", {700.3f, 400.7f}, 32, 0, WHITE); });
    expect_corner(q[0], 698.3f, 400.7f);
    expect_corner(q[2], 720.3f, 429.7f);
    EndDrawing();
    testing::internal::CaptureStdout();
    UnloadFont(dejavu);
    testing::internal::GetCapturedStdout();
}

TEST_F(Window, RectangleOutlineQuads) {
    BeginDrawing();
    auto q = queued_after([] { DrawRectangleLinesEx({700, 400, 160, 80}, 2, WHITE); });
    ASSERT_EQ(q.size(), 16u);
    float expected[4][4] = {{700, 860, 400, 402}, {700, 860, 478, 480}, {700, 702, 402, 478}, {858, 860, 402, 478}};
    for (int side = 0; side < 4; ++side) {
        expect_corner(q[side * 4 + 0], expected[side][0], expected[side][2]);
        expect_corner(q[side * 4 + 2], expected[side][1], expected[side][3]);
    }
    EndDrawing();
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
    set_environment("SDL_AUDIODRIVER", "no-such-driver");
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
    set_environment("SDL_AUDIODRIVER", "dummy");
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

namespace {

// A display that cannot be reached: the library reports it, the window counts as closed and the
// frame functions still return (paced), so a game loop ends instead of hanging.
TEST(WindowFailure, FramesStillEndWithoutAWindow) {
    set_environment("SDL_VIDEODRIVER", "x11");
    set_environment("DISPLAY", ":9999");
    testing::internal::CaptureStdout();
    SetTargetFPS(60);
    InitWindow(320, 200, "unreachable");
    double start = GetTime();
    BeginDrawing();
    ClearBackground(BLACK);
    DrawRectangle(0, 0, 10, 10, RED);
    EndDrawing();
    BeginDrawing();
    EndDrawing();
    double elapsed = GetTime() - start;
    SetTargetFPS(0);
    CloseWindow();
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(WindowShouldClose());
    EXPECT_NE(log.find("WARNING: SYSTEM: Failed to initialize platform\n"), std::string::npos) << log;
    EXPECT_GT(elapsed, 0.016);  // at least the second frame is paced in full
    EXPECT_LT(elapsed, 5.0);
}

}  // namespace
