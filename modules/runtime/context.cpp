#include "context.h"

#include <cstdio>
#include <cstring>

thread_local Context context;

Temporary_Storage::Temporary_Storage(size_t bytes)
    : buffer(new std::byte[bytes]), size(bytes), arena(buffer.get(), bytes, std::pmr::new_delete_resource()) {}

namespace {
Temporary_Storage* ensure_temporary_storage() {
    if (!context.temporary_storage) context.temporary_storage = new Temporary_Storage(DEFAULT_TEMPORARY_STORAGE_SIZE);
    return context.temporary_storage;
}
}  // namespace

void init_thread_context(int thread_index, size_t temporary_size) {
    release_thread_context();
    context.thread_index = thread_index;
    context.temporary_storage = new Temporary_Storage(temporary_size);
}

void release_thread_context() {
    delete context.temporary_storage;
    context.temporary_storage = nullptr;
}

std::pmr::memory_resource* temporary_allocator() { return &ensure_temporary_storage()->arena; }

void reset_temporary_storage() { ensure_temporary_storage()->arena.release(); }

void runtime_logger(std::string_view message, Log_Flags flags, void*) {
    if (flags & LOG_FLAG_VERBOSE_ONLY) return;
    FILE* stream = (flags & LOG_FLAG_ERROR) ? stderr : stdout;
    // One write per line, so lines of two threads never interleave.
    bool needs_newline = message.empty() || message.back() != '\n';
    char small[512];
    size_t total = message.size() + (needs_newline ? 1 : 0);
    std::unique_ptr<char[]> large;
    char* line = small;
    if (total > sizeof small) {
        large.reset(new char[total]);
        line = large.get();
    }
    std::memcpy(line, message.data(), message.size());
    if (needs_newline) line[message.size()] = '\n';
    fwrite(line, 1, total, stream);
    fflush(stream);
}

void log_message(std::string_view message, Log_Flags flags) {
    if (context.logger) {
        context.logger(message, flags, context.logger_data);
    } else {
        runtime_logger(message, flags, nullptr);
    }
}

static void capturing_logger(std::string_view message, Log_Flags flags, void* logger_data) {
    auto* capture = static_cast<Capture_First_Error*>(logger_data);
    if ((flags & LOG_FLAG_ERROR) && capture->first_error.empty()) {
        capture->first_error = message;
        while (!capture->first_error.empty() && capture->first_error.back() == '\n') capture->first_error.pop_back();
    }
    if (capture->saved_logger) {
        capture->saved_logger(message, flags, capture->saved_logger_data);
    } else {
        runtime_logger(message, flags, nullptr);
    }
}

Capture_First_Error::Capture_First_Error() : saved_logger(context.logger), saved_logger_data(context.logger_data) {
    context.logger = capturing_logger;
    context.logger_data = this;
}

void Capture_First_Error::stop() {
    if (!capturing) return;
    capturing = false;
    context.logger = saved_logger;
    context.logger_data = saved_logger_data;
}
