#include "file_management/dir_manager.h"

#include "os.h"

String game_dir;
String saving_off_reason;

String get_game_dir() {
    std::string profile = os_profile_folder();
    if (profile.empty()) {
        // Without a profile folder the save path would land in the root folder.
        free_string(&saving_off_reason);
        saving_off_reason = copy_string(os_no_profile_folder_reason());
        log_message(saving_off_text(), LOG_FLAG_WARNING);
        return {};
    }
    return sprint("%/Saved Games/%", profile, "quol");
}

bool saving_enabled() { return !game_dir.empty(); }

String saving_off_text() { return tprint("Saving is off: %", saving_off_reason); }

String foreign_link_text(const Os_Link_Target& target) {
    return tprint("the link \"%\" is owned by %, not by the user the game runs as or by root", target.foreign_link,
                  target.foreign_owner);
}
