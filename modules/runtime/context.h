// The per-thread context: current allocator, temporary storage and logger.
#pragma once

#include <cstddef>
#include <memory>
#include <memory_resource>
#include <string>
#include <string_view>

// Prefixed LOG_FLAG_: raylib.h declares LOG_NONE, LOG_WARNING and LOG_ERROR in the same scope.
enum Log_Flags : uint32_t {
    LOG_FLAG_NONE = 0,
    LOG_FLAG_ERROR = 1,
    LOG_FLAG_WARNING = 2,
    LOG_FLAG_VERBOSE_ONLY = 4,
};

using Logger = void (*)(std::string_view message, Log_Flags flags, void* logger_data);

// A scratch arena: allocations are never freed one by one, only all at once by a reset.
struct Temporary_Storage {
    explicit Temporary_Storage(size_t size);

    std::unique_ptr<std::byte[]> buffer;
    size_t size;
    std::pmr::monotonic_buffer_resource arena;
};

struct Context {
    std::pmr::memory_resource* allocator = std::pmr::new_delete_resource();
    Temporary_Storage* temporary_storage = nullptr;  // made on first use
    Logger logger = nullptr;                          // the runtime logger when null
    void* logger_data = nullptr;
    int thread_index = 0;                             // 0 is the main thread
};

extern thread_local Context context;

constexpr size_t DEFAULT_TEMPORARY_STORAGE_SIZE = 64 * 1024;

// Gives this thread its index and a temporary storage of `temporary_size` bytes (made anew).
void init_thread_context(int thread_index, size_t temporary_size = DEFAULT_TEMPORARY_STORAGE_SIZE);
// Frees the calling thread's temporary storage. A thread that used it calls this before it ends:
// no thread-local object here has a destructor, since mingw-w64's static runtime runs those on
// freed memory when a thread ends.
void release_thread_context();

// The temporary storage of the calling thread as an allocator.
std::pmr::memory_resource* temporary_allocator();
// Frees everything allocated from the calling thread's temporary storage.
void reset_temporary_storage();

// Makes `allocator` the context's allocator until the end of the scope.
struct Push_Allocator {
    explicit Push_Allocator(std::pmr::memory_resource* allocator) : saved(context.allocator) {
        context.allocator = allocator;
    }
    ~Push_Allocator() { context.allocator = saved; }
    Push_Allocator(const Push_Allocator&) = delete;
    Push_Allocator& operator=(const Push_Allocator&) = delete;

    std::pmr::memory_resource* saved;
};

// The logger: every message on a line of its own, errors to standard error, the rest to
// standard output. Verbose-only messages are dropped at the normal log level.
void log_message(std::string_view message, Log_Flags flags = LOG_FLAG_NONE);
void runtime_logger(std::string_view message, Log_Flags flags, void* logger_data);

// Until stop() or the end of the scope, every message of this thread still goes to the logger it
// had, and the first error among them is kept: what a reader reported, for showing elsewhere.
struct Capture_First_Error {
    Capture_First_Error();
    ~Capture_First_Error() { stop(); }
    Capture_First_Error(const Capture_First_Error&) = delete;
    Capture_First_Error& operator=(const Capture_First_Error&) = delete;
    void stop();

    Logger saved_logger;
    void* saved_logger_data;
    bool capturing = true;
    std::string first_error;
};
