#include <gtest/gtest.h>

#include <ctime>
#include <regex>
#include <string>

#include "modules/Time/module.h"
#include "portable_test_support.h"
#include "runtime.h"

namespace {

std::string date_text(int64_t year, int64_t month, int64_t day, int64_t hour, int64_t minute) {
    Calendar_Time time;
    time.year = year;
    time.month = month;
    time.day = day;
    time.hour = hour;
    time.minute = minute;
    return std::string(format_date_time(time).view());
}

TEST(DateTime, NumbersWithoutLeadingZeros) {
    EXPECT_EQ(date_text(2026, 12, 8, 9, 5), "8/12/2026 - 9:5");
    EXPECT_EQ(date_text(2027, 1, 31, 23, 59), "31/1/2027 - 23:59");
    EXPECT_EQ(date_text(2027, 3, 1, 0, 0), "1/3/2027 - 0:0");
}

TEST(DateTime, CurrentTimeIsLocal) {
    std::time_t now = std::time(nullptr);
    std::tm local = local_calendar(now);
    std::string text(get_date_time().view());
    EXPECT_TRUE(std::regex_match(text, std::regex(R"(\d{1,2}/\d{1,2}/\d{4} - \d{1,2}:\d{1,2})"))) << text;
    std::string expected_day = std::to_string(local.tm_mday) + "/" + std::to_string(local.tm_mon + 1) + "/" +
                               std::to_string(local.tm_year + 1900) + " - ";
    EXPECT_EQ(text.substr(0, expected_day.size()), expected_day);  // a run at midnight would be unlucky
    reset_temporary_storage();
}

}  // namespace
