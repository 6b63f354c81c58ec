// The game folder "<profile>/Saved Games/quol", where the save file lives.
#pragma once

#include "runtime.h"

// Empty when the system gives no profile folder: saving is then off.
extern String game_dir;

// The game folder path under the profile folder (USERPROFILE when set and not empty, else
// HOME), or empty when neither gives one; that is then reported once. Creates nothing.
String get_game_dir();
// False while game_dir is empty: nothing may then be read from or written to the root folder.
bool saving_enabled();
