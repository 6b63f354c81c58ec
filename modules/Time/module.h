// Local date and time as text, for the save file.
#pragma once

#include <cstdint>

#include "basic.h"

struct Calendar_Time {
    int64_t year = 0;
    int64_t month = 0;  // 1..12
    int64_t day = 0;    // 1..31
    int64_t hour = 0;   // 0..23
    int64_t minute = 0; // 0..59
};

// The current wall-clock time in the local time zone.
Calendar_Time local_calendar_time();

// "day/month/year - hour:minute", plain decimal, no leading zeros; in temporary storage.
String format_date_time(const Calendar_Time& time);

// The current local date and time as text, in the calling thread's temporary storage.
String get_date_time();
