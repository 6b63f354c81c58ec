#include "file_management/save_manager.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "file_management/dir_manager.h"
#include "modules/Time/module.h"
#include "modules/json/typed.h"
#include "os.h"
#include "player/player.h"
#include "sha256_variant.h"
#include "time_management/day_night_cycle.h"
#include "ui_management/draw_ui.h"

Thread_Group save_group;
std::mutex save_file_lock;

namespace {

constexpr uint64_t SAVE_JSON_FLAGS = 1;

// Main thread only: numbers the key presses.
int64_t last_queued_sequence = 0;
bool saving_off_reported = false;

// Guarded by save_file_lock: the key press whose save the file holds.
int64_t written_sequence = 0;

// Requests and their strings come from the heap whatever the caller's allocator is, because
// another thread frees them.
std::pmr::memory_resource* request_allocator() { return std::pmr::new_delete_resource(); }

void free_request(Save_Request* request) {
    free_string(&request->month, request_allocator());
    free_string(&request->game_dir, request_allocator());
    delete request;
}

String error_text(int code) {
    return tprint("%", std::error_code(code, std::generic_category()).message());
}

// Writes the whole text to a temporary file beside `path`, pushes it to the disk and renames
// it over `path`, so that the save file holds one whole save at any time: when the game dies,
// the disk fills or the power fails mid-write, and when a second instance saves at the same
// moment. The temporary file is this process's own (its workers take turns under
// save_file_lock); one left by a killed process is never read. Returns an empty string on
// success, else why it failed.
String replace_file_text(String folder, String path, String text) {
    String temporary_path = tprint("%.%.tmp", path, os_process_id());
    const char* temporary_c_path = temp_c_string(temporary_path);
    FILE* file = std::fopen(temporary_c_path, "w");  // text mode: CR LF on Windows, as the game always wrote
    if (!file) return tprint("could not create \"%\": %", temporary_path, error_text(errno));

    int code = std::fwrite(text.data, 1, size_t(text.count), file) == size_t(text.count) ? 0 : errno;
    int flush_code = os_flush_file_to_disk(file);
    if (code == 0) code = flush_code;
    if (std::fclose(file) != 0 && code == 0) code = errno;
    if (code != 0) {
        std::remove(temporary_c_path);
        return tprint("could not write \"%\": %", temporary_path, error_text(code));
    }

    std::error_code rename_error;
    std::filesystem::rename(std::filesystem::path(temporary_path.view()), std::filesystem::path(path.view()),
                            rename_error);
    if (rename_error) {
        std::remove(temporary_c_path);
        return tprint("could not replace \"%\": %", path, rename_error.message());
    }
    // Makes the rename itself durable. Should this fail, a power cut can at worst bring back
    // the previous save, which is whole too.
    os_flush_folder_to_disk(temp_c_string(folder));
    return {};
}

enum class Save_Outcome { WRITTEN, SUPERSEDED, FAILED };

Save_Outcome write_save_file(String folder, String path, String text, int64_t sequence, String* failure) {
    std::lock_guard lock(save_file_lock);
    // Two saves may run at once; the later key press must win whichever finishes last.
    if (sequence < written_sequence) return Save_Outcome::SUPERSEDED;
    *failure = replace_file_text(folder, path, text);
    if (failure->count > 0) return Save_Outcome::FAILED;
    written_sequence = sequence;
    return Save_Outcome::WRITTEN;
}

bool drop_superseded_request(void* work, void*) {
    auto* request = static_cast<Save_Request*>(work);
    if (request->sequence == last_queued_sequence) return false;
    free_request(request);
    return true;
}

// The checksum has no key, so anyone can edit a save and recompute it: take only values that
// the game's own clock and movement can have saved. Returns why the state is refused, or an
// empty string.
String refused_value(const Game_State& state) {
    struct Kept_Range {
        const char* member;
        int64_t value, lowest, highest;
    };
    const Game_Time& time = state.time;
    const Kept_Range ranges[] = {
        {"ingame_hours", time.ingame_hours, 0, 23},
        {"ingame_minutes", time.ingame_minutes, 0, int64_t(SECONDS_PER_INGAME_HOUR) - 1},
        {"days", time.days, 1, 6},
    };
    for (const Kept_Range& range : ranges) {
        if (range.value < range.lowest || range.value > range.highest) {
            return tprint("\"%\" is %, outside %..%", range.member, range.value, range.lowest, range.highest);
        }
    }
    // A lost position (null reads as NaN, 1e39 as infinity) could never be walked back from.
    Vector2 position = state.player.position;
    if (!std::isfinite(position.x)) return tprint("\"x\" of the position is %, not a finite number", position.x);
    if (!std::isfinite(position.y)) return tprint("\"y\" of the position is %, not a finite number", position.y);
    return {};
}

void free_loaded_state(Game_State* state) {
    free_string(&state->saved_at);
    free_string(&state->time.month);
}

}  // namespace

uint32_t get_state_checksum(const Game_State* state) {
    String text = json_write_string(*state, "\t", member_has_ignore_note, rename_by_note, SAVE_JSON_FLAGS);
    uint32_t words[8];
    sha256_variant_words(reinterpret_cast<const unsigned char*>(text.data), int32_t(text.count), words);
    free_string(&text);
    return words[0];
}

Game_Save make_game_save(const Save_Request* request, String saved_at) {
    Game_State state;
    state.saved_at = saved_at;
    state.player.position = request->position;
    state.time = {request->night_time, request->ingame_hours, request->ingame_minutes, request->days, request->month};

    Game_Save save;
    save.header = {SAVE_VERSION, get_state_checksum(&state)};
    save.state = state;
    return save;
}

void init_save_system() {
    init(&save_group, SAVE_WORKER_COUNT, save_group_proc, true, SAVE_WORKER_TEMPORARY_STORAGE);
    start(&save_group);
    // The process may also end through exit() from anywhere (Xlib calls it when the display goes
    // away): the save being written is finished and the workers are joined before their threads
    // are destroyed, which would otherwise abort the process.
    static bool exit_hook_set = false;
    if (!exit_hook_set) exit_hook_set = std::atexit(shutdown_save_system) == 0;
}

void queue_save(bool is_night, int64_t hours, int64_t minutes, int64_t day_counter, String month) {
    if (!saving_enabled()) {
        // Without a game folder the save would land in the root folder.
        if (!saving_off_reported) print("Saving is off: there is no game folder to save into.\n");
        saving_off_reported = true;
        return;
    }
    quol_assert(save_group.worker_count > 0, "queue_save called while the save workers are not running");

    auto* request = new Save_Request{};
    request->night_time = is_night;
    request->ingame_hours = hours;
    request->ingame_minutes = minutes;
    request->days = day_counter;
    request->month = copy_string(month, request_allocator());
    request->game_dir = copy_string(game_dir, request_allocator());
    request->position = player.position;
    request->sequence = ++last_queued_sequence;
    add_work(&save_group, request);
}

Thread_Continue_Status save_group_proc(Thread_Group*, Thread* thread, void* work) {
    auto* request = static_cast<Save_Request*>(work);
    Game_Save save = make_game_save(request, get_date_time());
    String text = json_write_string(save, "\t", member_has_ignore_note, rename_by_note, SAVE_JSON_FLAGS);

    String path = tprint("%/quol.sav", request->game_dir);
    String failure;
    switch (write_save_file(request->game_dir, path, text, request->sequence, &failure)) {
        case Save_Outcome::WRITTEN:
            print("Save completed in background thread %\n", thread->index);
            break;
        case Save_Outcome::SUPERSEDED:
            print("Save skipped in background thread %: a newer save is already written\n", thread->index);
            break;
        case Save_Outcome::FAILED:
            print("Save failed in background thread %: %\n", thread->index, failure);
            break;
    }

    free_string(&text);
    free_request(request);
    return Thread_Continue_Status::CONTINUE;
}

void shutdown_save_system() {
    if (save_group.worker_count == 0) return;
    // The newest waiting request holds the latest state; the older ones would only be overwritten.
    drop_waiting_work(&save_group, drop_superseded_request, nullptr);
    shutdown(&save_group);
}

void load_save() {
    if (!saving_enabled()) return;  // never read a save from the root folder
    String path = tprint("%/quol.sav", game_dir);
    auto [save, ok] = json_parse_file<Game_Save>(path, true, rename_by_note, SAVE_JSON_FLAGS);
    if (!ok) {
        print("failed to load save file\n");
        free_loaded_state(&save.state);
        return;
    }
    print("save file loaded\n");

    if (get_state_checksum(&save.state) != save.header.checksum) {
        print("tampered save file\n");
        free_loaded_state(&save.state);
        return;
    }
    if (String why = refused_value(save.state); why.count > 0) {
        print("save file refused: %\n", why);
        free_loaded_state(&save.state);
        return;
    }
    print("Ok!\n");
    print("save file version: %\n", save.header.version);

    ingame_hours = save.state.time.ingame_hours;
    ingame_minutes = float(save.state.time.ingame_minutes);
    night_time = save.state.time.night_time;
    days = save.state.time.days;
    month_name = save.state.time.month;  // stays allocated: the clock's label now
    player.position = save.state.player.position;
    free_string(&save.state.saved_at);
}
