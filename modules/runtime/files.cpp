#include "files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "os.h"
#include "print.h"

namespace {

constexpr std::string_view TOO_LARGE =
    "Could not read file \"%\": it holds more than % bytes, the most a file read whole may hold";

}  // namespace

File_Contents read_entire_file(std::string_view path) {
    File_Contents result;
    Os_Opened_File opened = os_open_regular_file(temp_c_string(path));
    if (opened.not_regular) {
        log_error("Could not open file \"%\": it is %, not a regular file", path, opened.not_regular);
        return result;
    }
    if (!opened.file) {
        log_error("Could not open file \"%\": code %, %", path, opened.error_code, strerror(opened.error_code));
        return result;
    }
    FILE* file = opened.file;
    if (opened.size > WHOLE_FILE_LIMIT) {
        fclose(file);
        log_error(TOO_LARGE, path, WHOLE_FILE_LIMIT);
        return result;
    }
    String_Builder builder(std::pmr::new_delete_resource(), size_t(opened.size) + 1);
    char chunk[16384];
    size_t n;
    int64_t total = 0;
    // Counted as read too: files under /proc report no size, and a file may grow meanwhile.
    while (total <= WHOLE_FILE_LIMIT && (n = fread(chunk, 1, sizeof chunk, file)) > 0) {
        append(&builder, std::string_view(chunk, n));
        total += int64_t(n);
    }
    bool read_failed = ferror(file) != 0;
    int code = errno;
    fclose(file);
    if (total > WHOLE_FILE_LIMIT) {
        log_error(TOO_LARGE, path, WHOLE_FILE_LIMIT);
        return result;
    }
    if (read_failed) {
        log_info("Read of '%' failed: code %, '%'.\n", path, code, strerror(code));
        return result;
    }
    result.text = builder_to_string(&builder);
    result.ok = true;
    return result;
}

std::string_view without_utf8_mark(std::string_view text) {
    constexpr std::string_view UTF8_MARK = "\xEF\xBB\xBF";
    if (text.starts_with(UTF8_MARK)) text.remove_prefix(UTF8_MARK.size());
    return text;
}

bool starts_as_utf16(std::string_view text) { return text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF"); }
