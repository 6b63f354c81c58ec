// Whole-file reading.
#pragma once

#include <cstdint>
#include <string_view>

#include "basic.h"

struct File_Contents {
    String text;  // from the context's allocator; free_string when done
    bool ok = false;
};

// Far above any save or configuration the game writes, yet never enough to exhaust memory: a
// sparse file or a link into /proc can claim any size, or none.
inline constexpr int64_t WHOLE_FILE_LIMIT = int64_t(64) << 20;

// Reads the whole file. A file that cannot be opened, is not a regular file or holds more than
// WHOLE_FILE_LIMIT bytes is reported as an error through the logger and gives ok = false with an
// empty text.
File_Contents read_entire_file(std::string_view path);
