// The game folder "<profile>/Saved Games/quol", where the save file lives.
#pragma once

#include "os.h"
#include "runtime.h"

// Empty when the system gives no profile folder: saving is then off.
extern String game_dir;
// Why get_game_dir gave no folder, as "USERPROFILE and HOME are not set".
extern String saving_off_reason;

// The game folder path under the profile folder (USERPROFILE when set and not empty, else
// HOME), or empty when neither gives one; that is then reported once, with saving_off_text.
// Creates nothing.
String get_game_dir();
// False while game_dir is empty: nothing may then be read from or written to the root folder.
bool saving_enabled();
// "Saving is off: " and the reason, in temporary storage.
String saving_off_text();
// Why a path through another user's link is refused, in temporary storage.
String foreign_link_text(const Os_Link_Target& target);
