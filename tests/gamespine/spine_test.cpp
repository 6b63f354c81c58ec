#include <gtest/gtest.h>

#include <thread>

#include "frametime.h"
#include "menu_management/main_menu.h"
#include "scene_management/scene_manager.h"
#include "window_opening.h"

// From main.cpp.
float get_frame_time();
void reset_menu_transition(bool* active, float* alpha);
bool advance_splash_image(float* timer, float* alpha, float frame_seconds, float fade_speed);

constexpr float FRAME = 1.0f / 60.0f;

TEST(Scene, SetSceneTakesTheThreeScenesAndTheSpareValueOnly) {
    set_scene(GAME);
    EXPECT_EQ(current_scene, GAME);
    set_scene(Scene(3));
    EXPECT_EQ(current_scene, Scene(3));
    set_scene(Scene(4));
    set_scene(Scene(-1));
    EXPECT_EQ(current_scene, Scene(3));
    set_scene(SPLASH);
    EXPECT_EQ(current_scene, SPLASH);
}

TEST(Transition, FirstFadeWaitsHalfASecondThenDarkensForAboutOneSecond) {
    float timer = 0, alpha = 0;
    int clear_frames = 0;
    while (alpha == 0.0f && clear_frames < 1000) {
        advance_transition(&timer, &alpha, FRAME);
        if (alpha == 0.0f) clear_frames++;
    }
    int dark_frames = 1;
    while (alpha < 1.0f) {
        advance_transition(&timer, &alpha, FRAME);
        dark_frames++;
    }
    EXPECT_NEAR(clear_frames, 30, 1);
    EXPECT_NEAR(dark_frames, 60, 1);
    EXPECT_LT(alpha, 1.0f + FRAME + 1e-5f);  // not clamped, but at most one step over
}

TEST(Transition, SharedTimerMakesLaterFadesStartAtOnceAndAStaleAlphaSwitchesAtOnce) {
    float timer = 0.6f;  // a fade has run before in this run
    float menu_alpha = 0;
    advance_transition(&timer, &menu_alpha, FRAME);
    EXPECT_NEAR(menu_alpha, FRAME, 1e-6);

    float play_alpha = 1.02f;  // never reset: a second Play is already opaque
    advance_transition(&timer, &play_alpha, FRAME);
    EXPECT_FLOAT_EQ(play_alpha, 1.02f);

    bool active = true;
    reset_menu_transition(&active, &menu_alpha);
    EXPECT_FALSE(active);
    EXPECT_EQ(menu_alpha, 0.0f);
}

TEST(Splash, EachImageHoldsThenFadesAndTheSceneLastsAboutThreeSeconds) {
    float timer = 0, alpha = 1;
    int frames = 0;
    while (!advance_splash_image(&timer, &alpha, FRAME, 1.5f)) {
        frames++;
        if (timer < 0.8f) {
            ASSERT_EQ(alpha, 1.0f);
        }
    }
    EXPECT_NEAR((frames + 1) * FRAME, 0.8f + 1 / 1.5f, 2 * FRAME);  // ~1.47 s per image
}

TEST(Splash, ALongFrameCanTakeAnImageFromOpaqueToGone) {
    float timer = 0.79f, alpha = 1;
    EXPECT_FALSE(advance_splash_image(&timer, &alpha, 0.005f, 1.5f));
    EXPECT_EQ(alpha, 1.0f);
    EXPECT_TRUE(advance_splash_image(&timer, &alpha, 0.7f, 1.5f));
    EXPECT_LT(alpha, 0.0f);
}

TEST(FrameClock, MeasuresTheTimeSinceThePreviousReading) {
    get_frame_time();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    float elapsed = get_frame_time();
    EXPECT_GE(elapsed, 0.029f);
    EXPECT_LT(elapsed, 0.5f);
    EXPECT_LT(get_frame_time(), 0.01f);  // the reading was replaced
}

TEST(MenuCursor, StepsFivePixelsPastTheDeadZoneOnly) {
    Vector2 cursor = {100, 300};
    step_menu_cursor(&cursor, 0.1f);
    step_menu_cursor(&cursor, -0.1f);
    EXPECT_EQ(cursor.y, 300.0f);
    step_menu_cursor(&cursor, -0.11f);
    EXPECT_EQ(cursor.y, 295.0f);
    step_menu_cursor(&cursor, 1.0f);
    step_menu_cursor(&cursor, 1.0f);
    EXPECT_EQ(cursor.y, 305.0f);
    EXPECT_EQ(cursor.x, 100.0f);
}

TEST(MenuButtons, ConfirmationPicksTheFirstOverlappedButton) {
    Rectangle play = {740, 410, 160, 80}, quit = {740, 510, 160, 80};
    // The 160-wide box still overlaps Play from 150 pixels to the left of the label.
    Rectangle left_of_play = {590, 410, 160, 80};
    EXPECT_EQ(confirmed_button(left_of_play, {play, quit}, true), 0);
    EXPECT_EQ(confirmed_button(left_of_play, {play, quit}, false), -1);
    Rectangle between = {740, 460, 160, 80};  // overlaps both
    EXPECT_EQ(confirmed_button(between, {play, quit}, true), 0);
    Rectangle on_quit = {760, 530, 160, 80};
    EXPECT_EQ(confirmed_button(on_quit, {play, quit}, true), 1);
    Rectangle nowhere = {0, 0, 160, 80};
    EXPECT_EQ(confirmed_button(nowhere, {play, quit}, true), -1);
}

TEST(FrameTimeGraph, BudgetColoursAndBarHeights) {
    EXPECT_EQ(frame_time_colour(0.01833f).g, 255);
    EXPECT_EQ(frame_time_colour(0.0184f).r, 255);
    EXPECT_EQ(frame_time_colour(0.0184f).g, 0);
    EXPECT_EQ(frame_time_bar_height(0.04f), 200);
    EXPECT_EQ(frame_time_bar_height(FRAME_BUDGET), 83);
    EXPECT_EQ(frame_time_bar_height(0.0f), 0);
}

TEST(FrameTimeGraph, RingOverwritesTheOldestSample) {
    frame_time_index = 0;
    for (int i = 0; i < 100; i++) record_frame_time(0.001f * float(i));
    EXPECT_EQ(frame_time_index, 0);
    record_frame_time(0.5f);
    EXPECT_EQ(frame_times[0], 0.5f);
    EXPECT_EQ(frame_time_index, 1);
    EXPECT_FLOAT_EQ(frame_times[1], 0.001f);  // now the oldest, drawn leftmost
}

// The warnings as each library prints them when its window does not open (measured).
TEST(WindowFailure, TheLineSaysWhyInTheWordsOfEitherLibrary) {
    const std::string no_window = "quol could not open its window";
    EXPECT_EQ(window_failure_text({"GLFW: Error: 65550 Description: X11: Failed to open display :99",
                                   "GLFW: Failed to initialize GLFW", "SYSTEM: Failed to initialize platform"}),
              no_window + ": no display could be opened (X11: Failed to open display :99)");
    EXPECT_EQ(window_failure_text({"GLFW: Error: 65543 Description: GLX: Failed to create context: GLXBadFBConfig",
                                   "GLFW: Failed to initialize Window", "SYSTEM: Failed to initialize platform"}),
              no_window + ": OpenGL 3.3 is not available (GLX: Failed to create context: GLXBadFBConfig)");
    EXPECT_EQ(window_failure_text({"GLFW: Error: 65543 Description: WGL: Failed to create OpenGL context",
                                   "GLFW: Failed to initialize Window"}),
              no_window + ": OpenGL 3.3 is not available (WGL: Failed to create OpenGL context)");
    EXPECT_EQ(window_failure_text({"GLFW: Error: 65543 Description: Could not create GL context: GLXBadFBConfig",
                                   "GL: OpenGL 3.3 is not available: the driver offers OpenGL 2.1 Mesa 22.3.6",
                                   "GLFW: Failed to initialize Window"}),
              no_window + ": OpenGL 3.3 is not available; the driver offers OpenGL 2.1 Mesa 22.3.6");
    // Our layer when SDL_VIDEODRIVER names a driver that does not start, on a display that works.
    EXPECT_EQ(window_failure_text({"GLFW: Error: 65550 Description: SDL: no video driver could be started "
                                   "(wayland not available)",
                                   "GLFW: Failed to initialize GLFW", "SYSTEM: Failed to initialize platform"}),
              no_window + ": no video driver could be started (wayland not available)");
    // Wine with no display at all: no reason the game knows, so the library's own words.
    EXPECT_EQ(window_failure_text({"GLFW: Error: 65544 Description: Win32: Failed to create helper window",
                                   "GLFW: Failed to initialize GLFW"}),
              no_window + " (Win32: Failed to create helper window)");
    EXPECT_EQ(window_failure_text({}), no_window);
}
