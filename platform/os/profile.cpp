#include "os.h"

// Both variables give nothing: says of each whether it is unset or empty.
static std::string os_unset_or_empty_text(bool profile_set, bool home_set) {
    if (profile_set == home_set) {
        return std::string("USERPROFILE and HOME are ") + (profile_set ? "empty" : "not set");
    }
    return std::string("USERPROFILE is ") + (profile_set ? "empty" : "not set") + " and HOME is " +
           (home_set ? "empty" : "not set");
}

#if defined(_WIN32)
#include "os_internal.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

static bool environment_is_set(const wchar_t* name) {
    return GetEnvironmentVariableW(name, nullptr, 0) != 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND;
}

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

std::string os_no_profile_folder_reason() {
    if (!os_profile_folder().empty()) return {};
    return os_unset_or_empty_text(environment_is_set(L"USERPROFILE"), environment_is_set(L"HOME"));
}

#else
#include <cstdlib>

static std::string environment_text(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

static bool environment_is_set(const char* name) { return std::getenv(name) != nullptr; }

std::string os_profile_folder() {
    // USERPROFILE is the Windows name; HOME stands in for it elsewhere.
    std::string profile = environment_text("USERPROFILE");
    return profile.empty() ? environment_text("HOME") : profile;
}

std::string os_no_profile_folder_reason() {
    if (!os_profile_folder().empty()) return {};
    return os_unset_or_empty_text(environment_is_set("USERPROFILE"), environment_is_set("HOME"));
}

#endif
