#include "commandline.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern bool skip_splash;
extern bool debug_mode;

// The process's arguments as the runtime received them, program path first. OS layer: the C
// runtime on Windows keeps them in __argc/__argv; on Linux they are NUL-separated in
// /proc/self/cmdline.
static std::vector<std::string> process_arguments() {
#if defined(_WIN32)
    return std::vector<std::string>(__argv, __argv + __argc);
#else
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
#endif
}

void apply_cli_arguments(Array_View<const String> arguments) {
    for (String argument : arguments) {
        if (argument == "--skip-splash-screen" || argument == "/SKIP:splash") skip_splash = true;
        if (argument == "--debug" || argument == "/DEBUG:true") debug_mode = true;
    }
}

void cli_arguments() {
    std::vector<std::string> texts = process_arguments();
    std::vector<String> arguments(texts.begin(), texts.end());
    apply_cli_arguments({int64_t(arguments.size()), arguments.data()});
}
