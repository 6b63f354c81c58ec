// Fonts from TTF/OTF files (stb_truetype), the glyph atlas, text measuring and drawing.
#include "rl_internal.h"

#include <stb_truetype.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int font_default_size = 32;      // LoadFont's pixel size
constexpr int font_default_glyphs = 95;    // codepoints 32..126
constexpr int font_glyph_padding = 4;
constexpr float text_line_spacing = 2.0f;  // pixels between lines, not scaled

bool is_font_extension(const char* extension) {
    if (!extension) return false;
    char lower[8] = {};
    for (int i = 0; i < 7 && extension[i]; ++i) lower[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(extension[i])));
    return std::strcmp(lower, ".ttf") == 0 || std::strcmp(lower, ".otf") == 0;
}

void free_glyphs(GlyphInfo* glyphs, int count) {
    if (!glyphs) return;
    for (int i = 0; i < count; ++i) std::free(glyphs[i].image.data);
    std::free(glyphs);
}

// Renders each requested codepoint the font has; the rest are skipped with a warning.
GlyphInfo* load_glyphs(const unsigned char* data, int font_size, const int* codepoints, int requested, int* count) {
    *count = 0;
    stbtt_fontinfo info;
    if (!stbtt_InitFont(&info, data, stbtt_GetFontOffsetForIndex(data, 0))) {
        TraceLog(LOG_WARNING, "FONT: Failed to process TTF font data");
        return nullptr;
    }
    float scale = stbtt_ScaleForPixelHeight(&info, static_cast<float>(font_size));
    int ascent = 0, descent = 0, line_gap = 0;
    stbtt_GetFontVMetrics(&info, &ascent, &descent, &line_gap);

    auto* glyphs = static_cast<GlyphInfo*>(std::calloc(static_cast<std::size_t>(requested), sizeof(GlyphInfo)));
    if (!glyphs) return nullptr;
    int found = 0;
    for (int i = 0; i < requested; ++i) {
        int codepoint = codepoints ? codepoints[i] : 32 + i;
        if (stbtt_FindGlyphIndex(&info, codepoint) == 0 && codepoint != 32) continue;
        GlyphInfo& glyph = glyphs[found++];
        glyph.value = codepoint;
        int advance = 0;
        stbtt_GetCodepointHMetrics(&info, codepoint, &advance, nullptr);
        glyph.advanceX = static_cast<int>(static_cast<float>(advance) * scale);
        if (codepoint == 32) {
            // The space is an empty bitmap as wide as its advance.
            glyph.image = GenImageColor(glyph.advanceX > 0 ? glyph.advanceX : 1, font_size, BLANK);
            ImageFormat(&glyph.image, PIXELFORMAT_UNCOMPRESSED_GRAYSCALE);
            continue;
        }
        int width = 0, height = 0;
        unsigned char* bitmap = stbtt_GetCodepointBitmap(&info, scale, scale, codepoint, &width, &height,
                                                         &glyph.offsetX, &glyph.offsetY);
        glyph.offsetY += static_cast<int>(static_cast<float>(ascent) * scale);
        if (bitmap && width > 0 && height > 0) {
            auto bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
            glyph.image.data = std::malloc(bytes);
            if (glyph.image.data) std::memcpy(glyph.image.data, bitmap, bytes);
        } else {
            width = height = 0;
        }
        stbtt_FreeBitmap(bitmap, nullptr);
        glyph.image.width = width;
        glyph.image.height = height;
        glyph.image.mipmaps = 1;
        glyph.image.format = PIXELFORMAT_UNCOMPRESSED_GRAYSCALE;
    }
    if (found < requested)
        TraceLog(LOG_WARNING, "FONT: Requested codepoints glyphs found: [%i/%i]", found, requested);
    *count = found;
    return glyphs;
}

}  // namespace

// Glyphs in rows from (pad, pad); the atlas is a power of two wide and half or fully as tall.
Image gen_font_atlas(GlyphInfo* glyphs, Rectangle** recs, int glyph_count, int font_size, int padding) {
    Image atlas = {};
    *recs = nullptr;
    if (!glyphs || glyph_count <= 0) return atlas;

    float area = 0.0f;
    for (int i = 0; i < glyph_count; ++i)
        area += static_cast<float>((glyphs[i].image.width + 2 * padding) * (font_size + 2 * padding));
    area *= 1.2f;
    int side = static_cast<int>(std::pow(2.0f, std::ceil(std::log2(std::sqrt(area)))));
    int width = side;
    int height = (area < static_cast<float>(side) * static_cast<float>(side) / 2.0f) ? side / 2 : side;

    auto* pixels = static_cast<unsigned char*>(std::calloc(static_cast<std::size_t>(width) * height, 1));
    auto* rects = static_cast<Rectangle*>(std::calloc(static_cast<std::size_t>(glyph_count), sizeof(Rectangle)));
    if (!pixels || !rects) {
        std::free(pixels);
        std::free(rects);
        return atlas;
    }
    int x = padding, y = padding;
    for (int i = 0; i < glyph_count; ++i) {
        const Image& bitmap = glyphs[i].image;
        if (x >= width - bitmap.width - 2 * padding) {
            x = padding;
            y += font_size + 2 * padding;
        }
        while (y + bitmap.height + padding > height) {
            // Out of rows: double the height and keep going.
            auto* taller = static_cast<unsigned char*>(std::calloc(static_cast<std::size_t>(width) * height * 2, 1));
            if (!taller) break;
            std::memcpy(taller, pixels, static_cast<std::size_t>(width) * height);
            std::free(pixels);
            pixels = taller;
            height *= 2;
            TraceLog(LOG_WARNING, "FONT: Updated atlas size to %ix%i", width, height);
        }
        if (y + bitmap.height + padding > height) break;
        rects[i] = {static_cast<float>(x), static_cast<float>(y), static_cast<float>(bitmap.width),
                    static_cast<float>(bitmap.height)};
        const auto* source = static_cast<const unsigned char*>(bitmap.data);
        for (int row = 0; source && row < bitmap.height; ++row)
            std::memcpy(pixels + static_cast<std::size_t>(y + row) * width + x, source + row * bitmap.width,
                        static_cast<std::size_t>(bitmap.width));
        x += bitmap.width + 2 * padding;
    }
    // An opaque 3x3 block in the bottom-right corner, as the library writes.
    for (int row = height - 3; row < height; ++row)
        for (int col = width - 3; col < width; ++col) pixels[row * width + col] = 255;

    // Gray 255 with the coverage as alpha.
    auto* gray_alpha = static_cast<unsigned char*>(std::malloc(static_cast<std::size_t>(width) * height * 2));
    if (!gray_alpha) {
        std::free(pixels);
        std::free(rects);
        return atlas;
    }
    for (int i = 0; i < width * height; ++i) {
        gray_alpha[i * 2] = 255;
        gray_alpha[i * 2 + 1] = pixels[i];
    }
    std::free(pixels);
    *recs = rects;
    return {gray_alpha, width, height, 1, PIXELFORMAT_UNCOMPRESSED_GRAY_ALPHA};
}

bool load_font_from_memory(const unsigned char* data, std::size_t size, int font_size, const int* codepoints,
                           int codepoint_count, Font* font) {
    *font = Font{};
    if (!data || size == 0) return false;
    int count = 0;
    GlyphInfo* glyphs = load_glyphs(data, font_size, codepoints, codepoint_count, &count);
    if (!glyphs || count == 0) {
        free_glyphs(glyphs, count);
        return false;
    }
    Rectangle* recs = nullptr;
    Image atlas = gen_font_atlas(glyphs, &recs, count, font_size, font_glyph_padding);
    if (!atlas.data) {
        free_glyphs(glyphs, count);
        return false;
    }
    font->baseSize = font_size;
    font->glyphCount = count;
    font->glyphPadding = font_glyph_padding;
    font->glyphs = glyphs;
    font->recs = recs;
    font->texture = LoadTextureFromImage(atlas);
    UnloadImage(atlas);
    TraceLog(LOG_INFO, "FONT: Data loaded successfully (%i pixel size | %i glyphs)", font_size, count);
    return true;
}

int glyph_index(Font font, int codepoint) {
    int fallback = 0;
    for (int i = 0; i < font.glyphCount; ++i) {
        if (font.glyphs[i].value == codepoint) return i;
        if (font.glyphs[i].value == '?') fallback = i;
    }
    return fallback;
}

int next_codepoint(const char* text, int* byte_count) {
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    *byte_count = 1;
    if (s[0] < 0x80) return s[0];
    auto continuation = [&](int i) { return (s[i] & 0xC0) == 0x80; };
    if ((s[0] & 0xE0) == 0xC0 && continuation(1)) {
        *byte_count = 2;
        return ((s[0] & 0x1F) << 6) | (s[1] & 0x3F);
    }
    if ((s[0] & 0xF0) == 0xE0 && continuation(1) && continuation(2)) {
        *byte_count = 3;
        return ((s[0] & 0x0F) << 12) | ((s[1] & 0x3F) << 6) | (s[2] & 0x3F);
    }
    if ((s[0] & 0xF8) == 0xF0 && continuation(1) && continuation(2) && continuation(3)) {
        *byte_count = 4;
        return ((s[0] & 0x07) << 18) | ((s[1] & 0x3F) << 12) | ((s[2] & 0x3F) << 6) | (s[3] & 0x3F);
    }
    return '?';
}

Font LoadFont(const char* fileName) {
    Font font = {};
    int size = 0;
    unsigned char* data = load_file_data(fileName, &size);
    bool loaded = false;
    if (data && is_font_extension(file_extension(fileName))) {
        loaded = load_font_from_memory(data, static_cast<std::size_t>(size), font_default_size, nullptr,
                                       font_default_glyphs, &font);
        if (loaded) {
            TraceLog(LOG_INFO, "FONT: Data loaded successfully (%i pixel size | %i glyphs)", font.baseSize,
                     font.glyphCount);
            SetTextureFilter(font.texture, TEXTURE_FILTER_POINT);
        }
    } else if (data) {
        TraceLog(LOG_WARNING, "FONT: [%s] Font file format not supported", fileName);
    }
    std::free(data);
    if (!loaded) {
        // Unlike the library, which hands back an empty font, the built-in one draws and measures.
        TraceLog(LOG_WARNING, "FONT: [%s] Failed to load font texture -> Using default font",
                 fileName ? fileName : "");
        return GetFontDefault();
    }
    return font;
}

void UnloadFont(Font font) {
    if (font.texture.id != 0 && font.texture.id == GetFontDefault().texture.id) return;
    if (font.glyphs == GetFontDefault().glyphs && font.glyphs) return;
    free_glyphs(font.glyphs, font.glyphCount);
    std::free(font.recs);
    UnloadTexture(font.texture);
    if (font.glyphs) TraceLog(LOG_DEBUG, "FONT: Unloaded font data from RAM and VRAM");
}

Vector2 MeasureTextEx(Font font, const char* text, float fontSize, float spacing) {
    if (font.texture.id == 0 || !text || !text[0] || font.baseSize == 0) return {0.0f, 0.0f};
    float scale = fontSize / static_cast<float>(font.baseSize);
    int line_width = 0, widest = 0;
    int line_glyphs = 0, most_glyphs = 0;
    int line_breaks = 0;
    for (const char* p = text; *p;) {
        int bytes = 0;
        int codepoint = next_codepoint(p, &bytes);
        p += bytes;
        if (codepoint == '\n') {
            ++line_breaks;
            line_width = 0;
            line_glyphs = 0;
            continue;
        }
        int index = glyph_index(font, codepoint);
        const GlyphInfo& glyph = font.glyphs[index];
        line_width += glyph.advanceX > 0 ? glyph.advanceX
                                         : static_cast<int>(font.recs[index].width) + glyph.offsetX;
        ++line_glyphs;
        if (line_width > widest) widest = line_width;
        if (line_glyphs > most_glyphs) most_glyphs = line_glyphs;
    }
    return {static_cast<float>(widest) * scale + static_cast<float>(most_glyphs - 1) * spacing,
            fontSize + static_cast<float>(line_breaks) * (fontSize + text_line_spacing)};
}

void DrawTextEx(Font font, const char* text, Vector2 position, float fontSize, float spacing, Color tint) {
    if (!text) return;
    if (font.texture.id == 0) font = GetFontDefault();
    if (font.texture.id == 0 || font.baseSize == 0) return;
    float scale = fontSize / static_cast<float>(font.baseSize);
    float pen_x = 0.0f, pen_y = 0.0f;
    auto padding = static_cast<float>(font.glyphPadding);
    for (const char* p = text; *p;) {
        int bytes = 0;
        int codepoint = next_codepoint(p, &bytes);
        p += bytes;
        if (codepoint == '\n') {
            pen_y += fontSize + text_line_spacing;
            pen_x = 0.0f;
            continue;
        }
        int index = glyph_index(font, codepoint);
        const GlyphInfo& glyph = font.glyphs[index];
        const Rectangle& rec = font.recs[index];
        if (codepoint != ' ' && codepoint != '\t') {
            Rectangle source = {rec.x - padding, rec.y - padding, rec.width + 2 * padding, rec.height + 2 * padding};
            Rectangle dest = {position.x + pen_x + (static_cast<float>(glyph.offsetX) - padding) * scale,
                              position.y + pen_y + (static_cast<float>(glyph.offsetY) - padding) * scale,
                              source.width * scale, source.height * scale};
            DrawTexturePro(font.texture, source, dest, {0.0f, 0.0f}, 0.0f, tint);
        }
        pen_x += (glyph.advanceX == 0 ? rec.width : static_cast<float>(glyph.advanceX)) * scale + spacing;
    }
}
