// The parts of the game logic that lean on the rendering library's own behaviour, run against
// the real library (no window needed).
#include <gtest/gtest.h>

#include <string>

#include "hitbox/hitbox.h"
#include "modules/Raylib/module.h"
#include "physics/raycast.h"

TEST(TextFormat, FillsPlaceholdersWithAnyValue) {
    String folder = "/home/ann/Saved Games/quol";
    EXPECT_STREQ(TextFormat("%/quol.sav", folder), "/home/ann/Saved Games/quol/quol.sav");
    EXPECT_STREQ(TextFormat(String("% % %"), int64_t(-3), true, 2.5f), "-3 true 2.5");
    EXPECT_STREQ(TextFormat("at %", Vector2{1.5f, -2}), "at {1.5, -2}");
}

TEST(TextFormat, PercentFromAnArgumentIsNotAFormat) {
    // Were the library's C formatter picked, "%s" and "%n" would be read as conversions.
    EXPECT_STREQ(TextFormat("%/quol.sav", "C:/100%s %n"), "C:/100%s %n/quol.sav");
    std::string folder = "50%";
    EXPECT_STREQ(TextFormat("%", folder), "50%");
}

TEST(TextFormat, LongTextsAreCutAfter1020Bytes) {
    std::string long_text(2000, 'x');
    std::string result = TextFormat("%", long_text);
    EXPECT_EQ(result, std::string(1020, 'x') + "...");

    std::string fits(1023, 'y');
    EXPECT_EQ(std::string(TextFormat("%", fits)), fits);
}

TEST(Vectors, OperatorsAndTextForm) {
    Vector2 a = {1, 2}, b = {3, -5};
    Vector2 sum = a + b, difference = a - b, scaled = b * 2.0f;
    EXPECT_EQ(sum.x, 4);
    EXPECT_EQ(sum.y, -3);
    EXPECT_EQ(difference.y, 7);
    EXPECT_EQ(scaled.y, -10);
    EXPECT_EQ(tprint("%", Vector2{0.1f, -0.0f}), "{0.1, -0}");
}

TEST(Collision, RectangleOverlap) {
    Rectangle button = {100, 100, 200, 50};
    Rectangle cursor = {299, 149, 5, 5};
    Rectangle outside = {301, 100, 5, 5};
    EXPECT_TRUE(is_colliding(&button, &cursor));
    EXPECT_FALSE(is_colliding(&button, &outside));
}

TEST(Collision, SegmentReportsTheNearestCrossing) {
    Rectangle box = {0, 0, 10, 10};
    Vector2 segment[2] = {{-5, 5}, {15, 5}};  // through the left and right sides
    float closest = 1000;
    Ray_Hit hit = check_rect_collision(&segment, &box, &closest);
    ASSERT_TRUE(hit.hit);
    EXPECT_FLOAT_EQ(hit.point.x, 0);
    EXPECT_FLOAT_EQ(hit.point.y, 5);
    EXPECT_FLOAT_EQ(closest, 5);

    Vector2 reversed[2] = {{15, 5}, {-5, 5}};
    closest = 1000;
    EXPECT_FLOAT_EQ(check_rect_collision(&reversed, &box, &closest).point.x, 10);

    closest = 4;  // a crossing farther than the seed is not reported
    EXPECT_FALSE(check_rect_collision(&segment, &box, &closest).hit);
    EXPECT_EQ(closest, 4);
}
