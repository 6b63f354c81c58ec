// The built-in font: a TTF embedded at build time, baked at the library's default size of 10
// pixels. It stands in wherever a font file cannot be loaded, so text still draws and measures.
#include "rl_internal.h"

#include <cstdlib>

extern const unsigned char quol_default_font_ttf[];
extern const std::size_t quol_default_font_ttf_size;

namespace {

constexpr int default_font_size = 10;
Font default_font = {};

}  // namespace

void load_default_font() {
    // Printable ASCII and Latin-1; the control range between them has no glyphs.
    int codepoints[95 + 96];
    int count = 0;
    for (int c = 32; c <= 126; ++c) codepoints[count++] = c;
    for (int c = 160; c <= 255; ++c) codepoints[count++] = c;
    if (load_font_from_memory(quol_default_font_ttf, quol_default_font_ttf_size, default_font_size, codepoints, count,
                              &default_font))
        TraceLog(LOG_INFO, "FONT: Default font loaded successfully (%i glyphs)", default_font.glyphCount);
    else
        TraceLog(LOG_WARNING, "FONT: Default font could not be loaded");
}

void unload_default_font() {
    for (int i = 0; i < default_font.glyphCount; ++i) std::free(default_font.glyphs[i].image.data);
    std::free(default_font.glyphs);
    std::free(default_font.recs);
    UnloadTexture(default_font.texture);
    default_font = Font{};
}

Font GetFontDefault(void) { return default_font; }
