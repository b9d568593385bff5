// The diagnostics' texts that need no editor: line ends, formatting with its
// limit, and the debug level.
#include <gtest/gtest.h>

#include <string>

#include "Messages.h"

using namespace Pellam::Messages;

namespace {

CString format(LPCTSTR sFormat, ...) {
    va_list args;
    va_start(args, sFormat);
    CString sText = formatText(sFormat, args);
    va_end(args);
    return sText;
}

}  // namespace

TEST(Messages, WithSingleNewline) {
    struct Case {
        const char* sText;
        const char* sExpected;
    } cases[] = {
        {"", "\n"},
        {"\n", "\n"},
        {"\n\nabc\n\n", "abc\n"},
        {"abc", "abc\n"},
        {"a\nb", "a\nb\n"},
        {"\r\nabc\r\n", "\r\nabc\r\n"},  // carriage returns stay, and shield the line feeds
        {"abc\r", "abc\r\n"},
        {" \n", " \n"},
        {"\t\n\n", "\t\n"},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(i);
        EXPECT_STREQ(withSingleNewline(cases[i].sText), cases[i].sExpected);
    }
    // The value against itself.
    CString sText("\nx\n");
    sText = withSingleNewline(sText);
    sText = withSingleNewline(sText);
    EXPECT_STREQ(sText, "x\n");
}

TEST(Messages, FormatTextUpToItsLimit) {
    EXPECT_STREQ(format("%s : %d", "level", 2), "level : 2");
    EXPECT_STREQ(format(""), "");
    const std::string sFits(2047, 'a');
    EXPECT_EQ(std::string(format("%s", sFits.c_str())), sFits);
    const std::string sTooBig(2048, 'a');
    EXPECT_STREQ(format("%s", sTooBig.c_str()), "<<<< too big >>>>");
    EXPECT_STREQ(format("%s%s", sFits.c_str(), "b"), "<<<< too big >>>>");
    EXPECT_STREQ(format("%5000d", 1), "<<<< too big >>>>");
}

TEST(Messages, DebugLevel) {
    EXPECT_EQ(getDebugLevel(), 0);
    struct Case {
        int iNewLevel;
        bool bAccepted;
        int iLevelAfter;
        int iPrevious;  // the out-argument starts at 99
    } cases[] = {
        {2, true, 2, 0}, {3, false, 2, 99}, {-1, false, 2, 99},         {1, true, 1, 2},
        {1, true, 1, 1}, {0, true, 0, 1},   {2147483647, false, 0, 99},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(i);
        int iPrevious = 99;
        EXPECT_EQ(setDebugLevel(cases[i].iNewLevel, iPrevious), cases[i].bAccepted);
        EXPECT_EQ(getDebugLevel(), cases[i].iLevelAfter);
        EXPECT_EQ(iPrevious, cases[i].iPrevious);
    }
}
