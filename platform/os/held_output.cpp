// A game started with nowhere to write its lines (from Explorer, a shortcut or Steam): they go
// into a file beside the log, so that a player has something to send.
#include "os.h"
#include "os_internal.h"

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

namespace {

bool output_held = false;
bool error_held = false;
// The temporary file the lines wait in until the log's folder is known; -1 when none could be made.
int hold_descriptor = -1;

// Points `stream`, whose descriptor is `number` by rights, at `descriptor`.
bool point_stream_at(std::FILE* stream, int number, DWORD which, int descriptor) {
    std::fflush(stream);
    if (_fileno(stream) < 0) {
        // A GUI program started without standard handles gets streams without a descriptor.
#if defined(_UCRT)
        if (!std::freopen("NUL", "wb", stream)) return false;
        number = _fileno(stream);
#else
        // msvcrt (Wine's too) refuses to reopen such a stream, but takes the descriptor as given.
        stream->_file = number;
#endif
    } else {
        number = _fileno(stream);
    }
    if (_dup2(descriptor, number) != 0) return false;
    SetStdHandle(which, reinterpret_cast<HANDLE>(_get_osfhandle(number)));
    // Unbuffered, so that the two streams' lines stay in order and a crash loses none.
    std::setvbuf(stream, nullptr, _IONBF, 0);
    return true;
}

// Moved above the standard descriptors, which the streams take over: a process started without
// them may hand out 0 to 2 to the next file it opens.
int above_standard(int descriptor) {
    int low[3];
    int count = 0;
    while (descriptor >= 0 && descriptor <= 2 && count < 3) {
        low[count++] = descriptor;
        descriptor = _dup(descriptor);
    }
    for (int i = 0; i < count; ++i) _close(low[i]);
    return descriptor;
}

void point_held_streams_at(int descriptor) {
    if (output_held) point_stream_at(stdout, 1, STD_OUTPUT_HANDLE, descriptor);
    if (error_held) point_stream_at(stderr, 2, STD_ERROR_HANDLE, descriptor);
}

int open_hold_file() {
    wchar_t folder[MAX_PATH + 1];
    DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH) return -1;
    for (int attempt = 0; attempt < UNIQUE_NAME_ATTEMPTS; ++attempt) {
        std::wstring path = folder + os_wide(os_unique_name("quol-output-", ".txt"));
        // Gone with the process, whatever way it ends.
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS) continue;
            return -1;
        }
        int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_TEXT);
        if (descriptor < 0) CloseHandle(file);
        return above_standard(descriptor);
    }
    return -1;
}

// What the held streams wrote so far, appended to `file`.
bool copy_held_lines(HANDLE file) {
    if (hold_descriptor < 0) return true;
    HANDLE hold = reinterpret_cast<HANDLE>(_get_osfhandle(hold_descriptor));
    if (SetFilePointer(hold, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return false;
    char buffer[16384];
    DWORD got = 0;
    while (ReadFile(hold, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        DWORD put = 0;
        if (!WriteFile(file, buffer, got, &put, nullptr) || put != got) return false;
    }
    return true;
}

}  // namespace

void os_hold_output(bool output, bool error) {
    output_held = output;
    error_held = error;
    hold_descriptor = open_hold_file();
    if (hold_descriptor >= 0) point_held_streams_at(hold_descriptor);
}

bool os_output_held() { return output_held || error_held; }

bool os_release_held_output(const std::string& folder) {
    if (!os_output_held()) return true;
    std::fflush(stdout);
    std::fflush(stderr);
    std::filesystem::path current = os_path(folder) / L"output.txt";
    std::filesystem::path previous = os_path(folder) / L"output.previous.txt";
    MoveFileExW(current.c_str(), previous.c_str(), MOVEFILE_REPLACE_EXISTING);  // fails when there is none
    // Shared for deletion too, so that the next start can move it aside while this one runs.
    HANDLE file = CreateFileW(current.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    if (!copy_held_lines(file)) {
        CloseHandle(file);
        DeleteFileW(current.c_str());
        return false;
    }
    int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_TEXT);
    if (descriptor < 0) CloseHandle(file);
    descriptor = above_standard(descriptor);
    if (descriptor < 0) return false;
    point_held_streams_at(descriptor);
    _close(descriptor);  // the streams keep their own copies
    if (hold_descriptor >= 0) _close(hold_descriptor);
    hold_descriptor = -1;
    output_held = error_held = false;
    return true;
}

#else

bool os_output_held() { return false; }

bool os_release_held_output(const std::string&) { return true; }

#endif
