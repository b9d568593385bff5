// Whole-file replacement: every refusal and every failure point leaves the
// target byte for byte as it was and no temporary file beside it; a
// replacement that succeeds is whole and keeps the target's permissions.
#include "PlatformFixture.h"

#include "brevant/files.h"
#include "win/files.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

using namespace brevant::platform;
using brevant::test::fileExists;
using brevant::test::readFile;
using brevant::test::writeFile;

namespace {

using AtomicFileTest = PlatformTest;

// The names in a folder, sorted, without "." and "..".
std::vector<std::string> namesIn(const std::string& native) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(native.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

mode_t modeOf(const std::string& native) {
    struct stat st;
    return stat(native.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

TEST_F(AtomicFileTest, NewAndReplacedFilesAreWholeAndKeepTheirPermissions) {
    const std::string content(3 << 20, 'x');  // written in more than one piece
    EXPECT_EQ(writeFileAtomically("P:\\new.dwg", content.data(), content.size()), ERROR_SUCCESS);
    EXPECT_EQ(readFile(native("new.dwg")), content);

    writeFile(native("Plan.dwg"), "old");
    ASSERT_EQ(chmod(native("Plan.dwg").c_str(), 0600), 0);
    EXPECT_EQ(writeFileAtomically("P:\\PLAN.DWG", "new", 3), ERROR_SUCCESS);
    EXPECT_EQ(readFile(native("Plan.dwg")), "new");  // the existing name, in its case
    EXPECT_EQ(modeOf(native("Plan.dwg")), 0600u);
    EXPECT_EQ(writeFileAtomically("P:\\empty.txt", nullptr, 0), ERROR_SUCCESS);
    EXPECT_EQ(namesIn(m_dir.path()),
              (std::vector<std::string>{"Plan.dwg", "empty.txt", "new.dwg"}));

    // A reader that shares deletion goes on reading what it opened.
    HANDLE reader = CreateFileA("P:\\Plan.dwg", GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                                OPEN_EXISTING, 0, NULL);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_EQ(writeFileAtomically("P:\\Plan.dwg", "newer", 5), ERROR_SUCCESS);
    char buffer[8] = {};
    DWORD read = 0;
    EXPECT_TRUE(ReadFile(reader, buffer, sizeof buffer, &read, NULL));
    EXPECT_EQ(std::string(buffer, read), "new");
    CloseHandle(reader);
    EXPECT_EQ(readFile(native("Plan.dwg")), "newer");
}

TEST_F(AtomicFileTest, RefusalsAndFailuresLeaveTheTargetAsItWas) {
    mapDrive("R", m_dir.file("share"), "", true);
    const std::string longName(MAX_PATH - 20, 'n');
    const struct {
        const char* path;
        DWORD expected;
        Operation fault;  // armed for the next such operation when faultError is set
        DWORD faultError;
    } cases[] = {
        /* 0 */ {"P:\\missing\\plan.dwg", ERROR_PATH_NOT_FOUND},
        /* 1 */ {"Q:\\plan.dwg", ERROR_PATH_NOT_FOUND},
        /* 2 */ {"P:\\folder", ERROR_ACCESS_DENIED},
        /* 3 */ {"P:\\readonly.dwg", ERROR_ACCESS_DENIED},
        /* 4 */ {"R:\\plan.dwg", ERROR_ACCESS_DENIED},
        /* 5 */ {"R:\\new.dwg", ERROR_ACCESS_DENIED},
        /* 6 */ {"P:\\locked\\plan.dwg", ERROR_ACCESS_DENIED},
        /* 7 */ {"P:\\plan.dwg\\", ERROR_INVALID_NAME},
        /* 8 */ {"", ERROR_PATH_NOT_FOUND},
        /* 9 */ {"P:\\plan.dwg", ERROR_DISK_FULL, Operation::FileCreate, ERROR_DISK_FULL},
        /* 10 */ {"P:\\plan.dwg", ERROR_DISK_FULL, Operation::FileWrite, ERROR_DISK_FULL},
        /* 11 */ {"P:\\plan.dwg", ERROR_WRITE_FAULT, Operation::FileWrite, ERROR_WRITE_FAULT},
        /* 12 */ {"P:\\plan.dwg", ERROR_ACCESS_DENIED, Operation::Rename, ERROR_ACCESS_DENIED},
    };
    writeFile(native("plan.dwg"), "plan");
    writeFile(native("readonly.dwg"), "read only");
    ASSERT_EQ(chmod(native("readonly.dwg").c_str(), 0444), 0);
    writeFile(native("folder/inside.txt"), "inside");
    writeFile(native("locked/plan.dwg"), "locked");
    writeFile(native("share/plan.dwg"), "shared");
    ASSERT_EQ(chmod(native("locked").c_str(), 0555), 0);
    const std::vector<std::string> before = namesIn(m_dir.path());
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        if (cases[i].faultError != 0) {
            failAfter(cases[i].fault, 1, cases[i].faultError);
        }
        EXPECT_EQ(checkFileReplaceable(cases[i].path),
                  cases[i].faultError != 0 ? (DWORD)ERROR_SUCCESS : cases[i].expected);
        EXPECT_EQ(writeFileAtomically(cases[i].path, "new", 3), cases[i].expected);
        brevant::test::disarmFaults();
        EXPECT_EQ(namesIn(m_dir.path()), before);
        EXPECT_EQ(readFile(native("plan.dwg")), "plan");
        EXPECT_EQ(readFile(native("readonly.dwg")), "read only");
        EXPECT_EQ(namesIn(native("locked")), std::vector<std::string>{"plan.dwg"});
        EXPECT_EQ(namesIn(native("share")), std::vector<std::string>{"plan.dwg"});
        EXPECT_EQ(readFile(native("share/plan.dwg")), "shared");
    }
    EXPECT_EQ(checkFileReplaceable("P:\\" + longName), (DWORD)ERROR_FILENAME_EXCED_RANGE);

    // Another handle that holds the target without sharing its deletion.
    HANDLE holder =
        CreateFileA("P:\\plan.dwg", GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_EQ(writeFileAtomically("P:\\plan.dwg", "new", 3), (DWORD)ERROR_ACCESS_DENIED);
    CloseHandle(holder);
    EXPECT_EQ(namesIn(m_dir.path()), before);
    ASSERT_EQ(chmod(native("locked").c_str(), 0755), 0);
}

TEST_F(AtomicFileTest, AWriterThatIsNotCommittedLeavesNothing) {
    writeFile(native("plan.dwg"), "plan");
    {
        AtomicFileWriter writer;
        EXPECT_EQ(writer.write("x", 1), (DWORD)ERROR_INVALID_FUNCTION);  // no begin yet
        ASSERT_EQ(writer.begin("P:\\plan.dwg"), ERROR_SUCCESS);
        EXPECT_EQ(writer.write("half", 4), ERROR_SUCCESS);
        EXPECT_EQ(namesIn(m_dir.path()).size(), 2u);  // the temporary file beside it
    }
    EXPECT_EQ(namesIn(m_dir.path()), std::vector<std::string>{"plan.dwg"});
    EXPECT_EQ(readFile(native("plan.dwg")), "plan");

    // After a failed write, every later call gives that error; nothing is left.
    AtomicFileWriter writer;
    ASSERT_EQ(writer.begin("P:\\plan.dwg"), ERROR_SUCCESS);
    failAfter(Operation::FileWrite, 2, ERROR_DISK_FULL);
    EXPECT_EQ(writer.write("a", 1), ERROR_SUCCESS);
    EXPECT_EQ(writer.write("b", 1), (DWORD)ERROR_DISK_FULL);
    EXPECT_EQ(writer.write("c", 1), (DWORD)ERROR_DISK_FULL);
    EXPECT_EQ(writer.commit(), (DWORD)ERROR_DISK_FULL);
    EXPECT_EQ(namesIn(m_dir.path()), std::vector<std::string>{"plan.dwg"});
    EXPECT_EQ(readFile(native("plan.dwg")), "plan");

    // One writer replaces one file after another.
    for (const char* name : {"P:\\a.txt", "P:\\b.txt"}) {
        ASSERT_EQ(writer.begin(name), ERROR_SUCCESS);
        EXPECT_EQ(writer.write(name, 8), ERROR_SUCCESS);
        EXPECT_EQ(writer.commit(), ERROR_SUCCESS);
        EXPECT_EQ(writer.commit(), (DWORD)ERROR_INVALID_FUNCTION);
    }
    EXPECT_EQ(readFile(native("b.txt")), "P:\\b.txt");
    EXPECT_FALSE(fileExists(native("c.txt")));
}

}  // namespace
