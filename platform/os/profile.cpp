#include "os.h"

#include <cstdlib>

static const char* non_empty_environment(const char* name) {
    const char* value = std::getenv(name);
    return (value && value[0]) ? value : nullptr;
}

std::string os_profile_folder() {
    // USERPROFILE is the Windows name; HOME stands in for it elsewhere.
    if (const char* value = non_empty_environment("USERPROFILE")) return value;
    if (const char* value = non_empty_environment("HOME")) return value;
    return {};
}
