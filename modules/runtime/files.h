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

// Editors on Windows mark their text: Notepad and PowerShell 5 start UTF-8 with a byte order
// mark, PowerShell 5's `>` writes UTF-16. The readers of the game's own text files skip the first
// and refuse the second with UTF16_TEXT_REFUSED, after the file's path.
std::string_view without_utf8_mark(std::string_view text);
bool starts_as_utf16(std::string_view text);
inline constexpr std::string_view UTF16_TEXT_REFUSED = "the file is UTF-16 text and must be saved as UTF-8";
