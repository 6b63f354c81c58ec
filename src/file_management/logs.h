// This run's log file under logs/ with its start-up banner.
#pragma once

#include "runtime.h"

// Relative to the working folder, or a full path in the save folder's logs/ (see create_logs);
// empty when no log can be written.
extern String log_path;

// "log_created_at_Y_M_D_at_time_H_M" in local time, in temporary storage.
String get_log_filename();
// Fixes log_path and appends the banner. Without a logs/ folder nothing is logged. When logs/
// cannot be written, the log goes into logs/ of the save folder (made when missing) and one line
// on standard output says so, or says that no log can be written at all.
void create_logs();
// Appends the parts as they are, nothing between them, no line feed.
void write_log_msg(Array_View<const String> parts);

inline void write_log_msg(std::initializer_list<String> parts) {
    write_log_msg(Array_View<const String>{int64_t(parts.size()), parts.begin()});
}
