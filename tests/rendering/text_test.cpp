// Text measuring, font loading (without a window) and TextFormat.
#include "raylib.h"
#include "rl_internal.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const char* dejavu_path = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const char* freemono_path = "/usr/share/fonts/opentype/freefont/FreeMono.otf";

std::vector<unsigned char> read_bytes(const char* path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Loads a font's glyphs the way LoadFont does; without a window there is no texture, so a
// fake texture id lets MeasureTextEx work on the real metrics.
struct Loaded_Font {
    std::vector<unsigned char> bytes;
    Font font = {};
    Loaded_Font(const char* path, int size) : bytes(read_bytes(path)) {
        testing::internal::CaptureStdout();  // the "GPU is not ready" warning
        EXPECT_TRUE(load_font_from_memory(bytes.data(), bytes.size(), size, nullptr, 95, &font));
        testing::internal::GetCapturedStdout();
        font.texture.id = 99;
    }
    ~Loaded_Font() {
        for (int i = 0; i < font.glyphCount; ++i) std::free(font.glyphs[i].image.data);
        std::free(font.glyphs);
        std::free(font.recs);
    }
    const GlyphInfo& glyph(char c) const { return font.glyphs[glyph_index(font, c)]; }
};

void expect_glyph(const Loaded_Font& f, char c, int offset_x, int offset_y, int advance, int w, int h) {
    const GlyphInfo& g = f.glyph(c);
    EXPECT_EQ(g.offsetX, offset_x) << c;
    EXPECT_EQ(g.offsetY, offset_y) << c;
    EXPECT_EQ(g.advanceX, advance) << c;
    EXPECT_EQ(g.image.width, w) << c;
    EXPECT_EQ(g.image.height, h) << c;
}

void expect_size(Vector2 got, float width, float height) {
    EXPECT_FLOAT_EQ(got.x, width);
    EXPECT_FLOAT_EQ(got.y, height);
}

TEST(FontLoading, DejaVuGlyphMetricsAt32Pixels) {
    Loaded_Font f(dejavu_path, 32);
    EXPECT_EQ(f.font.baseSize, 32);
    EXPECT_EQ(f.font.glyphCount, 95);
    EXPECT_EQ(f.font.glyphPadding, 4);
    EXPECT_EQ(f.font.glyphs[0].value, 32);
    EXPECT_EQ(f.font.glyphs[94].value, 126);
    expect_glyph(f, 'P', 2, 4, 16, 14, 21);
    expect_glyph(f, 'y', 0, 9, 16, 16, 22);
    expect_glyph(f, 'Q', 1, 4, 21, 20, 25);
    expect_glyph(f, 'm', 2, 9, 26, 23, 16);
    expect_glyph(f, 't', 0, 5, 10, 11, 20);
    expect_glyph(f, ' ', 0, 0, 8, 8, 32);
    // A codepoint the font does not hold falls back to '?'.
    EXPECT_EQ(f.font.glyphs[glyph_index(f.font, 0x263A)].value, '?');
    EXPECT_EQ(f.font.glyphs[glyph_index(f.font, '\t')].value, '?');
}

TEST(FontLoading, CffOpenTypeMetrics) {
    Loaded_Font f(freemono_path, 32);
    ASSERT_EQ(f.font.glyphCount, 95);
    expect_glyph(f, 'P', 1, 6, 19, 15, 19);
    expect_glyph(f, 'a', 2, 11, 19, 16, 15);
    expect_size(MeasureTextEx(f.font, "Play", 80, 5), 205, 80);
    expect_size(MeasureTextEx(f.font, "Resume", 80, 5), 310, 80);
}

TEST(FontLoading, AtlasSizeAndPacking) {
    for (auto [size, width, height] : {std::tuple{32, 512, 256}, std::tuple{80, 1024, 512}}) {
        Loaded_Font f(dejavu_path, size);
        Rectangle* recs = nullptr;
        Image atlas = gen_font_atlas(f.font.glyphs, &recs, f.font.glyphCount, size, 4);
        EXPECT_EQ(atlas.width, width) << size;
        EXPECT_EQ(atlas.height, height) << size;
        EXPECT_EQ(atlas.format, PIXELFORMAT_UNCOMPRESSED_GRAY_ALPHA);
        ASSERT_NE(recs, nullptr);
        EXPECT_FLOAT_EQ(recs[0].x, 4);  // the first glyph starts at (padding, padding)
        EXPECT_FLOAT_EQ(recs[0].y, 4);
        for (int i = 0; i < f.font.glyphCount; ++i) {
            EXPECT_LE(recs[i].x + recs[i].width, static_cast<float>(width));
            EXPECT_LE(recs[i].y + recs[i].height, static_cast<float>(height));
        }
        auto* texels = static_cast<unsigned char*>(atlas.data);
        EXPECT_EQ(texels[(atlas.width * atlas.height - 1) * 2 + 1], 255);  // the opaque corner block
        std::free(recs);
        UnloadImage(atlas);
    }
}

TEST(MeasureTextEx, MenuWordsInDejaVuAtSize80Spacing5) {
    Loaded_Font f(dejavu_path, 32);
    expect_size(MeasureTextEx(f.font, "Play", 80, 5), 152.5f, 80);
    expect_size(MeasureTextEx(f.font, "Quit", 80, 5), 152.5f, 80);
    expect_size(MeasureTextEx(f.font, "Resume", 80, 5), 295, 80);
    expect_size(MeasureTextEx(f.font, "Menu", 80, 5), 197.5f, 80);
    expect_size(MeasureTextEx(f.font, "P", 80, 5), 40, 80);
    expect_size(MeasureTextEx(f.font, "Play Quit", 80, 5), 335, 80);
    expect_size(MeasureTextEx(f.font, "Play", 40, 0), 68.75f, 40);
}

TEST(MeasureTextEx, LinesTakeTheWidestSumAndTheLongestCountSeparately) {
    Loaded_Font f(dejavu_path, 32);
    expect_size(MeasureTextEx(f.font, "Ab\nLonger line", 80, 5), 417.5f, 162);
    // Widest sum from the first line, most glyphs from the second.
    Vector2 mixed = MeasureTextEx(f.font, "mm\niii", 32, 1);
    EXPECT_FLOAT_EQ(mixed.x, 52 + 2);
    EXPECT_FLOAT_EQ(mixed.y, 32 + 34);
}

TEST(MeasureTextEx, EmptyTextOrNoTextureMeasuresZero) {
    Loaded_Font f(dejavu_path, 32);
    expect_size(MeasureTextEx(f.font, "", 80, 5), 0, 0);
    expect_size(MeasureTextEx(f.font, nullptr, 80, 5), 0, 0);
    Font no_texture = f.font;
    no_texture.texture.id = 0;
    expect_size(MeasureTextEx(no_texture, "Play", 80, 5), 0, 0);
}

TEST(MeasureTextEx, HandBuiltFontUsesRecWidthWhenAdvanceIsZero) {
    GlyphInfo glyphs[2] = {};
    Rectangle recs[2] = {{0, 0, 6, 10}, {0, 0, 2, 10}};
    glyphs[0].value = 'P';
    glyphs[0].offsetX = 1;  // counted by measuring only when the advance is 0
    glyphs[1].value = 'l';
    glyphs[1].advanceX = 3;
    Font font = {10, 2, 0, {7, 128, 128, 1, 2}, recs, glyphs};
    expect_size(MeasureTextEx(font, "Pl", 20, 2), (7 + 3) * 2 + 2, 20);
}

TEST(TextFormat, FourRotatingBuffers) {
    const char* first = TextFormat("%d", 1);
    const char* second = TextFormat("%d", 2);
    const char* third = TextFormat("%d", 3);
    const char* fourth = TextFormat("%s", "four");
    EXPECT_STREQ(first, "1");
    EXPECT_STREQ(second, "2");
    EXPECT_STREQ(third, "3");
    EXPECT_STREQ(fourth, "four");
    EXPECT_STREQ(TextFormat(nullptr), "");  // does not take a buffer
    const char* fifth = TextFormat("%d", 5);
    EXPECT_EQ(fifth, first);
    EXPECT_STREQ(first, "5");
    EXPECT_NE(first, second);
    EXPECT_NE(second, third);
}

TEST(TextFormat, CutAt1020CharactersWithDots) {
    std::string exact(1023, 'x');
    const char* kept = TextFormat("%s", exact.c_str());
    EXPECT_EQ(std::strlen(kept), 1023u);
    EXPECT_EQ(std::string(kept), exact);

    for (std::size_t length : {1024u, 5000u}) {
        std::string long_text(length, 'x');
        const char* cut = TextFormat("%s", long_text.c_str());
        EXPECT_EQ(std::strlen(cut), 1023u);
        EXPECT_EQ(std::string(cut), std::string(1020, 'x') + "...");
    }
    EXPECT_STREQ(TextFormat("100%% %s", "done"), "100% done");
}

}  // namespace
