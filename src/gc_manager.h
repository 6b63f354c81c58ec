// Textures and images kept for the whole run, released together at shutdown.
#pragma once

#include "raylib.h"
#include "runtime.h"

struct Tracked_Resources {
    Resizable_Array<Texture> textures;
    Resizable_Array<Image> images;
};

extern Tracked_Resources tracked_resources;

// Each loader records what it loads; callers get a copy of the handle and must not release it.
Image load_images_tracked(Tracked_Resources* tracker, String path);
Texture load_textures_from_image_tracked(Tracked_Resources* tracker, Image image);
Texture load_textures_tracked(Tracked_Resources* tracker, String path);

// Releases every texture, then every image, and empties the record.
void cleanup_resources(Tracked_Resources* tracker);
