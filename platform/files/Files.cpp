// The Win32 file and folder calls on Linux: handles with Windows sharing among
// this process's handles, Windows-style read-only files and folders, read-only
// drives, and the fault seam before every write, creation and rename.
#include "FileHandles.h"
#include "../paths/PathMap.h"

#include "brevant/platform.h"
#include "win/files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using brevant::platform::Operation;
using brevant::platform::shouldFail;
using namespace brevant::platform::detail;

namespace {

// One open file or folder.
struct FileObject {
    int fd = -1;
    DWORD access = 0;
    DWORD share = 0;
    dev_t device = 0;
    ino_t inode = 0;
    bool folder = false;
};

// One search of FindFirstFileA: the matches found at the start, handed out in turn.
struct FindObject {
    std::vector<WIN32_FIND_DATAA> matches;
    size_t next = 0;
};

std::mutex g_handleMutex;
std::set<FileObject*> g_files;
std::set<FindObject*> g_finds;

FileObject* lookupFile(HANDLE h) {
    std::lock_guard<std::mutex> lock(g_handleMutex);
    auto* file = static_cast<FileObject*>(h);
    return g_files.count(file) ? file : nullptr;
}

FindObject* lookupFind(HANDLE h) {
    std::lock_guard<std::mutex> lock(g_handleMutex);
    auto* find = static_cast<FindObject*>(h);
    return g_finds.count(find) ? find : nullptr;
}

constexpr DWORD kRead = GENERIC_READ | GENERIC_ALL;
constexpr DWORD kWrite = GENERIC_WRITE | GENERIC_ALL;
// Writing access of any kind: to the file pointer, or appending only.
constexpr DWORD kAnyWrite = kWrite | FILE_APPEND_DATA;

// Windows sharing: a new open must be allowed by every open handle's share
// mode, and its own share mode must allow every open handle's access.
bool sharingAllows(dev_t device, ino_t inode, DWORD access, DWORD share) {
    if (!(access & (kRead | kAnyWrite))) {
        return true;  // an open without data access takes part in no sharing
    }
    std::lock_guard<std::mutex> lock(g_handleMutex);
    for (const FileObject* other : g_files) {
        if (other->device != device || other->inode != inode ||
            !(other->access & (kRead | kAnyWrite))) {
            continue;
        }
        if (((access & kRead) && !(other->share & FILE_SHARE_READ)) ||
            ((access & kAnyWrite) && !(other->share & FILE_SHARE_WRITE)) ||
            ((other->access & kRead) && !(share & FILE_SHARE_READ)) ||
            ((other->access & kAnyWrite) && !(share & FILE_SHARE_WRITE))) {
            return false;
        }
    }
    return true;
}

HANDLE fail(DWORD error) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

BOOL failed(DWORD error) {
    SetLastError(error);
    return FALSE;
}

// A new entry in this folder is refused: the folder is read-only (Windows style).
bool folderRefusesEntries(const ResolvedPath& path) {
    return path.readOnly || ownerCannotWrite(parentOf(path.native));
}

// Windows file times count 100-nanosecond ticks since 1601, so that two
// writes within one second still tell which came first.
void toFileTime(const struct timespec& t, FILETIME& ft) {
    const unsigned long long ticks = ((unsigned long long)t.tv_sec + 11644473600ULL) * 10000000ULL +
                                     (unsigned long long)t.tv_nsec / 100ULL;
    ft.dwLowDateTime = (DWORD)ticks;
    ft.dwHighDateTime = (DWORD)(ticks >> 32);
}

DWORD attributesOf(const struct stat& st, const std::string& name) {
    DWORD attributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if ((st.st_mode & S_IWUSR) == 0) {
        attributes |= FILE_ATTRIBUTE_READONLY;
    }
    if (!name.empty() && name[0] == '.' && name != "." && name != "..") {
        attributes |= FILE_ATTRIBUTE_HIDDEN;
    }
    return attributes;
}

void fillFindData(const struct stat& st, const std::string& name, WIN32_FIND_DATAA& data) {
    memset(&data, 0, sizeof data);
    data.dwFileAttributes = attributesOf(st, name);
    toFileTime(st.st_ctim, data.ftCreationTime);
    toFileTime(st.st_atim, data.ftLastAccessTime);
    toFileTime(st.st_mtim, data.ftLastWriteTime);
    if (!S_ISDIR(st.st_mode)) {
        data.nFileSizeHigh = (DWORD)((unsigned long long)st.st_size >> 32);
        data.nFileSizeLow = (DWORD)st.st_size;
    }
    snprintf(data.cFileName, sizeof data.cFileName, "%s", name.c_str());
}

// Wildcards * and ? without regard to case; "*.*" matches names without a dot too.
bool wildcardMatch(const char* pattern, const char* name) {
    if (strcmp(pattern, "*.*") == 0) {
        return true;
    }
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*name) {
        if (*pattern == '*') {
            star = pattern++;
            resume = name;
        } else if (*pattern == '?' ||
                   tolower((unsigned char)*pattern) == tolower((unsigned char)*name)) {
            ++pattern;
            ++name;
        } else if (star != nullptr) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == '*') {
        ++pattern;
    }
    return *pattern == 0;
}

}  // namespace

namespace brevant::platform::detail {

bool openWithoutShareDelete(const struct stat& st) {
    std::lock_guard<std::mutex> lock(g_handleMutex);
    for (const FileObject* other : g_files) {
        if (other->device == st.st_dev && other->inode == st.st_ino &&
            !(other->share & FILE_SHARE_DELETE)) {
            return true;
        }
    }
    return false;
}

}  // namespace brevant::platform::detail

// Access, sharing, creation and the folder flag as on Windows. A folder opens
// only with FILE_FLAG_BACKUP_SEMANTICS (otherwise ERROR_ACCESS_DENIED); a
// read-only file, a read-only folder (for a new file) and a read-only drive
// refuse writing with ERROR_ACCESS_DENIED; a file that another handle does not
// share gives ERROR_SHARING_VIOLATION; CREATE_ALWAYS and OPEN_ALWAYS on an
// existing file succeed with ERROR_ALREADY_EXISTS.
extern "C" HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                                     LPSECURITY_ATTRIBUTES, DWORD dwCreationDisposition,
                                     DWORD dwFlagsAndAttributes, HANDLE) {
    if (dwCreationDisposition < CREATE_NEW || dwCreationDisposition > TRUNCATE_EXISTING) {
        return fail(ERROR_INVALID_PARAMETER);
    }
    ResolvedPath path;
    if (!resolvePath(lpFileName, path)) {
        return INVALID_HANDLE_VALUE;
    }
    const bool wantsWrite = (dwDesiredAccess & kAnyWrite) != 0;
    // FILE_APPEND_DATA without GENERIC_WRITE: every write lands at the end.
    const bool appendOnly = (dwDesiredAccess & FILE_APPEND_DATA) && !(dwDesiredAccess & kWrite);
    const bool wantsRead = (dwDesiredAccess & kRead) != 0;
    struct stat st;
    const bool exists = stat(path.native.c_str(), &st) == 0;

    if (exists && S_ISDIR(st.st_mode)) {
        if (!(dwFlagsAndAttributes & FILE_FLAG_BACKUP_SEMANTICS)) {
            return fail(ERROR_ACCESS_DENIED);
        }
        if (dwCreationDisposition == CREATE_NEW) {
            return fail(ERROR_FILE_EXISTS);
        }
        if (dwCreationDisposition != OPEN_EXISTING && dwCreationDisposition != OPEN_ALWAYS) {
            return fail(ERROR_ACCESS_DENIED);
        }
        if (wantsWrite && (path.readOnly || (st.st_mode & S_IWUSR) == 0)) {
            return fail(ERROR_ACCESS_DENIED);
        }
        if (!sharingAllows(st.st_dev, st.st_ino, dwDesiredAccess, dwShareMode)) {
            return fail(ERROR_SHARING_VIOLATION);
        }
        const int fd = open(path.native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            return fail(errorFromErrno(errno));
        }
        auto* file = new FileObject{fd, dwDesiredAccess, dwShareMode, st.st_dev, st.st_ino, true};
        std::lock_guard<std::mutex> lock(g_handleMutex);
        g_files.insert(file);
        SetLastError(dwCreationDisposition == OPEN_ALWAYS ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
        return file;
    }
    if (path.trailingSeparator) {
        return fail(exists ? ERROR_INVALID_NAME : ERROR_PATH_NOT_FOUND);
    }
    if (!exists) {
        if (dwCreationDisposition == OPEN_EXISTING || dwCreationDisposition == TRUNCATE_EXISTING) {
            return fail(missingError(path.native));
        }
        struct stat parent;
        if (stat(parentOf(path.native).c_str(), &parent) != 0 || !S_ISDIR(parent.st_mode)) {
            return fail(ERROR_PATH_NOT_FOUND);
        }
        if (folderRefusesEntries(path)) {
            return fail(ERROR_ACCESS_DENIED);
        }
    } else {
        if (dwCreationDisposition == CREATE_NEW) {
            return fail(ERROR_FILE_EXISTS);
        }
        const bool truncates =
            dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == TRUNCATE_EXISTING;
        if ((wantsWrite || truncates) && (path.readOnly || (st.st_mode & S_IWUSR) == 0)) {
            return fail(ERROR_ACCESS_DENIED);
        }
        if (wantsRead && (st.st_mode & S_IRUSR) == 0) {
            return fail(ERROR_ACCESS_DENIED);
        }
        if (!sharingAllows(st.st_dev, st.st_ino, dwDesiredAccess, dwShareMode)) {
            return fail(ERROR_SHARING_VIOLATION);
        }
    }
    if (dwCreationDisposition != OPEN_EXISTING) {
        unsigned long error = 0;
        if (shouldFail(Operation::FileCreate, error)) {
            return fail((DWORD)error);
        }
    }

    int flags = O_CLOEXEC;
    flags |= wantsWrite ? (wantsRead ? O_RDWR : O_WRONLY) : O_RDONLY;
    switch (dwCreationDisposition) {
        case CREATE_NEW:
            flags |= O_CREAT | O_EXCL;
            break;
        case CREATE_ALWAYS:
            flags |= O_CREAT | O_TRUNC;
            break;
        case OPEN_ALWAYS:
            flags |= O_CREAT;
            break;
        case TRUNCATE_EXISTING:
            flags |= O_TRUNC;
            break;
        default:
            break;
    }
    if (appendOnly) {
        flags |= O_APPEND;
    }
    if ((flags & O_TRUNC) && !wantsWrite) {
        flags = (flags & ~O_RDONLY) | O_RDWR;  // truncation needs a writable descriptor
    }
    const mode_t mode = (dwFlagsAndAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
    const int fd = open(path.native.c_str(), flags, mode);
    if (fd < 0) {
        return fail(errno == ENOENT ? missingError(path.native) : errorFromErrno(errno));
    }
    struct stat opened;
    fstat(fd, &opened);
    auto* file =
        new FileObject{fd, dwDesiredAccess, dwShareMode, opened.st_dev, opened.st_ino, false};
    {
        std::lock_guard<std::mutex> lock(g_handleMutex);
        g_files.insert(file);
    }
    const bool reportsExisting =
        exists && (dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS);
    SetLastError(reportsExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return file;
}

// Closes a file or folder handle; anything else gives ERROR_INVALID_HANDLE.
extern "C" BOOL WINAPI CloseHandle(HANDLE hObject) {
    FileObject* file = nullptr;
    {
        std::lock_guard<std::mutex> lock(g_handleMutex);
        auto* candidate = static_cast<FileObject*>(hObject);
        if (g_files.erase(candidate) == 0) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        file = candidate;
    }
    const int result = close(file->fd);
    const int error = errno;
    delete file;
    if (result != 0 && error != EINTR) {
        return failed(errorFromErrno(error));
    }
    return TRUE;
}

// At the end of the file: TRUE with 0 bytes read.
extern "C" BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                                LPDWORD lpNumberOfBytesRead, LPVOID) {
    if (lpNumberOfBytesRead != nullptr) {
        *lpNumberOfBytesRead = 0;
    }
    FileObject* file = lookupFile(hFile);
    if (file == nullptr) {
        return failed(ERROR_INVALID_HANDLE);
    }
    if (file->folder || !(file->access & kRead)) {
        return failed(ERROR_ACCESS_DENIED);
    }
    if (lpBuffer == nullptr && nNumberOfBytesToRead > 0) {
        return failed(ERROR_INVALID_PARAMETER);
    }
    DWORD total = 0;
    while (total < nNumberOfBytesToRead) {
        const ssize_t n =
            read(file->fd, static_cast<char*>(lpBuffer) + total, nNumberOfBytesToRead - total);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (lpNumberOfBytesRead != nullptr) {
                *lpNumberOfBytesRead = total;
            }
            return failed(errorFromErrno(errno));
        }
        if (n == 0) {
            break;
        }
        total += (DWORD)n;
    }
    if (lpNumberOfBytesRead != nullptr) {
        *lpNumberOfBytesRead = total;
    }
    return TRUE;
}

// A full disk gives ERROR_DISK_FULL; the fault seam may fail any write.
extern "C" BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                                 LPDWORD lpNumberOfBytesWritten, LPVOID) {
    if (lpNumberOfBytesWritten != nullptr) {
        *lpNumberOfBytesWritten = 0;
    }
    FileObject* file = lookupFile(hFile);
    if (file == nullptr) {
        return failed(ERROR_INVALID_HANDLE);
    }
    if (file->folder || !(file->access & kAnyWrite)) {
        return failed(ERROR_ACCESS_DENIED);
    }
    if (lpBuffer == nullptr && nNumberOfBytesToWrite > 0) {
        return failed(ERROR_INVALID_PARAMETER);
    }
    unsigned long error = 0;
    if (shouldFail(Operation::FileWrite, error)) {
        return failed((DWORD)error);
    }
    DWORD total = 0;
    while (total < nNumberOfBytesToWrite) {
        const ssize_t n = write(file->fd, static_cast<const char*>(lpBuffer) + total,
                                nNumberOfBytesToWrite - total);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (lpNumberOfBytesWritten != nullptr) {
                *lpNumberOfBytesWritten = total;
            }
            return failed(errorFromErrno(errno));
        }
        total += (DWORD)n;
    }
    if (lpNumberOfBytesWritten != nullptr) {
        *lpNumberOfBytesWritten = total;
    }
    return TRUE;
}

// Returns the low 32 bits of the new position; without a high part the
// distance is a signed 32-bit number. A position before the start gives
// INVALID_SET_FILE_POINTER with ERROR_NEGATIVE_SEEK.
extern "C" DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove,
                                       PLONG lpDistanceToMoveHigh, DWORD dwMoveMethod) {
    FileObject* file = lookupFile(hFile);
    if (file == nullptr || file->folder) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_SET_FILE_POINTER;
    }
    long long distance = lDistanceToMove;
    if (lpDistanceToMoveHigh != nullptr) {
        distance = (long long)(((unsigned long long)(uint32_t)*lpDistanceToMoveHigh << 32) |
                               (uint32_t)lDistanceToMove);
    }
    long long base = 0;
    if (dwMoveMethod == FILE_CURRENT) {
        base = lseek(file->fd, 0, SEEK_CUR);
    } else if (dwMoveMethod == FILE_END) {
        struct stat st;
        fstat(file->fd, &st);
        base = st.st_size;
    } else if (dwMoveMethod != FILE_BEGIN) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    const long long target = base + distance;
    if (target < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return INVALID_SET_FILE_POINTER;
    }
    if (lpDistanceToMoveHigh == nullptr && target > 0xFFFFFFFELL) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (lseek(file->fd, (off_t)target, SEEK_SET) < 0) {
        SetLastError(errorFromErrno(errno));
        return INVALID_SET_FILE_POINTER;
    }
    if (lpDistanceToMoveHigh != nullptr) {
        *lpDistanceToMoveHigh = (LONG)(target >> 32);
    }
    SetLastError(ERROR_SUCCESS);  // callers tell a position of 0xFFFFFFFF from an error by it
    return (DWORD)target;
}

extern "C" DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
    FileObject* file = lookupFile(hFile);
    struct stat st;
    if (file == nullptr || fstat(file->fd, &st) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_FILE_SIZE;
    }
    if (lpFileSizeHigh != nullptr) {
        *lpFileSizeHigh = (DWORD)((unsigned long long)st.st_size >> 32);
    }
    SetLastError(ERROR_SUCCESS);
    return (DWORD)st.st_size;
}

// The file ends at the current position; this is a write for the fault seam.
extern "C" BOOL WINAPI SetEndOfFile(HANDLE hFile) {
    FileObject* file = lookupFile(hFile);
    if (file == nullptr) {
        return failed(ERROR_INVALID_HANDLE);
    }
    if (file->folder || !(file->access & kWrite)) {
        return failed(ERROR_ACCESS_DENIED);
    }
    unsigned long error = 0;
    if (shouldFail(Operation::FileWrite, error)) {
        return failed((DWORD)error);
    }
    const off_t position = lseek(file->fd, 0, SEEK_CUR);
    if (position < 0 || ftruncate(file->fd, position) != 0) {
        return failed(errorFromErrno(errno));
    }
    return TRUE;
}

// The data reaches the disk; the fault seam may fail a flush, as a share
// fails a write it had delayed.
extern "C" BOOL WINAPI FlushFileBuffers(HANDLE hFile) {
    FileObject* file = lookupFile(hFile);
    if (file == nullptr) {
        return failed(ERROR_INVALID_HANDLE);
    }
    if (!file->folder && !(file->access & kAnyWrite)) {
        return failed(ERROR_ACCESS_DENIED);
    }
    unsigned long error = 0;
    if (shouldFail(Operation::FileFlush, error)) {
        return failed((DWORD)error);
    }
    if (fsync(file->fd) != 0 && errno != EINVAL && errno != EROFS) {
        return failed(errorFromErrno(errno));
    }
    return TRUE;
}

// A folder gives ERROR_ACCESS_DENIED, a read-only file or drive too; a file
// that an open handle does not share for deletion ERROR_SHARING_VIOLATION.
extern "C" BOOL WINAPI DeleteFileA(LPCSTR lpFileName) {
    ResolvedPath path;
    if (!resolvePath(lpFileName, path)) {
        return FALSE;
    }
    struct stat st;
    if (lstat(path.native.c_str(), &st) != 0) {
        return failed(missingError(path.native));
    }
    if (S_ISDIR(st.st_mode) || path.readOnly || (st.st_mode & S_IWUSR) == 0) {
        return failed(ERROR_ACCESS_DENIED);
    }
    if (openWithoutShareDelete(st)) {
        return failed(ERROR_SHARING_VIOLATION);
    }
    if (unlink(path.native.c_str()) != 0) {
        return failed(errorFromErrno(errno));
    }
    return TRUE;
}

// Renames a file or folder. An existing target without
// MOVEFILE_REPLACE_EXISTING gives ERROR_ALREADY_EXISTS; a read-only target, a
// folder as target, or a read-only drive ERROR_ACCESS_DENIED; another drive
// ERROR_NOT_SAME_DEVICE. MOVEFILE_WRITE_THROUGH returns once the move is on
// the disk.
extern "C" BOOL WINAPI MoveFileExA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, DWORD dwFlags) {
    ResolvedPath from;
    ResolvedPath to;
    if (!resolvePath(lpExistingFileName, from) || !resolvePath(lpNewFileName, to)) {
        return FALSE;
    }
    struct stat st;
    if (lstat(from.native.c_str(), &st) != 0) {
        return failed(missingError(from.native));
    }
    if (from.readOnly || to.readOnly) {
        return failed(ERROR_ACCESS_DENIED);
    }
    if (openWithoutShareDelete(st)) {
        return failed(ERROR_SHARING_VIOLATION);
    }
    struct stat target;
    const bool targetExists = lstat(to.native.c_str(), &target) == 0;
    const bool sameObject =
        targetExists && target.st_dev == st.st_dev && target.st_ino == st.st_ino;
    if (targetExists && !sameObject) {
        if (!(dwFlags & MOVEFILE_REPLACE_EXISTING)) {
            return failed(ERROR_ALREADY_EXISTS);
        }
        if (S_ISDIR(target.st_mode) || S_ISDIR(st.st_mode) || (target.st_mode & S_IWUSR) == 0) {
            return failed(ERROR_ACCESS_DENIED);
        }
        if (openWithoutShareDelete(target)) {
            return failed(ERROR_ACCESS_DENIED);
        }
    } else if (!targetExists) {
        struct stat parent;
        if (stat(parentOf(to.native).c_str(), &parent) != 0 || !S_ISDIR(parent.st_mode)) {
            return failed(ERROR_PATH_NOT_FOUND);
        }
        if ((parent.st_mode & S_IWUSR) == 0) {
            return failed(ERROR_ACCESS_DENIED);
        }
    }
    unsigned long error = 0;
    if (shouldFail(Operation::Rename, error)) {
        return failed((DWORD)error);
    }
    if (rename(from.native.c_str(), to.native.c_str()) != 0) {
        return failed(errorFromErrno(errno));
    }
    if (dwFlags & MOVEFILE_WRITE_THROUGH) {
        const int folder = open(parentOf(to.native).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder >= 0) {
            fsync(folder);
            close(folder);
        }
    }
    return TRUE;
}

// ERROR_ALREADY_EXISTS for an existing file or folder, ERROR_PATH_NOT_FOUND
// when the parent is missing, ERROR_ACCESS_DENIED in a read-only folder or drive.
extern "C" BOOL WINAPI CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES) {
    ResolvedPath path;
    if (!resolvePath(lpPathName, path)) {
        return FALSE;
    }
    struct stat st;
    if (lstat(path.native.c_str(), &st) == 0) {
        return failed(ERROR_ALREADY_EXISTS);
    }
    struct stat parent;
    if (stat(parentOf(path.native).c_str(), &parent) != 0 || !S_ISDIR(parent.st_mode)) {
        return failed(ERROR_PATH_NOT_FOUND);
    }
    if (folderRefusesEntries(path)) {
        return failed(ERROR_ACCESS_DENIED);
    }
    unsigned long error = 0;
    if (shouldFail(Operation::CreateFolder, error)) {
        return failed((DWORD)error);
    }
    if (mkdir(path.native.c_str(), 0777) != 0) {
        return failed(errorFromErrno(errno));
    }
    return TRUE;
}

// ERROR_DIR_NOT_EMPTY for a folder with entries, ERROR_DIRECTORY for a file.
extern "C" BOOL WINAPI RemoveDirectoryA(LPCSTR lpPathName) {
    ResolvedPath path;
    if (!resolvePath(lpPathName, path)) {
        return FALSE;
    }
    struct stat st;
    if (lstat(path.native.c_str(), &st) != 0) {
        return failed(missingError(path.native));
    }
    if (!S_ISDIR(st.st_mode)) {
        return failed(ERROR_DIRECTORY);
    }
    if (path.readOnly) {
        return failed(ERROR_ACCESS_DENIED);
    }
    if (openWithoutShareDelete(st)) {
        return failed(ERROR_SHARING_VIOLATION);
    }
    if (rmdir(path.native.c_str()) != 0) {
        return failed(errno == EEXIST ? ERROR_DIR_NOT_EMPTY : errorFromErrno(errno));
    }
    return TRUE;
}

// FILE_ATTRIBUTE_DIRECTORY for folders, FILE_ATTRIBUTE_ARCHIVE for files, with
// FILE_ATTRIBUTE_READONLY when the owner-write bit is clear.
extern "C" DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName) {
    ResolvedPath path;
    if (!resolvePath(lpFileName, path)) {
        return INVALID_FILE_ATTRIBUTES;
    }
    struct stat st;
    if (stat(path.native.c_str(), &st) != 0) {
        SetLastError(missingError(path.native));
        return INVALID_FILE_ATTRIBUTES;
    }
    if (path.trailingSeparator && !S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_INVALID_NAME);
        return INVALID_FILE_ATTRIBUTES;
    }
    return attributesOf(st, lastComponent(path.native));
}

// Matches in name order (without regard to case), with "." and ".." first
// where Windows reports them: in a folder that is not the root of a drive.
// No match gives ERROR_FILE_NOT_FOUND; a missing folder ERROR_PATH_NOT_FOUND;
// a folder that may not be read ERROR_ACCESS_DENIED.
extern "C" HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) {
    if (lpFindFileData == nullptr) {
        return fail(ERROR_INVALID_PARAMETER);
    }
    if (lpFileName == nullptr || *lpFileName == 0) {
        return fail(ERROR_PATH_NOT_FOUND);
    }
    const std::string request = lpFileName;
    if (request.size() >= MAX_PATH) {
        return fail(ERROR_FILENAME_EXCED_RANGE);
    }
    const size_t separator = request.find_last_of("\\/");
    const std::string pattern =
        separator == std::string::npos ? request : request.substr(separator + 1);
    std::string folderPart;
    if (separator != std::string::npos) {
        folderPart = request.substr(0, separator + 1);
    } else if (request.size() >= 2 && request[1] == ':') {
        folderPart = request.substr(0, 2);
    }
    const std::string namePattern =
        (request.size() >= 2 && request[1] == ':' && separator == std::string::npos)
            ? request.substr(2)
            : pattern;
    if (namePattern.empty()) {
        return fail(ERROR_FILE_NOT_FOUND);
    }
    ResolvedPath folder;
    if (!resolvePath(folderPart.empty() ? "." : folderPart.c_str(), folder)) {
        return INVALID_HANDLE_VALUE;
    }
    struct stat st;
    if (stat(folder.native.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        return fail(ERROR_PATH_NOT_FOUND);
    }
    if ((st.st_mode & S_IRUSR) == 0) {
        return fail(ERROR_ACCESS_DENIED);
    }
    auto find = std::make_unique<FindObject>();
    const bool wild = namePattern.find_first_of("*?") != std::string::npos;
    if (wild) {
        // The root of a drive has no "." and ".." entries.
        const std::string full = fullWindowsPath(folderPart.empty() ? "." : folderPart);
        const bool driveRoot = (full.size() == 3 && full[1] == ':') ||
                               (full.size() > 2 && full.compare(0, 2, "\\\\") == 0 &&
                                std::count(full.begin() + 2, full.end() - 1, '\\') <= 1);
        if (!driveRoot && folder.native != "/") {
            for (const char* dots : {".", ".."}) {
                struct stat dotStat;
                const std::string dotPath = folder.native + "/" + dots;
                if (wildcardMatch(namePattern.c_str(), dots) &&
                    stat(dotPath.c_str(), &dotStat) == 0) {
                    WIN32_FIND_DATAA data;
                    fillFindData(dotStat, dots, data);
                    find->matches.push_back(data);
                }
            }
        }
        std::vector<std::string> names;
        if (!listFolder(folder.native, names)) {
            return fail(errorFromErrno(errno));
        }
        for (const std::string& name : names) {
            struct stat entry;
            if (wildcardMatch(namePattern.c_str(), name.c_str()) &&
                stat((folder.native + "/" + name).c_str(), &entry) == 0) {
                WIN32_FIND_DATAA data;
                fillFindData(entry, name, data);
                find->matches.push_back(data);
            }
        }
    } else {
        ResolvedPath exact;
        struct stat entry;
        if (resolvePath((folderPart + namePattern).c_str(), exact) &&
            stat(exact.native.c_str(), &entry) == 0) {
            WIN32_FIND_DATAA data;
            fillFindData(entry, lastComponent(exact.native), data);
            find->matches.push_back(data);
        }
    }
    if (find->matches.empty()) {
        return fail(ERROR_FILE_NOT_FOUND);
    }
    *lpFindFileData = find->matches[0];
    find->next = 1;
    FindObject* handle = find.release();
    std::lock_guard<std::mutex> lock(g_handleMutex);
    g_finds.insert(handle);
    SetLastError(ERROR_SUCCESS);
    return handle;
}

// FALSE with ERROR_NO_MORE_FILES after the last match.
extern "C" BOOL WINAPI FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData) {
    FindObject* find = lookupFind(hFindFile);
    if (find == nullptr || lpFindFileData == nullptr) {
        return failed(find == nullptr ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
    }
    if (find->next >= find->matches.size()) {
        return failed(ERROR_NO_MORE_FILES);
    }
    *lpFindFileData = find->matches[find->next++];
    return TRUE;
}

extern "C" BOOL WINAPI FindClose(HANDLE hFindFile) {
    FindObject* find = nullptr;
    {
        std::lock_guard<std::mutex> lock(g_handleMutex);
        auto* candidate = static_cast<FindObject*>(hFindFile);
        if (g_finds.erase(candidate) == 0) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        find = candidate;
    }
    delete find;
    return TRUE;
}

// Windows 2000 (the NT line) unless the setting WINDOWS is "9x", which gives
// Windows 98 (platform id 1). The size field must be 148.
extern "C" BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA lpVersionInformation) {
    if (lpVersionInformation == nullptr ||
        lpVersionInformation->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
        return failed(ERROR_INSUFFICIENT_BUFFER);
    }
    const std::string windows = brevant::platform::settingChoice("WINDOWS", {"NT", "9x"});
    memset(lpVersionInformation->szCSDVersion, 0, sizeof lpVersionInformation->szCSDVersion);
    if (windows == "9x") {
        lpVersionInformation->dwMajorVersion = 4;
        lpVersionInformation->dwMinorVersion = 10;
        lpVersionInformation->dwBuildNumber = 0x040A08AE;  // 4.10.2222
        lpVersionInformation->dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
        strcpy(lpVersionInformation->szCSDVersion, " A ");
    } else {
        lpVersionInformation->dwMajorVersion = 5;
        lpVersionInformation->dwMinorVersion = 0;
        lpVersionInformation->dwBuildNumber = 2195;
        lpVersionInformation->dwPlatformId = VER_PLATFORM_WIN32_NT;
        strcpy(lpVersionInformation->szCSDVersion, "Service Pack 4");
    }
    return TRUE;
}
