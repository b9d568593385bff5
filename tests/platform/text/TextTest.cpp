// The platform's text helpers: each rule once, with a table of cases. Local
// times are those of Europe/London, where 31 March 2024 01:00 to 02:00 does
// not exist.
#include <gtest/gtest.h>

#include "brevant/text.h"

#include <cstdlib>
#include <iterator>

using namespace brevant::text;

namespace {

time_t localTime(int year, int month, int day, int hour, int minute, int second) {
    struct tm wanted = {};
    wanted.tm_year = year - 1900;
    wanted.tm_mon = month - 1;
    wanted.tm_mday = day;
    wanted.tm_hour = hour;
    wanted.tm_min = minute;
    wanted.tm_sec = second;
    wanted.tm_isdst = -1;
    return mktime(&wanted);
}

TEST(Text, CaseTrimmingAndComparison) {
    EXPECT_EQ(upper("Plan01.dwg äÖ"), "PLAN01.DWG äÖ");  // ASCII letters only
    EXPECT_EQ(lower("C:\\Jobs\\A100"), "c:\\jobs\\a100");
    EXPECT_EQ(upper(""), "");
    EXPECT_EQ(trimmed("  \t a b \r\n"), "a b");
    EXPECT_EQ(trimmed(" \t\r\n"), "");
    EXPECT_EQ(trimmed(""), "");
    EXPECT_EQ(trimmed(" a\r", " \t"), "a\r");  // only the blanks given
    const struct {
        const char* a;
        const char* b;
        bool same;
    } pairs[] = {
        {"*Model_Space", "*MODEL_SPACE", true},
        {"", "", true},
        {"nil", "NIL", true},
        {"nil", "nil ", false},
        {"a", "b", false},
        {"\xe4", "\xc4", false},  // bytes beyond ASCII compare as they are
    };
    for (size_t i = 0; i < std::size(pairs); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(sameText(pairs[i].a, pairs[i].b), pairs[i].same);
        EXPECT_EQ(sameText(pairs[i].b, pairs[i].a), pairs[i].same);
        EXPECT_TRUE(sameText(pairs[i].a, pairs[i].a));
    }
    EXPECT_TRUE(startsWithNoCase("HEX(7):41", "hex("));
    EXPECT_TRUE(startsWithNoCase("dword", ""));
    EXPECT_FALSE(startsWithNoCase("he", "hex"));
}

TEST(Text, SingleBytesFromUtf16AndBack) {
    const struct {
        std::string utf16le;
        std::string ansi;
        size_t firstReplaced;
    } cases[] = {
        {"", "", std::string::npos},
        {std::string("a\0\xe9\0\0\0", 6), std::string("a\xe9\0", 3), std::string::npos},
        {std::string("\xac\x20x\0\x00\x01", 6), "?x?", 0},  // beyond one byte
        {std::string("x\0y", 3), "x", std::string::npos},   // an odd last byte
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        size_t replaced = 12345;
        EXPECT_EQ(ansiFromUtf16le(cases[i].utf16le, &replaced), cases[i].ansi);
        EXPECT_EQ(replaced, cases[i].firstReplaced);
    }
    std::string everyByte;
    for (int b = 0; b < 256; ++b) {
        everyByte += char(b);
    }
    EXPECT_EQ(utf16leFromAnsi(everyByte).size(), 512u);
    EXPECT_EQ(ansiFromUtf16le(utf16leFromAnsi(everyByte)), everyByte);
}

TEST(Text, LocalTimesThatExistAndNothingElse) {
    setenv("TZ", "Europe/London", 1);  // as ctest sets it, for a run by hand too
    tzset();
    const struct {
        const char* text;
        time_t expected;  // -1: refused
    } cases[] = {
        {"2026-12-03 09:00", localTime(2026, 12, 3, 9, 0, 0)},
        {"2024-07-01 09:08:07", localTime(2024, 7, 1, 9, 8, 7)},
        {"  2024-3-1  9:05 ", localTime(2024, 3, 1, 9, 5, 0)},
        {"2024-02-29 23:59:59", localTime(2024, 2, 29, 23, 59, 59)},  // a leap year
        {"2024-10-27 01:30", localTime(2024, 10, 27, 1, 30, 0)},      // happens twice
        {"2026-02-30 10:00", -1},
        {"2023-02-29 10:00", -1},
        {"2100-02-29 10:00", -1},
        {"2024-04-31 10:00", -1},
        {"2024-13-01 10:00", -1},
        {"2024-00-10 10:00", -1},
        {"2024-03-01 24:00", -1},
        {"2024-03-01 10:60", -1},
        {"2024-03-01 10:00:60", -1},
        {"2024-03-31 01:30", -1},  // skipped by summer time
        {"2024-03-01 10:00 x", -1},
        {"2024-03-01 10:00x", -1},
        {"2024-03-01 10:00:", -1},
        {"2024-03-01 10:000", -1},
        {"2024-03-01", -1},
        {"2024-03-0110:00", -1},
        {"24-03-01 10:00", -1},
        {"1969-12-31 23:00", -1},
        {"+2024-03-01 10:00", -1},
        {"yesterday", -1},
        {"", -1},
        {"   ", -1},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].text);
        time_t time = 12345;  // left alone when refused
        EXPECT_EQ(parseLocalTime(cases[i].text, time), cases[i].expected != -1);
        EXPECT_EQ(time, cases[i].expected != -1 ? cases[i].expected : 12345);
    }
}

}  // namespace
