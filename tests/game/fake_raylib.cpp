#include "fake_raylib.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "camera/camera.h"
#include "cheats/cheatcodes.h"
#include "gc_manager.h"
#include "input/input.h"
#include "player/player.h"
#include "random.h"
#include "time_management/day_night_cycle.h"
#include "ui_management/draw_ui.h"

Fake_Raylib fake;

// The game's own globals that live with start-up and the game scene.
bool debug_mode = true;
bool skip_splash = false;
char* steam_appid_text = nullptr;
Font text_font = {};
Vector2 date_anchor = {1600, 0};
float speed = 0;
float dash_speed = 0;

void reset_fake_raylib() { fake = Fake_Raylib{}; }

void reset_game_state() {
    reset_fake_raylib();
    debug_mode = true;
    skip_splash = false;
    speed = dash_speed = 0;
    player = Player{};
    player_state = WALK;
    dash_timer = dash_cooldown_timer = 0;
    dash_direction = player_position = previous_player_position = player_velocity = {0, 0};
    left_stick_x = left_stick_y = 0;
    konami_step = 0;
    camera = init_camera();
    shake_time = 0.5f;
    shake_intensity = 5.0f;
    ingame_minutes = 0;
    ingame_hours = 0;
    days = day_of_month = month_number = 1;
    month_name = {};
    darkness = 0;
    night_time = false;
    rng_state = 0;
    tracked_resources.textures.count = 0;
    tracked_resources.images.count = 0;
}

extern "C" {

bool IsKeyDown(int key) { return fake.keys_down.count(key) > 0; }
bool IsGamepadButtonPressed(int gamepad, int button) { return gamepad == 0 && fake.gamepad_pressed.count(button) > 0; }
float GetGamepadAxisMovement(int gamepad, int axis) { return gamepad == 0 ? fake.axes[axis] : 0.0f; }
int GetMouseX(void) { return fake.mouse_x; }
int GetMouseY(void) { return fake.mouse_y; }
double GetTime(void) { return fake.time; }
int GetScreenWidth(void) { return 1600; }
int GetScreenHeight(void) { return 900; }

int GetRandomValue(int min, int max) {
    fake.random_bounds.push_back(min);
    fake.random_bounds.push_back(max);
    return min < max ? min : max;
}

Image LoadImage(const char* fileName) {
    fake.loaded_paths.push_back(fileName);
    return Image{std::malloc(4), 1, 1, 1, PIXELFORMAT_UNCOMPRESSED_R8G8B8A8};
}
Image GenImageColor(int width, int height, Color) {
    return Image{std::malloc(size_t(width * height * 4)), width, height, 1, PIXELFORMAT_UNCOMPRESSED_R8G8B8A8};
}
void UnloadImage(Image image) {
    fake.released.push_back("image " + std::to_string(image.width));
    std::free(image.data);
}
Texture2D LoadTextureFromImage(Image image) {
    return Texture2D{fake.next_texture_id++, image.width, image.height, 1, image.format};
}
Texture2D LoadTexture(const char* fileName) {
    fake.loaded_paths.push_back(fileName);
    return Texture2D{fake.next_texture_id++, 16, 16, 1, PIXELFORMAT_UNCOMPRESSED_R8G8B8A8};
}
void UnloadTexture(Texture2D texture) { fake.released.push_back("texture " + std::to_string(texture.id)); }

void DrawTexturePro(Texture2D, Rectangle, Rectangle, Vector2, float, Color) {}
void DrawRectangleLinesEx(Rectangle rec, float, Color) { fake.hitboxes.push_back(rec); }
void DrawTextEx(Font, const char* text, Vector2 position, float fontSize, float spacing, Color) {
    fake.texts.push_back({text, position, fontSize, spacing});
}
Color Fade(Color color, float alpha) { return Color{color.r, color.g, color.b, (unsigned char)(255.0f * alpha)}; }

char* LoadFileText(const char* fileName) {
    std::FILE* file = std::fopen(fileName, "rb");
    if (!file) return nullptr;
    std::string text;
    char chunk[256];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, n);
    std::fclose(file);
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}
void UnloadFileText(char* text) { std::free(text); }
// The files the log reaches for, on the real file system as the library does.
bool FileExists(const char* fileName) {
    std::error_code error;
    return std::filesystem::exists(fileName, error);
}
int MakeDirectory(const char* dirPath) {
    std::error_code error;
    std::filesystem::create_directories(dirPath, error);
    return std::filesystem::is_directory(dirPath, error) ? 0 : -1;
}
const char* GetWorkingDirectory() {
    static std::string folder;
    folder = std::filesystem::current_path().string();
    return folder.c_str();
}

// The menus' hit test runs against the real library; the player only builds its hitbox here.
bool CheckCollisionRecs(Rectangle, Rectangle) { return false; }
}
