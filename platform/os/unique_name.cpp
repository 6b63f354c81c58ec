// Names of unique files, shared by every platform.
#include "os.h"
#include "os_internal.h"

#include <cstdio>
#include <random>

// The process id alone is not unique: sandboxes and network homes show several instances the
// same one. The random part is what no other writer picks.
std::string os_unique_name(const std::string& prefix, const std::string& suffix) {
    std::random_device random;
    unsigned long long part = (static_cast<unsigned long long>(random()) << 32) ^ random();
    char text[24];
    std::snprintf(text, sizeof text, "%016llx", part);
    return prefix + std::to_string(os_process_id()) + "-" + text + suffix;
}
