// Images in main memory (stb_image) and textures in GL, and drawing textured quads.
#include "gl_functions.h"
#include "rl_internal.h"

#include <stb_image.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

int bytes_per_pixel(int format) {
    switch (format) {
        case PIXELFORMAT_UNCOMPRESSED_GRAYSCALE: return 1;
        case PIXELFORMAT_UNCOMPRESSED_GRAY_ALPHA: return 2;
        case PIXELFORMAT_UNCOMPRESSED_R8G8B8: return 3;
        case PIXELFORMAT_UNCOMPRESSED_R8G8B8A8: return 4;
        default: return 0;
    }
}

bool same_text_ignoring_case(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b)
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b))) return false;
    return *a == *b;
}

bool supported_image_extension(const char* extension) {
    if (!extension) return false;
    for (const char* known : {".png", ".bmp", ".tga", ".jpg", ".jpeg", ".gif", ".psd", ".hdr", ".pic", ".ppm", ".pgm"})
        if (same_text_ignoring_case(extension, known)) return true;
    return false;
}

Color pixel_rgba(const unsigned char* pixel, int format) {
    switch (format) {
        case PIXELFORMAT_UNCOMPRESSED_GRAYSCALE: return {pixel[0], pixel[0], pixel[0], 255};
        case PIXELFORMAT_UNCOMPRESSED_GRAY_ALPHA: return {pixel[0], pixel[0], pixel[0], pixel[1]};
        case PIXELFORMAT_UNCOMPRESSED_R8G8B8: return {pixel[0], pixel[1], pixel[2], 255};
        default: return {pixel[0], pixel[1], pixel[2], pixel[3]};
    }
}

unsigned char luma(Color c) {
    float value = (c.r / 255.0f) * 0.299f + (c.g / 255.0f) * 0.587f + (c.b / 255.0f) * 0.114f;
    return static_cast<unsigned char>(value * 255.0f);
}

void store_pixel(unsigned char* pixel, int format, Color c) {
    switch (format) {
        case PIXELFORMAT_UNCOMPRESSED_GRAYSCALE: pixel[0] = luma(c); break;
        case PIXELFORMAT_UNCOMPRESSED_GRAY_ALPHA: pixel[0] = luma(c); pixel[1] = c.a; break;
        case PIXELFORMAT_UNCOMPRESSED_R8G8B8: pixel[0] = c.r; pixel[1] = c.g; pixel[2] = c.b; break;
        default: pixel[0] = c.r; pixel[1] = c.g; pixel[2] = c.b; pixel[3] = c.a; break;
    }
}

void apply_filter(int filter, int mipmaps) {
    GLint min_filter = GL_NEAREST, mag_filter = GL_NEAREST;
    switch (filter) {
        case TEXTURE_FILTER_POINT:
            min_filter = (mipmaps > 1) ? GL_NEAREST_MIPMAP_NEAREST : GL_NEAREST;
            break;
        case TEXTURE_FILTER_BILINEAR:
            min_filter = mag_filter = GL_LINEAR;
            break;
        default:  // trilinear and anisotropic: linear, with mipmaps when there are any
            min_filter = (mipmaps > 1) ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR;
            mag_filter = GL_LINEAR;
            break;
    }
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, min_filter);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, mag_filter);
}

}  // namespace

const char* pixel_format_name(int format) {
    switch (format) {
        case PIXELFORMAT_UNCOMPRESSED_GRAYSCALE: return "GRAYSCALE";
        case PIXELFORMAT_UNCOMPRESSED_GRAY_ALPHA: return "GRAY_ALPHA";
        case PIXELFORMAT_UNCOMPRESSED_R8G8B8: return "R8G8B8";
        case PIXELFORMAT_UNCOMPRESSED_R8G8B8A8: return "R8G8B8A8";
        default: return "UNKNOWN";
    }
}

Image LoadImage(const char* fileName) {
    Image image = {};
    int size = 0;
    unsigned char* data = load_file_data(fileName, &size);
    if (!data) return image;
    if (!supported_image_extension(file_extension(fileName))) {
        TraceLog(LOG_WARNING, "IMAGE: Data format not supported");
        TraceLog(LOG_WARNING, "IMAGE: Failed to load image data");
        std::free(data);
        return image;
    }
    int channels = 0;
    image.data = stbi_load_from_memory(data, size, &image.width, &image.height, &channels, 0);
    std::free(data);
    if (!image.data) {
        TraceLog(LOG_WARNING, "IMAGE: Failed to load image data");
        return Image{};
    }
    image.mipmaps = 1;
    // 1..4 channels: GRAYSCALE, GRAY_ALPHA, R8G8B8, R8G8B8A8 (the enum has 16-bit formats between)
    constexpr int formats[] = {0, PIXELFORMAT_UNCOMPRESSED_GRAYSCALE, PIXELFORMAT_UNCOMPRESSED_GRAY_ALPHA,
                               PIXELFORMAT_UNCOMPRESSED_R8G8B8, PIXELFORMAT_UNCOMPRESSED_R8G8B8A8};
    image.format = formats[channels];
    TraceLog(LOG_INFO, "IMAGE: Data loaded successfully (%ix%i | %s | %i mipmaps)", image.width, image.height,
             pixel_format_name(image.format), image.mipmaps);
    return image;
}

void UnloadImage(Image image) { std::free(image.data); }

Image GenImageColor(int width, int height, Color color) {
    Image image = {};
    if (width <= 0 || height <= 0) return image;
    auto* pixels = static_cast<Color*>(std::malloc(static_cast<std::size_t>(width) * height * sizeof(Color)));
    if (!pixels) return image;
    for (int i = 0; i < width * height; ++i) pixels[i] = color;
    return {pixels, width, height, 1, PIXELFORMAT_UNCOMPRESSED_R8G8B8A8};
}

void ImageFormat(Image* image, int newFormat) {
    if (!image || !image->data || image->width <= 0 || image->height <= 0) return;
    if (image->format == newFormat) return;
    int from = bytes_per_pixel(image->format), to = bytes_per_pixel(newFormat);
    if (!from || !to) {
        TraceLog(LOG_WARNING, "IMAGE: Pixel format not supported");
        return;
    }
    std::size_t count = static_cast<std::size_t>(image->width) * image->height;
    auto* converted = static_cast<unsigned char*>(std::malloc(count * to));
    if (!converted) return;
    const auto* source = static_cast<const unsigned char*>(image->data);
    for (std::size_t i = 0; i < count; ++i)
        store_pixel(converted + i * to, newFormat, pixel_rgba(source + i * from, image->format));
    std::free(image->data);
    image->data = converted;
    image->format = newFormat;
    image->mipmaps = 1;
}

Texture2D LoadTextureFromImage(Image image) {
    Texture2D texture = {};
    if (!image.data || image.width <= 0 || image.height <= 0) {
        TraceLog(LOG_WARNING, "IMAGE: Data is not valid to load texture");
        return texture;
    }
    if (!gl_ready()) {
        TraceLog(LOG_WARNING, "GL: GPU is not ready to load data, trying to load before InitWindow()?");
        return texture;
    }
    GLint internal_format = GL_RGBA8;
    GLenum format = GL_RGBA;
    switch (image.format) {
        case PIXELFORMAT_UNCOMPRESSED_GRAYSCALE: internal_format = GL_R8; format = GL_RED; break;
        case PIXELFORMAT_UNCOMPRESSED_GRAY_ALPHA: internal_format = GL_RG8; format = GL_RG; break;
        case PIXELFORMAT_UNCOMPRESSED_R8G8B8: internal_format = GL_RGB8; format = GL_RGB; break;
        case PIXELFORMAT_UNCOMPRESSED_R8G8B8A8: break;
        default:
            TraceLog(LOG_WARNING, "TEXTURE: Current format not supported (%i)", image.format);
            return texture;
    }
    gl.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gl.GenTextures(1, &texture.id);
    gl.BindTexture(GL_TEXTURE_2D, texture.id);
    gl.TexImage2D(GL_TEXTURE_2D, 0, internal_format, image.width, image.height, 0, format, GL_UNSIGNED_BYTE, image.data);
    if (image.format == PIXELFORMAT_UNCOMPRESSED_GRAYSCALE) {
        const GLint swizzle[4] = {GL_RED, GL_RED, GL_RED, GL_ONE};
        gl.TexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, swizzle);
    } else if (image.format == PIXELFORMAT_UNCOMPRESSED_GRAY_ALPHA) {
        const GLint swizzle[4] = {GL_RED, GL_RED, GL_RED, GL_GREEN};
        gl.TexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, swizzle);
    }
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    apply_filter(TEXTURE_FILTER_POINT, 1);
    gl.BindTexture(GL_TEXTURE_2D, 0);

    texture.width = image.width;
    texture.height = image.height;
    texture.mipmaps = 1;
    texture.format = image.format;
    TraceLog(LOG_INFO, "TEXTURE: [ID %i] Texture loaded successfully (%ix%i | %s | %i mipmaps)", texture.id,
             texture.width, texture.height, pixel_format_name(texture.format), texture.mipmaps);
    return texture;
}

Texture2D LoadTexture(const char* fileName) {
    Image image = LoadImage(fileName);
    if (!image.data) return Texture2D{};
    Texture2D texture = LoadTextureFromImage(image);
    UnloadImage(image);
    return texture;
}

void UnloadTexture(Texture2D texture) {
    if (texture.id == 0 || !gl_ready()) return;
    batch_flush();  // queued quads may still sample it
    gl.DeleteTextures(1, &texture.id);
    TraceLog(LOG_INFO, "TEXTURE: [ID %i] Unloaded texture data from VRAM (GPU)", texture.id);
}

void SetTextureFilter(Texture2D texture, int filter) {
    if (texture.id == 0 || !gl_ready()) return;
    gl.BindTexture(GL_TEXTURE_2D, texture.id);
    apply_filter(filter, texture.mipmaps);
    gl.BindTexture(GL_TEXTURE_2D, 0);
}

void DrawTexture(Texture2D texture, int posX, int posY, Color tint) {
    auto width = static_cast<float>(texture.width), height = static_cast<float>(texture.height);
    DrawTexturePro(texture, {0.0f, 0.0f, width, height},
                   {static_cast<float>(posX), static_cast<float>(posY), width, height}, {0.0f, 0.0f}, 0.0f, tint);
}

void DrawTexturePro(Texture2D texture, Rectangle source, Rectangle dest, Vector2 origin, float rotation, Color tint) {
    if (texture.id == 0 || texture.width <= 0 || texture.height <= 0) return;
    bool flip_x = false;
    if (source.width < 0) {
        flip_x = true;
        source.width = -source.width;
    }
    if (source.height < 0) source.y -= source.height;  // flips V: the height stays negative
    if (dest.width < 0) dest.width = -dest.width;
    if (dest.height < 0) dest.height = -dest.height;

    Vector2 top_left, top_right, bottom_left, bottom_right;
    if (rotation == 0.0f) {
        float x = dest.x - origin.x, y = dest.y - origin.y;
        top_left = {x, y};
        top_right = {x + dest.width, y};
        bottom_left = {x, y + dest.height};
        bottom_right = {x + dest.width, y + dest.height};
    } else {
        float s = sinf(rotation * DEG2RAD), c = cosf(rotation * DEG2RAD);
        auto corner = [&](float local_x, float local_y) {
            float dx = local_x - origin.x, dy = local_y - origin.y;
            return Vector2{dest.x + dx * c - dy * s, dest.y + dx * s + dy * c};
        };
        top_left = corner(0.0f, 0.0f);
        top_right = corner(dest.width, 0.0f);
        bottom_left = corner(0.0f, dest.height);
        bottom_right = corner(dest.width, dest.height);
    }

    auto tex_w = static_cast<float>(texture.width), tex_h = static_cast<float>(texture.height);
    float u_left = source.x / tex_w, u_right = (source.x + source.width) / tex_w;
    if (flip_x) std::swap(u_left, u_right);
    float v_top = source.y / tex_h, v_bottom = (source.y + source.height) / tex_h;

    Batch_Vertex* v = batch_quad(texture.id);
    if (!v) return;
    v[0] = {top_left.x, top_left.y, 0.0f, u_left, v_top, tint.r, tint.g, tint.b, tint.a};
    v[1] = {bottom_left.x, bottom_left.y, 0.0f, u_left, v_bottom, tint.r, tint.g, tint.b, tint.a};
    v[2] = {bottom_right.x, bottom_right.y, 0.0f, u_right, v_bottom, tint.r, tint.g, tint.b, tint.a};
    v[3] = {top_right.x, top_right.y, 0.0f, u_right, v_top, tint.r, tint.g, tint.b, tint.a};
}
