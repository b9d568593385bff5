// The regular-expression matcher: what patterns match, the errors of compile
// and regexec with their exact texts, and patterns that are too large.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>

#include "../configuration/CommandLine.h"
#include "RegExp.h"

using brevant::test::takeCommandLine;
using brevant::test::traceLine;

namespace {

const char kDefaultNames[] = "^drawing[0-9]*$|^unnamed drawing$";

class RegExpTest : public ::testing::Test {
protected:
    // Trace lines reach the command line at debug level 2.
    void SetUp() override { brevant::test::initialiseLibrary(2); }
};

TEST_F(RegExpTest, Matching) {
    struct Case {
        const char* sPattern;
        const char* sText;
        int iOffset;         // -1: no match
        const char* sMatch;  // the match text when there is one
    } cases[] = {
        // 0: the editor's default drawing names.
        {kDefaultNames, "drawing", 0, "drawing"},
        {kDefaultNames, "drawing1", 0, "drawing1"},
        {kDefaultNames, "drawing12", 0, "drawing12"},
        {kDefaultNames, "unnamed drawing", 0, "unnamed drawing"},
        {kDefaultNames, "drawings", -1, nullptr},
        {kDefaultNames, "mydrawing1", -1, nullptr},
        {kDefaultNames, "drawing1a", -1, nullptr},
        {kDefaultNames, "Drawing1", -1, nullptr},  // case matters
        {kDefaultNames, "", -1, nullptr},
        // 9: an empty alternative matches everything at once.
        {"a|", "xyz", 0, ""},
        {"a|", "", 0, ""},
        {"a|", "abc", 0, "a"},
        // 12: bracket expressions: "]" first and "-" last are literal.
        {"[]a]", "x]", 1, "]"},
        {"[]a]", "a", 0, "a"},
        {"[]a]", "b", -1, nullptr},
        {"[a-]", "x-", 1, "-"},
        {"[a-]", "ba", 1, "a"},
        {"[-a]", "-", 0, "-"},
        {"[^-a]", "-ab", 2, "b"},
        {"[0-9]+", "abc123def", 3, "123"},
        {"[^abc]+", "abcdefa", 3, "def"},
        {"[a-cx-z]+", "dwxcab", 2, "xcab"},
        {"[\x80-\xff]", "a\xe9", 1, "\xe9"},  // a range of high bytes, as signed bytes
        // 23: a star after a run applies to its last character only.
        {"abc*", "ab", 0, "ab"},
        {"abc*", "abc", 0, "abc"},
        {"abc*", "abccc", 0, "abccc"},
        {"abc*", "xxabcc", 2, "abcc"},
        {"abc*", "ac", -1, nullptr},
        {"a*", "", 0, ""},
        {"a*", "baa", 0, ""},
        {"b+", "abbbc", 1, "bbb"},
        {"b+", "ac", -1, nullptr},
        {"a?b", "b", 0, "b"},
        {"a?b", "xab", 1, "ab"},
        // 34: repeated groups are loops of branches.
        {"(ab)*c", "ababc", 0, "ababc"},
        {"(ab)*c", "xc", 1, "c"},
        {"(ab)+c", "xabababc", 1, "abababc"},
        {"(ab)+c", "c", -1, nullptr},
        {"(a|b)?c", "bc", 0, "bc"},
        {"(a|bc)*d", "abcbcad", 0, "abcbcad"},
        // 40: anchors, any character, escapes.
        {"^abc", "xabc", -1, nullptr},
        {"^abc", "abcd", 0, "abc"},
        {"abc$", "abcabc", 3, "abc"},
        {"$", "abc", 3, ""},
        {"^$", "", 0, ""},
        {".", "", -1, nullptr},
        {".$", "ab", 1, "b"},
        {"\\.", "a.b", 1, "."},
        {"a\\*", "aa*", 1, "a*"},
        {"\\(\\)", "f()", 1, "()"},
        {"x{2}", "ax{2}", 1, "x{2}"},  // braces are ordinary characters
        // 51: greedy, backtracking, and the first alternative wins.
        {"a.*b", "axbxbx", 0, "axbxb"},
        {"a|ab", "ab", 0, "a"},
        {"(a|ab)(c|bcd)", "abcd", 0, "abcd"},
        {"x*yz", "aaayz", 3, "yz"},  // the literal every match holds
        {"x*yz", "xxy", -1, nullptr},
        {"x*yz", "xxyz", 0, "xxyz"},
        {"a*ab", "aaab", 0, "aaab"},
        {"[ab]*b", "aabba", 0, "aabb"},
        // 59: nine groups are allowed.
        {"(a)(b)(c)(d)(e)(f)(g)(h)(i)", "xabcdefghi", 1, "abcdefghi"},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(i);
        CRegExp regexp;
        ASSERT_EQ(regexp.compile(cases[i].sPattern), &regexp);
        EXPECT_EQ(regexp.regexec(cases[i].sText), cases[i].iOffset);
        EXPECT_EQ(regexp.matches(cases[i].sText), cases[i].iOffset != -1);
        if (cases[i].sMatch != nullptr) {
            ASSERT_NE(regexp.getMatch(), nullptr);
            EXPECT_STREQ(regexp.getMatch(), cases[i].sMatch);
        } else {
            EXPECT_EQ(regexp.getMatch(), nullptr);
        }
        EXPECT_EQ(takeCommandLine(), "");
    }
}

TEST_F(RegExpTest, CompileErrors) {
    const std::string sTooBig(CRegExp::kMaximumProgramSize - 9, 'a');  // one byte over
    struct Case {
        std::string sPattern;
        const char* sTrace;
    } cases[] = {
        {"(a*)*", "*+ operand could be empty\n"},
        {"(a*)+", "*+ operand could be empty\n"},
        {"(^)*", "*+ operand could be empty\n"},
        {"(a|)*", "*+ operand could be empty\n"},
        {"a**", "nested *?+\n"},
        {"a*?", "nested *?+\n"},
        {"a?+", "nested *?+\n"},
        {"*a", "?+* follows nothing\n"},
        {"a|+b", "?+* follows nothing\n"},
        {"(?a)", "?+* follows nothing\n"},
        {"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", "Too many (). NSUBEXP is set to 10\n"},
        {"((((((((((a))))))))))", "Too many (). NSUBEXP is set to 10\n"},
        {"(a", "unterminated ()\n"},
        {"((a)", "unterminated ()\n"},
        {"a)", "unmatched ()\n"},
        {")", "unmatched ()\n"},
        {"[abc", "unmatched []\n"},
        {"[", "unmatched []\n"},
        {"[]", "unmatched []\n"},
        {"[z-a]", "invalid [] range\n"},
        {"[a-\xe9]", "invalid [] range\n"},  // compared as signed bytes
        {"a\\", "trailing \\\n"},
        {"\\", "trailing \\\n"},
        {sTooBig, "regexp too big\n"},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(i);
        CRegExp regexp;
        EXPECT_EQ(regexp.compile(cases[i].sPattern.c_str()), nullptr);
        EXPECT_EQ(takeCommandLine(), traceLine(cases[i].sTrace));
    }
}

// The largest program that 16-bit links can address compiles and runs; one
// byte more does not compile. A literal run of n characters makes a program
// of n + 10 bytes.
TEST_F(RegExpTest, ProgramSizeLimit) {
    const std::string sLargest(CRegExp::kMaximumProgramSize - 10, 'a');
    CRegExp regexp;
    ASSERT_EQ(regexp.compile(sLargest.c_str()), &regexp);
    EXPECT_EQ(regexp.regexec(("b" + sLargest).c_str()), 1);
    EXPECT_EQ(regexp.regexec(sLargest.substr(1).c_str()), -1);

    // Large in another way: a pattern whose branches link far apart.
    std::string sAlternatives;
    for (int i = 0; i < 2000; ++i) {
        sAlternatives += (i ? "|" : "") + std::to_string(100000 + i);
    }
    sAlternatives += "|x";
    ASSERT_EQ(regexp.compile(sAlternatives.c_str()), &regexp);
    EXPECT_EQ(regexp.regexec("ab101999"), 2);
    EXPECT_EQ(regexp.regexec("--x"), 2);

    std::string sWideSets;
    for (int i = 0; i < 300; ++i) {
        sWideSets += "[\x01-\x7f]";
    }
    EXPECT_EQ(regexp.compile(sWideSets.c_str()), nullptr);
    EXPECT_EQ(takeCommandLine(), traceLine("regexp too big\n"));
}

TEST_F(RegExpTest, ExecErrors) {
    CRegExp regexp;
    EXPECT_EQ(regexp.regexec("abc"), -1);
    EXPECT_EQ(takeCommandLine(), traceLine("No regular expression provided yet.\n"));

    ASSERT_EQ(regexp.compile("b"), &regexp);
    EXPECT_EQ(regexp.regexec(nullptr), -1);
    EXPECT_EQ(takeCommandLine(), traceLine("NULL argument to regexec\n"));

    // A null pattern fails without a trace; a failed compile leaves no
    // program, so nothing matches any more.
    EXPECT_EQ(regexp.compile(nullptr), nullptr);
    EXPECT_EQ(takeCommandLine(), "");
    EXPECT_EQ(regexp.regexec("b"), -1);
    EXPECT_EQ(takeCommandLine(), traceLine("corrupted pointers\n"));
    EXPECT_EQ(regexp.compile("(b"), nullptr);
    takeCommandLine();
    EXPECT_EQ(regexp.regexec("b"), -1);
    EXPECT_EQ(regexp.getMatch(), nullptr);
    EXPECT_EQ(takeCommandLine(), traceLine("corrupted pointers\n"));

    // A text through more steps than the matcher takes gives no match, with
    // its trace, not a hang; the object works on afterwards.
    CRegExp regexpNested;
    ASSERT_EQ(regexpNested.compile("(a|a)*ab"), &regexpNested);
    EXPECT_EQ(regexpNested.regexec((std::string(40, 'a') + "cab").c_str()), -1);
    EXPECT_EQ(takeCommandLine(), traceLine("regexp too complex\n"));
    EXPECT_EQ(regexpNested.regexec("aab"), 0);
    EXPECT_STREQ(regexpNested.getMatch(), "aab");
    // A limit of its own: the same pattern gives up sooner.
    regexpNested.setStepLimit(100);
    EXPECT_EQ(regexpNested.regexec((std::string(12, 'a') + "cab").c_str()), -1);
    EXPECT_EQ(takeCommandLine(), traceLine("regexp too complex\n"));
    regexpNested.setStepLimit(CRegExp::kDefaultStepLimit);
    EXPECT_EQ(regexpNested.regexec((std::string(12, 'a') + "cab").c_str()), 13);
    EXPECT_EQ(takeCommandLine(), "");
}

// Repetitions of groups over long texts match as on short ones: the matcher's
// depth of backtracking grows with the text on the heap, not on the stack,
// and only the step limit stops it.
TEST_F(RegExpTest, LongTexts) {
    std::string sAbs;
    for (int i = 0; i < 10000; ++i) {
        sAbs += "ab";
    }
    struct Case {
        const char* sPattern;
        std::string sText;
        int iOffset;
        int iGroupStart, iGroupEnd;  // group 1
    } cases[] = {
        {"^(ab)*$", sAbs, 0, 19998, 20000},  // the last repetition is the group
        {"^(ab)*$", sAbs + "a", -1, -1, -1},
        {"^(ab)+$", sAbs, 0, 19998, 20000},
        {"(a|b)*c", std::string(200000, 'a') + "c", 0, 199999, 200000},
        {"^(a|b)*$", sAbs, 0, 19999, 20000},
        {"x(ab)*y", "--x" + sAbs + "y", 2, 20001, 20003},
        {"^((ab)*)$", sAbs, 0, 0, 20000},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const Case& c = cases[i];
        CRegExp regexp;
        ASSERT_EQ(regexp.compile(c.sPattern), &regexp);
        EXPECT_EQ(regexp.regexec(c.sText.c_str()), c.iOffset);
        EXPECT_EQ(regexp.getGroupStart(1), c.iGroupStart);
        EXPECT_EQ(regexp.getGroupEnd(1), c.iGroupEnd);
        if (c.iOffset >= 0) {
            EXPECT_EQ(strlen(regexp.getMatch()), c.sText.size() - c.iOffset);
        }
        EXPECT_EQ(takeCommandLine(), "");
    }
}

TEST_F(RegExpTest, GroupsAndMatchText) {
    CRegExp regexp;
    ASSERT_EQ(regexp.compile("(a+)(b*)(x)?c"), &regexp);
    const char* sText = "zaabbc";
    EXPECT_EQ(regexp.regexec(sText), 1);
    const int aiExpected[][2] = {{1, 6}, {1, 3}, {3, 5}, {-1, -1}};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(regexp.getGroupStart(i), aiExpected[i][0]);
        EXPECT_EQ(regexp.getGroupEnd(i), aiExpected[i][1]);
    }
    EXPECT_STREQ(regexp.getMatch(), "aabbc");

    // Every regexec replaces the match; a failed one leaves none.
    EXPECT_EQ(regexp.regexec("ac"), 0);
    EXPECT_STREQ(regexp.getMatch(), "ac");
    EXPECT_EQ(regexp.getGroupStart(2), 1);
    EXPECT_EQ(regexp.getGroupEnd(2), 1);
    EXPECT_EQ(regexp.regexec("bc"), -1);
    EXPECT_EQ(regexp.getMatch(), nullptr);
    EXPECT_EQ(regexp.getGroupStart(0), -1);

    // The same object compiled again forgets the first pattern.
    ASSERT_EQ(regexp.compile("^x"), &regexp);
    EXPECT_EQ(regexp.regexec("ac"), -1);
    EXPECT_EQ(regexp.regexec("xa"), 0);
}

}  // namespace
