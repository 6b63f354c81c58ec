#include <gtest/gtest.h>

#include "camera/camera.h"
#include "fake_raylib.h"
#include "input/input.h"
#include "math.hpp"
#include "physics/physics_calculations.h"
#include "player/player.h"

class Movement : public ::testing::Test {
protected:
    void SetUp() override {
        reset_game_state();
        speed = 100;
        dash_speed = 1000;
    }
    static Vector2 step(float dt = 1.0f) {
        player.position = {0, 0};
        return player_move(dt);
    }
};

TEST_F(Movement, UpAndLeftWinAndDiagonalsAreNormalised) {
    fake.keys_down = {KEY_W, KEY_S};
    EXPECT_EQ(step().y, -100);
    fake.keys_down = {KEY_A, KEY_D};
    EXPECT_EQ(step().x, -100);
    fake.keys_down = {KEY_W, KEY_A};
    Vector2 p = step();
    EXPECT_NEAR(p.x, -70.7107f, 1e-3f);
    EXPECT_NEAR(p.y, -70.7107f, 1e-3f);
}

TEST_F(Movement, StickCountsOnlyPastTheDeadZone) {
    left_stick_x = 0.1f;
    left_stick_y = -0.1f;
    Vector2 p = step();
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
    left_stick_x = 0.11f;
    EXPECT_EQ(step().x, 100);  // full speed, whatever the deflection
}

TEST_F(Movement, NoConfigurationMeansNoMovementButTimersRun) {
    speed = dash_speed = 0;
    fake.keys_down = {KEY_D};
    player_move(3.0f);
    fake.gamepad_pressed = {6};
    EXPECT_EQ(player_move(0.1f).x, 0);
    EXPECT_EQ(player_state, DASH);
    EXPECT_EQ(dash_cooldown_timer, 0.0f);
}

TEST_F(Movement, DashNeedsThreeSecondsSinceTheLastOne) {
    player_move(2.9f);
    fake.gamepad_pressed = {6};
    player_move(0.0f);
    EXPECT_EQ(player_state, WALK);
    fake.gamepad_pressed = {};
    player_move(0.1f);
    fake.gamepad_pressed = {6};
    player_move(0.0f);
    EXPECT_EQ(player_state, DASH);
}

TEST_F(Movement, DashMovesInItsFrozenDirectionForItsDuration) {
    dash_cooldown_timer = 3.0f;
    fake.keys_down = {KEY_D};
    fake.gamepad_pressed = {6};
    EXPECT_NEAR(player_move(0.1f).x, 100.0f, 1e-4f);  // moves in the frame it starts
    fake.gamepad_pressed = {};
    fake.keys_down = {KEY_W};
    Vector2 p = player_move(0.1f);
    EXPECT_NEAR(p.x, 200.0f, 1e-4f);
    EXPECT_EQ(p.y, 0);
    EXPECT_EQ(player_state, WALK);
    EXPECT_NEAR(player_move(0.1f).y, -10.0f, 1e-4f);  // walking again
}

TEST_F(Movement, DashWithoutDirectionStaysPutAndRestartsTheCooldown) {
    dash_cooldown_timer = 5.0f;
    fake.gamepad_pressed = {6};
    player_move(0.1f);
    fake.gamepad_pressed = {};
    Vector2 p = player_move(0.1f);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
    EXPECT_NEAR(dash_cooldown_timer, 0.1f, 1e-6f);
}

TEST_F(Movement, HitboxIsTheDrawnSpriteAndOnlyInDebugMode) {
    Texture sprite = {1, 64, 32, 1, 7};
    player.position = {10, 20};
    player_draw(&sprite);
    ASSERT_EQ(fake.hitboxes.size(), 1u);
    EXPECT_EQ(fake.hitboxes[0].x, -6);
    EXPECT_EQ(fake.hitboxes[0].y, 12);
    EXPECT_EQ(fake.hitboxes[0].width, 32);
    EXPECT_EQ(fake.hitboxes[0].height, 16);
    extern bool debug_mode;
    debug_mode = false;
    player_draw(&sprite);
    EXPECT_EQ(fake.hitboxes.size(), 1u);
}

TEST(Velocity, DisplacementOverOneStepOrZero) {
    reset_game_state();
    player_position = {3, -4};
    Vector2 previous = {1, 0};
    Vector2 v = calculate_player_velocity(&previous, 0.02f);
    EXPECT_NEAR(v.x, 100.0f, 1e-3f);
    EXPECT_NEAR(v.y, -200.0f, 1e-3f);
    for (float dt : {0.0f, 0.000001f, -1.0f}) EXPECT_EQ(calculate_player_velocity(&previous, dt).x, 0);
}

TEST(Camera, EasesFortyPercentPerFrameAndSnapsWhenClose) {
    reset_game_state();
    player_position = {100, 0};
    Camera2D c = init_camera();
    c.target = {0, 0};
    float expected[] = {40.0f, 64.0f, 78.4f};
    for (float x : expected) {
        update_camera(&c);
        EXPECT_NEAR(c.target.x, x, 1e-4f);
    }
    int frames = 3;
    for (; c.target.x != 100.0f && frames < 100; ++frames) update_camera(&c);
    EXPECT_LT(frames, 30);
}

TEST(Camera, ShakeJittersAroundTheCentreOnceThenRests) {
    reset_game_state();
    Vector2 offset = shake_camera(0.1f);
    EXPECT_EQ(fake.random_bounds, (std::vector<int>{-5, 5, 5, -5}));
    EXPECT_EQ(offset.x, 795);  // the fake draws the lower bound
    for (int i = 0; i < 10; ++i) shake_camera(0.1f);
    EXPECT_EQ(shake_intensity, 0.0f);
    offset = shake_camera(0.1f);
    EXPECT_EQ(offset.x, 800);
    EXPECT_EQ(offset.y, 450);
}

TEST(Math, RoundHalvesUpInFloatAndLerpIsUnclamped) {
    EXPECT_EQ(math::round(0.5f), 1.0f);
    EXPECT_EQ(math::round(-0.5f), 0.0f);
    EXPECT_EQ(math::round(-2.5f), -2.0f);
    // 0.49999997 + 0.5 is 1 in float32 but not in double.
    EXPECT_EQ(math::round(0.49999997f), 1.0f);
    Vector2 a = {2, -4}, b = {6, 8};
    EXPECT_EQ(math::lerp(a, b, 0.5f).x, 4);
    EXPECT_EQ(math::lerp(a, b, 2).x, 10);
}
