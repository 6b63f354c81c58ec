// What the OS layer's per-platform files share; the game never includes this header.
#pragma once

#include <string>
#include <string_view>

// prefix + "<process id>-<16 random hex digits>" + suffix.
std::string os_unique_name(const std::string& prefix, const std::string& suffix);

// How many names a unique file tries before it gives up.
inline constexpr int UNIQUE_NAME_ATTEMPTS = 64;

#if defined(_WIN32)
// UTF-8 and the wide form of the system's calls. Invalid UTF-8 converts to U+FFFD.
std::wstring os_wide(std::string_view utf8);
std::string os_utf8(std::wstring_view wide);
// Holds what standard output and/or standard error write until os_release_held_output.
void os_hold_output(bool output, bool error);
#endif
