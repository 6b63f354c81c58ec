#pragma once

#include "raylib.h"
#include "runtime.h"

// Loads the image and makes a texture from it; both stay tracked until shutdown.
Texture textures_from_image_init(String path);
