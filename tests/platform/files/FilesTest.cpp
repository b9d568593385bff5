#include "PlatformFixture.h"

#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "win/files.h"

using namespace brevant::platform;
using brevant::test::fileExists;
using brevant::test::readFile;
using brevant::test::writeFile;

using FilesTest = PlatformTest;

namespace {

void makeReadOnly(const std::string& native) {
    struct stat st;
    ASSERT_EQ(stat(native.c_str(), &st), 0);
    ASSERT_EQ(chmod(native.c_str(), st.st_mode & ~(S_IWUSR | S_IWGRP | S_IWOTH)), 0);
}

std::string readAll(HANDLE h) {
    std::string text;
    char buffer[64];
    DWORD n = 0;
    while (ReadFile(h, buffer, sizeof buffer, &n, NULL) && n > 0) {
        text.append(buffer, n);
    }
    return text;
}

}  // namespace

TEST_F(FilesTest, CreationDispositions) {
    writeFile(native("old.txt"), "old contents");
    const struct {
        const char* name;
        DWORD disposition;
        bool opens;
        DWORD error;        // last error afterwards
        const char* after;  // file contents afterwards, NULL: no file
    } cases[] = {
        {"new1.txt", CREATE_NEW, true, ERROR_SUCCESS, ""},
        {"old.txt", CREATE_NEW, false, ERROR_FILE_EXISTS, "old contents"},
        {"new2.txt", CREATE_ALWAYS, true, ERROR_SUCCESS, ""},
        {"old.txt", CREATE_ALWAYS, true, ERROR_ALREADY_EXISTS, ""},
        {"new3.txt", OPEN_EXISTING, false, ERROR_FILE_NOT_FOUND, NULL},
        {"new4.txt", OPEN_ALWAYS, true, ERROR_SUCCESS, ""},
        {"new5.txt", TRUNCATE_EXISTING, false, ERROR_FILE_NOT_FOUND, NULL},
        {"missing\\new6.txt", CREATE_ALWAYS, false, ERROR_PATH_NOT_FOUND, NULL},
        {"missing\\new7.txt", OPEN_EXISTING, false, ERROR_PATH_NOT_FOUND, NULL},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        writeFile(native("old.txt"), "old contents");
        const std::string path = std::string("P:\\") + cases[i].name;
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL,
                               cases[i].disposition, FILE_ATTRIBUTE_NORMAL, NULL);
        EXPECT_EQ(GetLastError(), cases[i].error);
        EXPECT_EQ(h != INVALID_HANDLE_VALUE, cases[i].opens);
        if (h != INVALID_HANDLE_VALUE) {
            EXPECT_TRUE(CloseHandle(h));
        }
        std::string nativePath;
        ASSERT_TRUE(toNativePath(path, nativePath));
        EXPECT_EQ(fileExists(nativePath), cases[i].after != NULL);
        if (cases[i].after != NULL) {
            EXPECT_EQ(readFile(nativePath), cases[i].after);
        }
    }
    writeFile(native("old.txt"), "old contents");
    HANDLE h = CreateFileA("P:\\OLD.TXT", GENERIC_READ, 0, NULL, TRUNCATE_EXISTING, 0, NULL);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_EQ(readFile(native("old.txt")), "");
}

TEST_F(FilesTest, ReadWriteSeekAndSize) {
    HANDLE h = CreateFileA("P:\\data.bin", GENERIC_READ | GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD n = 0;
    ASSERT_TRUE(WriteFile(h, "0123456789", 10, &n, NULL));
    EXPECT_EQ(n, 10u);
    DWORD high = 7;
    EXPECT_EQ(GetFileSize(h, &high), 10u);
    EXPECT_EQ(high, 0u);
    EXPECT_EQ(SetFilePointer(h, 4, NULL, FILE_BEGIN), 4u);
    EXPECT_EQ(SetFilePointer(h, -2, NULL, FILE_END), 8u);
    EXPECT_EQ(SetFilePointer(h, -3, NULL, FILE_CURRENT), 5u);
    EXPECT_EQ(readAll(h), "56789");
    char c;
    EXPECT_TRUE(ReadFile(h, &c, 1, &n, NULL));  // the end: TRUE with nothing read
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(SetFilePointer(h, -20, NULL, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_NEGATIVE_SEEK);
    EXPECT_EQ(SetFilePointer(h, 3, NULL, FILE_BEGIN), 3u);
    EXPECT_TRUE(SetEndOfFile(h));
    EXPECT_TRUE(FlushFileBuffers(h));
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(readFile(native("data.bin")), "012");
    EXPECT_FALSE(CloseHandle(h));  // a handle closes once
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);
    EXPECT_FALSE(WriteFile(h, "x", 1, &n, NULL));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);
}

TEST_F(FilesTest, AccessRightsOfAHandle) {
    writeFile(native("f.txt"), "abc");
    HANDLE reader = CreateFileA("P:\\f.txt", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                OPEN_EXISTING, 0, NULL);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    DWORD n = 0;
    EXPECT_FALSE(WriteFile(reader, "x", 1, &n, NULL));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);
    CloseHandle(reader);
    HANDLE writer = CreateFileA("P:\\f.txt", GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    char buffer[4];
    EXPECT_FALSE(ReadFile(writer, buffer, 3, &n, NULL));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);
    CloseHandle(writer);
}

// FILE_APPEND_DATA without GENERIC_WRITE: each write lands at the end of the
// file as it is at that moment, also after another handle has written there;
// the fault seam fails the write and the file keeps what it had.
TEST_F(FilesTest, AppendOnlyWritesLandAtTheEnd) {
    const DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE;
    HANDLE first = CreateFileA("P:\\log.txt", FILE_APPEND_DATA, shareAll, NULL, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_SUCCESS);
    HANDLE second = CreateFileA("P:\\LOG.TXT", FILE_APPEND_DATA, shareAll, NULL, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(second, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ALREADY_EXISTS);
    DWORD n = 0;
    EXPECT_TRUE(WriteFile(first, "one;", 4, &n, NULL));
    EXPECT_TRUE(WriteFile(second, "two;", 4, &n, NULL));
    EXPECT_TRUE(WriteFile(first, "three;", 6, &n, NULL));
    EXPECT_EQ(n, 6u);
    char c;
    EXPECT_FALSE(ReadFile(first, &c, 1, &n, NULL));  // no read access
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);
    EXPECT_FALSE(SetEndOfFile(first));  // appending gives no right to cut
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);

    failAfter(Operation::FileWrite, 1);
    EXPECT_FALSE(WriteFile(second, "lost;", 5, &n, NULL));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_DISK_FULL);
    EXPECT_TRUE(CloseHandle(first));
    EXPECT_TRUE(CloseHandle(second));
    EXPECT_EQ(readFile(native("log.txt")), "one;two;three;");

    // Appending is writing for sharing: a handle that denies writing refuses it.
    HANDLE exclusive =
        CreateFileA("P:\\log.txt", GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
    EXPECT_EQ(CreateFileA("P:\\log.txt", FILE_APPEND_DATA, shareAll, NULL, OPEN_ALWAYS, 0, NULL),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_SHARING_VIOLATION);
    CloseHandle(exclusive);

    // A read-only file refuses appending; the fault seam can fail its creation.
    writeFile(native("ro.txt"), "kept");
    makeReadOnly(native("ro.txt"));
    EXPECT_EQ(CreateFileA("P:\\ro.txt", FILE_APPEND_DATA, shareAll, NULL, OPEN_ALWAYS, 0, NULL),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);
    failAfter(Operation::FileCreate, 1);
    EXPECT_EQ(CreateFileA("P:\\new.txt", FILE_APPEND_DATA, shareAll, NULL, OPEN_ALWAYS, 0, NULL),
              INVALID_HANDLE_VALUE);
    EXPECT_FALSE(fileExists(native("new.txt")));
}

TEST_F(FilesTest, SharingAmongTheProcessHandles) {
    writeFile(native("shared.txt"), "abc");
    const DWORD R = GENERIC_READ, W = GENERIC_WRITE;
    const DWORD SR = FILE_SHARE_READ, SW = FILE_SHARE_WRITE;
    const struct {
        DWORD firstAccess, firstShare, secondAccess, secondShare;
        bool secondOpens;
    } cases[] = {
        {R, SR, R, SR, true},
        {R, SR, W, SR | SW, false},  // the first does not share writing
        {R, SR | SW, W, SR | SW, true},
        {W, SR, R, SR, false},  // the second does not share the first's writing
        {W, SR, R, SR | SW, true},
        {R, 0, R, SR | SW, false},  // exclusive
        {0, 0, R, SR | SW, true},   // a handle without access conflicts with nothing...
        {R, SR, 0, 0, true},        // ...either way
        {R | W, SR | SW, R | W, SR | SW, true},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        HANDLE first = CreateFileA("P:\\shared.txt", cases[i].firstAccess, cases[i].firstShare,
                                   NULL, OPEN_EXISTING, 0, NULL);
        ASSERT_NE(first, INVALID_HANDLE_VALUE);
        HANDLE second = CreateFileA("p:\\SHARED.txt", cases[i].secondAccess, cases[i].secondShare,
                                    NULL, OPEN_EXISTING, 0, NULL);
        EXPECT_EQ(second != INVALID_HANDLE_VALUE, cases[i].secondOpens);
        if (second == INVALID_HANDLE_VALUE) {
            EXPECT_EQ(GetLastError(), (DWORD)ERROR_SHARING_VIOLATION);
        } else {
            CloseHandle(second);
        }
        CloseHandle(first);
    }
    // A file open without FILE_SHARE_DELETE can be neither deleted nor renamed.
    HANDLE open = CreateFileA("P:\\shared.txt", R, SR | SW, NULL, OPEN_EXISTING, 0, NULL);
    EXPECT_FALSE(DeleteFileA("P:\\shared.txt"));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_SHARING_VIOLATION);
    EXPECT_FALSE(MoveFileExA("P:\\shared.txt", "P:\\moved.txt", 0));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_SHARING_VIOLATION);
    CloseHandle(open);
    EXPECT_TRUE(DeleteFileA("P:\\shared.txt"));
}

TEST_F(FilesTest, FoldersOpenOnlyWithBackupSemantics) {
    ASSERT_TRUE(CreateDirectoryA("P:\\docinfo", NULL));
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    HANDLE h = CreateFileA("P:\\docinfo", GENERIC_READ, share, NULL, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    EXPECT_EQ(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);
    h = CreateFileA("P:\\DOCINFO\\", GENERIC_READ | GENERIC_WRITE, share, NULL, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS, NULL);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD n = 0;
    EXPECT_FALSE(WriteFile(h, "x", 1, &n, NULL));
    EXPECT_TRUE(CloseHandle(h));
    // A folder whose owner-write bit is clear cannot be opened for writing.
    makeReadOnly(native("docinfo"));
    EXPECT_EQ(CreateFileA("P:\\docinfo", GENERIC_WRITE, share, NULL, OPEN_EXISTING,
                          FILE_FLAG_BACKUP_SEMANTICS, NULL),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);
    h = CreateFileA("P:\\docinfo", GENERIC_READ, share, NULL, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS, NULL);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_EQ(CreateFileA("P:\\missing", GENERIC_READ, share, NULL, OPEN_EXISTING,
                          FILE_FLAG_BACKUP_SEMANTICS, NULL),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
}

// Read-only, Windows style, whoever runs the process (root included).
TEST_F(FilesTest, ReadOnlyFilesFoldersAndDrives) {
    writeFile(native("ro.txt"), "keep");
    makeReadOnly(native("ro.txt"));
    writeFile(native("rodir/inside.txt"), "in");
    makeReadOnly(native("rodir"));
    writeFile(native("share/doc.txt"), "doc");
    mapDrive("R", native("share"), "\\\\srv\\ref", true);

    const struct {
        const char* path;
        DWORD access;
        DWORD disposition;
    } refused[] = {
        {"P:\\ro.txt", GENERIC_WRITE, OPEN_EXISTING},
        {"P:\\ro.txt", GENERIC_READ, CREATE_ALWAYS},
        {"P:\\ro.txt", GENERIC_READ, TRUNCATE_EXISTING},
        {"P:\\rodir\\new.txt", GENERIC_WRITE, CREATE_NEW},
        {"R:\\doc.txt", GENERIC_WRITE, OPEN_EXISTING},
        {"R:\\new.txt", GENERIC_WRITE, CREATE_ALWAYS},
    };
    for (size_t i = 0; i < sizeof refused / sizeof refused[0]; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(CreateFileA(refused[i].path, refused[i].access, 0, NULL, refused[i].disposition,
                              0, NULL),
                  INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);
    }
    EXPECT_EQ(readFile(native("ro.txt")), "keep");
    EXPECT_FALSE(fileExists(native("rodir/new.txt")));
    EXPECT_FALSE(fileExists(native("share/new.txt")));

    const struct {
        const char* name;
        BOOL result;
    } changes[] = {
        {"delete ro.txt", DeleteFileA("P:\\ro.txt")},
        {"delete on R:", DeleteFileA("R:\\doc.txt")},
        {"folder in rodir", CreateDirectoryA("P:\\rodir\\sub", NULL)},
        {"folder on R:", CreateDirectoryA("R:\\sub", NULL)},
        {"rename into rodir", MoveFileExA("P:\\ro.txt", "P:\\rodir\\x.txt", 0)},
        {"rename on R:", MoveFileExA("R:\\doc.txt", "R:\\doc2.txt", 0)},
    };
    for (const auto& change : changes) {
        SCOPED_TRACE(change.name);
        EXPECT_FALSE(change.result);
    }
    EXPECT_TRUE(fileExists(native("ro.txt")));
    EXPECT_TRUE(fileExists(native("share/doc.txt")));
    // Reading stays possible, and the attribute shows it.
    HANDLE h =
        CreateFileA("R:\\doc.txt", GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_EQ(GetFileAttributesA("P:\\ro.txt"),
              (DWORD)(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY));
    // A file in a read-only folder may still be written.
    h = CreateFileA("P:\\rodir\\inside.txt", GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
}

TEST_F(FilesTest, FaultSeamFailsTheNthOperationAndLosesNothing) {
    writeFile(native("a.txt"), "original");
    failAfter(Operation::FileWrite, 2, ERROR_DISK_FULL);
    HANDLE h = CreateFileA("P:\\a.txt", GENERIC_WRITE, 0, NULL, OPEN_ALWAYS, 0, NULL);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD n = 99;
    EXPECT_TRUE(WriteFile(h, "ORIG", 4, &n, NULL));
    EXPECT_FALSE(WriteFile(h, "INAL", 4, &n, NULL));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_DISK_FULL);
    EXPECT_EQ(n, 0u);
    CloseHandle(h);
    EXPECT_EQ(readFile(native("a.txt")), "ORIGinal");

    failAfter(Operation::FileCreate, 1, ERROR_ACCESS_DENIED);
    EXPECT_EQ(CreateFileA("P:\\a.txt", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);
    EXPECT_EQ(readFile(native("a.txt")), "ORIGinal");  // not truncated

    h = CreateFileA("P:\\a.txt", GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    failAfter(Operation::FileFlush, 1, ERROR_WRITE_FAULT);
    EXPECT_FALSE(FlushFileBuffers(h));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_WRITE_FAULT);
    EXPECT_TRUE(FlushFileBuffers(h));
    CloseHandle(h);

    failAfter(Operation::Rename, 1);
    EXPECT_FALSE(MoveFileExA("P:\\a.txt", "P:\\b.txt", 0));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_DISK_FULL);
    EXPECT_TRUE(fileExists(native("a.txt")));

    failAfter(Operation::CreateFolder, 1);
    EXPECT_FALSE(CreateDirectoryA("P:\\d", NULL));
    EXPECT_FALSE(fileExists(native("d")));
    EXPECT_TRUE(CreateDirectoryA("P:\\d", NULL));  // the seam fails one call only
}

TEST_F(FilesTest, DeleteMoveAndFolders) {
    writeFile(native("a.txt"), "a");
    writeFile(native("b.txt"), "b");
    EXPECT_FALSE(MoveFileExA("P:\\a.txt", "P:\\B.TXT", 0));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ALREADY_EXISTS);
    EXPECT_TRUE(MoveFileExA("P:\\A.txt", "P:\\b.txt", MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(readFile(native("b.txt")), "a");
    EXPECT_FALSE(fileExists(native("a.txt")));
    EXPECT_FALSE(MoveFileExA("P:\\a.txt", "P:\\c.txt", 0));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);

    EXPECT_TRUE(CreateDirectoryA("P:\\x", NULL));
    const struct {
        const char* name;
        BOOL result;
        DWORD error;
    } cases[] = {
        {"folder exists", CreateDirectoryA("P:\\X", NULL), ERROR_ALREADY_EXISTS},
        {"file exists", CreateDirectoryA("P:\\b.txt", NULL), ERROR_ALREADY_EXISTS},
        {"parent missing", CreateDirectoryA("P:\\y\\z", NULL), ERROR_PATH_NOT_FOUND},
        {"delete missing", DeleteFileA("P:\\none.txt"), ERROR_FILE_NOT_FOUND},
        {"delete in missing folder", DeleteFileA("P:\\y\\none.txt"), ERROR_PATH_NOT_FOUND},
        {"delete folder", DeleteFileA("P:\\x"), ERROR_ACCESS_DENIED},
        {"remove file", RemoveDirectoryA("P:\\b.txt"), ERROR_DIRECTORY},
        {"remove missing", RemoveDirectoryA("P:\\none"), ERROR_FILE_NOT_FOUND},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(c.result);
    }
    EXPECT_FALSE(CreateDirectoryA("P:\\x", NULL));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ALREADY_EXISTS);
    writeFile(native("x/inner.txt"), "i");
    EXPECT_FALSE(RemoveDirectoryA("P:\\x"));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_DIR_NOT_EMPTY);
    EXPECT_TRUE(DeleteFileA("P:\\X\\INNER.TXT"));
    EXPECT_TRUE(RemoveDirectoryA("P:\\x"));
    EXPECT_EQ(GetFileAttributesA("P:\\x"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetFileAttributesA("P:\\x\\y"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(GetFileAttributesA("P:\\"), (DWORD)FILE_ATTRIBUTE_DIRECTORY);
}

namespace {
std::vector<std::string> findAll(const char* pattern, DWORD* error = nullptr) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA(pattern, &data);
    if (h == INVALID_HANDLE_VALUE) {
        if (error != nullptr) {
            *error = GetLastError();
        }
        return names;
    }
    do {
        names.push_back(data.cFileName);
    } while (FindNextFileA(h, &data));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_NO_MORE_FILES);
    EXPECT_TRUE(FindClose(h));
    return names;
}
}  // namespace

TEST_F(FilesTest, FindFilesWithWildcards) {
    for (const char* name : {"jobs/plan01.dwg", "jobs/Plan02.DWG", "jobs/notes.txt", "jobs/README",
                             "jobs/sub/x.dwg"}) {
        writeFile(native(name), "12345");
    }
    using Names = std::vector<std::string>;
    const struct {
        const char* pattern;
        Names expected;
    } cases[] = {
        {"P:\\jobs\\*.dwg", {"plan01.dwg", "Plan02.DWG"}},
        {"P:\\JOBS\\plan0?.dwg", {"plan01.dwg", "Plan02.DWG"}},
        {"P:\\jobs\\*", {".", "..", "notes.txt", "plan01.dwg", "Plan02.DWG", "README", "sub"}},
        {"P:\\jobs\\*.*", {".", "..", "notes.txt", "plan01.dwg", "Plan02.DWG", "README", "sub"}},
        {"P:\\jobs\\readme", {"README"}},  // without wildcards: the name as stored
        {"P:\\jobs", {"jobs"}},            // the folder itself
        {"P:\\*", {"jobs"}},               // the root of a drive has no dots
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(findAll(cases[i].pattern), cases[i].expected);
    }
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA("P:\\jobs\\notes.txt", &data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.nFileSizeLow, 5u);
    EXPECT_EQ(data.dwFileAttributes, (DWORD)FILE_ATTRIBUTE_ARCHIVE);
    FindClose(h);
    h = FindFirstFileA("P:\\jobs\\sub", &data);
    EXPECT_EQ(data.dwFileAttributes, (DWORD)FILE_ATTRIBUTE_DIRECTORY);
    FindClose(h);

    DWORD error = 0;
    EXPECT_TRUE(findAll("P:\\jobs\\*.xyz", &error).empty());
    EXPECT_EQ(error, (DWORD)ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(findAll("P:\\none\\*.dwg", &error).empty());
    EXPECT_EQ(error, (DWORD)ERROR_PATH_NOT_FOUND);
    EXPECT_TRUE(findAll("Q:\\*", &error).empty());
    EXPECT_EQ(error, (DWORD)ERROR_PATH_NOT_FOUND);
    // A folder that may not be read, Windows style: access denied.
    ASSERT_EQ(chmod(native("jobs/sub").c_str(), 0300), 0);
    EXPECT_TRUE(findAll("P:\\jobs\\sub\\*", &error).empty());
    EXPECT_EQ(error, (DWORD)ERROR_ACCESS_DENIED);
    EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));
}

TEST(GetVersionEx, NtByDefaultOlderLineBySetting) {
    OSVERSIONINFOA info;
    memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = 148;
    unsetenv("BREVANT_WINDOWS");
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, (DWORD)VER_PLATFORM_WIN32_NT);
    EXPECT_EQ(info.dwMajorVersion, 5u);
    setenv("BREVANT_WINDOWS", "9x", 1);
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, (DWORD)VER_PLATFORM_WIN32_WINDOWS);
    EXPECT_EQ(info.dwMajorVersion, 4u);
    unsetenv("BREVANT_WINDOWS");
    info.dwOSVersionInfoSize = 100;
    info.dwPlatformId = 77;
    EXPECT_FALSE(GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, 77u);
    EXPECT_FALSE(GetVersionExA(NULL));
}
