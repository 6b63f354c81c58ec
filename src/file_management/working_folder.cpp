#include "file_management/working_folder.h"

#include "raylib.h"
#include "runtime.h"

// Two files only the game has: a project folder may well hold an `assets` folder of its own.
static const char* const GAME_FILES = "data/config.dix or assets/fonts/Montserrat-Regular.ttf";

// `folder` is empty for the working folder, else it ends with a separator.
static bool holds_game_files(const char* folder) {
    return FileExists(temp_c_string(tprint("%data/config.dix", folder))) ||
           FileExists(temp_c_string(tprint("%assets/fonts/Montserrat-Regular.ttf", folder)));
}

void choose_working_folder() {
    // Copied: the library hands out the same buffer to the next call.
    const char* working = temp_c_string(tprint("%", GetWorkingDirectory()));
    if (holds_game_files("")) {
        TraceLog(LOG_INFO, "GAME: The working directory holds the game's files (%s): %s", GAME_FILES, working);
        return;
    }
    const char* application = temp_c_string(tprint("%", GetApplicationDirectory()));
    if (holds_game_files(application)) {
        TraceLog(LOG_INFO, "GAME: The working directory holds none of the game's files: using the executable's directory %s",
                 application);
        ChangeDirectory(application);  // the library reports a failure itself
        return;
    }
    TraceLog(LOG_WARNING,
             "GAME: Neither the working directory %s nor the executable's directory %s holds the game's files "
             "(%s): staying in the working directory",
             working, application, GAME_FILES);
}
