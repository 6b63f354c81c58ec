#include <cstdio>

#include "os.h"

#if defined(_WIN32)
#include "os_internal.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <shellapi.h>

// Taken wide: __argv holds only what the code page can say.
std::vector<std::string> os_command_line() {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 0; wide && i < count; i++) arguments.push_back(os_utf8(wide[i]));
    LocalFree(wide);
    return arguments;
}

#else

// Linux keeps them NUL-separated in /proc/self/cmdline.
std::vector<std::string> os_command_line() {
    std::string all;
    if (std::FILE* file = std::fopen("/proc/self/cmdline", "rb")) {
        char chunk[4096];
        size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) all.append(chunk, n);
        std::fclose(file);
    }
    std::vector<std::string> arguments;
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find('\0', start);
        if (end == std::string::npos) end = all.size();
        arguments.emplace_back(all, start, end - start);
        start = end + 1;
    }
    return arguments;
}

#endif
