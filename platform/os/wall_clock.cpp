#include "os.h"

#include <chrono>
#include <ctime>

namespace {

struct Wall_Reading {
    std::time_t seconds;
    int millisecond;
};

Wall_Reading read_wall_clock() {
    using namespace std::chrono;
    auto since_epoch = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    auto whole = since_epoch / 1000;
    auto rest = since_epoch % 1000;
    if (rest < 0) {  // before 1970: keep the field in 0..999
        rest += 1000;
        whole -= 1;
    }
    return {static_cast<std::time_t>(whole), static_cast<int>(rest)};
}

Os_Calendar_Time calendar_from(const std::tm& fields, int millisecond) {
    return {fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday, fields.tm_hour,
            fields.tm_min,         fields.tm_sec,     millisecond};
}

}  // namespace

Os_Calendar_Time os_utc_time() {
    Wall_Reading now = read_wall_clock();
    std::tm fields{};
#if defined(_WIN32)
    gmtime_s(&fields, &now.seconds);
#else
    gmtime_r(&now.seconds, &fields);
#endif
    return calendar_from(fields, now.millisecond);
}

int os_utc_milliseconds() { return read_wall_clock().millisecond; }

Os_Calendar_Time os_local_time() {
    Wall_Reading now = read_wall_clock();
    std::tm fields{};
#if defined(_WIN32)
    localtime_s(&fields, &now.seconds);
#else
    localtime_r(&now.seconds, &fields);
#endif
    return calendar_from(fields, now.millisecond);
}
