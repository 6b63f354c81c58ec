// The few operating-system services the game needs, behind plain functions so that the game
// itself never includes a system header. Each concern lives in its own source file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

// The user's profile folder: USERPROFILE when it is set and not empty, otherwise HOME when it is
// set and not empty, otherwise the empty string. The value is returned as the system gives it
// (backslashes on Windows are kept).
std::string os_profile_folder();
// Why os_profile_folder gives none, as "USERPROFILE and HOME are not set" or "USERPROFILE is
// empty and HOME is not set"; empty when it gives one.
std::string os_no_profile_folder_reason();

// The identifier of the running process.
uint32_t os_process_id();

// A monotonic clock reading as a signed count of femtoseconds (10^-15 s) since an arbitrary
// origin that stays fixed for the life of the process. 128 bits keep the count exact for any
// counter frequency; a compiler without __int128 needs a two-word replacement here.
#if defined(__SIZEOF_INT128__)
__extension__ typedef __int128 Os_Femtoseconds;
#else
#error "Os_Femtoseconds needs a 128-bit integer type on this compiler"
#endif
inline constexpr int64_t OS_FEMTOSECONDS_PER_SECOND = 1000000000000000;
Os_Femtoseconds os_monotonic_femtoseconds();

// A wall-clock time broken into calendar fields.
struct Os_Calendar_Time {
    int year;         // e.g. 2026
    int month;        // 1..12
    int day;          // 1..31
    int hour;         // 0..23
    int minute;       // 0..59
    int second;       // 0..60 (leap second)
    int millisecond;  // 0..999
};

// The current wall-clock time in UTC.
Os_Calendar_Time os_utc_time();
// The millisecond field (0..999) of the current wall-clock time in UTC, not a count since 1970.
int os_utc_milliseconds();
// The current wall-clock time converted to the local calendar (time zone and daylight saving).
Os_Calendar_Time os_local_time();

// Sleeping blocks the calling thread for at least the given time; zero or less returns at once.
void os_sleep_milliseconds(int64_t milliseconds);
void os_sleep_seconds(double seconds);

// On Windows, where the game is a GUI program and so gets no console of its own: when standard
// output or standard error is neither a file, a pipe nor a character device (a console, NUL),
// attaches to the console of the program that started the game (a command prompt) and writes
// each such stream there, in UTF-8 until the game exits. Redirected streams stay as they are.
// Without such a console (started from Explorer, a shortcut or Steam) such a stream's lines are
// held until os_release_held_output names the folder of their file. Nothing on other systems.
// Called first thing in main, before anything is written.
void os_attach_parent_console();
// Whether lines are held (see above); always false on other systems.
bool os_output_held();
// Moves an earlier "output.txt" in `folder` (UTF-8) to "output.previous.txt", replacing that,
// writes the held lines into a new "output.txt" and sends the held streams' later lines there.
// False when the file cannot be made: the lines stay held, so another folder can be tried.
// True at once when nothing is held.
bool os_release_held_output(const std::string& folder);

// An error message in a box with an OK button, brought to the front; returns once the player
// closes it. Windows only: elsewhere, or where no box can be seen, it returns at once.
void os_show_error_message(std::string_view title, std::string_view text);

// The process's arguments as it received them, program path first, in UTF-8.
std::vector<std::string> os_command_line();

// Paths and texts of the OS layer are UTF-8 on every system. On Windows the layer converts them
// to the wide form of the system's calls, so that a profile folder such as "C:\Users\Зоя 山田"
// works whatever the code page.
//
// A path from its UTF-8 text (std::filesystem::path from a narrow string would take the code
// page there).
std::filesystem::path os_path(std::string_view utf8);
// std::fopen of a UTF-8 path.
std::FILE* os_open_file(const char* utf8_path, const char* mode);
// The full path of the running program's file in UTF-8, links resolved; empty when the system
// does not say.
std::string os_executable_path();

// Opening a file for reading, but only a regular file: a FIFO would block the open forever and
// a device such as /dev/zero would read without end. Never blocks.
struct Os_Opened_File {
    std::FILE* file;          // binary mode; null on failure
    int error_code;           // the system's error code of a failed open, 0 otherwise
    const char* not_regular;  // what the path is instead ("a FIFO", "a folder", ...), or null
    int64_t size;             // as the file system reports it; files under /proc report 0
};
Os_Opened_File os_open_regular_file(const char* path);

// The file that writing to `path` should replace: `path` itself, or, when it is a symbolic
// link, the file its chain of links finally names, so that the link stays a link. A link that
// another user owns is not followed: a game run as root with that user's home would otherwise
// write, read and clean up whatever root file the link names.
struct Os_Link_Target {
    std::string path;           // `path` itself when it is no link (or does not exist yet)
    int error_code;             // ENOENT when the last link leads nowhere, ELOOP, ...; 0 otherwise
    const char* not_regular;    // what a link leads to instead of a regular file ("a folder", ...)
    std::string foreign_link;   // the first link on the way owned by neither this process's user
                                // nor root (in a folder of `path` too), not followed; empty if none
    std::string foreign_owner;  // its owner: "name (uid N)", or "uid N" when the user has no name
};
Os_Link_Target os_follow_links(const std::string& path);

// A file made to be renamed over another one. Its name is new (created exclusively, never
// through a link) and unique to this writer whatever the process ids, and until it is committed
// or discarded no other process takes it for a leftover (see os_remove_abandoned_file).
struct Os_Unique_File {
    std::FILE* file;    // text mode; null on failure
    std::string path;   // prefix + "<process id>-<random part>" + suffix
    std::error_code error;  // why the creation failed; std::errc::file_exists when every name
                            // tried was taken
};
// `model` is the file it is to replace, or null: so that no one else reads it before it has the
// model's permissions, it starts with the model's owner bits only. Without a model it gets what
// the umask leaves of 0666.
Os_Unique_File os_create_unique_file(const std::string& prefix, const std::string& suffix,
                                     const char* model = nullptr);
// Whether `file_name` is a name os_create_unique_file makes with that prefix and suffix.
bool os_is_unique_name(const std::filesystem::path& file_name, const std::filesystem::path& prefix,
                       const std::filesystem::path& suffix);
// Gives the file the permission bits of `model` and, where the process may set them, its owner
// and group, so that the file renamed over `model` keeps them. When the group cannot be kept,
// the file gives its own group no rights. Nothing when `model` cannot be looked at.
void os_take_permissions_of(Os_Unique_File* unique, const char* model);
// Whether `path` is a regular file its owner may not write: no owner write bit on POSIX, the
// read-only attribute on Windows. Read from the bits, since root may open it all the same.
bool os_is_read_only(const char* path);
// Renames the file over `target`, replacing it, and closes it. On failure the file is removed;
// std::errc::is_a_directory tells a folder in the target's place, and
// std::errc::device_or_resource_busy a target another program held open past the wait.
std::error_code os_commit_unique_file(Os_Unique_File* unique, const char* target);
// Closes the file and removes it.
void os_discard_unique_file(Os_Unique_File* unique);
// Removes `path` when it is a regular file that no writer holds any more: a unique file whose
// process died before committing it, or any file no writer locked. Where a writer's hold cannot
// be seen for sure (a network file system, failing locks), only a file not written to for a
// minute by the file system's own clock, since this machine's may run ahead of a file server's:
// that clock is read from a unique file named from `probe_prefix` and `probe_suffix` (as
// os_create_unique_file names them), written beside `path` and removed at once. Never opens
// anything else and never waits. Returns true when the file was removed.
bool os_remove_abandoned_file(const std::filesystem::path& path, const std::filesystem::path& probe_prefix,
                              const std::filesystem::path& probe_suffix);
#if !defined(_WIN32)
// The lock call of the POSIX files (flock), a value so that tests can play a file system whose
// locks fail.
extern int (*os_posix_flock)(int descriptor, int operation);
// The status call (fstat) through which the clean-up reads files' times, a value so that tests
// can play a file server whose clock differs from this machine's.
struct stat;
extern int (*os_posix_fstat)(int descriptor, struct stat* info);
#endif

// Pushes what was written to `file` down to the disk, so that it survives a power cut.
// Returns 0 or the system's error code.
int os_flush_file_to_disk(std::FILE* file);
// Makes a file created or renamed inside `folder` survive a power cut, as far as the file
// system allows; best effort, since callers have nothing better to do when it fails.
void os_flush_folder_to_disk(const char* folder);
