#include "textures.h"

#include "gc_manager.h"

Texture textures_from_image_init(String path) {
    Image image = load_images_tracked(&tracked_resources, path);
    return load_textures_from_image_tracked(&tracked_resources, image);
}
