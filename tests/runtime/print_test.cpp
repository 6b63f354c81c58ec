#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <random>

#include "runtime.h"

namespace {

std::string text(String s) { return std::string(s.view()); }

TEST(FloatText, MatchesTheFixedPointForm) {
    EXPECT_EQ(float_text(0.1f), "0.1");
    EXPECT_EQ(float_text(1.1f), "1.1");
    EXPECT_EQ(float_text(100.7f), "100.699997");
    EXPECT_EQ(float_text(800.0f), "800");
    EXPECT_EQ(float_text(412.5f), "412.5");
    EXPECT_EQ(float_text(-96.25f), "-96.25");
    EXPECT_EQ(float_text(123456789.0f), "123456792");
    EXPECT_EQ(float_text(123456789.0), "123456789");
    EXPECT_EQ(float_text(1e20), "100000000000000000000");
    EXPECT_EQ(float_text(1.0 / 3.0), "0.333333");
    EXPECT_EQ(float_text(2.0 / 3.0), "0.666667");
}

TEST(FloatText, ZerosSignsAndHalfwayRounding) {
    EXPECT_EQ(float_text(0.0f), "0");
    EXPECT_EQ(float_text(-0.0f), "-0");
    EXPECT_EQ(float_text(0.0000001), "0");
    EXPECT_EQ(float_text(-0.0000001), "-0");
    EXPECT_EQ(float_text(0.0078125), "0.007813");
    EXPECT_EQ(float_text(-0.0078125), "-0.007813");
    EXPECT_EQ(float_text(std::nextafter(3.0f, 4.0f)), "3");
    EXPECT_EQ(float_text(std::nextafter(std::nextafter(3.0f, 4.0f), 4.0f)), "3");
}

TEST(Format, DefaultTextForms) {
    EXPECT_EQ(text(tprint("% % %", 42, -7, uint64_t(18446744073709551615ull))), "42 -7 18446744073709551615");
    EXPECT_EQ(text(tprint("%", std::numeric_limits<int64_t>::min())), "-9223372036854775808");
    EXPECT_EQ(text(tprint("% and %", true, false)), "true and false");
    EXPECT_EQ(text(tprint("[%|%|%]", String("counted"), std::string_view("view"), "literal")), "[counted|view|literal]");
    EXPECT_EQ(text(tprint("%/quol.sav", String("C:/Users/a%b"))), "C:/Users/a%b/quol.sav");
    EXPECT_EQ(text(tprint("no placeholders")), "no placeholders");
}

TEST(Format, ArgumentCountMismatchIsReportedNotUndefined) {
    testing::internal::CaptureStderr();
    String fewer = tprint("a % b % c", 1);
    std::string report = testing::internal::GetCapturedStderr();
    EXPECT_EQ(text(fewer), "a 1 b % c");
    EXPECT_NE(report.find("2 placeholders but 1 arguments"), std::string::npos) << report;

    testing::internal::CaptureStderr();
    String more = tprint("only %", 1, 2);
    report = testing::internal::GetCapturedStderr();
    EXPECT_EQ(text(more), "only 1");
    EXPECT_NE(report.find("1 placeholders but 2 arguments"), std::string::npos) << report;
}

TEST(Format, SprintOwnsItsText) {
    String owned = sprint("Day: %", 12);
    reset_temporary_storage();
    EXPECT_EQ(text(owned), "Day: 12");
    free_string(&owned);
    EXPECT_EQ(owned.count, 0);
}

TEST(Logger, ErrorsGoToStandardErrorOthersToStandardOutput) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    log_message("plain");
    log_message("already ends\n");
    log_message("bad", LOG_FLAG_ERROR);
    log_message("hidden", LOG_FLAG_VERBOSE_ONLY);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "bad\n");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "plain\nalready ends\n");
}

TEST(Files, MissingFileIsReportedAndFails) {
    testing::internal::CaptureStderr();
    File_Contents file = read_entire_file("no/such/file.dix");
    std::string report = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(file.ok);
    EXPECT_EQ(file.text.count, 0);
    EXPECT_EQ(report, "Could not open file \"no/such/file.dix\": code 2, No such file or directory\n");
}

TEST(Files, ReadsEveryByte) {
    std::string path = (std::filesystem::temp_directory_path() /
                        ("quol_runtime_files_test_" + std::to_string(std::random_device{}()) + ".bin"))
                           .string();
    std::string bytes("a\0b\r\nc", 6);
    FILE* f = fopen(path.c_str(), "wb");
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
    File_Contents file = read_entire_file(path);
    remove(path.c_str());
    ASSERT_TRUE(file.ok);
    EXPECT_EQ(std::string(file.text.view()), bytes);
    free_string(&file.text);
}

}  // namespace
