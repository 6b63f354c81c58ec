// The notices drawn: white text in the menu font on a dark translucent band, centred near the
// bottom of the window, newest lowest.
#include <cmath>

#include "modules/Raylib/module.h"
#include "scene_management/scene_manager.h"
#include "ui_management/notices.h"

namespace {

constexpr float NOTICE_FONT_SIZE = 24.0f;
constexpr float NOTICE_TEXT_SPACING = 1.0f;
constexpr int NOTICE_BAND_HEIGHT = 34;
constexpr int NOTICE_PADDING = 12;      // between the band's edge and its text
constexpr int NOTICE_SIDE_MARGIN = 64;  // the band never reaches the window's sides
constexpr int NOTICE_BOTTOM_MARGIN = 16;
constexpr unsigned char NOTICE_BAND_ALPHA = 180;

float notice_text_width(std::string_view text) {
    return MeasureTextEx(ui_font, temp_c_string(text), NOTICE_FONT_SIZE, NOTICE_TEXT_SPACING).x;
}

}  // namespace

void draw_notices() {
    take_queued_notices(&worker_notices, &notices);
    if (notices.items.empty()) return;
    int screen_width = GetScreenWidth();
    float max_text_width = float(screen_width - 2 * NOTICE_SIDE_MARGIN - 2 * NOTICE_PADDING);
    int count = int(notices.items.size());
    for (int i = 0; i < count; i++) {
        Notice& notice = notices.items[size_t(i)];
        if (notice.cut_width != max_text_width) {
            notice.cut = cut_to_width(notice.text, max_text_width, notice_text_width);
            notice.cut_width = max_text_width;
        }
        float opacity = notice_opacity(notice);
        // Whole pixels, so that the band and the glyphs land on the same pixels everywhere.
        int text_width = int(std::ceil(notice_text_width(notice.cut)));
        int band_width = text_width + 2 * NOTICE_PADDING;
        int band_x = (screen_width - band_width) / 2;
        int band_y = GetScreenHeight() - NOTICE_BOTTOM_MARGIN - (count - i) * (NOTICE_BAND_HEIGHT + 4);
        DrawRectangle(band_x, band_y, band_width, NOTICE_BAND_HEIGHT,
                      Color{0, 0, 0, (unsigned char)(std::lround(NOTICE_BAND_ALPHA * opacity))});
        Vector2 position = {float(band_x + NOTICE_PADDING),
                            float(band_y + (NOTICE_BAND_HEIGHT - int(NOTICE_FONT_SIZE)) / 2)};
        DrawTextEx(ui_font, temp_c_string(notice.cut), position, NOTICE_FONT_SIZE, NOTICE_TEXT_SPACING,
                   Color{255, 255, 255, (unsigned char)(std::lround(255 * opacity))});
    }
    advance_notices(&notices, GetFrameTime());
}
