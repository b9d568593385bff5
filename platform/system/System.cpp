// System folders, the temporary folder, the shell's application-data folder
// and the Windows-like environment a process starts with.
#include "win/files.h"
#include "win/shell.h"

#include "brevant/platform.h"
#include "Folders.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

using namespace brevant::platform;

namespace {

// Windows always gives a process TEMP and TMP. When neither is set, both get
// the Windows form of the first writable folder of $TMPDIR, /tmp and /var/tmp:
// the Linux path with backslashes ("\tmp"), which is a valid path without a
// drive letter. This runs as the library loads, before any drive map exists,
// so it does not consult the map.
struct TemporaryFolderVariables {
    TemporaryFolderVariables() {
        if (getenv("TEMP") != nullptr || getenv("TMP") != nullptr) {
            return;
        }
        const char* tmpdir = getenv("TMPDIR");
        const char* candidates[] = {tmpdir, "/tmp", "/var/tmp"};
        for (const char* candidate : candidates) {
            struct stat st;
            if (candidate == nullptr || candidate[0] != '/' || stat(candidate, &st) != 0 ||
                !S_ISDIR(st.st_mode) || access(candidate, W_OK | X_OK) != 0) {
                continue;
            }
            std::string windows = candidate;
            for (char& ch : windows) {
                ch = ch == '/' ? '\\' : ch;
            }
            while (windows.size() > 1 && windows.back() == '\\') {
                windows.pop_back();
            }
            setenv("TEMP", windows.c_str(), 0);
            setenv("TMP", windows.c_str(), 0);
            return;
        }
    }
};
const TemporaryFolderVariables g_temporaryFolderVariables;

// A Windows path with backslashes and without a trailing one (a drive's root
// keeps it: "C:\").
std::string cleanWindowsPath(std::string path) {
    for (char& ch : path) {
        ch = ch == '/' ? '\\' : ch;
    }
    while (path.size() > 1 && path.back() == '\\' && !(path.size() == 3 && path[1] == ':')) {
        path.pop_back();
    }
    return path;
}

// Makes the folder behind a Windows path, saying once per folder when it
// cannot be made. The path is reported either way, as Windows would.
void makeOnDemand(const std::string& windowsPath, const char* what) {
    static std::mutex mutex;
    static std::set<std::string> reported;
    std::string native;
    std::string error;
    if (!toNativePath(windowsPath, native)) {
        error = "its drive is not mapped";
    } else if (folders::makeFolders(native, error)) {
        return;
    }
    std::lock_guard<std::mutex> lock(mutex);
    if (reported.insert(windowsPath).second) {
        folders::report(std::string("The ") + what + " \"" + windowsPath +
                        "\" cannot be made: " + error + ".");
    }
}

std::string systemDirectory() {
    return cleanWindowsPath(setting("SYSTEM_DIR", "C:\\WINDOWS\\system32"));
}

// The Windows form of a folder setting or default: a Windows path stays as
// it is, a Linux path goes through the drive map.
std::string windowsFolder(const std::string& path) {
    const bool windows = (path.size() >= 2 && path[1] == ':') ||
                         (path.size() >= 2 && path[0] == '\\' && path[1] == '\\');
    return cleanWindowsPath(windows ? path : toWindowsPath(path));
}

// Copies text into a buffer of `size` characters as the system-folder calls
// do: the length without the zero when it fits, else the size needed with it.
UINT copyPath(const std::string& path, LPSTR buffer, UINT size) {
    if (buffer == nullptr || size <= path.size()) {
        return (UINT)path.size() + 1;
    }
    memcpy(buffer, path.c_str(), path.size() + 1);
    return (UINT)path.size();
}

// The shell's allocator: one object for the whole process, so its reference
// count only keeps the books.
struct ShellAllocator : IMalloc {
    LPVOID Alloc(ULONG cb) override { return malloc(cb == 0 ? 1 : cb); }
    LPVOID Realloc(LPVOID pv, ULONG cb) override { return realloc(pv, cb == 0 ? 1 : cb); }
    void Free(LPVOID pv) override { free(pv); }
    ULONG AddRef() override { return ++m_references; }
    ULONG Release() override { return m_references > 1 ? --m_references : 1; }

    std::atomic<ULONG> m_references{1};
};
ShellAllocator g_shellAllocator;

}  // namespace

extern "C" {

// The system folder: setting SYSTEM_DIR, else C:\WINDOWS\system32 on the drive
// map's C:, made on demand. Buffer too small: the size needed with the zero.
UINT WINAPI GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize) {
    const std::string path = systemDirectory();
    makeOnDemand(path, "system folder");
    return copyPath(path, lpBuffer, uSize);
}

// TMP, else TEMP, else USERPROFILE, else the Windows folder, with a trailing
// backslash; not checked for existence, as on Windows.
DWORD WINAPI GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer) {
    std::string path;
    for (const char* variable : {"TMP", "TEMP", "USERPROFILE"}) {
        const char* value = getenv(variable);
        if (value != nullptr && value[0] != 0) {
            path = value;
            break;
        }
    }
    if (path.empty()) {
        const std::string system = systemDirectory();
        const size_t slash = system.rfind('\\');
        path = slash == std::string::npos ? system : system.substr(0, slash);
    }
    path = cleanWindowsPath(path);
    if (path.back() != '\\') {
        path += '\\';
    }
    return copyPath(path, lpBuffer, nBufferLength);
}

HRESULT WINAPI SHGetMalloc(LPMALLOC* ppMalloc) {
    if (ppMalloc == nullptr) {
        return E_INVALIDARG;
    }
    g_shellAllocator.AddRef();
    *ppMalloc = &g_shellAllocator;
    return S_OK;
}

// CSIDL_APPDATA only: an item list (allocated with the shell allocator) that
// names the application-data folder, made on demand. Other folders:
// E_INVALIDARG and NULL.
HRESULT WINAPI SHGetSpecialFolderLocation(HWND hwnd, int csidl, LPITEMIDLIST* ppidl) {
    if (ppidl == nullptr) {
        return E_INVALIDARG;
    }
    *ppidl = nullptr;
    if (csidl != CSIDL_APPDATA) {
        return E_INVALIDARG;
    }
    const std::string configured = setting("APPDATA_DIR");
    const std::string path = windowsFolder(configured.empty() ? folders::configHome() : configured);
    if (path.size() + 1 > 0xFFFF - sizeof(USHORT)) {
        return E_FAIL;
    }
    makeOnDemand(path, "application-data folder");
    // One item holding the path and its zero, then the empty item that ends
    // every item list.
    const size_t itemSize = sizeof(USHORT) + path.size() + 1;
    BYTE* list = static_cast<BYTE*>(g_shellAllocator.Alloc((ULONG)(itemSize + sizeof(USHORT))));
    if (list == nullptr) {
        return E_OUTOFMEMORY;
    }
    const USHORT cb = (USHORT)itemSize;
    const USHORT end = 0;
    memcpy(list, &cb, sizeof cb);
    memcpy(list + sizeof(USHORT), path.c_str(), path.size() + 1);
    memcpy(list + itemSize, &end, sizeof end);
    *ppidl = reinterpret_cast<LPITEMIDLIST>(list);
    return S_OK;
}

// The path an item list names, into a MAX_PATH buffer; FALSE for a list that
// names no folder or a path that does not fit.
BOOL WINAPI SHGetPathFromIDListA(LPCITEMIDLIST pidl, LPSTR pszPath) {
    if (pszPath == nullptr) {
        return FALSE;
    }
    pszPath[0] = 0;
    if (pidl == nullptr) {
        return FALSE;
    }
    const BYTE* list = reinterpret_cast<const BYTE*>(pidl);
    USHORT cb = 0;
    memcpy(&cb, list, sizeof cb);
    if (cb <= sizeof(USHORT)) {
        return FALSE;
    }
    const char* text = reinterpret_cast<const char*>(list + sizeof(USHORT));
    const size_t room = cb - sizeof(USHORT);
    const void* zero = memchr(text, 0, room);
    if (zero == nullptr) {
        return FALSE;
    }
    const size_t length = (size_t)(static_cast<const char*>(zero) - text);
    if (length >= MAX_PATH) {
        return FALSE;
    }
    memcpy(pszPath, text, length + 1);
    return TRUE;
}

}  // extern "C"
