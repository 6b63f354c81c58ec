// The program: start-up, the frame loop over the three scenes, and the shutdown.
#include <cstdint>

#include "commandline.h"
#include "file_management/dir_manager.h"
#include "file_management/logs.h"
#include "file_management/runtime_config.h"
#include "file_management/save_manager.h"
#include "file_management/working_folder.h"
#include "gc_manager.h"
#include "menu_management/main_menu.h"
#include "menu_management/pause_menu.h"
#include "os.h"
#include "print.h"
#include "random.h"
#include "raylib.h"
#include "runtime.h"
#include "scene_management/scene_manager.h"
#include "seed.h"
#include "steam/steam_manager.h"
#include "textures.h"
#include "ui_management/notices.h"
#include "vellmarch.h"
#include "window_opening.h"

Os_Femtoseconds last_frame_time = 0;
bool seed_made = false;

float splash1_alpha = 1.0f;
float splash2_alpha = 1.0f;
float splash1_timer = 0.0f;
float splash2_timer = 0.0f;

#ifdef QUOL_FRAME_PROBE
// The frame benchmark's probes around the present-and-wait step; absent from the game itself.
void frame_probe_before_present();
void frame_probe_after_present();
#endif

constexpr float FIXED_DT = 0.02f;
constexpr float SPLASH_HOLD = 0.8f;
constexpr Color CLEAR_COLOUR = {105, 105, 105, 255};
constexpr size_t MAIN_TEMPORARY_STORAGE = 256 * 1024;

float get_frame_time() {
    Os_Femtoseconds now = os_monotonic_femtoseconds();
    Os_Femtoseconds elapsed = now - last_frame_time;
    last_frame_time = now;
    double seconds = double(int64_t(elapsed / OS_FEMTOSECONDS_PER_SECOND)) +
                     double(int64_t(elapsed % OS_FEMTOSECONDS_PER_SECOND)) / double(OS_FEMTOSECONDS_PER_SECOND);
    return float(seconds);
}

void reset_menu_transition(bool* active, float* alpha) {
    *active = false;
    *alpha = 0.0f;
}

// Holds an image for SPLASH_HOLD seconds, then fades it; true once it is gone.
bool advance_splash_image(float* timer, float* alpha, float frame_seconds, float fade_speed) {
    *timer += frame_seconds;
    if (*timer < SPLASH_HOLD) return false;
    *alpha -= fade_speed * frame_seconds;
    return *alpha <= 0;
}

void splash_screens(Texture* splash1, Texture* splash2, int x, int y, float fade_speed) {
    // The first image stays drawn (transparent) while the second one shows.
    DrawTexture(*splash1, x, y, Fade(WHITE, splash1_alpha));
    if (!advance_splash_image(&splash1_timer, &splash1_alpha, GetFrameTime(), fade_speed)) return;
    DrawTexture(*splash2, x, y, Fade(WHITE, splash2_alpha));
    if (advance_splash_image(&splash2_timer, &splash2_alpha, GetFrameTime(), fade_speed)) set_scene(MAIN_MENU);
}

void awake() {
    last_frame_time = os_monotonic_femtoseconds();
    cli_arguments();
    choose_working_folder();  // before any of the game's files is read
    game_dir = get_game_dir();
    if (!game_dir.empty() && !DirectoryExists(temp_c_string(game_dir))) MakeDirectory(temp_c_string(game_dir));
    steam_appid_text = LoadFileText("steam_appid.txt");
    create_logs();
    load_config();
    SetTargetFPS(60);
    SetConfigFlags(FLAG_MSAA_4X_HINT);
    begin_window_watch();
    InitWindow(1600, 900, "quol");
    end_window_watch();
    if (!IsWindowReady()) exit_without_window();  // before anything else loads
    InitAudioDevice();
    Image icon = LoadImage("icon.png");
    ImageFormat(&icon, PIXELFORMAT_UNCOMPRESSED_R8G8B8A8);
    SetWindowIcon(icon);
    UnloadImage(icon);
}

static void log_seed() {
    rng_state = get_random_seed();
    write_log_msg({"Seed: ", tprint("%", rng_state)});
    seed_made = true;
}

int game_main() {
    awake();
    ui_font = LoadFont("assets/fonts/Montserrat-Regular.ttf");
    Texture splash1 = textures_from_image_init("assets/splash_screens/splash1.png");
    Texture splash2 = textures_from_image_init("assets/splash_screens/splash2.png");
    int splash_x = (1600 - splash1.width) / 2;
    int splash_y = (900 - splash1.height) / 2;
    constexpr float SPLASH_FADE_SPEED = 1.5f;
    ready();
    // Fixed once while time_scale is 1: the step stays 0.02 s even while paused.
    float fixed_dt = FIXED_DT * time_scale;
    float accumulator = 0;
    transition_texture = init_scene_transition();

    while (running) {
        if (WindowShouldClose()) running = false;  // this frame still completes
        reset_temporary_storage();
        BeginDrawing();
        ClearBackground(CLEAR_COLOUR);
        Scene frame_scene = current_scene;
        switch (current_scene) {
            case SPLASH:
                if (skip_splash) {
                    current_scene = MAIN_MENU;
                } else {
                    splash_screens(&splash1, &splash2, splash_x, splash_y, SPLASH_FADE_SPEED);
                }
                break;
            case MAIN_MENU: {
                pause_state = 0;
                reset_menu_transition(&menu_transition, &menu_transition_alpha);
                Main_Menu_Buttons buttons = update_and_draw_main_menu();
                button_highlighter(buttons.play, buttons.quit);
                break;
            }
            case GAME: {
                if (!seed_made) log_seed();
                if (pause_state == 0) {
                    resume_game();
                } else if (pause_state == 1) {
                    pause_game();
                }
                play_transition = false;
                float dt = get_frame_time();
                process(dt * time_scale);
                late_process(dt * time_scale);
                // Grows only by the time process and late_process took.
                accumulator += get_frame_time();
                while (accumulator >= fixed_dt) {
                    physics_process(fixed_dt);
                    accumulator -= fixed_dt;
                }
                break;
            }
            default:
                break;
        }
        // Last, over every layer; what start-up posted waits until the splash screens are gone.
        if (frame_scene == MAIN_MENU || frame_scene == GAME) draw_notices();
#ifdef QUOL_FRAME_PROBE
        frame_probe_before_present();
#endif
        EndDrawing();
#ifdef QUOL_FRAME_PROBE
        frame_probe_after_present();
#endif
    }

    cleanup_resources(&tracked_resources);
    shutdown_save_system();
    steam_stop();
    CloseWindow();
    return 0;
}

#ifndef QUOL_NO_PROCESS_ENTRY
int main() {
    os_attach_parent_console();  // before any line is written
    init_thread_context(0, MAIN_TEMPORARY_STORAGE);
    return game_main();
}
#endif
