#include "modules/Time/module.h"

#include "os.h"
#include "print.h"

Calendar_Time local_calendar_time() {
    Os_Calendar_Time now = os_local_time();
    Calendar_Time result;
    result.year = now.year;
    result.month = now.month;
    result.day = now.day;
    result.hour = now.hour;
    result.minute = now.minute;
    return result;
}

String format_date_time(const Calendar_Time& time) {
    return tprint("%/%/% - %:%", time.day, time.month, time.year, time.hour, time.minute);
}

String get_date_time() { return format_date_time(local_calendar_time()); }
