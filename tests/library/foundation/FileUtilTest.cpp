// Paths split into their parts, file and folder tests, absolute paths and
// folder trees.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "FileUtil.h"
#include "Versions.h"
#include "brevant/platform.h"
#include "CommandLineRecorder.h"
#include "Maintenance.h"
#include "Messages.h"
#include "TempDir.h"
#include "brevant/editor.h"

using brevant::test::fileExists;
using brevant::test::TempDir;
using brevant::test::writeFile;

TEST(FileUtil, PathParts) {
    struct Case {
        const char* sPath;
        const char* sDirectory;
        const char* sBaseName;
        const char* sTitle;
        const char* sExtension;
        char cDrive;
    } cases[] = {
        {"P:\\job\\A-101.dwg", "P:\\job\\", "A-101.dwg", "A-101", "dwg", 'P'},
        {"P:\\job\\plan.old.dwg", "P:\\job\\", "plan.old.dwg", "plan.old", "dwg", 'P'},
        {"P:\\job\\README", "P:\\job\\", "README", "README", "", 'P'},
        {"P:\\job\\", "P:\\job\\", "", "", "", 'P'},
        {"P:plan.dwg", "P:", "plan.dwg", "plan", "dwg", 'P'},
        {"\\\\srv\\jobs\\plan.dwg", "\\\\srv\\jobs\\", "plan.dwg", "plan", "dwg", '\0'},
        {"/home/ann/jobs/plan01.dwg", "/home/ann/jobs/", "plan01.dwg", "plan01", "dwg", '\0'},
        {"plan.", "", "plan.", "plan", "", '\0'},
        {"", "", "", "", "", '\0'},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(cases[i].sPath);
        EXPECT_STREQ(PellamFile::Directory(cases[i].sPath), cases[i].sDirectory);
        EXPECT_STREQ(PellamFile::BaseName(cases[i].sPath, ""), cases[i].sBaseName);
        EXPECT_STREQ(PellamFile::Title(cases[i].sPath), cases[i].sTitle);
        EXPECT_STREQ(PellamFile::Extension(cases[i].sPath), cases[i].sExtension);
        EXPECT_EQ(PellamFile::DriveLetter(cases[i].sPath), cases[i].cDrive);
    }
}

TEST(FileUtil, BaseNameDropsOnlyTheExactExtension) {
    EXPECT_STREQ(PellamFile::BaseName("P:\\job\\A-101.dwg", ".dwg"), "A-101");
    EXPECT_STREQ(PellamFile::BaseName("P:\\job\\Plan.DWG", ".dwg"), "Plan.DWG");
    EXPECT_STREQ(PellamFile::BaseName("P:\\job\\Plan.dwg", "dwg"), "Plan.dwg");
    EXPECT_STREQ(PellamFile::BaseName("P:\\job\\Plan", ".dwg"), "Plan");
}

TEST(FileUtil, PathsLongerThanTheRuntimeLimits) {
    // Parts longer than the runtime's limits: no harm, no file found, and no
    // folder made under a cut name.
    TempDir dir;
    const std::string sFolder(300, 'd');
    const std::string sName(300, 'n');
    const std::string sPath = dir.path() + "/" + sFolder + "/" + sName + ".dwg";
    EXPECT_STREQ(PellamFile::Extension(sPath.c_str()), "dwg");
    EXPECT_FALSE(PellamFile::Exists(sPath.c_str()));
    EXPECT_FALSE(PellamFile::DirectoryExists(sPath.c_str()));
    EXPECT_FALSE(PellamFile::Directory(sPath.c_str()).IsEmpty());
    EXPECT_STREQ(PellamFile::FullPath(sPath.c_str()), sPath.c_str());
    EXPECT_FALSE(RecursiveCreateDirectory(sPath.c_str(), NULL));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(FileUtil, FileAndFolderTests) {
    TempDir dir;
    writeFile(dir.file("plan.dwg"), "x");
    writeFile(dir.file("locked.dwg"), "x");
    chmod(dir.file("locked.dwg").c_str(), 0444);
    writeFile(dir.file("sub/inside.txt"), "x");

    struct Case {
        std::string sPath;
        bool bExists, bWritable, bDirectory, bWritableDirectory;
    } cases[] = {
        {dir.file("plan.dwg"), true, true, false, false},
        {dir.file("locked.dwg"), true, false, false, false},
        {dir.file("sub"), false, false, true, true},
        {dir.file("sub/"), false, false, true, true},
        {dir.file("missing.dwg"), false, false, false, false},
        {dir.file("missing/plan.dwg"), false, false, false, false},
        {"", false, false, false, false},
        {"Z:\\unmapped\\plan.dwg", false, false, false, false},
    };
    // The folder tests work differently on the Windows NT family and on the
    // older line; both give the same answers and leave the current directory.
    char sStart[4096];
    ASSERT_NE(getcwd(sStart, sizeof(sStart)), nullptr);
    for (const char* sWindows : {"NT", "9x"}) {
        SCOPED_TRACE(sWindows);
        setenv("BREVANT_WINDOWS", sWindows, 1);
        EXPECT_EQ(isOSVersion(0), std::string(sWindows) == "NT");
        for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
            SCOPED_TRACE(cases[i].sPath);
            const char* sPath = cases[i].sPath.c_str();
            EXPECT_EQ(PellamFile::Exists(sPath), cases[i].bExists);
            EXPECT_EQ(PellamFile::IsWritable(sPath), cases[i].bWritable);
            EXPECT_EQ(PellamFile::DirectoryExists(sPath), cases[i].bDirectory);
            EXPECT_EQ(PellamFile::IsWritableDirectory(sPath), cases[i].bWritableDirectory);
            char sNow[4096];
            ASSERT_NE(getcwd(sNow, sizeof(sNow)), nullptr);
            EXPECT_STREQ(sNow, sStart);
        }
        EXPECT_FALSE(fileExists(dir.file("sub/PELLAMTestFile.tmp")));
    }
    unsetenv("BREVANT_WINDOWS");
}

TEST(FileUtil, ReadOnlyFolderIsNoWritableFolder) {
    // A folder on a read-only drive exists but cannot be written, on both lines.
    TempDir dir;
    writeFile(dir.file("share/inside.txt"), "x");
    brevant::platform::mapDrive("R", dir.file("share"), "\\\\srv\\share", true);
    for (const char* sWindows : {"NT", "9x"}) {
        SCOPED_TRACE(sWindows);
        setenv("BREVANT_WINDOWS", sWindows, 1);
        EXPECT_TRUE(PellamFile::DirectoryExists("R:\\"));
        EXPECT_FALSE(PellamFile::IsWritableDirectory("R:\\"));
        EXPECT_TRUE(PellamFile::Exists("R:\\inside.txt"));
        EXPECT_FALSE(PellamFile::IsWritable("R:\\inside.txt"));
    }
    unsetenv("BREVANT_WINDOWS");
    brevant::platform::unmapDrive("R");
}

TEST(FileUtil, FullPath) {
    TempDir dir;
    writeFile(dir.file("a/b/plan.dwg"), "x");
    EXPECT_STREQ(PellamFile::FullPath((dir.file("a/b/../b/plan.dwg")).c_str()),
                 PellamFile::FullPath((dir.file("a/b/plan.dwg")).c_str()));
    EXPECT_STREQ(PellamFile::FullPath(""), PellamFile::FullPath("."));
}

TEST(FileUtil, RecursiveCreateDirectoryMakesEveryMissingParent) {
    TempDir dir;
    writeFile(dir.file("x/keep"), "");
    const std::string sTarget = dir.file("x/y/z");
    EXPECT_TRUE(RecursiveCreateDirectory((sTarget + "/").c_str(), NULL));
    EXPECT_TRUE(PellamFile::DirectoryExists(sTarget.c_str()));
    // Existing folders: true at once.
    EXPECT_TRUE(RecursiveCreateDirectory(sTarget.c_str(), NULL));
    EXPECT_TRUE(RecursiveCreateDirectory(dir.path().c_str(), NULL));
    EXPECT_FALSE(RecursiveCreateDirectory("", NULL));
    // A file in the way is no folder, and nothing is made beneath it.
    writeFile(dir.file("file"), "x");
    EXPECT_FALSE(RecursiveCreateDirectory(dir.file("file/sub").c_str(), NULL));
    EXPECT_FALSE(fileExists(dir.file("file/sub")));
}

TEST(FileUtil, RecursiveCreateDirectoryTracesEachLevel) {
    // One entry trace for every level visited, one creation trace for every
    // folder made; a failing creation stops the climb down.
    TempDir dir;
    writeFile(dir.file("x/keep"), "");
    brevant::platform::mapDrive("P", dir.path());
    if (!G_bLibraryInitialised) {
        Pellam::initialiseLibrary("Brevant", NULL);
    }
    brevant::host::setConsoleOutput(false);
    int iPrevious = 0;
    Pellam::Messages::setDebugLevel(2, iPrevious);
    brevant::test::commandLineCalls().clear();

    EXPECT_TRUE(RecursiveCreateDirectory("P:\\x\\y\\z\\", NULL));
    EXPECT_EQ(brevant::test::commandLineText(),
              "Brevant (high) : ->RecursiveCreateDirectory(\"P:\\x\\y\\z\\\")\n"
              "Brevant (high) : ->RecursiveCreateDirectory(\"P:\\x\\y\\\")\n"
              "Brevant (high) : ->RecursiveCreateDirectory(\"P:\\x\\\")\n"
              "Brevant (high) : <-CreateDirectory(\"P:\\x\\y\")\n"
              "Brevant (high) : <-CreateDirectory(\"P:\\x\\y\\z\")\n");
    EXPECT_TRUE(PellamFile::DirectoryExists("P:\\x\\y\\z"));

    brevant::platform::failAfter(brevant::platform::Operation::CreateFolder, 2);
    EXPECT_FALSE(RecursiveCreateDirectory("P:\\a\\b\\c", NULL));
    brevant::platform::failAfter(brevant::platform::Operation::CreateFolder, 0);
    EXPECT_TRUE(PellamFile::DirectoryExists("P:\\a"));
    EXPECT_FALSE(PellamFile::DirectoryExists("P:\\a\\b"));

    // A drive that is not mapped: the climb ends at its top.
    EXPECT_FALSE(RecursiveCreateDirectory("Q:\\jobs\\docinfo", NULL));
    Pellam::Messages::setDebugLevel(0, iPrevious);
    brevant::platform::unmapDrive("P");
}
