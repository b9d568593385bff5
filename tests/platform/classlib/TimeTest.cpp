#include <gtest/gtest.h>

#include <cstdlib>

#include "afx.h"
#include "brevant/platform.h"

// Tests run with TZ=Europe/London and LC_ALL=C.

TEST(CTimeTest, FieldsAndClock) {
    const CTime t(2026, 12, 3, 9, 5, 7);
    EXPECT_EQ(t.GetYear(), 2026);
    EXPECT_EQ(t.GetMonth(), 12);
    EXPECT_EQ(t.GetDay(), 3);
    EXPECT_EQ(t.GetHour(), 9);
    EXPECT_EQ(t.GetMinute(), 5);
    EXPECT_EQ(t.GetSecond(), 7);
    EXPECT_EQ(t.GetDayOfWeek(), 5);  // Thursday
    brevant::platform::setClock(t.GetTime());
    EXPECT_EQ(CTime::GetCurrentTime(), t);
    brevant::platform::setClock(0);
    const CTimeSpan span = CTime(2026, 12, 4, 10, 6, 8) - t;
    EXPECT_EQ(span.GetTotalSeconds(), 86400 + 3600 + 60 + 1);
    EXPECT_EQ(span.GetDays(), 1);
    EXPECT_EQ((t + CTimeSpan(1, 0, 0, 0)).GetDay(), 4);
}

TEST(CTimeTest, WindowsFormsOfFormat) {
    const CTime summer(1995, 3, 14, 12, 41, 29);  // a Tuesday
    const CTime winter(2026, 12, 3, 9, 5, 7);
    const struct {
        CTime time;
        const char* pattern;
        const char* expected;
    } cases[] = {
        {winter, "%#d/%b/%Y %H:%M", "3/Dec/2026 09:05"},
        {winter, "%#d %b %Y %H:%M", "3 Dec 2026 09:05"},
        {winter, "%H:%M", "09:05"},
        {summer, "%#c", "Tuesday, March 14, 1995 12:41:29"},
        {winter, "%#c", "Thursday, December 3, 2026 09:05:07"},
        {winter, "%#x", "Thursday, December 3, 2026"},
        {winter, "%#H:%#M:%#S %#m %#j %#y", "9:5:7 12 337 26"},
        {winter, "%#b %#a %#p", "Dec Thu AM"},  // "#" means nothing on names
        {winter, "100%% %d", "100% 03"},
        {winter, "", ""},
        {winter, "%p", "AM"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(cases[i].time.Format(cases[i].pattern), cases[i].expected);
    }
    EXPECT_EQ(CTime(2026, 7, 1, 12, 0, 0).FormatGmt("%H"), "11");  // British Summer Time
}

// Every pattern without "#" gives what the system's own strftime gives.
TEST(CTimeTest, AgreesWithTheSystemStrftime) {
    const char* patterns[] = {"%b", "%Y", "%H:%M", "%d/%m/%y", "%Y-%m-%d", "%A %B %j",
                              "%c", "%x", "%X",    "%a %I %p", "%U %W %w", "%Z"};
    const time_t times[] = {0, 795185489, 1796374800, 1782907200};
    for (size_t i = 0; i < sizeof patterns / sizeof patterns[0]; ++i) {
        for (time_t t : times) {
            SCOPED_TRACE(std::string(patterns[i]) + " at " + std::to_string((long long)t));
            struct tm local;
            localtime_r(&t, &local);
            char expected[256];
            strftime(expected, sizeof expected, patterns[i], &local);
            EXPECT_EQ(CTime(t).Format(patterns[i]), expected);
        }
    }
}
