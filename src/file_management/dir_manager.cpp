#include "file_management/dir_manager.h"

#include "os.h"

String game_dir;

String get_game_dir() {
    std::string profile = os_profile_folder();
    if (profile.empty()) {
        // Without a profile folder the save path would land in the root folder.
        log_message("No user profile folder (USERPROFILE or HOME is not set): saving is off.", LOG_FLAG_WARNING);
        return {};
    }
    return sprint("%/Saved Games/%", profile, "quol");
}

bool saving_enabled() { return !game_dir.empty(); }
