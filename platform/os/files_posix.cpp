// Files on POSIX systems.
#include "os.h"
#include "os_internal.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__linux__)
#include <linux/magic.h>
#include <sys/vfs.h>
#endif

#include <cerrno>
#include <vector>

int (*os_posix_flock)(int descriptor, int operation) = flock;
int (*os_posix_fstat)(int descriptor, struct stat* info) = fstat;

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

// A user's name and number, as a message shows the owner of a file.
std::string user_text(uid_t user) {
    std::string number = "uid " + std::to_string(user);
    passwd entry, *found = nullptr;
    std::vector<char> buffer(16384);
    if (getpwuid_r(user, &entry, buffer.data(), buffer.size(), &found) != 0 || !found) return number;
    return std::string(found->pw_name) + " (" + number + ")";
}

// A link that this process's user or root made; any other user could have aimed it anywhere.
bool owned_by_us_or_root(const struct stat& link) { return link.st_uid == geteuid() || link.st_uid == 0; }

// Linux's own limit on the links followed in one path.
constexpr int MOST_LINKS_FOLLOWED = 40;

// File systems whose locks may not reach the writers: other machines sharing a network home
// (or mounted with local locks) take and hold theirs unseen. FUSE: sshfs, rclone and the like.
#if defined(__linux__)
bool locks_may_be_unseen(int fd) {
    struct statfs info;
    if (fstatfs(fd, &info) != 0) return true;
    switch (uint32_t(info.f_type)) {
        case NFS_SUPER_MAGIC:
        case SMB_SUPER_MAGIC:
        case CIFS_SUPER_MAGIC:
        case SMB2_SUPER_MAGIC:
        case V9FS_MAGIC:
        case AFS_SUPER_MAGIC:
        case AFS_FS_MAGIC:
        case CODA_SUPER_MAGIC:
        case CEPH_SUPER_MAGIC:
        case FUSE_SUPER_MAGIC:
            return true;
        default:
            return false;
    }
}
#else
// Elsewhere no file system type is known to be a network one here: the lock is trusted.
bool locks_may_be_unseen(int) { return false; }
#endif

// The unique name of the file a clean-up writes to read the file system's clock.
struct Clock_Probe {
    std::string prefix;  // its folder included
    std::string suffix;
};

// The file system's clock: the time it gives a file written there now. False when no file can
// be written there, where nothing could be removed either.
bool read_file_system_clock(const Clock_Probe& probe, time_t* now) {
    for (int attempt = 0; attempt < UNIQUE_NAME_ATTEMPTS; attempt++) {
        std::string path = os_unique_name(probe.prefix, probe.suffix);
        int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return false;
        }
        os_posix_flock(fd, LOCK_EX | LOCK_NB);  // a writer's mark, for other clean-ups meanwhile
        struct stat info;
        // Written to, so that a file server stamps the time itself.
        bool read = write(fd, "", 1) == 1 && os_posix_fstat(fd, &info) == 0;
        unlink(path.c_str());
        close(fd);
        if (read) *now = info.st_mtime;
        return read;
    }
    return false;
}

// A writer fills its file right after creating it and renames it within moments. Its file's
// time is the file system's, and so must the clock be that it is compared with.
bool idle_for_a_minute(const struct stat& info, const Clock_Probe& probe) {
    time_t now;
    return read_file_system_clock(probe, &now) && now - info.st_mtime >= 60;
}

// Whether no writer holds the open file `fd` any more. A writer holds its lock until the
// commit; where the lock proves nothing, only a long silence does.
bool writer_gone(int fd, const struct stat& opened, const Clock_Probe& probe) {
    if (os_posix_flock(fd, LOCK_EX | LOCK_NB) == 0) return !locks_may_be_unseen(fd) || idle_for_a_minute(opened, probe);
    return errno != EWOULDBLOCK && idle_for_a_minute(opened, probe);
}

}  // namespace

std::FILE* os_open_file(const char* utf8_path, const char* mode) { return std::fopen(utf8_path, mode); }

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

namespace {

struct Foreign_Link {
    std::string path;  // empty when every link on the way may be followed
    uid_t owner;
};

// The first link another user owns on the way to `path`: in its folders, in its last name, or
// in what a link leads to. The kernel follows every one of them, so each must be trusted. Walks
// the names one at a time as the kernel resolves them, up to where nothing is yet.
Foreign_Link first_foreign_link(const std::string& path) {
    namespace fs = std::filesystem;
    std::vector<fs::path> names;  // still to walk, the next one last
    auto walk_next = [&names](const fs::path& relative) {
        std::vector<fs::path> parts(relative.begin(), relative.end());
        names.insert(names.end(), parts.rbegin(), parts.rend());
    };
    fs::path walked = "/";  // resolved so far: no link in it
    walk_next(fs::absolute(path).relative_path());
    for (int links = 0; !names.empty();) {
        fs::path name = std::move(names.back());
        names.pop_back();
        if (name.empty() || name == ".") continue;
        if (name == "..") {
            walked = walked.parent_path();
            continue;
        }
        fs::path next = walked / name;
        struct stat info;
        if (lstat(next.c_str(), &info) != 0) break;
        if (!S_ISLNK(info.st_mode)) {
            walked = next;
            continue;
        }
        if (!owned_by_us_or_root(info)) return {next.string(), info.st_uid};
        std::error_code error;
        fs::path target = fs::read_symlink(next, error);
        if (error || ++links > MOST_LINKS_FOLLOWED) break;  // os_follow_links tells what went wrong
        if (target.is_absolute()) walked = "/";
        walk_next(target.relative_path());
    }
    return {};
}

}  // namespace

Os_Link_Target os_follow_links(const std::string& path) {
    if (Foreign_Link foreign = first_foreign_link(path); !foreign.path.empty()) {
        return {path, 0, nullptr, foreign.path, user_text(foreign.owner)};
    }
    std::filesystem::path named(path);
    for (int links = 0; links <= MOST_LINKS_FOLLOWED; links++) {
        struct stat info;
        // Nothing at the path itself is a first save; nothing at the end of a link is a fault.
        if (lstat(named.c_str(), &info) != 0) return {named.string(), links == 0 ? 0 : errno, nullptr, {}, {}};
        if (!S_ISLNK(info.st_mode)) {
            bool refused = links > 0 && !S_ISREG(info.st_mode);
            return {named.string(), 0, refused ? kind_of(info.st_mode) : nullptr, {}, {}};
        }
        std::error_code error;
        std::filesystem::path target = std::filesystem::read_symlink(named, error);
        if (error) return {named.string(), error.value(), nullptr, {}, {}};
        named = named.parent_path() / target;  // an absolute target replaces the whole path
    }
    return {named.string(), ELOOP, nullptr, {}, {}};
}

Os_Unique_File os_create_unique_file(const std::string& prefix, const std::string& suffix, const char* model) {
    // Owner bits only until os_take_permissions_of: the file's group is not yet the model's.
    struct stat info;
    mode_t bits = model && stat(model, &info) == 0 && S_ISREG(info.st_mode) ? info.st_mode & S_IRWXU : 0666;
    std::string path;
    for (int attempt = 0; attempt < UNIQUE_NAME_ATTEMPTS; attempt++) {
        path = os_unique_name(prefix, suffix);
        // O_EXCL: a new file or none, and never one reached through a link at that name.
        int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, bits);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return {nullptr, path, std::error_code(errno, std::generic_category())};
        }
        // The lock marks the file as written to until the commit or discard. Only a clean-up
        // can hold it already, or have removed the file in the instant after its creation: then
        // take another name. Where locks fail, a clean-up leaves it alone for a minute.
        bool taken = os_posix_flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
        if (taken || !still_named(fd, path.c_str())) {
            close(fd);
            continue;
        }
        std::FILE* file = fdopen(fd, "w");
        if (!file) {
            int code = errno;
            unlink(path.c_str());
            close(fd);
            return {nullptr, path, std::error_code(code, std::generic_category())};
        }
        return {file, path, {}};
    }
    return {nullptr, path, std::make_error_code(std::errc::file_exists)};
}

void os_take_permissions_of(Os_Unique_File* unique, const char* model) {
    struct stat info;
    if (stat(model, &info) != 0) return;
    int fd = fileno(unique->file);
    // Only root may give it another owner; a member of the model's group may give it the group.
    if (fchown(fd, info.st_uid, info.st_gid) != 0 && fchown(fd, uid_t(-1), info.st_gid) != 0) {
        // Neither: the file stays this process's own, in its group.
    }
    // The group's rights are the model's group's, not those of whatever group the file got.
    mode_t bits = info.st_mode & 0777;
    struct stat now;
    if (fstat(fd, &now) != 0 || now.st_gid != info.st_gid) bits &= ~mode_t(S_IRWXG);
    fchmod(fd, bits);  // exactly, whatever the umask took at the creation
}

bool os_is_read_only(const char* path) {
    struct stat info;
    return stat(path, &info) == 0 && S_ISREG(info.st_mode) && !(info.st_mode & S_IWUSR);
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

bool os_remove_abandoned_file(const std::filesystem::path& file, const std::filesystem::path& probe_prefix,
                              const std::filesystem::path& probe_suffix) {
    const char* path = file.c_str();
    struct stat named;
    if (lstat(path, &named) != 0 || !S_ISREG(named.st_mode)) return false;
    // O_NONBLOCK: should the name have become a FIFO since the look, the open still returns.
    // Opened for writing, since NFS grants an exclusive lock on no other kind of open.
    int fd = open(path, O_RDWR | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat opened;
    bool abandoned = os_posix_fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && same_file(opened, named) &&
                     writer_gone(fd, opened, {(file.parent_path() / probe_prefix).string(), probe_suffix.string()}) &&
                     still_named(fd, path);
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

std::string os_executable_path() {
    std::error_code error;
    std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}
