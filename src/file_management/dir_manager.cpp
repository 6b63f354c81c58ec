#include "file_management/dir_manager.h"

#include <cstdlib>

String game_dir;

static String environment_value(const char* name) {
    const char* value = std::getenv(name);
    return value ? String(value) : String();
}

// OS layer: Windows names the profile folder USERPROFILE, other systems HOME.
String get_profile_dir() {
    String profile = environment_value("USERPROFILE");
    if (profile.empty()) profile = environment_value("HOME");
    return profile;
}

String get_game_dir() {
    String profile = get_profile_dir();
    if (profile.empty()) {
        // Without a profile folder the save path would land in the root folder.
        log_message("No user profile folder (USERPROFILE or HOME is not set): saving is off.", LOG_FLAG_WARNING);
        return {};
    }
    return sprint("%/Saved Games/%", profile, "quol");
}

bool saving_enabled() { return !game_dir.empty(); }
