#include "../files/PlatformFixture.h"

#include <cstring>
#include <sys/stat.h>

#include "afx.h"

using namespace brevant::platform;
using brevant::test::fileExists;
using brevant::test::readFile;
using brevant::test::writeFile;

using ClassFileTest = PlatformTest;

TEST_F(ClassFileTest, OpenFlagsAndErrors) {
    CFileException error;
    CFile file;
    EXPECT_FALSE(file.Open("P:\\missing.txt", CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    EXPECT_EQ(error.m_lOsError, (LONG)ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(error.m_strFileName, "P:\\missing.txt");
    EXPECT_FALSE(file.Open("Q:\\x.txt", CFile::modeCreate | CFile::modeWrite, &error));
    EXPECT_EQ(error.m_cause, CFileException::badPath);
    EXPECT_FALSE(file.Open("P:\\x.txt", CFile::modeRead));  // no exception given: just FALSE

    ASSERT_TRUE(file.Open("P:\\Data.bin", CFile::modeCreate | CFile::modeReadWrite));
    EXPECT_EQ(file.GetFilePath(), "P:\\Data.bin");
    EXPECT_EQ(file.GetFileName(), "Data.bin");
    EXPECT_EQ(file.GetFileTitle(), "Data");
    file.Write("a\nb", 3);  // binary: stored as given
    EXPECT_EQ(file.GetLength(), 3u);
    file.SeekToBegin();
    char buffer[8] = {};
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 3u);
    EXPECT_STREQ(buffer, "a\nb");
    EXPECT_EQ(file.SeekToEnd(), 3u);
    file.Close();
    EXPECT_EQ(readFile(native("Data.bin")), "a\nb");

    // modeNoTruncate keeps the contents; without it they go.
    CFile keep("P:\\data.bin", CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite);
    keep.SeekToEnd();
    keep.Write("c", 1);
    keep.Close();
    EXPECT_EQ(readFile(native("Data.bin")), "a\nbc");
    CFile truncate("P:\\data.bin", CFile::modeCreate | CFile::modeWrite);
    truncate.Close();
    EXPECT_EQ(readFile(native("Data.bin")), "");
}

TEST_F(ClassFileTest, ShareFlagsMapToWindowsSharing) {
    writeFile(native("s.txt"), "x");
    const struct {
        UINT first;
        UINT second;
        bool secondOpens;
    } cases[] = {
        {CFile::modeRead | CFile::shareDenyNone, CFile::modeReadWrite | CFile::shareDenyNone, true},
        {CFile::modeRead | CFile::shareDenyWrite, CFile::modeRead | CFile::shareDenyNone, true},
        {CFile::modeRead | CFile::shareDenyWrite, CFile::modeWrite | CFile::shareDenyNone, false},
        {CFile::modeRead | CFile::shareExclusive, CFile::modeRead | CFile::shareDenyNone, false},
        {CFile::modeWrite | CFile::shareDenyRead, CFile::modeRead | CFile::shareDenyNone, false},
        {CFile::modeRead | CFile::shareCompat, CFile::modeRead | CFile::shareDenyNone, false},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        CFile first("P:\\s.txt", cases[i].first);
        CFile second;
        CFileException error;
        EXPECT_EQ(second.Open("P:\\s.txt", cases[i].second, &error) != FALSE, cases[i].secondOpens);
        if (!cases[i].secondOpens) {
            EXPECT_EQ(error.m_cause, CFileException::sharingViolation);
        }
    }
}

TEST_F(ClassFileTest, ConstructorAndWriteThrowFileExceptions) {
    try {
        CFile file("P:\\none\\x.txt", CFile::modeRead);
        FAIL() << "nothing thrown";
    } catch (CFileException* e) {
        EXPECT_EQ(e->m_cause, CFileException::badPath);
        EXPECT_EQ(e->m_strFileName, "P:\\none\\x.txt");
        e->Delete();
    }
    CFile file("P:\\w.bin", CFile::modeCreate | CFile::modeWrite);
    failAfter(Operation::FileWrite, 1, ERROR_DISK_FULL);
    try {
        file.Write("abc", 3);
        FAIL() << "nothing thrown";
    } catch (CFileException* e) {
        EXPECT_EQ(e->m_cause, CFileException::diskFull);
        EXPECT_EQ(e->m_strFileName, "P:\\w.bin");
        e->Delete();
    }
    try {
        file.Seek(-5, CFile::begin);
        FAIL() << "nothing thrown";
    } catch (CFileException* e) {
        EXPECT_EQ(e->m_cause, CFileException::badSeek);
        e->Delete();
    }
}

// Text mode, checked by the bytes on disk.
TEST_F(ClassFileTest, TextModeStoresLineFeedsAsCarriageReturnLineFeed) {
    const struct {
        const char* written;
        const char* stored;
    } cases[] = {
        {"a\nb", "a\r\nb"},
        {"\nfirst\n\n", "\r\nfirst\r\n\r\n"},
        {"cr\ralone", "cr\ralone"},
        {"", ""},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        {
            CStdioFile file("P:\\t.txt", CFile::modeCreate | CFile::modeWrite | CFile::typeText);
            file.WriteString(cases[i].written);
        }  // closed by the destructor
        EXPECT_EQ(readFile(native("t.txt")), cases[i].stored);
        CStdioFile file("P:\\t.txt", CFile::modeRead | CFile::typeText);
        char buffer[64] = {};
        file.Read(buffer, sizeof buffer - 1);
        EXPECT_STREQ(buffer, cases[i].written);
    }
    CStdioFile binary("P:\\b.txt", CFile::modeCreate | CFile::modeWrite | CFile::typeBinary);
    binary.WriteString("a\nb");
    binary.Close();
    EXPECT_EQ(readFile(native("b.txt")), "a\nb");
}

TEST_F(ClassFileTest, ReadStringSplitsLinesAcrossReadBuffers) {
    // The carriage return of the second line end is the last byte of the
    // first 4096-byte read, its line feed the first of the next.
    const std::string first(4094, 'x');
    writeFile(native("long.txt"), "a\r\n" + first.substr(3) + "\r\nlast\r\n\r\nend\rx");
    CStdioFile file("P:\\long.txt", CFile::modeRead | CFile::shareDenyNone | CFile::typeText);
    CString line;
    EXPECT_TRUE(file.ReadString(line));
    EXPECT_EQ(line, "a");
    EXPECT_TRUE(file.ReadString(line));
    EXPECT_EQ(line.GetLength(), 4091);
    EXPECT_TRUE(file.ReadString(line));
    EXPECT_EQ(line, "last");
    EXPECT_TRUE(file.ReadString(line));
    EXPECT_EQ(line, "");  // an empty line is still a line
    EXPECT_TRUE(file.ReadString(line));
    EXPECT_EQ(line, "end\rx");  // a lone carriage return stays
    EXPECT_FALSE(file.ReadString(line));
    EXPECT_TRUE(line.IsEmpty());

    file.SeekToBegin();
    char buffer[4];
    EXPECT_STREQ(file.ReadString(buffer, sizeof buffer), "a\n");  // keeps its line feed
    EXPECT_STREQ(file.ReadString(buffer, sizeof buffer), "xxx");  // cut at nMax - 1
    file.Seek(-7, CFile::end);
    EXPECT_STREQ(file.ReadString(buffer, sizeof buffer), "\n");
    EXPECT_STREQ(file.ReadString(buffer, sizeof buffer), "end");
    EXPECT_STREQ(file.ReadString(buffer, sizeof buffer), "\rx");
    EXPECT_EQ(file.ReadString(buffer, sizeof buffer), nullptr);
}

TEST_F(ClassFileTest, AppendAtTheEndThenReadBack) {
    writeFile(native("h.his"), "\r\nfirst");
    {
        CStdioFile file("P:\\h.his", CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite |
                                         CFile::typeText);
        file.SeekToEnd();
        file.WriteString("\nsecond");
        EXPECT_EQ(file.GetPosition(), 15u);
        file.Close();
    }
    EXPECT_EQ(readFile(native("h.his")), "\r\nfirst\r\nsecond");
}

// A write that fails at the close still closes the file and reports the error.
TEST_F(ClassFileTest, FailedFlushAtCloseThrowsAndReleasesTheFile) {
    failAfter(Operation::FileWrite, 1, ERROR_DISK_FULL);
    CStdioFile file("P:\\lock.lok", CFile::modeCreate | CFile::modeWrite | CFile::typeText);
    file.WriteString("Locked At: now\n");
    try {
        file.Close();
        FAIL() << "nothing thrown";
    } catch (CFileException* e) {
        EXPECT_EQ(e->m_cause, CFileException::diskFull);
        e->Delete();
    }
    EXPECT_EQ(file.m_hFile, CFile::hFileNull);
    EXPECT_TRUE(DeleteFileA("P:\\lock.lok"));  // no handle is left open on it
}

TEST_F(ClassFileTest, ReadOnlyFileRefusesWritingWithAccessDenied) {
    writeFile(native("ro.lok"), "x");
    ASSERT_EQ(chmod(native("ro.lok").c_str(), 0444), 0);
    CFileException error;
    CStdioFile file;
    EXPECT_FALSE(
        file.Open("P:\\ro.lok", CFile::modeCreate | CFile::modeWrite | CFile::typeText, &error));
    EXPECT_EQ(error.m_cause, CFileException::accessDenied);
    EXPECT_EQ(readFile(native("ro.lok")), "x");
}
