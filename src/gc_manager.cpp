#include "gc_manager.h"

Tracked_Resources tracked_resources;

Image load_images_tracked(Tracked_Resources* tracker, String path) {
    Image image = LoadImage(temp_c_string(path));
    array_add(&tracker->images, image);
    return image;
}

Texture load_textures_from_image_tracked(Tracked_Resources* tracker, Image image) {
    Texture texture = LoadTextureFromImage(image);
    array_add(&tracker->textures, texture);
    return texture;
}

Texture load_textures_tracked(Tracked_Resources* tracker, String path) {
    Texture texture = LoadTexture(temp_c_string(path));
    array_add(&tracker->textures, texture);
    return texture;
}

void cleanup_resources(Tracked_Resources* tracker) {
    // Textures first: they may have been made from the images.
    for (Texture texture : tracker->textures) UnloadTexture(texture);
    for (Image image : tracker->images) UnloadImage(image);
    tracker->textures.count = 0;
    tracker->images.count = 0;
}
