// Whole-file reading.
#pragma once

#include <string_view>

#include "basic.h"

struct File_Contents {
    String text;  // from the context's allocator; free_string when done
    bool ok = false;
};

// Reads the whole file. A file that cannot be opened, or is not a regular file, is reported as
// an error through the logger ("Could not open file ...") and gives ok = false with an empty text.
File_Contents read_entire_file(std::string_view path);
