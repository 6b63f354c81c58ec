#include <gtest/gtest.h>

#include "fake_raylib.h"
#include "gc_manager.h"
#include "time_management/day_night_cycle.h"
#include "ui_management/draw_ui.h"

class Clock : public ::testing::Test {
protected:
    void SetUp() override { reset_game_state(); }
    static void pass_hours(int hours) {
        for (int i = 0; i < hours; ++i) advance_ingame_time(20.0f);
    }
    static std::string clock_text() {
        fake.texts.clear();
        draw_ingame_date(0);
        return fake.texts.at(0).text;
    }
};

TEST_F(Clock, HourTurnsAtTwentySecondsAndDropsTheExcess) {
    advance_ingame_time(19.99f);
    EXPECT_EQ(clock_text(), "0:19");
    advance_ingame_time(0.01f);
    EXPECT_EQ(clock_text(), "1:0");
    advance_ingame_time(45.0f);  // one long frame: one hour only
    EXPECT_EQ(clock_text(), "2:0");
}

TEST_F(Clock, DayCounterRunsOneToSixAndMonthsHaveTwentyNineDays) {
    pass_hours(24 * 6 - 1);
    advance_ingame_time(19.0f);
    EXPECT_EQ(clock_text(), "23:19");
    EXPECT_EQ(days, 6);
    advance_ingame_time(1.0f);
    EXPECT_EQ(clock_text(), "0:0");
    EXPECT_EQ(days, 1);
    pass_hours(24 * 22);
    EXPECT_EQ(day_of_month, 29);
    pass_hours(24);
    EXPECT_EQ(day_of_month, 1);
    EXPECT_EQ(month_number, 2);
}

TEST_F(Clock, YearHasElevenMonthsWithSeasonLabels) {
    EXPECT_EQ(get_season_name(3), "Winter 3");
    EXPECT_EQ(get_season_name(9), "Monsoon 3");
    EXPECT_EQ(get_season_name(12), "Winter 3");
    EXPECT_EQ(get_season_name(13), "");
    month_number = 11;
    day_of_month = 29;
    ingame_hours = 23;
    advance_ingame_time(20.0f);
    EXPECT_EQ(month_number, 1);
    EXPECT_EQ(day_of_month, 1);
}

TEST_F(Clock, DateTextsAtTheTopRightAndTheRestoredLabelLastsOneFrame) {
    month_name = "Monsoon 2";  // as restored from a save
    ingame_hours = 7;
    ingame_minutes = 3.9f;
    draw_ingame_date(0);
    ASSERT_EQ(fake.texts.size(), 3u);
    EXPECT_EQ(fake.texts[0].text, "7:3");
    EXPECT_EQ(fake.texts[1].text, "Day: 1");
    EXPECT_EQ(fake.texts[2].text, "Winter 1");
    EXPECT_EQ(month_name, "Winter 1");
    EXPECT_EQ(fake.texts[0].position.x, 1410);
    EXPECT_EQ(fake.texts[1].position.y, 50);
    EXPECT_EQ(fake.texts[2].position.x, 1360);
    EXPECT_EQ(fake.texts[2].position.y, 80);
    EXPECT_EQ(fake.texts[2].size, 35.0f);
    EXPECT_EQ(fake.texts[2].spacing, 5.0f);
}

class Night : public ::testing::Test {
protected:
    void SetUp() override { reset_game_state(); }
};

TEST_F(Night, DarkensFromHourEighteenForFourteenSeconds) {
    EXPECT_FALSE(update_night_cycle(17, 1.0f));
    EXPECT_EQ(darkness, 0.0f);
    for (int i = 0; i < 13; ++i) EXPECT_TRUE(update_night_cycle(18, 1.0f)) << i;
    EXPECT_LT(darkness, 0.7f);
    update_night_cycle(18, 1.0f);
    update_night_cycle(18, 1.0f);
    EXPECT_EQ(darkness, 0.7f);
    EXPECT_FALSE(night_time);  // reached: no longer darkening
}

TEST_F(Night, StaysWithinBoundsWhateverTheDelta) {
    EXPECT_TRUE(update_night_cycle(20, 1000.0f));
    EXPECT_EQ(darkness, 0.7f);
    EXPECT_FALSE(update_night_cycle(0, 1000.0f));
    EXPECT_EQ(darkness, 0.0f);
}

TEST_F(Night, LightensAfterMidnightWithTheFlagOff) {
    darkness = 0.7f;
    for (int i = 0; i < 14; ++i) EXPECT_FALSE(update_night_cycle(0, 1.0f));
    EXPECT_NEAR(darkness, 0.0f, 1e-5f);
}

TEST_F(Night, RestoredAtNightStartsDarkWithoutAFade) {
    init_night_state(20);
    EXPECT_EQ(darkness, 0.7f);
    EXPECT_TRUE(night_time);
    EXPECT_FALSE(update_night_cycle(20, 0.016f));
    EXPECT_EQ(darkness, 0.7f);
    init_night_state(17);
    EXPECT_EQ(darkness, 0.0f);
}

TEST_F(Night, OverlayTextureIsTrackedAndItsImageReleased) {
    init_night_system();
    EXPECT_EQ(tracked_resources.textures.count, 1);
    EXPECT_EQ(tracked_resources.images.count, 0);
    EXPECT_EQ(fake.released, std::vector<std::string>{"image 1"});
}
