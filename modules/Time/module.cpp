#include "module.h"

#include <ctime>

#include "print.h"

Calendar_Time local_calendar_time() {
    std::time_t now = std::time(nullptr);
    std::tm fields{};
#ifdef _WIN32
    localtime_s(&fields, &now);
#else
    localtime_r(&now, &fields);  // localtime() shares one buffer between threads
#endif
    Calendar_Time result;
    result.year = fields.tm_year + 1900;
    result.month = fields.tm_mon + 1;
    result.day = fields.tm_mday;
    result.hour = fields.tm_hour;
    result.minute = fields.tm_min;
    return result;
}

String format_date_time(const Calendar_Time& time) {
    return tprint("%/%/% - %:%", time.day, time.month, time.year, time.hour, time.minute);
}

String get_date_time() { return format_date_time(local_calendar_time()); }
