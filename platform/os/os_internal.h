// What the OS layer's per-platform files share; the game never includes this header.
#pragma once

#include <string>

// prefix + "<process id>-<16 random hex digits>" + suffix.
std::string os_unique_name(const std::string& prefix, const std::string& suffix);

// How many names a unique file tries before it gives up.
inline constexpr int UNIQUE_NAME_ATTEMPTS = 64;
