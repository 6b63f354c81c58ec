#include "ui_management/draw_ui.h"

// Set up by the game scene's ready: the text font and the screen point of the date texts.
extern Font text_font;
extern Vector2 date_anchor;

float ingame_minutes = 0.0f;
int64_t ingame_hours = 0;
int64_t days = 1;
int64_t day_of_month = 1;
int64_t month_number = 1;
String month_name;

static constexpr float DATE_TEXT_SIZE = 35.0f;
static constexpr float TEXT_SPACING = 5.0f;

Ingame_Time advance_ingame_time(float dt) {
    ingame_minutes += dt;
    // At most one hour per call: the excess of a long frame is dropped.
    if (ingame_minutes >= SECONDS_PER_INGAME_HOUR) {
        ingame_hours += 1;
        ingame_minutes = 0;
    }
    if (ingame_hours >= 24) {
        days += 1;
        day_of_month += 1;
        ingame_hours = 0;
    }
    if (days >= 7) days = 1;
    if (day_of_month >= 30) {
        month_number += 1;
        day_of_month = 1;
    }
    if (month_number >= 12) month_number = 1;
    return {ingame_hours, ingame_minutes, days, month_number};
}

String get_season_name(int64_t month) {
    static constexpr const char* SEASONS[] = {"Winter 1",  "Winter 2",  "Winter 3", "Summer 1",
                                              "Summer 2",  "Summer 3",  "Monsoon 1", "Monsoon 2",
                                              "Monsoon 3", "Winter 1",  "Winter 2",  "Winter 3"};
    if (month < 1 || month > 12) return {};
    return SEASONS[month - 1];
}

void draw_ingame_date(float dt) {
    Ingame_Time now = advance_ingame_time(dt);
    String clock_text = tprint("%:%", now.hours, int64_t(now.minutes));
    String day_text = tprint("Day: %", now.days);
    String label = get_season_name(now.month);
    month_name = label;

    Vector2 clock_position = date_anchor + Vector2{-190, 20};
    Vector2 day_position = date_anchor + Vector2{-190, 50};
    Vector2 label_position = date_anchor + Vector2{-240, 80};
    draw_text(clock_text, &clock_position, DATE_TEXT_SIZE);
    draw_text(day_text, &day_position, DATE_TEXT_SIZE);
    draw_text(label, &label_position, DATE_TEXT_SIZE);
}

void draw_text(String text, Vector2* position, float size) {
    DrawTextEx(text_font, temp_c_string(text), *position, size, TEXT_SPACING, WHITE);
}
