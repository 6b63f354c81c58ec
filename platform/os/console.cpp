#include "os.h"
#include "os_internal.h"

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

UINT console_code_page = 0;

// A redirect, a pipe or a console the process was handed: left as it is.
bool stream_goes_somewhere(DWORD which) {
    DWORD type = GetFileType(GetStdHandle(which));
    return type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE || type == FILE_TYPE_CHAR;
}

// The console is the prompt's: it gets its own code page back.
void restore_console_code_page() { SetConsoleOutputCP(console_code_page); }

}  // namespace

void os_attach_parent_console() {
    bool output = stream_goes_somewhere(STD_OUTPUT_HANDLE);
    bool error = stream_goes_somewhere(STD_ERROR_HANDLE);
    if (output && error) return;
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) {
        // Started from Explorer, a shortcut or Steam: the lines wait for a file beside the log.
        os_hold_output(!output, !error);
        return;
    }
    // Wine's C runtime cannot reopen a stream that has no descriptor, but Wine hands a GUI
    // program its parent's console handles anyway, so this is for Windows.
    if (!output) std::freopen("CONOUT$", "w", stdout);
    if (!error) std::freopen("CONOUT$", "w", stderr);
    // The streams write bytes, which the console reads in its output code page; the game's
    // texts (paths among them) are UTF-8.
    console_code_page = GetConsoleOutputCP();
    if (console_code_page != CP_UTF8 && SetConsoleOutputCP(CP_UTF8)) std::atexit(restore_console_code_page);
}

#else

void os_attach_parent_console() {}

#endif
