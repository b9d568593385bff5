#include "../files/PlatformFixture.h"

#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

#include "win/files.h"

using namespace brevant::platform;
using brevant::test::writeFile;

using PathMapTest = PlatformTest;

TEST_F(PathMapTest, WindowsPathsMapThroughTheDriveMap) {
    writeFile(native("Jobs/A100/Plan01.DWG"), "x");
    mapDrive("\\\\srv\\jobs", native("Jobs"));
    const struct {
        std::string windows;
        std::string expected;
    } cases[] = {
        {"P:\\Jobs\\A100\\Plan01.DWG", native("Jobs/A100/Plan01.DWG")},
        {"p:/jobs/a100/plan01.dwg", native("Jobs/A100/Plan01.DWG")},  // existing names, any case
        {"P:\\JOBS\\a100\\New.txt", native("Jobs/A100/New.txt")},     // a new name keeps its case
        {"P:\\Jobs\\.\\X\\..\\A100", native("Jobs/A100")},
        {"P:\\..\\..\\Jobs", native("Jobs")},  // ".." stops at the root of the drive
        {"P:", m_dir.path()},
        {"\\\\SRV\\Jobs\\a100\\plan01.dwg", native("Jobs/A100/Plan01.DWG")},
        {"\\\\srv\\jobs\\..\\..\\A100", native("Jobs/A100")},
        {m_dir.path() + "/jobs/A100", native("Jobs/A100")},  // a Linux path as it is
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        std::string result;
        ASSERT_TRUE(toNativePath(cases[i].windows, result));
        EXPECT_EQ(result, cases[i].expected);
    }
}

TEST_F(PathMapTest, UnmappedDrivesAndSharesFailWithWindowsErrors) {
    const struct {
        const char* path;
        DWORD error;
    } cases[] = {
        {"Q:\\x.txt", ERROR_PATH_NOT_FOUND},
        {"\\\\nobody\\share\\x.txt", ERROR_BAD_NETPATH},
        {"\\\\server", ERROR_BAD_NETPATH},
        {"", ERROR_PATH_NOT_FOUND},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        std::string result = "unchanged";
        SetLastError(0);
        EXPECT_FALSE(toNativePath(cases[i].path, result));
        EXPECT_EQ(GetLastError(), cases[i].error);
        EXPECT_EQ(CreateFileA(cases[i].path, GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL),
                  INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), cases[i].error);
    }
}

// The DRIVES setting is read when the map is first used; the check runs in a
// fresh process, where no earlier test has used the map.
int drivesSettingIsLoaded() {
    setenv("BREVANT_DRIVES",
           "J=/srv/j|\\\\srv\\jobs;r:=/srv/r/|\\\\srv\\ref|ro;\\\\Srv\\Share=/srv/s", 1);
    DriveInfo j, r, s;
    const bool ok = driveInfo("j:", j) && j.folder == "/srv/j" && j.remoteName == "\\\\srv\\jobs" &&
                    !j.readOnly && driveInfo("R", r) && r.folder == "/srv/r" && r.readOnly &&
                    driveInfo("\\\\srv\\share", s) && s.folder == "/srv/s" && !driveInfo("K", s);
    return ok ? 0 : 1;
}

TEST(DriveMapLoad, DrivesSettingIsReadOnFirstUse) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(exit(drivesSettingIsLoaded()), ::testing::ExitedWithCode(0), "");
}

// Entries of the DRIVES setting that cannot be used are each said once and
// left out; the others are mapped.
int malformedDrivesAreLeftOut() {
    setenv("BREVANT_DRIVES",
           "J=/srv/j;;QQ=/q;junk;L=;M=/m|\\\\srv\\m|rw;N=/n|a|ro|x;\\\\srv=/s;O:\\=/o", 1);
    testing::internal::CaptureStderr();
    DriveInfo info;
    const bool mapped = driveInfo("J", info) && driveInfo("O", info) && info.folder == "/o";
    const bool leftOut = !driveInfo("L", info) && !driveInfo("M", info) && !driveInfo("N", info) &&
                         !driveInfo("\\\\srv", info);
    const std::string prefix =
        std::string(program_invocation_short_name) + ": the setting BREVANT_DRIVES: the entry ";
    const std::string expected =
        prefix + "\"QQ=/q\" names no drive letter or \\\\server\\share; the entry is left out.\n" +
        prefix + "\"junk\" is not <drive>=<folder>[|<remote name>[|ro]]; the entry is left out.\n" +
        prefix + "\"L=\" has neither a folder nor a remote name; the entry is left out.\n" +
        prefix +
        "\"M=/m|\\\\srv\\m|rw\" has a third field other than ro; the entry is left out.\n" +
        prefix + "\"N=/n|a|ro|x\" has more than three fields; the entry is left out.\n" + prefix +
        "\"\\\\srv=/s\" names no drive letter or \\\\server\\share; the entry is left out.\n";
    const std::string reported = testing::internal::GetCapturedStderr();
    if (reported != expected) {
        fprintf(stderr, "reported:\n%s", reported.c_str());
    }
    return mapped && leftOut && reported == expected ? 0 : 1;
}

TEST(DriveMapLoad, MalformedEntriesAreReportedAndLeftOut) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(exit(malformedDrivesAreLeftOut()), ::testing::ExitedWithCode(0), "");
}

TEST_F(PathMapTest, DriveCDefaultsToAPerUserFolderMadeOnDemand) {
    setenv("XDG_DATA_HOME", native("data").c_str(), 1);
    std::string result;
    ASSERT_TRUE(toNativePath("C:\\Temp\\x.txt", result));
    EXPECT_EQ(result, native("data/brevant/drive_c/Temp/x.txt"));
    struct stat st;
    EXPECT_EQ(stat(native("data/brevant/drive_c").c_str(), &st), 0);
    EXPECT_EQ(toWindowsPath(native("data/brevant/drive_c/Temp")), "C:\\Temp");
    mapDrive("C", native("c"));
    ASSERT_TRUE(toNativePath("C:\\x", result));
    EXPECT_EQ(result, native("c/x"));
    unsetenv("XDG_DATA_HOME");
}

TEST_F(PathMapTest, LinuxPathsShowThroughTheLongestMappedFolder) {
    mapDrive("Q", native("sub"));
    mapDrive("\\\\srv\\jobs", native("jobs"));
    EXPECT_EQ(toWindowsPath(m_dir.path()), "P:\\");
    EXPECT_EQ(toWindowsPath(native("a/b.txt")), "P:\\a\\b.txt");
    EXPECT_EQ(toWindowsPath(native("sub/c")), "Q:\\c");
    EXPECT_EQ(toWindowsPath(native("subway")), "P:\\subway");
    EXPECT_EQ(toWindowsPath(native("jobs/x")), "\\\\srv\\jobs\\x");
    EXPECT_EQ(toWindowsPath("/proc/self"), "\\proc\\self");
}

TEST(SplitPath, WindowsSemantics) {
    const struct {
        const char* path;
        const char *drive, *dir, *fname, *ext;
    } cases[] = {
        {"P:\\job\\A-101.dwg", "P:", "\\job\\", "A-101", ".dwg"},
        {"P:\\job\\plan.old.dwg", "P:", "\\job\\", "plan.old", ".dwg"},
        {"P:/job/sub/", "P:", "/job/sub/", "", ""},
        {"\\\\srv\\jobs\\a.txt", "", "\\\\srv\\jobs\\", "a", ".txt"},
        {"name", "", "", "name", ""},
        {".profile", "", "", "", ".profile"},
        {"c:x.", "c:", "", "x", "."},
        {"", "", "", "", ""},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        char drive[_MAX_DRIVE], dir[_MAX_DIR], fname[_MAX_FNAME], ext[_MAX_EXT];
        _splitpath(cases[i].path, drive, dir, fname, ext);
        EXPECT_STREQ(drive, cases[i].drive);
        EXPECT_STREQ(dir, cases[i].dir);
        EXPECT_STREQ(fname, cases[i].fname);
        EXPECT_STREQ(ext, cases[i].ext);
    }
    char fname[_MAX_FNAME];
    _splitpath("P:\\dir\\file.txt", NULL, NULL, fname, NULL);  // parts may be left out
    EXPECT_STREQ(fname, "file");
    const std::string longName = "P:\\" + std::string(400, 'n') + ".txt";
    _splitpath(longName.c_str(), NULL, NULL, fname, NULL);  // cut to fit, never overflowing
    EXPECT_EQ(strlen(fname), (size_t)_MAX_FNAME - 1);
}

TEST_F(PathMapTest, FullPathResolvesAgainstTheCurrentDirectory) {
    ASSERT_TRUE(CreateDirectoryA("P:\\work", NULL));
    ASSERT_TRUE(SetCurrentDirectoryA("p:\\WORK"));
    const struct {
        const char* path;
        const char* expected;
    } cases[] = {
        {"plan.dwg", "P:\\work\\plan.dwg"},
        {"..\\x\\.\\y/z", "P:\\x\\y\\z"},
        {"P:\\a\\..\\..\\b", "P:\\b"},
        {"P:\\a\\", "P:\\a\\"},
        {"P:sub", "P:\\work\\sub"},
        {"p:\\Work", "P:\\Work"},
        {"Q:\\x\\..\\y", "Q:\\y"},
        {"\\\\srv\\jobs\\a\\..\\..\\b", "\\\\srv\\jobs\\b"},
        {".", "P:\\work"},
        {"", "P:\\work"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        char buffer[_MAX_PATH];
        ASSERT_NE(_fullpath(buffer, cases[i].path, sizeof buffer), nullptr);
        EXPECT_STREQ(buffer, cases[i].expected);
    }
    char small[8];
    EXPECT_EQ(_fullpath(small, "plan.dwg", sizeof small), nullptr);
    char* allocated = _fullpath(NULL, "plan.dwg", 0);
    ASSERT_NE(allocated, nullptr);
    EXPECT_STREQ(allocated, "P:\\work\\plan.dwg");
    free(allocated);
    const std::string tooLong(300, 'a');
    EXPECT_EQ(_fullpath(NULL, tooLong.c_str(), 0), nullptr);
}

TEST_F(PathMapTest, CurrentDirectoryInWindowsForm) {
    ASSERT_TRUE(CreateDirectoryA("P:\\Work", NULL));
    writeFile(native("file.txt"), "x");
    ASSERT_TRUE(SetCurrentDirectoryA("P:\\work\\"));
    char buffer[MAX_PATH];
    EXPECT_EQ(GetCurrentDirectoryA(sizeof buffer, buffer), strlen("P:\\Work"));
    EXPECT_STREQ(buffer, "P:\\Work");
    // Too small: the size needed with its zero, and the buffer untouched.
    char small[4] = "abc";
    EXPECT_EQ(GetCurrentDirectoryA(sizeof small, small), strlen("P:\\Work") + 1);
    EXPECT_STREQ(small, "abc");
    EXPECT_EQ(GetCurrentDirectoryA(0, NULL), strlen("P:\\Work") + 1);

    const struct {
        const char* path;
        DWORD error;
    } failures[] = {
        {"P:\\missing", ERROR_FILE_NOT_FOUND},
        {"P:\\missing\\deeper", ERROR_PATH_NOT_FOUND},
        {"P:\\file.txt", ERROR_DIRECTORY},
        {"Q:\\", ERROR_PATH_NOT_FOUND},
    };
    for (size_t i = 0; i < sizeof failures / sizeof failures[0]; ++i) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(SetCurrentDirectoryA(failures[i].path));
        EXPECT_EQ(GetLastError(), failures[i].error);
    }
    GetCurrentDirectoryA(sizeof buffer, buffer);
    EXPECT_STREQ(buffer, "P:\\Work");  // failures leave it where it was
}

TEST_F(PathMapTest, PathsOfMaxPathCharactersAreRefused) {
    const std::string longPath = "P:\\" + std::string(MAX_PATH, 'x');
    EXPECT_EQ(CreateFileA(longPath.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILENAME_EXCED_RANGE);
    EXPECT_FALSE(CreateDirectoryA(longPath.c_str(), NULL));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILENAME_EXCED_RANGE);
    EXPECT_EQ(GetFileAttributesA(longPath.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(SetCurrentDirectoryA(longPath.c_str()));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILENAME_EXCED_RANGE);
    WIN32_FIND_DATAA data;
    EXPECT_EQ(FindFirstFileA((longPath + "\\*").c_str(), &data), INVALID_HANDLE_VALUE);
}

TEST(RuntimeStrings, WindowsOnlyFunctions) {
    EXPECT_EQ(_stricmp("Plan", "PLAN"), 0);
    EXPECT_LT(_stricmp("a", "B"), 0);
    EXPECT_EQ(_stricmp(NULL, ""), 0);
    EXPECT_EQ(_strnicmp("PlanA", "planB", 4), 0);
    EXPECT_NE(_strnicmp("PlanA", "planB", 5), 0);
    char text[] = "Mixed Case 1";
    EXPECT_STREQ(_strupr(text), "MIXED CASE 1");
    EXPECT_STREQ(_strlwr(text), "mixed case 1");
    EXPECT_EQ(_strupr(NULL), nullptr);
    char* copy = _strdup("abc");
    EXPECT_STREQ(copy, "abc");
    free(copy);
    EXPECT_EQ(_strdup(NULL), nullptr);
}

TEST(RuntimeStrings, SnprintfReturnsMinusOneWhenTheTextDoesNotFit) {
    const struct {
        size_t count;
        int result;
        const char* stored;  // bytes the buffer holds afterwards
    } cases[] = {
        {10, 5, "hello"},   // fits with its zero
        {5, 5, "hello#"},   // fills the buffer exactly: no zero
        {3, -1, "hel###"},  // does not fit: cut, no zero
        {0, -1, "######"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        char buffer[16];
        memset(buffer, '#', sizeof buffer);
        buffer[6] = 0;
        EXPECT_EQ(_snprintf(buffer, cases[i].count, "%s", "hello"), cases[i].result);
        EXPECT_STREQ(buffer, cases[i].stored);
    }
}
