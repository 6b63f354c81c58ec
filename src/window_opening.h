// Opening the game's window, and telling the player why it did not open.
#pragma once

#include <string>
#include <vector>

// From here to end_window_watch the library's warnings are kept as well as printed: they are
// the only place either library says why a window did not open.
void begin_window_watch();
void end_window_watch();

// One line for the player from the warnings kept: no display, no video driver that starts, or no
// OpenGL 3.3 (with what the driver offers where the library says it), or the library's own words.
std::string window_failure_text(const std::vector<std::string>& warnings);

// Says why on standard error and, where no console may show it, in a message box; then ends the
// process with status 1. Nothing has been saved or started that would need stopping.
[[noreturn]] void exit_without_window();
