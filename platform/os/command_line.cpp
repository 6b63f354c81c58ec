#include <cstdio>

#include "os.h"

#if defined(_WIN32)
#include <cstdlib>  // __argc, __argv

std::vector<std::string> os_command_line() { return std::vector<std::string>(__argv, __argv + __argc); }

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
