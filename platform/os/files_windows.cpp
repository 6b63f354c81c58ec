// Files on Windows.
#include "os.h"
#include "os_internal.h"

#include <io.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <system_error>

namespace {

// The system's codes for a file held open elsewhere (winerror.h).
constexpr int WINDOWS_ACCESS_DENIED = 5;
constexpr int WINDOWS_SHARING_VIOLATION = 32;

bool held_open_elsewhere(const std::error_code& error) {
    return error.category() == std::system_category() &&
           (error.value() == WINDOWS_ACCESS_DENIED || error.value() == WINDOWS_SHARING_VIOLATION);
}

}  // namespace

Os_Opened_File os_open_regular_file(const char* path) {
    std::error_code error;
    auto status = std::filesystem::status(std::filesystem::path(path), error);
    if (!error && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        return {nullptr, 0, std::filesystem::is_directory(status) ? "a folder" : "a special file", 0};
    }
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return {nullptr, errno, nullptr, 0};
    return {file, 0, nullptr, _filelengthi64(_fileno(file))};
}

Os_Unique_File os_create_unique_file(const std::string& prefix, const std::string& suffix) {
    std::string path;
    for (int attempt = 0; attempt < UNIQUE_NAME_ATTEMPTS; attempt++) {
        path = os_unique_name(prefix, suffix);
        // "x": a new file or none; "N": not inherited. While it is open here, no other process
        // can delete it.
        std::FILE* file = std::fopen(path.c_str(), "wxN");
        if (file) return {file, path, 0};
        if (errno != EEXIST) return {nullptr, path, errno};
    }
    return {nullptr, path, EEXIST};
}

std::error_code os_commit_unique_file(Os_Unique_File* unique, const char* target) {
    // Windows renames no open file, so it is closed first.
    std::fclose(unique->file);
    unique->file = nullptr;
    // Narrow paths in the system's code page, as fopen takes them.
    std::filesystem::path from(unique->path), to(target);
    std::error_code error;
    // A reader or a virus scanner holding the target open refuses the replacement for a moment.
    for (int attempt = 0; attempt < 10; attempt++) {
        std::filesystem::rename(from, to, error);
        if (!held_open_elsewhere(error)) break;
        os_sleep_milliseconds(10);
    }
    if (error) std::remove(unique->path.c_str());
    return error;
}

void os_discard_unique_file(Os_Unique_File* unique) {
    std::fclose(unique->file);
    unique->file = nullptr;
    std::remove(unique->path.c_str());
}

bool os_remove_abandoned_file(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(path, error))) return false;
    // A writer closes its file just before renaming it: one written to in the last minute may
    // be on its way. Any other fails to be removed while a writer still has it open.
    auto written = std::filesystem::last_write_time(path, error);
    if (error || std::filesystem::file_time_type::clock::now() - written < std::chrono::minutes(1)) return false;
    return std::filesystem::remove(path, error);
}

int os_flush_file_to_disk(std::FILE* file) {
    if (std::fflush(file) != 0) return errno;
    return _commit(_fileno(file)) == 0 ? 0 : errno;
}

// NTFS keeps its folder entries in its journal.
void os_flush_folder_to_disk(const char*) {}

// Links and permission bits: neither followed nor kept here yet.
Os_Link_Target os_follow_links(const std::string& path) { return {path, 0, nullptr}; }
void os_take_permissions_of(Os_Unique_File*, const char*) {}
