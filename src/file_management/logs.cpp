#include "file_management/logs.h"

#include <cstdio>

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
static std::FILE* open_log() { return log_path.empty() ? nullptr : os_open_file(temp_c_string(log_path), "ab"); }

static void write_text(std::FILE* file, String text) { std::fwrite(text.data, 1, size_t(text.count), file); }

void create_logs() {
    log_path = sprint("%/%.txt", "logs", get_log_filename());

    char* version = LoadFileText("version.txt");
    std::FILE* file = open_log();
    if (file) {
        write_text(file, tprint("Game version %", version ? version : ""));
        write_text(file, tprint("built using compiler version %.\n", compiler_name()));
        write_text(file, tprint("WE ARE GAME: %", steam_appid_text ? steam_appid_text : ""));
        write_text(file, tprint("\nOS: %\nBuild: %\n", operating_system_name(), uint32_t(0)));
        write_text(file, tprint("\nGame save directory: %\n", game_dir));
        write_text(file, "\nRunning on Vellmarch Engine version 0.1\n");
        std::fclose(file);
    }
    if (version) UnloadFileText(version);
}

void write_log_msg(Array_View<const String> parts) {
    std::FILE* file = open_log();
    if (!file) return;
    for (String part : parts) write_text(file, part);
    std::fclose(file);
}
