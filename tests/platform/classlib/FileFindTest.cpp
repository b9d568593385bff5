#include "../files/PlatformFixture.h"

#include <vector>

#include "afx.h"

using brevant::test::writeFile;

using FileFindTest = PlatformTest;

TEST_F(FileFindTest, WalksMatchesWithWindowsPaths) {
    writeFile(native("Jobs/A100/plan01.dwg"), "123");
    writeFile(native("Jobs/A100/Plan02.DWG"), "");
    writeFile(native("Jobs/A100/docinfo/plan01-dwg.din"), "");
    CFileFind finder;
    BOOL bWorking = finder.FindFile("p:/jobs/a100/*");
    ASSERT_TRUE(bWorking);
    EXPECT_EQ(finder.GetRoot(), "P:\\jobs\\a100\\");
    struct Seen {
        CString name, path, title;
        bool directory, dots;
    };
    std::vector<Seen> seen;
    while (bWorking) {
        bWorking = finder.FindNextFile();
        seen.push_back({finder.GetFileName(), finder.GetFilePath(), finder.GetFileTitle(),
                        finder.IsDirectory() != FALSE, finder.IsDots() != FALSE});
    }
    ASSERT_EQ(seen.size(), 5u);
    const Seen expected[] = {
        {".", "P:\\jobs\\a100\\.", ".", true, true},
        {"..", "P:\\jobs\\a100\\..", "..", true, true},
        {"docinfo", "P:\\jobs\\a100\\docinfo", "docinfo", true, false},
        {"plan01.dwg", "P:\\jobs\\a100\\plan01.dwg", "plan01", false, false},
        {"Plan02.DWG", "P:\\jobs\\a100\\Plan02.DWG", "Plan02", false, false},
    };
    for (size_t i = 0; i < seen.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(seen[i].name, expected[i].name);
        EXPECT_EQ(seen[i].path, expected[i].path);
        EXPECT_EQ(seen[i].title, expected[i].title);
        EXPECT_EQ(seen[i].directory, expected[i].directory);
        EXPECT_EQ(seen[i].dots, expected[i].dots);
    }
    EXPECT_TRUE(finder.FindFile("P:\\Jobs\\A100\\*.DWG"));
    finder.FindNextFile();
    EXPECT_EQ(finder.GetLength(), 3u);
    EXPECT_FALSE(finder.FindFile("P:\\Jobs\\*.xyz"));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(finder.GetFileName(), "");
    EXPECT_FALSE(finder.FindNextFile());
}

TEST_F(FileFindTest, NoNameSearchesTheCurrentDirectory) {
    writeFile(native("only/one.txt"), "");
    ASSERT_TRUE(SetCurrentDirectoryA("P:\\only"));
    CFileFind finder;
    ASSERT_TRUE(finder.FindFile());
    EXPECT_EQ(finder.GetRoot(), "P:\\only\\");
    std::vector<CString> names;
    BOOL more = TRUE;
    while (more) {
        more = finder.FindNextFile();
        names.push_back(finder.GetFileName());
    }
    EXPECT_EQ(names, (std::vector<CString>{".", "..", "one.txt"}));
}
