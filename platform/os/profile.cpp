#include "os.h"

#if defined(_WIN32)
#include "os_internal.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

// Read wide: the narrow environment holds only what the code page can say.
static std::string environment_text(const wchar_t* name) {
    DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) return {};
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), size));
    return os_utf8(value);
}

std::string os_profile_folder() {
    std::string profile = environment_text(L"USERPROFILE");
    return profile.empty() ? environment_text(L"HOME") : profile;
}

#else
#include <cstdlib>

static std::string environment_text(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string os_profile_folder() {
    // USERPROFILE is the Windows name; HOME stands in for it elsewhere.
    std::string profile = environment_text("USERPROFILE");
    return profile.empty() ? environment_text("HOME") : profile;
}

#endif
