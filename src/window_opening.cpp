#include "window_opening.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "os.h"
#include "print.h"
#include "raylib.h"

static std::vector<std::string> window_warnings;

// The library's prefixes, by level from LOG_TRACE to LOG_FATAL.
static const char* level_prefix(int level) {
    static const char* const PREFIXES[] = {"TRACE: ", "DEBUG: ", "INFO: ", "WARNING: ", "ERROR: ", "FATAL: "};
    return level >= LOG_TRACE && level <= LOG_FATAL ? PREFIXES[level - LOG_TRACE] : "";
}

// Prints each line as the library would, and keeps the warnings.
static void keep_warnings(int level, const char* text, va_list args) {
    char line[1024];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::vsnprintf(line, sizeof line, text, args);
#pragma GCC diagnostic pop
    std::printf("%s%s\n", level_prefix(level), line);
    std::fflush(stdout);
    if (level >= LOG_WARNING) window_warnings.emplace_back(line);
}

void begin_window_watch() {
    window_warnings.clear();
    SetTraceLogCallback(keep_warnings);
}

void end_window_watch() { SetTraceLogCallback(nullptr); }

// "GLFW: Error: 65550 Description: X11: Failed to open display :99" says it after "Description: ".
static std::string_view description(std::string_view warning) {
    constexpr std::string_view MARK = "Description: ";
    size_t at = warning.find(MARK);
    return at == std::string_view::npos ? warning : warning.substr(at + MARK.size());
}

static const std::string* first_saying(const std::vector<std::string>& warnings,
                                        std::initializer_list<std::string_view> phrases) {
    for (const std::string& warning : warnings)
        for (std::string_view phrase : phrases)
            if (warning.find(phrase) != std::string::npos) return &warning;
    return nullptr;
}

std::string window_failure_text(const std::vector<std::string>& warnings) {
    std::string text = "quol could not open its window";
    if (const std::string* display =
            first_saying(warnings, {"Failed to open display", "DISPLAY environment variable is missing"}))
        return text + ": no display could be opened (" + std::string(description(*display)) + ")";
    // Our layer's words when the video driver the environment asks for does not start.
    constexpr std::string_view NO_DRIVER = "no video driver could be started";
    if (const std::string* driver = first_saying(warnings, {NO_DRIVER}))
        return text + ": " + driver->substr(driver->find(NO_DRIVER));
    // Our layer names the version the driver offers; GLX and WGL only say the context failed.
    constexpr std::string_view OFFER = "the driver offers OpenGL";
    if (const std::string* offer = first_saying(warnings, {OFFER}))
        return text + ": OpenGL 3.3 is not available; " + offer->substr(offer->find(OFFER));
    if (const std::string* gl = first_saying(warnings, {"context", "OpenGL", "GLX", "WGL"}))
        return text + ": OpenGL 3.3 is not available (" + std::string(description(*gl)) + ")";
    if (const std::string* error = first_saying(warnings, {"Description: "}))
        return text + " (" + std::string(description(*error)) + ")";
    return text;
}

void exit_without_window() {
    std::string text = window_failure_text(window_warnings);
    log_error("%", text);
    os_show_error_message("quol", text);
    std::exit(1);
}
