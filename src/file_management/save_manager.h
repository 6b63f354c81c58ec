// Saves: key C hands the state to two background workers, which write it as JSON with a
// checksum of the state; at start-up the save is loaded unless the checksum shows it was edited.
#pragma once

#include <cstdint>
#include <mutex>

#include "file_management/thread_group.h"
#include "modules/Raylib/module.h"
#include "runtime.h"

// One save in flight: made by queue_save, owned and freed by the worker that writes it.
struct Save_Request {
    bool night_time = false;
    int64_t ingame_hours = 0;
    int64_t ingame_minutes = 0;
    int64_t days = 0;
    String month;     // owned copy
    String game_dir;  // owned copy
    Vector2 position = {0, 0};
    int64_t sequence = 0;  // order of the key presses: a later press must not be overwritten
};

struct Save_Header {
    float version = 0;
    uint32_t checksum = 0;
};

struct Game_Player {
    Vector2 position = {0, 0};
};

struct Game_Time {
    bool night_time = false;
    int64_t ingame_hours = 0;
    int64_t ingame_minutes = 0;
    int64_t days = 0;
    String month;
};

// What the checksum covers.
struct Game_State {
    String saved_at;
    Game_Player player;
    Game_Time time;
};

struct Game_Save {
    Save_Header header;
    Game_State state;
};

DESCRIBE_STRUCT(Save_Request, night_time, ingame_hours, ingame_minutes, days, month, game_dir, position, sequence);
DESCRIBE_STRUCT(Save_Header, version, checksum);
DESCRIBE_STRUCT(Game_Player, position);
DESCRIBE_STRUCT(Game_Time, night_time, ingame_hours, ingame_minutes, days, month);
DESCRIBE_STRUCT(Game_State, saved_at, player, time);
DESCRIBE_STRUCT(Game_Save, header, state);

constexpr float SAVE_VERSION = 0.1f;
constexpr int64_t SAVE_WORKER_COUNT = 2;
constexpr size_t SAVE_WORKER_TEMPORARY_STORAGE = 16384;

extern Thread_Group save_group;
extern std::mutex save_file_lock;  // held while a worker replaces the save file
extern int64_t last_queued_sequence;  // the newest key press handed to the workers
extern int64_t written_sequence;      // under save_file_lock: the key press whose save the file holds

// The first word of the SHA-256 (with the rendering library's block rule) of the state written
// as tab-indented JSON. Works in storage of its own, so any thread may call it at any time.
uint32_t get_state_checksum(const Game_State* state);

// The save of one request, with its checksum; its strings are views of the request's and of `saved_at`.
Game_Save make_game_save(const Save_Request* request, String saved_at);

// Also removes temporary files that writers which died left in the game folder.
void init_save_system();
// Copies what a save needs and hands it to the workers; never waits for the write.
void queue_save(bool night_time, int64_t ingame_hours, int64_t ingame_minutes, int64_t days, String month);
Thread_Continue_Status save_group_proc(Thread_Group* group, Thread* thread, void* work);
// Finishes the save being written and the newest one still waiting, then stops the workers.
// Safe from any thread, a worker's included, and more than once; saves are refused from its start.
void shutdown_save_system();
// Restores the clock, night flag, season label and player position from the save file.
void load_save();
