#include "os.h"

#include <cerrno>
#include <random>

namespace {

// The process id alone is not unique: sandboxes and network homes show several instances the
// same one. The random part is what no other writer picks.
std::string unique_name(const std::string& prefix, const std::string& suffix) {
    std::random_device random;
    unsigned long long part = (static_cast<unsigned long long>(random()) << 32) ^ random();
    char text[24];
    std::snprintf(text, sizeof text, "%016llx", part);
    return prefix + std::to_string(os_process_id()) + "-" + text + suffix;
}

constexpr int UNIQUE_NAME_ATTEMPTS = 64;

}  // namespace

#if defined(_WIN32)

#include <io.h>

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
        path = unique_name(prefix, suffix);
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

#else

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* kind_of(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    return "a special file";
}

bool same_file(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Whether `path` still names the open file `fd`.
bool still_named(int fd, const char* path) {
    struct stat opened, named;
    return fstat(fd, &opened) == 0 && stat(path, &named) == 0 && same_file(opened, named);
}

}  // namespace

Os_Opened_File os_open_regular_file(const char* path) {
    // Checked before the open, so that a device is never opened, and again on what was opened,
    // in case the path changed in between. O_NONBLOCK keeps the open of a FIFO from waiting.
    struct stat info;
    if (stat(path, &info) == 0 && !S_ISREG(info.st_mode)) return {nullptr, 0, kind_of(info.st_mode), 0};
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return {nullptr, errno, nullptr, 0};
    if (fstat(fd, &info) != 0) {
        int code = errno;
        close(fd);
        return {nullptr, code, nullptr, 0};
    }
    if (!S_ISREG(info.st_mode)) {
        close(fd);
        return {nullptr, 0, kind_of(info.st_mode), 0};
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = fdopen(fd, "rb");
    if (!file) {
        int code = errno;
        close(fd);
        return {nullptr, code, nullptr, 0};
    }
    return {file, 0, nullptr, int64_t(info.st_size)};
}

Os_Unique_File os_create_unique_file(const std::string& prefix, const std::string& suffix) {
    std::string path;
    for (int attempt = 0; attempt < UNIQUE_NAME_ATTEMPTS; attempt++) {
        path = unique_name(prefix, suffix);
        // O_EXCL: a new file or none, and never one reached through a link at that name.
        int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return {nullptr, path, errno};
        }
        // The lock marks the file as written to until the commit or discard. Only a clean-up
        // can hold it already, or have removed the file in the instant after its creation: then
        // take another name. Where the file system has no locks, no clean-up takes it either.
        bool taken = flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
        if (taken || !still_named(fd, path.c_str())) {
            close(fd);
            continue;
        }
        std::FILE* file = fdopen(fd, "w");
        if (!file) {
            int code = errno;
            unlink(path.c_str());
            close(fd);
            return {nullptr, path, code};
        }
        return {file, path, 0};
    }
    return {nullptr, path, EEXIST};
}

std::error_code os_commit_unique_file(Os_Unique_File* unique, const char* target) {
    // Renamed while still open and locked, so that no clean-up takes it in between.
    std::error_code error;
    if (rename(unique->path.c_str(), target) != 0) {
        error.assign(errno, std::generic_category());
        unlink(unique->path.c_str());
    }
    std::fclose(unique->file);
    unique->file = nullptr;
    return error;
}

void os_discard_unique_file(Os_Unique_File* unique) {
    unlink(unique->path.c_str());
    std::fclose(unique->file);
    unique->file = nullptr;
}

bool os_remove_abandoned_file(const std::filesystem::path& file) {
    const char* path = file.c_str();
    struct stat named;
    if (lstat(path, &named) != 0 || !S_ISREG(named.st_mode)) return false;
    // O_NONBLOCK: should the name have become a FIFO since the look, the open still returns.
    // Opened for writing, since NFS grants an exclusive lock on no other kind of open.
    int fd = open(path, O_RDWR | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat opened;
    bool abandoned = fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && same_file(opened, named) &&
                     flock(fd, LOCK_EX | LOCK_NB) == 0 && still_named(fd, path);
    bool removed = abandoned && unlink(path) == 0;
    close(fd);  // only now, so that no writer gets the lock of a file about to go
    return removed;
}

int os_flush_file_to_disk(std::FILE* file) {
    if (std::fflush(file) != 0) return errno;
    return fsync(fileno(file)) == 0 ? 0 : errno;
}

void os_flush_folder_to_disk(const char* folder) {
    int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

#endif
