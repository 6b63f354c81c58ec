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

TEST_F(Movement, OppositeKeysFavourUpAndLeft) {
    fake.keys_down = {KEY_W, KEY_S};
    EXPECT_EQ(step().y, -100);
    fake.keys_down = {KEY_A, KEY_D};
    EXPECT_EQ(step().x, -100);
    fake.keys_down = {KEY_S, KEY_D};
    Vector2 down_right = step();
    EXPECT_GT(down_right.x, 0);
    EXPECT_GT(down_right.y, 0);
}

TEST_F(Movement, DiagonalIsNormalised) {
    fake.keys_down = {KEY_W, KEY_A};
    Vector2 p = step();
    EXPECT_NEAR(p.x, -70.7107f, 1e-3f);
    EXPECT_NEAR(p.y, -70.7107f, 1e-3f);
    EXPECT_NEAR(Vector2Length(p), 100.0f, 1e-3f);
}

TEST_F(Movement, StickCountsOnlyPastTheDeadZone) {
    left_stick_x = 0.1f;
    left_stick_y = -0.1f;
    EXPECT_EQ(step().x, 0);
    EXPECT_EQ(step().y, 0);
    left_stick_x = 0.11f;
    left_stick_y = 0;
    EXPECT_EQ(step().x, 100);  // full speed, whatever the deflection
    left_stick_x = 0;
    left_stick_y = 0.11f;
    EXPECT_EQ(step().y, 100);
}

TEST_F(Movement, InputHandlerSamplesTheLeftStick) {
    fake.axes[0] = -0.5f;
    fake.axes[1] = 0.75f;
    input_handler();
    EXPECT_EQ(left_stick_x, -0.5f);
    EXPECT_EQ(left_stick_y, 0.75f);
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
    fake.keys_down = {KEY_D};
    player_move(2.9f);
    fake.gamepad_pressed = {6};
    player_move(0.0f);
    EXPECT_EQ(player_state, WALK);

    fake.gamepad_pressed = {};
    player_move(0.1f);  // now 3.0 s
    fake.gamepad_pressed = {6};
    player.position = {0, 0};
    Vector2 p = player_move(0.0f);
    EXPECT_EQ(player_state, DASH);
    EXPECT_EQ(dash_timer, DASH_DURATION);
    EXPECT_EQ(p.x, 0);  // a zero-length frame moves nothing, even dashing
}

TEST_F(Movement, DashMovesInItsDirectionForItsDuration) {
    dash_cooldown_timer = 3.0f;
    fake.keys_down = {KEY_D};
    fake.gamepad_pressed = {6};
    EXPECT_NEAR(player_move(0.1f).x, 100.0f, 1e-4f);  // moves in the frame it starts, at dash speed
    fake.gamepad_pressed = {};
    fake.keys_down = {KEY_W};  // the direction is frozen at the start
    Vector2 p = player_move(0.1f);
    EXPECT_NEAR(p.x, 200.0f, 1e-4f);
    EXPECT_EQ(p.y, 0);
    EXPECT_EQ(player_state, WALK);  // 0.2 s used up
    p = player_move(0.1f);
    EXPECT_NEAR(p.y, -10.0f, 1e-4f);  // walking again
}

TEST_F(Movement, DashWithoutDirectionStaysPutAndRestartsTheCooldown) {
    dash_cooldown_timer = 5.0f;
    fake.gamepad_pressed = {6};
    player_move(0.1f);
    fake.gamepad_pressed = {};
    Vector2 p = player_move(0.1f);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
    EXPECT_EQ(player_state, WALK);
    EXPECT_NEAR(dash_cooldown_timer, 0.1f, 1e-6f);
}

TEST_F(Movement, HitboxFollowsTheSpriteOnlyInDebugMode) {
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

TEST(Velocity, DisplacementOverOneStep) {
    reset_game_state();
    player_position = {3, -4};
    Vector2 previous = {1, 0};
    Vector2 v = calculate_player_velocity(&previous, 0.02f);
    EXPECT_NEAR(v.x, 100.0f, 1e-3f);
    EXPECT_NEAR(v.y, -200.0f, 1e-3f);
    EXPECT_EQ(player_velocity.x, v.x);

    for (float dt : {0.0f, 0.000001f, -1.0f}) {
        v = calculate_player_velocity(&previous, dt);
        EXPECT_EQ(v.x, 0);
        EXPECT_EQ(v.y, 0);
    }
    previous = player_position;  // paused: nothing moved
    EXPECT_EQ(calculate_player_velocity(&previous, 0.02f).x, 0);
}

class Camera : public ::testing::Test {
protected:
    void SetUp() override { reset_game_state(); }
};

TEST_F(Camera, StartsAtThePlayerWithTheScreenCentreAsOffset) {
    player_position = {5, 6};
    Camera2D c = init_camera();
    EXPECT_EQ(c.offset.x, 800);
    EXPECT_EQ(c.offset.y, 450);
    EXPECT_EQ(c.target.x, 5);
    EXPECT_EQ(c.target.y, 6);
    EXPECT_EQ(c.rotation, 0);
    EXPECT_EQ(c.zoom, 1);
}

TEST_F(Camera, EasesFortyPercentPerFrameAndSnapsWhenClose) {
    player_position = {100, 0};
    Camera2D c = init_camera();
    c.target = {0, 0};
    update_camera(&c);
    EXPECT_NEAR(c.target.x, 40.0f, 1e-4f);
    update_camera(&c);
    EXPECT_NEAR(c.target.x, 64.0f, 1e-4f);
    update_camera(&c);
    EXPECT_NEAR(c.target.x, 78.4f, 1e-4f);
    int frames = 3;
    while (c.target.x != 100.0f && frames < 100) {
        update_camera(&c);
        ++frames;
    }
    EXPECT_EQ(c.target.x, 100.0f);
    EXPECT_LT(frames, 30);
    EXPECT_EQ(c.target.y, 0.0f);
}

TEST_F(Camera, ShakeJittersAroundTheCentreOnceThenRests) {
    Vector2 offset = shake_camera(0.1f);
    EXPECT_EQ(fake.random_bounds, (std::vector<int>{-5, 5, 5, -5}));
    EXPECT_EQ(offset.x, 795);  // the fake draws the lower bound
    EXPECT_NEAR(shake_intensity, 4.0f, 1e-5f);
    for (int i = 0; i < 10; ++i) shake_camera(0.1f);
    EXPECT_EQ(shake_intensity, 0.0f);
    offset = shake_camera(0.1f);
    EXPECT_EQ(offset.x, 800);
    EXPECT_EQ(offset.y, 450);
}

TEST(Math, RoundHalvesUpInFloat) {
    EXPECT_EQ(math::round(0.5f), 1.0f);
    EXPECT_EQ(math::round(-0.5f), 0.0f);
    EXPECT_EQ(math::round(2.5f), 3.0f);
    EXPECT_EQ(math::round(-2.5f), -2.0f);
    EXPECT_EQ(math::round(1.49f), 1.0f);
    // 0.49999997 + 0.5 rounds to 1 in float32: the addition is float32's, not a double's.
    EXPECT_EQ(math::round(0.49999997f), 1.0f);
}

TEST(Math, LerpIsUnclamped) {
    Vector2 a = {2, -4}, b = {6, 8};
    EXPECT_EQ(math::lerp(a, b, 0).x, 2);
    EXPECT_EQ(math::lerp(a, b, 1).y, 8);
    EXPECT_EQ(math::lerp(a, b, 0.5f).x, 4);
    EXPECT_EQ(math::lerp(a, b, 2).x, 10);
    EXPECT_EQ(math::lerp(a, b, -1).y, -16);
}
