// What tests need from the system on Linux and Windows alike: environment variables, a fresh
// scratch folder and broken-down time.
#pragma once

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>

// Windows' C runtime keeps no empty variables: setting one to "" removes it.
inline void set_environment(const char* name, const char* value) {
#if defined(_WIN32)
    _putenv_s(name, value);
#else
    setenv(name, value, 1);
#endif
}

inline void unset_environment(const char* name) {
#if defined(_WIN32)
    _putenv_s(name, "");
#else
    unsetenv(name);
#endif
}

// Creates a folder of a new name under the system's temporary folder, as mkdtemp does.
inline std::filesystem::path make_temporary_folder(const std::string& prefix) {
    std::random_device random;
    for (;;) {
        std::filesystem::path folder =
            std::filesystem::temp_directory_path() / (prefix + std::to_string(random()) + std::to_string(random()));
        if (std::filesystem::create_directory(folder)) return folder;
    }
}

inline std::tm local_calendar(std::time_t when) {
    std::tm fields{};
#if defined(_WIN32)
    localtime_s(&fields, &when);
#else
    localtime_r(&when, &fields);
#endif
    return fields;
}

inline std::tm utc_calendar(std::time_t when) {
    std::tm fields{};
#if defined(_WIN32)
    gmtime_s(&fields, &when);
#else
    gmtime_r(&when, &fields);
#endif
    return fields;
}
