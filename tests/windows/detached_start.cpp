// Starts a program as Explorer, a shortcut or Steam starts one: no console, no standard handles
// handed down. detached_start.exe PROGRAM [ARGUMENTS...] waits for it and returns its exit status.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

int main() {
    // The command line after this program's own name, as it was given.
    const wchar_t* rest = GetCommandLineW();
    bool quoted = false;
    for (; *rest && (quoted || (*rest != L' ' && *rest != L'\t')); ++rest) {
        if (*rest == L'"') quoted = !quoted;
    }
    while (*rest == L' ' || *rest == L'\t') ++rest;
    std::wstring command = rest;
    if (command.empty()) return 2;

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr,
                        &startup, &process)) {
        return 3;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 1;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return int(status);
}
