#include "scene_management/scene_manager.h"

#include "gc_manager.h"

bool running = true;
Scene current_scene = SPLASH;
int64_t pause_state = 0;
float time_scale = 1.0f;
bool debug_mode = true;
bool skip_splash = false;
Font ui_font = {};
char* steam_appid_text = nullptr;

Texture transition_texture = {};
float transition_timer = 0.0f;
bool play_transition = false;
float play_transition_alpha = 0.0f;
bool menu_transition = false;
float menu_transition_alpha = 0.0f;

void set_scene(Scene scene) {
    if (scene >= SPLASH && scene <= Scene(3)) current_scene = scene;
}

Texture init_scene_transition() {
    Image image = GenImageColor(1, 1, {255, 255, 255, 255});
    Texture texture = load_textures_from_image_tracked(&tracked_resources, image);
    UnloadImage(image);
    return texture;
}

void draw_scene_transition_texture(Texture* texture, float* alpha) {
    Rectangle source = {0, 0, float(texture->width), float(texture->height)};
    Rectangle screen = {0, 0, float(GetScreenWidth()), float(GetScreenHeight())};
    DrawTexturePro(*texture, source, screen, {0, 0}, 0.0f, Fade({0, 0, 0, 255}, *alpha));
}

void advance_transition(float* timer, float* alpha, float frame_seconds) {
    *timer += frame_seconds;
    // Not clamped: the last step may overshoot 1 slightly.
    if (*timer >= TRANSITION_DELAY && *alpha < 1.0f) *alpha += TRANSITION_SPEED * frame_seconds;
}

void scene_transition(float* timer, float* alpha) {
    advance_transition(timer, alpha, GetFrameTime());
}
