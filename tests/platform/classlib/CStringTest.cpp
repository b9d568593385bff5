#include <gtest/gtest.h>

#include <climits>

#include "afx.h"

TEST(CString, EmptyStringOperations) {
    CString s;
    EXPECT_STREQ((LPCSTR)s, "");
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(s.GetAt(0), 0);
    EXPECT_EQ(s.Left(3), "");
    EXPECT_EQ(s.Mid(2), "");
    EXPECT_EQ(s.Right(1), "");
    EXPECT_EQ(s.Find('a'), -1);
    EXPECT_EQ(s.Find(""), 0);
    EXPECT_EQ(s.ReverseFind('a'), -1);
    EXPECT_EQ(s.FindOneOf("abc"), -1);
    EXPECT_EQ(s.Replace("a", "b"), 0);
    EXPECT_EQ(s.Remove('a'), 0);
    EXPECT_EQ(s.Delete(0, 5), 0);
    s.Trim();
    s.TrimLeft('x');
    s.TrimRight("xy");
    s.MakeUpper();
    s.MakeReverse();
    EXPECT_EQ(s, "");
    EXPECT_EQ(s.Compare(""), 0);
    EXPECT_EQ(s.CompareNoCase(NULL), 0);
    EXPECT_TRUE(s == CString((LPCSTR)NULL));
    EXPECT_EQ(CString("abc", 0), "");
    EXPECT_EQ(CString('x', 0), "");
    s.Format("%s", "");
    EXPECT_TRUE(s.IsEmpty());
    s += "";
    s += s;
    EXPECT_TRUE(s.IsEmpty());
}

TEST(CString, ValueAgainstItself) {
    CString s("abc");
    s += s;
    EXPECT_EQ(s, "abcabc");
    s = s;
    EXPECT_EQ(s, "abcabc");
    s = (LPCSTR)s + 3;  // a pointer into its own buffer
    EXPECT_EQ(s, "abc");
    s.Insert(1, (LPCSTR)s);
    EXPECT_EQ(s, "aabcbc");
    s.Replace((LPCSTR)s, "x");
    EXPECT_EQ(s, "x");
    s.Format("%s-%s", (LPCSTR)s, (LPCSTR)s);
    EXPECT_EQ(s, "x-x");
    s.AppendFormat("%s", (LPCSTR)s);
    EXPECT_EQ(s, "x-xx-x");
    EXPECT_EQ(s.Compare(s), 0);
    EXPECT_TRUE(s == s);
    EXPECT_FALSE(s < s);
    CString t(std::move(s));
    EXPECT_EQ(t, "x-xx-x");
    EXPECT_TRUE(s.IsEmpty());  // a moved-from string is empty and usable
    s += "ok";
    EXPECT_EQ(s, "ok");
}

TEST(CString, SubstringsClampOutOfRange) {
    const CString s("abcdef");
    const struct {
        CString actual;
        const char* expected;
    } cases[] = {
        {s.Left(3), "abc"},
        {s.Left(-1), ""},
        {s.Left(99), "abcdef"},
        {s.Mid(2), "cdef"},
        {s.Mid(-3), "abcdef"},
        {s.Mid(6), ""},
        {s.Mid(99), ""},
        {s.Mid(1, 2), "bc"},
        {s.Mid(4, 99), "ef"},
        {s.Mid(2, -1), ""},
        {s.Mid(INT_MIN), "abcdef"},
        {s.Right(2), "ef"},
        {s.Right(-2), ""},
        {s.Right(99), "abcdef"},
        {s.SpanIncluding("abx"), "ab"},
        {s.SpanExcluding("d"), "abc"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(cases[i].actual, cases[i].expected);
    }
}

TEST(CString, FindAndReplace) {
    CString s("a.b.c");
    EXPECT_EQ(s.Find('.'), 1);
    EXPECT_EQ(s.Find('.', 2), 3);
    EXPECT_EQ(s.Find('.', 99), -1);
    EXPECT_EQ(s.Find(".c"), 3);
    EXPECT_EQ(s.Find("b", 5), -1);
    EXPECT_EQ(s.Find("b", 6), -1);
    EXPECT_EQ(s.Find((LPCSTR)NULL), -1);
    EXPECT_EQ(s.ReverseFind('.'), 3);
    EXPECT_EQ(s.FindOneOf("cb"), 2);
    EXPECT_EQ(s.Replace(".", "::"), 2);
    EXPECT_EQ(s, "a::b::c");
    EXPECT_EQ(s.Replace(':', '-'), 4);
    EXPECT_EQ(s.Remove('-'), 4);
    EXPECT_EQ(s, "abc");
    EXPECT_EQ(s.Insert(99, 'd'), 4);
    EXPECT_EQ(s.Insert(-1, "_"), 5);
    EXPECT_EQ(s, "_abcd");
    EXPECT_EQ(s.Delete(1, 2), 3);
    EXPECT_EQ(s, "_cd");
    s.SetAt(0, 'x');
    s.SetAt(9, 'y');
    EXPECT_EQ(s, "xcd");
}

TEST(CString, TrimCaseAndCompare) {
    CString s(" \t\r\nText \n\v\f");
    EXPECT_EQ(s.Trim(), "Text");
    CString t("xxaxx");
    t.TrimLeft('x');
    EXPECT_EQ(t, "axx");
    t.TrimRight("x");
    EXPECT_EQ(t, "a");
    CString u("--a--");
    EXPECT_EQ(u.Trim('-'), "a");
    CString v("MiXed");
    v.MakeUpper();
    EXPECT_EQ(v, "MIXED");
    v.MakeLower();
    EXPECT_EQ(v, "mixed");
    v.MakeReverse();
    EXPECT_EQ(v, "dexim");
    EXPECT_EQ(CString("abc").CompareNoCase("ABC"), 0);
    EXPECT_LT(CString("abc").Compare("abd"), 0);
    EXPECT_TRUE(CString("a") < "b");
    EXPECT_TRUE("b" > CString("a"));
    EXPECT_TRUE(CString("a") <= CString("a"));
    EXPECT_TRUE(CString("a") != "A");
    EXPECT_EQ("x" + CString("y") + 'z' + "!", "xyz!");
}

TEST(CString, FormatAndBuffer) {
    CString s;
    s.Format("%d-%05.1f-%s", 42, 3.14159, "x");
    EXPECT_EQ(s, "42-003.1-x");
    const std::string big(5000, 'q');
    s.Format("%s", big.c_str());
    EXPECT_EQ(s.GetLength(), 5000);
    char* p = s.GetBuffer(10);
    strcpy(p, "abc");
    s.ReleaseBuffer();
    EXPECT_EQ(s, "abc");
    EXPECT_EQ(s.GetLength(), 3);
    p = s.GetBufferSetLength(2);
    EXPECT_EQ(s, "ab");
    CString e;
    p = e.GetBuffer(0);  // even the empty string gives a writable buffer
    p[0] = 0;
    e.ReleaseBuffer();
    EXPECT_TRUE(e.IsEmpty());
}
