#include "os.h"

#include <cerrno>

#if defined(_WIN32)

#include <io.h>

#include <filesystem>
#include <system_error>

Os_Opened_File os_open_regular_file(const char* path) {
    std::error_code error;
    auto status = std::filesystem::status(std::filesystem::path(reinterpret_cast<const char8_t*>(path)), error);
    if (!error && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        return {nullptr, 0, std::filesystem::is_directory(status) ? "a folder" : "a special file"};
    }
    std::FILE* file = std::fopen(path, "rb");
    return {file, file ? 0 : errno, nullptr};
}

int os_flush_file_to_disk(std::FILE* file) {
    if (std::fflush(file) != 0) return errno;
    return _commit(_fileno(file)) == 0 ? 0 : errno;
}

// NTFS keeps its folder entries in its journal.
void os_flush_folder_to_disk(const char*) {}

#else

#include <fcntl.h>
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

}  // namespace

Os_Opened_File os_open_regular_file(const char* path) {
    // Checked before the open, so that a device is never opened, and again on what was opened,
    // in case the path changed in between. O_NONBLOCK keeps the open of a FIFO from waiting.
    struct stat info;
    if (stat(path, &info) == 0 && !S_ISREG(info.st_mode)) return {nullptr, 0, kind_of(info.st_mode)};
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return {nullptr, errno, nullptr};
    if (fstat(fd, &info) != 0) {
        int code = errno;
        close(fd);
        return {nullptr, code, nullptr};
    }
    if (!S_ISREG(info.st_mode)) {
        close(fd);
        return {nullptr, 0, kind_of(info.st_mode)};
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = fdopen(fd, "rb");
    if (!file) {
        int code = errno;
        close(fd);
        return {nullptr, code, nullptr};
    }
    return {file, 0, nullptr};
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
