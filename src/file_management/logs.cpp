#include "file_management/logs.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "file_management/dir_manager.h"
#include "os.h"
#include "raylib.h"

// The text of steam_appid.txt, read at start-up; null when it could not be read.
extern char* steam_appid_text;

String log_path;

static const char* operating_system_name() {
#if defined(_WIN32)
    return "Windows";
#elif defined(__APPLE__)
    return "macOS";
#elif defined(__linux__)
    return "Linux";
#else
    return "unknown";
#endif
}

static String compiler_name() {
#if defined(__clang__)
    return tprint("clang %.%.%", __clang_major__, __clang_minor__, __clang_patchlevel__);
#elif defined(__GNUC__)
    return tprint("gcc %.%.%", __GNUC__, __GNUC_MINOR__, __GNUC_PATCHLEVEL__);
#elif defined(_MSC_FULL_VER)
    return tprint("MSVC %", _MSC_FULL_VER);
#else
    return "unknown";
#endif
}

String get_log_filename() {
    Os_Calendar_Time now = os_local_time();
    return tprint("log_created_at_%_%_%_at_time_%_%", now.year, now.month, now.day, now.hour, now.minute);
}

// Binary append: the file keeps what earlier runs wrote and line feeds stay single.
static std::FILE* open_log(String path) { return path.empty() ? nullptr : os_open_file(temp_c_string(path), "ab"); }

static bool write_text(std::FILE* file, String text) {
    return std::fwrite(text.data, 1, size_t(text.count), file) == size_t(text.count);
}

// Appends the banner to `path`. Returns 0, or the system's error code when the file could not
// be opened or written.
static int append_banner(String path, const char* version) {
    errno = 0;
    std::FILE* file = open_log(path);
    if (!file) return errno ? errno : EIO;
    bool written = write_text(file, tprint("Game version %", version ? version : ""));
    written = write_text(file, tprint("built using compiler version %.\n", compiler_name())) && written;
    written = write_text(file, tprint("WE ARE GAME: %", steam_appid_text ? steam_appid_text : "")) && written;
    written = write_text(file, tprint("\nOS: %\nBuild: %\n", operating_system_name(), uint32_t(0))) && written;
    written = write_text(file, tprint("\nGame save directory: %\n", game_dir)) && written;
    written = write_text(file, "\nRunning on Vellmarch Engine version 0.1\n") && written;
    int error = written ? 0 : (errno ? errno : EIO);
    if (std::fclose(file) != 0 && !error) error = errno ? errno : EIO;
    return error;
}

// logs/ in the save folder, made when missing; a failure shows when a file is opened there.
static String save_folder_logs() {
    String folder = tprint("%/logs", game_dir);
    MakeDirectory(temp_c_string(folder));
    return folder;
}

// When logs/ of the working folder cannot take the log (an installed game run by a user who may
// not write its folder), the log goes to logs/ in the save folder, and one line says where.
static void log_into_save_folder(String name, const char* version, int error) {
    String refused = tprint("%/%", GetWorkingDirectory(), log_path);
    free_string(&log_path);
    if (game_dir.empty()) {
        print("No log is written: % cannot be written (%) and there is no save folder\n", refused,
              std::strerror(error));
        return;
    }
    String path = tprint("%/%.txt", save_folder_logs(), name);
    String why;
    // Root run with another user's home: that user's link could lead the log into any of root's files.
    if (Os_Link_Target target = os_follow_links(std::string(path.view())); !target.foreign_link.empty()) {
        why = foreign_link_text(target);
    } else if (int there = append_banner(path, version)) {
        why = std::strerror(there);
    } else {
        log_path = copy_string(path.view());
        print("The log cannot be written to % (%): it goes to %\n", refused, std::strerror(error), log_path);
        return;
    }
    print("No log is written: neither % (%) nor % (%) can be written\n", refused, std::strerror(error), path, why);
}

// Lines held for want of anywhere to write them (a start from Explorer on Windows) go into a file
// in the log's folder; without a log, in the save folder's logs/.
static void release_held_output() {
    std::string_view path = log_path.view();
    size_t slash = path.rfind('/');
    if (slash != std::string_view::npos && os_release_held_output(std::string(path.substr(0, slash)))) return;
    if (!game_dir.empty()) os_release_held_output(std::string(save_folder_logs().view()));
}

void create_logs() {
    String name = get_log_filename();
    log_path = sprint("%/%.txt", "logs", name);

    char* version = LoadFileText("version.txt");
    int error = append_banner(log_path, version);
    // Without anything named logs in the working folder nothing is logged and nothing said:
    // that is how a developer turns logging off.
    if (error && FileExists("logs")) log_into_save_folder(name, version, error);
    if (version) UnloadFileText(version);
    if (os_output_held()) release_held_output();
}

void write_log_msg(Array_View<const String> parts) {
    std::FILE* file = open_log(log_path);
    if (!file) return;
    for (String part : parts) write_text(file, part);
    std::fclose(file);
}
