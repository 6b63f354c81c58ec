// Files on Windows: every path is UTF-8 and reaches the system in its wide form.
#include "os.h"
#include "os_internal.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

namespace {

// A reader, a sync client or a virus scanner holding the save open refuses its replacement for
// a while: up to three seconds are waited out.
constexpr int REPLACE_ATTEMPTS = 300;
constexpr int REPLACE_RETRY_MILLISECONDS = 10;

HANDLE handle_of(std::FILE* file) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))); }

std::error_code system_error(DWORD code) { return std::error_code(int(code), std::system_category()); }

// Access is also denied for good to a read-only save or a folder: no wait helps those.
bool held_open_elsewhere(DWORD code, const std::wstring& target) {
    if (code == ERROR_SHARING_VIOLATION) return true;
    if (code != ERROR_ACCESS_DENIED) return false;
    DWORD attributes = GetFileAttributesW(target.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
}

// A folder in the target's place and a target still held open are told apart from the rest,
// which Windows all calls "access denied".
std::error_code commit_error(DWORD code, const std::wstring& target) {
    if (code == 0) return {};
    DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    if (held_open_elsewhere(code, target)) return std::make_error_code(std::errc::device_or_resource_busy);
    return system_error(code);
}

// Renames the open file over `target` through its own handle, so that it is never closed
// before it has its final name. Returns 0 or the system's error code.
DWORD rename_open_file(HANDLE handle, const std::wstring& target) {
    size_t name_bytes = target.size() * sizeof(wchar_t);
    size_t size = offsetof(FILE_RENAME_INFO, FileName) + name_bytes + sizeof(wchar_t);
    auto storage = std::make_unique<std::byte[]>(size);
    auto* info = new (storage.get()) FILE_RENAME_INFO{};
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = DWORD(name_bytes);
    std::memcpy(info->FileName, target.c_str(), name_bytes + sizeof(wchar_t));
    return SetFileInformationByHandle(handle, FileRenameInfo, info, DWORD(size)) ? 0 : GetLastError();
}

// Marks the open file for deletion; it goes when its last handle closes.
void delete_on_close(HANDLE handle) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition);
}

// The full path, as a rename by handle wants it.
std::wstring full_path(const std::wstring& path) {
    DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::wstring full(size, L'\0');
    DWORD written = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (written == 0 || written >= size) return path;
    full.resize(written);
    return full;
}

}  // namespace

std::FILE* os_open_file(const char* utf8_path, const char* mode) {
    return _wfopen(os_wide(utf8_path).c_str(), os_wide(mode).c_str());
}

Os_Opened_File os_open_regular_file(const char* path) {
    std::error_code error;
    auto status = std::filesystem::status(os_path(path), error);
    if (!error && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        return {nullptr, 0, std::filesystem::is_directory(status) ? "a folder" : "a special file", 0};
    }
    std::FILE* file = os_open_file(path, "rb");
    if (!file) return {nullptr, errno, nullptr, 0};
    return {file, 0, nullptr, _filelengthi64(_fileno(file))};
}

// The file takes the folder's inherited access rights: no model's bits to start from here.
Os_Unique_File os_create_unique_file(const std::string& prefix, const std::string& suffix, const char*) {
    std::string path;
    for (int attempt = 0; attempt < UNIQUE_NAME_ATTEMPTS; attempt++) {
        path = os_unique_name(prefix, suffix);
        // CREATE_NEW: a new file or none, under every C runtime (msvcrt ignores fopen's "x").
        // Shared for reading only: while this handle is open no one deletes the file, so the
        // start-up clean-up of another instance leaves it alone. DELETE lets it be renamed.
        HANDLE handle = CreateFileW(os_wide(path).c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            DWORD code = GetLastError();
            if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS) continue;
            return {nullptr, path, system_error(code)};
        }
        // Text mode, so that each line feed is written as CR LF.
        int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_TEXT);
        std::FILE* file = fd < 0 ? nullptr : _fdopen(fd, "wt");
        if (!file) {
            delete_on_close(handle);
            if (fd < 0) CloseHandle(handle);
            else _close(fd);
            return {nullptr, path, system_error(ERROR_TOO_MANY_OPEN_FILES)};
        }
        return {file, path, {}};
    }
    return {nullptr, path, std::make_error_code(std::errc::file_exists)};
}

std::error_code os_commit_unique_file(Os_Unique_File* unique, const char* target) {
    std::fflush(unique->file);
    HANDLE handle = handle_of(unique->file);
    std::wstring destination = full_path(os_wide(target));
    DWORD code = 0;
    for (int attempt = 0; attempt < REPLACE_ATTEMPTS; attempt++) {
        code = rename_open_file(handle, destination);
        if (!held_open_elsewhere(code, destination)) break;
        os_sleep_milliseconds(REPLACE_RETRY_MILLISECONDS);
    }
    if (code != 0) delete_on_close(handle);
    else FlushFileBuffers(handle);  // the new name, too, survives a power cut
    std::fclose(unique->file);
    unique->file = nullptr;
    return commit_error(code, destination);
}

bool os_is_read_only(const char* path) {
    DWORD attributes = GetFileAttributesW(os_wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
           !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void os_discard_unique_file(Os_Unique_File* unique) {
    delete_on_close(handle_of(unique->file));
    std::fclose(unique->file);
    unique->file = nullptr;
}

bool os_remove_abandoned_file(const std::filesystem::path& path, const std::filesystem::path&,
                              const std::filesystem::path&) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(path, error))) return false;
    // A live writer's handle does not share deletion, so its file refuses to go: exact, with
    // no guess about timing.
    return DeleteFileW(path.c_str()) != 0;
}

int os_flush_file_to_disk(std::FILE* file) {
    if (std::fflush(file) != 0) return errno;
    return _commit(_fileno(file)) == 0 ? 0 : errno;
}

// NTFS keeps its folder entries in its journal.
void os_flush_folder_to_disk(const char*) {}

// Links and permission bits: neither followed nor kept here yet.
Os_Link_Target os_follow_links(const std::string& path) { return {path, 0, nullptr, {}, {}}; }
void os_take_permissions_of(Os_Unique_File*, const char*) {}

std::string os_executable_path() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length == 0) return {};
        if (length < path.size()) return os_utf8(std::wstring_view(path.data(), length));
        path.resize(path.size() * 2);  // cut short: a long path
    }
}
