// The menus driven by a gamepad (SDL's virtual joystick) in a real GL context on SDL's offscreen
// video driver: cursor limits, confirmation order, and the pause layer's time scale.
#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <gtest/gtest.h>

#include "portable_test_support.h"

#include "menu_management/main_menu.h"
#include "menu_management/pause_menu.h"
#include "runtime.h"
#include "scene_management/scene_manager.h"

namespace {

struct Gamepad_Menus : testing::Test {
    SDL_Joystick* joystick = nullptr;
    int device = -1;

    void SetUp() override {
        running = true;
        current_scene = MAIN_MENU;
        pause_state = 0;
        time_scale = 1.0f;
        main_cursor_placed = pause_cursor_placed = false;
        play_transition = menu_transition = false;
        transition_timer = play_transition_alpha = menu_transition_alpha = 0.0f;
        set_environment("SDL_VIDEODRIVER", "offscreen");
        testing::internal::CaptureStdout();
        InitWindow(320, 200, "menu test");  // the menus place themselves in 1600x900 coordinates anyway
        SetTargetFPS(0);
        ui_font = LoadFont(QUOL_SOURCE_DIR "/assets/fonts/Montserrat-Regular.ttf");
        transition_texture = init_scene_transition();
        testing::internal::GetCapturedStdout();

        SDL_VirtualJoystickDesc desc = {};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        device = SDL_JoystickAttachVirtualEx(&desc);
        ASSERT_GE(device, 0) << SDL_GetError();
        joystick = SDL_JoystickOpen(device);
        ASSERT_NE(joystick, nullptr);
        BeginDrawing();  // the gamepad shows up when this frame polls the input
        EndDrawing();
        ASSERT_TRUE(IsGamepadAvailable(0));
    }

    void TearDown() override {
        SDL_JoystickClose(joystick);
        SDL_JoystickDetachVirtual(device);
        testing::internal::CaptureStdout();
        CloseWindow();
        testing::internal::GetCapturedStdout();
    }

    void stick_y(int16_t value) { SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTY, value); }
    void confirm(bool down) { SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_A, down); }

    static void main_menu_frame() {
        reset_temporary_storage();
        BeginDrawing();
        Main_Menu_Buttons buttons = update_and_draw_main_menu();
        button_highlighter(buttons.play, buttons.quit);
        EndDrawing();
    }
    static void pause_frame() {
        reset_temporary_storage();
        BeginDrawing();
        pause_game();
        EndDrawing();
    }
};

TEST_F(Gamepad_Menus, MainMenuCursorStopsAtThePlayAndQuitRowsAndConfirmsPlayFirst) {
    main_menu_frame();
    float x = main_menu_cursor.x;
    EXPECT_EQ(main_menu_cursor.y, 410.0f);  // placed on the Play label
    stick_y(-32768);
    for (int i = 0; i < 30; i++) main_menu_frame();
    EXPECT_EQ(main_menu_cursor.y, 410.0f);
    stick_y(32767);
    for (int i = 0; i < 30; i++) main_menu_frame();
    EXPECT_EQ(main_menu_cursor.y, 510.0f);
    EXPECT_EQ(main_menu_cursor.x, x);

    // Up 50 pixels: the box overlaps both buttons and Play wins.
    stick_y(-32768);
    for (int i = 0; i < 10; i++) main_menu_frame();
    stick_y(0);
    main_menu_frame();
    EXPECT_EQ(main_menu_cursor.y, 460.0f);
    confirm(true);
    main_menu_frame();  // the press is polled at the end of this frame
    main_menu_frame();
    EXPECT_TRUE(play_transition);
    EXPECT_TRUE(running);
}

TEST_F(Gamepad_Menus, MainMenuQuitClearsTheRunningFlag) {
    stick_y(32767);
    for (int i = 0; i < 30; i++) main_menu_frame();
    stick_y(0);
    confirm(true);
    main_menu_frame();
    main_menu_frame();
    EXPECT_FALSE(running);
    EXPECT_FALSE(play_transition);
}

TEST_F(Gamepad_Menus, PauseCursorIsCentredAndClampedAndResumeWinsOverMenu) {
    pause_state = 1;
    pause_frame();
    EXPECT_EQ(time_scale, 0.0f);
    EXPECT_EQ(pause_menu_cursor.x, 720.0f);
    stick_y(-32768);
    for (int i = 0; i < 30; i++) pause_frame();
    EXPECT_EQ(pause_menu_cursor.y, 310.0f);
    stick_y(32767);
    for (int i = 0; i < 50; i++) pause_frame();
    EXPECT_EQ(pause_menu_cursor.y, 510.0f);

    stick_y(-32768);
    for (int i = 0; i < 28; i++) pause_frame();  // 370: over Resume (310..390) and Menu (410..490)
    stick_y(0);
    pause_frame();
    EXPECT_EQ(pause_menu_cursor.y, 370.0f);
    confirm(true);
    pause_frame();
    pause_frame();
    EXPECT_EQ(pause_state, 0);
    EXPECT_FALSE(menu_transition);

    resume_game();
    EXPECT_EQ(time_scale, 1.0f);
    EXPECT_EQ(pause_overlay_alpha, 0.7f);
}

TEST_F(Gamepad_Menus, MenuFadeReturnsToTheMainMenuOnceOpaque) {
    transition_timer = 0.6f;  // a Play fade has run before: no delay
    current_scene = GAME;
    pause_state = 1;
    stick_y(32767);
    for (int i = 0; i < 20; i++) pause_frame();  // from the Resume label down to 410: Menu only
    stick_y(0);
    confirm(true);
    pause_frame();
    pause_frame();
    ASSERT_TRUE(menu_transition);
    double give_up = GetTime() + 5.0;  // the fade runs on frame time: about 1 s
    while (current_scene == GAME && GetTime() < give_up) pause_frame();
    EXPECT_EQ(current_scene, MAIN_MENU);
    EXPECT_GE(menu_transition_alpha, 1.0f);
    EXPECT_TRUE(running);
}

}  // namespace
