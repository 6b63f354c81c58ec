// Colours, overlap tests, the 2-D camera transform and the random generator.
#include "raylib.h"
#include "raymath.h"
#include "rl_internal.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(Fade, AlphaIsTruncatedAndClamped) {
    struct Case { float alpha; int expected; };
    for (Case c : {Case{0.7f, 178}, {0.5f, 127}, {0.999f, 254}, {1.0f, 255}, {1.5f, 255}, {0.0f, 0}, {-0.5f, 0},
                   {0.1f, 25}, {0.3f, 76}, {0.2f, 51}, {0.9f, 229}, {0.6f, 153}, {NAN, 0}}) {
        Color faded = Fade(Color{10, 20, 30, 40}, c.alpha);
        EXPECT_EQ(faded.a, c.expected) << c.alpha;
        EXPECT_EQ(faded.r, 10);
        EXPECT_EQ(faded.g, 20);
        EXPECT_EQ(faded.b, 30);
    }
}

TEST(CheckCollisionRecs, TouchingEdgesDoNotCollide) {
    Rectangle a = {0, 0, 10, 10};
    EXPECT_FALSE(CheckCollisionRecs(a, {10, 0, 10, 10}));
    EXPECT_FALSE(CheckCollisionRecs(a, {0, 10, 10, 10}));
    EXPECT_FALSE(CheckCollisionRecs(a, {10, 10, 5, 5}));  // corner
    EXPECT_TRUE(CheckCollisionRecs(a, {9.999f, 0, 10, 10}));
    EXPECT_TRUE(CheckCollisionRecs(a, a));
    EXPECT_TRUE(CheckCollisionRecs(a, {5, 5, 0, 0}));    // zero size, strictly inside
    EXPECT_FALSE(CheckCollisionRecs(a, {10, 5, 0, 0}));  // zero size, on the edge
    EXPECT_FALSE(CheckCollisionRecs(a, {20, 0, -5, 10}));
}

TEST(CheckCollisionLines, CrossingsSharedEndpointsAndParallels) {
    Vector2 p = {-1, -1};
    EXPECT_TRUE(CheckCollisionLines({0, 0}, {10, 10}, {0, 10}, {10, 0}, &p));
    EXPECT_FLOAT_EQ(p.x, 5);
    EXPECT_FLOAT_EQ(p.y, 5);
    EXPECT_TRUE(CheckCollisionLines({0, 0}, {10, 0}, {10, 0}, {10, 10}, &p));
    EXPECT_FLOAT_EQ(p.x, 10);
    EXPECT_FLOAT_EQ(p.y, 0);
    EXPECT_TRUE(CheckCollisionLines({0, 0}, {10, 0}, {5, 0}, {5, 10}, &p));  // T-junction
    EXPECT_FLOAT_EQ(p.x, 5);

    p = {-1, -1};
    EXPECT_FALSE(CheckCollisionLines({0, 0}, {10, 0}, {0, 1}, {10, 1}, &p));   // parallel
    EXPECT_FALSE(CheckCollisionLines({0, 0}, {10, 0}, {5, 0}, {15, 0}, &p));   // collinear overlap
    EXPECT_FALSE(CheckCollisionLines({0, 0}, {10, 0}, {11, -1}, {11, 1}, &p)); // beyond the end
    EXPECT_FLOAT_EQ(p.x, -1);  // untouched when there is no collision
    EXPECT_FLOAT_EQ(p.y, -1);
    // A null collision point is allowed.
    EXPECT_TRUE(CheckCollisionLines({0, 0}, {10, 10}, {0, 10}, {10, 0}, nullptr));
}

TEST(GetWorldToScreen2D, ZoomRotationAndOffset) {
    Camera2D camera = {{800, 450}, {100, 50}, 0, 2};
    Vector2 s = GetWorldToScreen2D({0, 0}, camera);
    EXPECT_NEAR(s.x, 600, 1e-3);
    EXPECT_NEAR(s.y, 350, 1e-3);
    s = GetWorldToScreen2D({100, 50}, camera);
    EXPECT_NEAR(s.x, 800, 1e-3);
    EXPECT_NEAR(s.y, 450, 1e-3);

    camera.rotation = 30;
    s = GetWorldToScreen2D({110, 50}, camera);
    EXPECT_NEAR(s.x, 817.3205, 1e-3);
    EXPECT_NEAR(s.y, 460, 1e-3);

    camera.rotation = 90;  // clockwise on screen: +x in the world points down
    camera.zoom = 1;
    s = GetWorldToScreen2D({110, 50}, camera);
    EXPECT_NEAR(s.x, 800, 1e-3);
    EXPECT_NEAR(s.y, 460, 1e-3);
}

TEST(CameraMatrix, RowsOfTheRotatedZoomedCamera) {
    Mat4 m = camera_matrix_2d({{800, 450}, {100, 50}, 30, 2});
    EXPECT_NEAR(m.m[0], 1.73205, 1e-4);
    EXPECT_NEAR(m.m[4], -1, 1e-4);
    EXPECT_NEAR(m.m[12], 676.795, 1e-3);
    EXPECT_NEAR(m.m[1], 1, 1e-4);
    EXPECT_NEAR(m.m[5], 1.73205, 1e-4);
    EXPECT_NEAR(m.m[13], 263.397, 1e-3);
}

TEST(GetRandomValue, SeededSequenceAndRanges) {
    random_seed(42);
    int expected[] = {22, 30, 20, 14, 40};
    for (int value : expected) EXPECT_EQ(GetRandomValue(0, 99), value);

    random_seed(42);
    for (int value : expected) EXPECT_EQ(GetRandomValue(99, 0), value);  // bounds are swapped

    EXPECT_EQ(GetRandomValue(7, 7), 7);
    for (int i = 0; i < 200; ++i) {
        int v = GetRandomValue(10, 5);
        EXPECT_GE(v, 5);
        EXPECT_LE(v, 10);
    }
    int wide = GetRandomValue(-2147483647 - 1, 2147483647);  // the full range must not overflow
    (void)wide;
}

TEST(Raymath, NormalizeZeroAndClamp) {
    Vector2 zero = Vector2Normalize({0, 0});
    EXPECT_EQ(zero.x, 0);
    EXPECT_EQ(zero.y, 0);
    Vector2 unit = Vector2Normalize({3, 4});
    EXPECT_FLOAT_EQ(unit.x, 0.6f);
    EXPECT_FLOAT_EQ(Vector2Length(unit), 1);
    EXPECT_FLOAT_EQ(Clamp(5, 0, 1), 1);
    EXPECT_FLOAT_EQ(Clamp(-5, 0, 1), 0);
    EXPECT_FLOAT_EQ(Vector2Distance({0, 0}, {3, 4}), 5);
    EXPECT_FLOAT_EQ(Vector2Lerp({0, 0}, {10, 20}, 0.25f).y, 5);
}

}  // namespace
