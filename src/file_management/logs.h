// This run's log file under logs/ with its start-up banner.
#pragma once

#include "runtime.h"

extern String log_path;

// "log_created_at_Y_M_D_at_time_H_M" in local time, in temporary storage.
String get_log_filename();
// Fixes log_path and appends the banner. Without a logs/ folder nothing is logged.
void create_logs();
// Appends the parts as they are, nothing between them, no line feed.
void write_log_msg(Array_View<const String> parts);

inline void write_log_msg(std::initializer_list<String> parts) {
    write_log_msg(Array_View<const String>{int64_t(parts.size()), parts.begin()});
}
