#include "file_management/save_manager.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "file_management/dir_manager.h"
#include "modules/Time/module.h"
#include "modules/json/typed.h"
#include "os.h"
#include "player/player.h"
#include "sha256_variant.h"
#include "time_management/day_night_cycle.h"
#include "ui_management/draw_ui.h"
#include "ui_management/notices.h"

Thread_Group save_group;
std::mutex save_file_lock;
int64_t last_queued_sequence = 0;
int64_t written_sequence = 0;

namespace {

constexpr uint64_t SAVE_JSON_FLAGS = 1;
constexpr std::string_view TEMPORARY_PREFIX = "quol.sav.";
constexpr std::string_view TEMPORARY_SUFFIX = ".tmp";

// The pool's life, which exit() may end from any thread: queue_save and the start of a shutdown
// take save_system_lock, so that no save is added once the shutdown has begun.
enum class Save_System_State { NOT_STARTED, RUNNING, STOPPED };
std::mutex save_system_lock;
Save_System_State save_system_state = Save_System_State::NOT_STARTED;
bool refused_save_reported = false;

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

using Temporary_Name_Test = bool (*)(const std::filesystem::path& file_name, const std::filesystem::path& prefix);

// Beside a linked save's file no earlier version wrote, and other programs keep their files.
bool is_unique_temporary_name(const std::filesystem::path& file_name, const std::filesystem::path& prefix) {
    return os_is_unique_name(file_name, prefix, std::filesystem::path(TEMPORARY_SUFFIX));
}

// A 32-bit process id as names hold it: decimal, without a leading zero.
template <typename Char>
bool is_process_id_text(std::basic_string_view<Char> text) {
    if (text.empty() || text.size() > 10 || (text[0] == '0' && text.size() > 1)) return false;
    return std::all_of(text.begin(), text.end(), [](Char c) { return c >= '0' && c <= '9'; });
}

// In the game folder: this version's names, and those of earlier versions named after the
// process id alone, exactly: a synced folder also holds other programs' look-alikes such as
// "quol.sav.sync-conflict-20261210-123456.tmp".
bool is_any_temporary_name(const std::filesystem::path& file_name, const std::filesystem::path& prefix) {
    if (is_unique_temporary_name(file_name, prefix)) return true;
    // Names compared in the system's own form: no conversion of other files' names can fail.
    using Name_View = std::basic_string_view<std::filesystem::path::value_type>;
    const Name_View name = file_name.native();
    const Name_View head = prefix.native();
    const auto tail = std::filesystem::path(TEMPORARY_SUFFIX).native();
    if (name.size() <= head.size() + tail.size() || !name.starts_with(head) || !name.ends_with(tail)) return false;
    return is_process_id_text(name.substr(head.size(), name.size() - head.size() - tail.size()));
}

void remove_abandoned_temporary_files(const std::filesystem::path& folder, const std::filesystem::path& prefix,
                                      Temporary_Name_Test is_temporary) {
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        if (is_temporary(entry->path().filename(), prefix)) {
            os_remove_abandoned_file(entry->path(), prefix, std::filesystem::path(TEMPORARY_SUFFIX));
        }
    }
}

// The save file's path in a game folder, in this thread's temporary storage.
String save_file_path(String folder) { return tprint("%/quol.sav", folder); }

std::string folder_of(const std::string& file) {
    std::u8string parent = os_path(file).parent_path().u8string();
    std::string folder(parent.begin(), parent.end());
    return folder.empty() ? "." : folder;
}

// Players link the save into a synced or backed-up folder: a save goes to the file the links
// finally name, so that the link stays a link. Sets `file` to it; returns an empty string, or
// why no save can go there.
String follow_save_links(String path, std::string* file) {
    Os_Link_Target target = os_follow_links(std::string(path.view()));
    *file = target.path;
    if (!target.foreign_link.empty()) return tprint("could not save: %", foreign_link_text(target));
    if (target.error_code == ENOENT) {
        return tprint("could not save through the link \"%\": \"%\" does not exist", path, target.path);
    }
    if (target.error_code != 0) {
        return tprint("could not follow the link \"%\": %", path, error_text(target.error_code));
    }
    if (target.not_regular) {
        return tprint("could not save through the link \"%\": \"%\" is %, not a regular file", path, target.path,
                      target.not_regular);
    }
    return {};
}

// Temporary files whose writer died mid-save (killed, power cut) would pile up for good. A
// running instance's stay.
void remove_leftover_temporary_files(String folder) {
    String path = save_file_path(folder);
    Os_Link_Target target = os_follow_links(std::string(path.view()));
    // Nothing is removed through another user's link, not even in the game folder the path
    // passes through; the loader says why at the same start-up.
    if (!target.foreign_link.empty()) return;
    remove_abandoned_temporary_files(os_path(folder.view()), std::filesystem::path(TEMPORARY_PREFIX),
                                     is_any_temporary_name);
    // Beside the file the save's links lead to, when they lead to one.
    if (target.error_code == 0 && !target.not_regular && target.path != path.view()) {
        std::filesystem::path prefix = os_path(target.path).filename();
        prefix += ".";
        remove_abandoned_temporary_files(os_path(folder_of(target.path)), prefix, is_unique_temporary_name);
    }
}

constexpr std::string_view READ_ONLY = "the save file is read-only";

// Why the save file could not be replaced, in words of the game rather than the system's.
String replace_failure(const std::string& file, std::error_code error) {
    if (os_is_read_only(file.c_str())) return tprint("could not replace \"%\": %", file, READ_ONLY);
    if (error == std::errc::is_a_directory) return tprint("could not replace \"%\": it is a folder, not a file", file);
    if (error == std::errc::device_or_resource_busy) {
        return tprint("could not replace \"%\": another program holds it open", file);
    }
    return tprint("could not replace \"%\": %", file, error.message());
}

// Writes the whole text to a temporary file beside the save file, pushes it to the disk and
// renames it over the save file, so that it holds one whole save at any time: when the game
// dies, the disk fills or the power fails mid-write, and when other instances save at the same
// moment, whatever their process ids. A second hard link to the save keeps the save before:
// no atomic replacement reaches it. Returns an empty string on success, else why it failed.
String replace_file_text(String path, String text) {
    std::string file;
    if (String refused = follow_save_links(path, &file); refused.count > 0) return refused;
    // The rename would replace it on POSIX, and under Wine: the player meant to keep it.
    if (os_is_read_only(file.c_str())) return tprint("could not replace \"%\": %", file, READ_ONLY);
    // Beside the file the links name, so that the rename stays on its file system.
    Os_Unique_File temporary = os_create_unique_file(file + ".", std::string(TEMPORARY_SUFFIX), file.c_str());
    if (!temporary.file) {
        if (temporary.error == std::errc::file_exists) {
            return tprint("could not create a temporary file beside \"%\": every name tried was taken", file);
        }
        return tprint("could not create \"%\": %", temporary.path, temporary.error.message());
    }
    // The save's own group and bits, before the first byte.
    os_take_permissions_of(&temporary, file.c_str());
    size_t size = size_t(text.count);
    int code = std::fwrite(text.data, 1, size, temporary.file) == size ? 0 : errno;
    int flush_code = os_flush_file_to_disk(temporary.file);
    if (code == 0) code = flush_code;
    if (code != 0) {
        String failure = tprint("could not write \"%\": %", temporary.path, error_text(code));
        os_discard_unique_file(&temporary);
        return failure;
    }
    if (std::error_code error = os_commit_unique_file(&temporary, file.c_str())) {
        // Where locks are not shared, another instance's start-up can take it for a leftover.
        if (error == std::errc::no_such_file_or_directory) {
            return tprint("could not rename \"%\" over the save: it has vanished", temporary.path);
        }
        return replace_failure(file, error);
    }
    // Makes the rename itself durable. Should this fail, a power cut can at worst bring back
    // the previous save, which is whole too.
    os_flush_folder_to_disk(folder_of(file).c_str());  // where the links lead
    return {};
}

enum class Save_Outcome { WRITTEN, SUPERSEDED, FAILED };

Save_Outcome write_save_file(String path, String text, int64_t sequence, String* failure) {
    std::lock_guard lock(save_file_lock);
    // Two saves may run at once; the later key press must win whichever finishes last.
    if (sequence < written_sequence) return Save_Outcome::SUPERSEDED;
    *failure = replace_file_text(path, text);
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
    std::lock_guard lock(save_system_lock);
    quol_assert(save_system_state != Save_System_State::RUNNING && save_group.worker_count == 0,
                "init_save_system called while the save workers run: shut them down first");
    if (saving_enabled()) remove_leftover_temporary_files(game_dir);
    init(&save_group, SAVE_WORKER_COUNT, save_group_proc, true, SAVE_WORKER_TEMPORARY_STORAGE);
    start(&save_group);
    save_system_state = Save_System_State::RUNNING;
    refused_save_reported = false;
    // The process may also end through exit() from any thread (Xlib calls it when the display
    // goes away): the save being written is finished and the workers are joined before their
    // threads are destroyed, which would otherwise abort the process.
    static bool exit_hook_set = false;
    if (!exit_hook_set) exit_hook_set = std::atexit(shutdown_save_system) == 0;
}

void queue_save(bool is_night, int64_t hours, int64_t minutes, int64_t day_counter, String month) {
    if (!saving_enabled()) {
        // Without a game folder the save would land in the root folder. Start-up has said why on
        // standard output; the player is told at every press.
        post_notice(&notices, saving_off_text());
        return;
    }
    std::lock_guard lock(save_system_lock);
    quol_assert(save_system_state != Save_System_State::NOT_STARTED,
                "queue_save called before init_save_system started the save workers");
    if (save_system_state != Save_System_State::RUNNING) {
        // exit() from another thread began the shutdown, which must end.
        if (!refused_save_reported) print("Save not taken: the save system is shutting down.\n");
        refused_save_reported = true;
        post_notice(&notices, "Save not taken: the save system is shutting down.");
        return;
    }

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

    String path = save_file_path(request->game_dir);
    String failure;
    switch (write_save_file(path, text, request->sequence, &failure)) {
        case Save_Outcome::WRITTEN:
            print("Save completed in background thread %\n", thread->index);
            break;
        case Save_Outcome::SUPERSEDED:
            print("Save skipped in background thread %: a newer save is already written\n", thread->index);
            break;
        case Save_Outcome::FAILED:
            print("Save failed in background thread %: %\n", thread->index, failure);
            queue_notice(&worker_notices, tprint("Save failed: %", failure));
            break;
    }

    free_string(&text);
    free_request(request);
    return Thread_Continue_Status::CONTINUE;
}

void shutdown_save_system() {
    bool first = false;
    {
        std::lock_guard lock(save_system_lock);
        first = save_system_state == Save_System_State::RUNNING;
        if (first) save_system_state = Save_System_State::STOPPED;
    }
    // The newest waiting request holds the latest state; the older ones would only be overwritten.
    if (first) drop_waiting_work(&save_group, drop_superseded_request, nullptr);
    shutdown(&save_group);
}

void load_save() {
    if (!saving_enabled()) return;  // never read a save from the root folder
    String path = save_file_path(game_dir);
    // Not even a parse error may quote what another user's link leads to.
    if (Os_Link_Target target = os_follow_links(std::string(path.view())); !target.foreign_link.empty()) {
        print("failed to load save file: %\n", foreign_link_text(target));
        post_notice(&notices, tprint("Save file not loaded: %", foreign_link_text(target)));
        return;
    }
    Capture_First_Error reader_error;
    auto [save, ok] = json_parse_file<Game_Save>(path, true, rename_by_note, SAVE_JSON_FLAGS);
    reader_error.stop();
    if (!ok) {
        print("failed to load save file\n");
        String why = reader_error.first_error.empty() ? String("it is empty or cut short") : String(reader_error.first_error);
        post_notice(&notices, tprint("Save file not loaded: %", why));
        free_loaded_state(&save.state);
        return;
    }
    print("save file loaded\n");

    if (get_state_checksum(&save.state) != save.header.checksum) {
        print("tampered save file\n");
        post_notice(&notices, "Save file not loaded: it was changed outside the game (tampered save file)");
        free_loaded_state(&save.state);
        return;
    }
    if (String why = refused_value(save.state); why.count > 0) {
        print("save file refused: %\n", why);
        post_notice(&notices, tprint("Save file not loaded: %", why));
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
