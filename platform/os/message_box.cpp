#include "os.h"

#if defined(_WIN32)
#include "os_internal.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

void os_show_error_message(std::string_view title, std::string_view text) {
    // On a window station without visible surfaces (a service's) the box would wait for ever
    // out of sight.
    USEROBJECTFLAGS station = {};
    if (GetUserObjectInformationW(GetProcessWindowStation(), UOI_FLAGS, &station, sizeof station, nullptr) &&
        !(station.dwFlags & WSF_VISIBLE)) {
        return;
    }
    // Topmost, so that it is not hidden behind the game's window when the system refuses it
    // the foreground.
    MessageBoxW(nullptr, os_wide(text).c_str(), os_wide(title).c_str(),
                MB_OK | MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST);
}

#else

void os_show_error_message(std::string_view, std::string_view) {}

#endif
