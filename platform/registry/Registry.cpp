// The registry calls over two hive files in the registry export text format.
//
// Each hive is cached in memory together with the identity of the file it
// was read from (device, inode, size, modification time); every call looks
// at the file again and re-reads it when another process has replaced it.
// A change is a read-modify-write under an advisory lock on "<file>.lock":
// the file is re-read under the lock, changed, written to a temporary file
// and renamed over the old one, so a reader always sees a whole file and two
// processes writing different values lose neither.
#include "win/registry.h"

#include "brevant/platform.h"
#include "RegistryText.h"
#include "../config/FaultSeam.h"
#include "../paths/PathMap.h"
#include "../system/Folders.h"
#include "brevant/files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace brevant::platform;
using namespace brevant::platform::registry;

namespace {

enum class Root { Machine, User };

const char* rootName(Root root) {
    return root == Root::Machine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

const char* fileName(Root root) {
    return root == Root::Machine ? "machine.reg" : "user.reg";
}

struct FileIdentity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long modified = 0;  // nanoseconds

    static FileIdentity of(const struct stat& st) {
        FileIdentity id;
        id.exists = true;
        id.device = st.st_dev;
        id.inode = st.st_ino;
        id.size = st.st_size;
        id.modified = (long long)st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
        return id;
    }
    bool operator==(const FileIdentity& o) const {
        return exists == o.exists && device == o.device && inode == o.inode && size == o.size &&
               modified == o.modified;
    }
};

struct HiveFile {
    bool loaded = false;
    FileIdentity identity;
    Hive hive;
    // The file held something that could not be read whole: its content is
    // kept in a copy before the next write replaces it.
    bool damaged = false;
};

struct OpenKey {
    Root root;
    std::string path;
    REGSAM access;
};

std::mutex g_mutex;
std::map<std::string, HiveFile> g_hives;  // by file path
std::set<OpenKey*> g_handles;

// A change that needs no write, told apart from every Windows error code.
constexpr LONG kUnchanged = -1;

std::string hivePath(Root root) {
    return registryFolder() + "/" + fileName(root);
}

bool readWhole(int fd, size_t limit, std::string& out) {
    out.clear();
    char buffer[65536];
    while (out.size() < limit) {
        const size_t want = std::min(sizeof buffer, limit - out.size());
        const ssize_t got = read(fd, buffer, want);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (got == 0) {
            break;
        }
        out.append(buffer, (size_t)got);
    }
    return true;
}

// The hive as the file holds it now, read again when the file has changed.
HiveFile& refresh(const std::string& path, Root root) {
    HiveFile& file = g_hives[path];
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            if (!file.loaded || file.identity.exists) {
                file.hive = Hive();
                file.damaged = false;
            }
            file.loaded = true;
            file.identity = FileIdentity();
        } else if (!file.loaded) {
            folders::report("Registry file \"" + path + "\" cannot be read: " + strerror(errno) +
                            ".");
            file.loaded = true;
            file.damaged = true;
        }
        return file;
    }
    if (file.loaded && file.identity == FileIdentity::of(st)) {
        return file;
    }
    if (!S_ISREG(st.st_mode)) {
        folders::report("Registry file \"" + path +
                        "\" is not a file. It is taken as empty and left as it is.");
        file.hive = Hive();
        file.loaded = true;
        file.identity = FileIdentity::of(st);
        file.damaged = true;
        return file;
    }

    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    std::string content;
    if (fd < 0 || fstat(fd, &st) != 0 || !readWhole(fd, kMaxFileBytes + 1, content)) {
        folders::report("Registry file \"" + path + "\" cannot be read: " + strerror(errno) +
                        ". It is taken as empty until it can be read.");
        if (fd >= 0) {
            close(fd);
        }
        file.hive = Hive();
        file.loaded = true;
        file.identity = FileIdentity::of(st);
        file.damaged = true;
        return file;
    }
    close(fd);

    const bool tooLarge = content.size() > kMaxFileBytes;
    if (tooLarge) {
        // Read whole lines only; the part beyond the limit is left out.
        content.resize(kMaxFileBytes);
        const size_t lastBreak = content.rfind('\n');
        content.resize(lastBreak == std::string::npos ? 0 : lastBreak + 1);
    }
    ParseReport report;
    file.hive = parseHive(content, rootName(root), report);
    if (tooLarge) {
        int lines = 1;
        for (char ch : content) {
            lines += ch == '\n' ? 1 : 0;
        }
        report.add(lines, "the file is larger than " + std::to_string(kMaxFileBytes) +
                              " bytes and is not read beyond this line");
    }
    if (report.problems > 0) {
        std::string message = "Registry file \"" + path + "\", line " +
                              std::to_string(report.firstLine) + ": " + report.firstProblem +
                              ". The file is read as far as it can be understood";
        if (report.problems > 1) {
            message += " (" + std::to_string(report.problems - 1) + " more " +
                       (report.problems == 2 ? "line" : "lines") + " not understood)";
        }
        folders::report(message + ".");
    }
    file.loaded = true;
    file.identity = FileIdentity::of(st);
    file.damaged = report.problems > 0 && st.st_size > 0;
    return file;
}

// Keeps the damaged file's content beside it as "<file>.bad" (or .bad.1 up to
// .bad.99 when earlier copies are there), as a hard link when the file system
// allows it, else as a copy. False when no copy could be made.
bool keepCopy(const std::string& path, std::string& copyPath) {
    for (int n = 0; n < 100; ++n) {
        copyPath = path + ".bad" + (n == 0 ? "" : "." + std::to_string(n));
        if (link(path.c_str(), copyPath.c_str()) == 0) {
            return true;
        }
        if (errno == EEXIST) {
            continue;
        }
        const int in = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (in < 0) {
            return false;
        }
        const int out = open(copyPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (out < 0) {
            const bool exists = errno == EEXIST;
            close(in);
            if (exists) {
                continue;
            }
            return false;
        }
        bool good = true;
        char buffer[65536];
        for (;;) {
            const ssize_t got = read(in, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                good = got == 0;
                break;
            }
            for (ssize_t done = 0; done < got;) {
                const ssize_t put = write(out, buffer + done, (size_t)(got - done));
                if (put < 0 && errno == EINTR) {
                    continue;
                }
                if (put <= 0) {
                    good = false;
                    break;
                }
                done += put;
            }
            if (!good) {
                break;
            }
        }
        good = fsync(out) == 0 && good;
        close(in);
        good = close(out) == 0 && good;
        if (!good) {
            unlink(copyPath.c_str());
        }
        return good;
    }
    return false;
}

LONG cannotWrite(const std::string& path, unsigned long error, const std::string& reason) {
    folders::report("Registry file \"" + path + "\" cannot be written: " + reason +
                    ". The registry is left as it was.");
    return (LONG)error;
}

// Replaces the hive file with `text`. A registry write counts as a
// RegistryWrite for the fault seam (checked by the caller), not as the file
// operations it is made of.
LONG replaceFile(const std::string& path, const std::string& text, FileIdentity& written) {
    DWORD error = ERROR_SUCCESS;
    {
        detail::FileSeamExemption exemption;
        error = writeFileAtomically(path, text.data(), text.size());
    }
    struct stat st;
    if (error == ERROR_SUCCESS && stat(path.c_str(), &st) != 0) {
        error = detail::errorFromErrno(errno);
    }
    if (error != ERROR_SUCCESS) {
        return cannotWrite(path, error, errorText(error));
    }
    written = FileIdentity::of(st);
    return ERROR_SUCCESS;
}

// Read-modify-write of one hive. `change` edits a copy of the hive and
// returns ERROR_SUCCESS to have it written, kUnchanged when there is nothing
// to write, or an error, which leaves everything as it was.
LONG modify(Root root, const std::function<LONG(Hive&)>& change) {
    const std::string folder = registryFolder();
    const std::string path = folder + "/" + fileName(root);
    std::string problem;
    if (!folders::makeFolders(folder, problem)) {
        return cannotWrite(path, ERROR_ACCESS_DENIED, "the registry folder " + problem);
    }
    const int lockFd = open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFd < 0) {
        const int error = errno;
        return cannotWrite(path, detail::errorFromErrno(error),
                           std::string("its lock file cannot be made: ") + strerror(error));
    }
    while (flock(lockFd, LOCK_EX) != 0 && errno == EINTR) {
    }

    LONG result = ERROR_SUCCESS;
    HiveFile& file = refresh(path, root);
    Hive next = file.hive;
    result = change(next);
    if (result == ERROR_SUCCESS) {
        const std::string text = formatHive(next, rootName(root));
        unsigned long fault = 0;
        std::string copyPath;
        if (text.size() > kMaxFileBytes) {
            result =
                cannotWrite(path, ERROR_CANTWRITE,
                            "it would grow beyond " + std::to_string(kMaxFileBytes) + " bytes");
        } else if (shouldFail(Operation::RegistryWrite, fault)) {
            result = cannotWrite(path, fault, errorText(fault));
        } else if (file.damaged && file.identity.exists && !keepCopy(path, copyPath)) {
            result = cannotWrite(path, ERROR_CANTWRITE,
                                 "it could not be read whole and no copy of it can be kept");
        } else {
            if (file.damaged && file.identity.exists) {
                folders::report("Registry file \"" + path +
                                "\" could not be read whole; its former content is kept in \"" +
                                copyPath + "\".");
            }
            FileIdentity written;
            result = replaceFile(path, text, written);
            if (result == ERROR_SUCCESS) {
                file.hive = std::move(next);
                file.identity = written;
                file.damaged = false;
            }
        }
    } else if (result == kUnchanged) {
        result = ERROR_SUCCESS;
    }
    flock(lockFd, LOCK_UN);
    close(lockFd);
    return result;
}

// The root and key path behind a handle, and the access it was opened with.
bool resolve(HKEY handle, Root& root, std::string& path, REGSAM& access) {
    if (handle == HKEY_LOCAL_MACHINE || handle == HKEY_CURRENT_USER) {
        root = handle == HKEY_LOCAL_MACHINE ? Root::Machine : Root::User;
        path.clear();
        access = KEY_ALL_ACCESS;
        return true;
    }
    OpenKey* key = reinterpret_cast<OpenKey*>(handle);
    if (g_handles.count(key) == 0) {
        return false;
    }
    root = key->root;
    path = key->path;
    access = key->access;
    return true;
}

bool mayQuery(REGSAM access) {
    return (access & (KEY_QUERY_VALUE | MAXIMUM_ALLOWED | GENERIC_READ | GENERIC_ALL)) != 0;
}

bool maySet(REGSAM access) {
    return (access & (KEY_SET_VALUE | MAXIMUM_ALLOWED | GENERIC_WRITE | GENERIC_ALL)) != 0;
}

HKEY newHandle(Root root, const std::string& path, REGSAM access) {
    OpenKey* key = new OpenKey{root, path, access};
    g_handles.insert(key);
    return reinterpret_cast<HKEY>(key);
}

// Key names as the file can keep them: at most 255 characters a component,
// no line breaks.
bool validKeyPath(const std::string& path) {
    size_t start = 0;
    while (start <= path.size()) {
        size_t next = path.find('\\', start);
        if (next == std::string::npos) {
            next = path.size();
        }
        if (next - start > kMaxKeyNameLength) {
            return false;
        }
        start = next + 1;
    }
    return path.find_first_of("\r\n") == std::string::npos;
}

std::string valueName(LPCSTR name) {
    return name == nullptr ? std::string() : std::string(name);
}

}  // namespace

namespace brevant::platform {

std::string registryFolder() {
    const std::string configured = setting("REGISTRY_DIR");
    if (!configured.empty()) {
        return folders::nativeFolder(configured);
    }
    return folders::configHome() + "/brevant/registry";
}

}  // namespace brevant::platform

extern "C" {

LONG WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                          PHKEY phkResult) {
    if (phkResult == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    *phkResult = nullptr;
    std::lock_guard<std::mutex> lock(g_mutex);
    Root root;
    std::string base;
    REGSAM baseAccess;
    if (!resolve(hKey, root, base, baseAccess)) {
        return ERROR_INVALID_HANDLE;
    }
    const std::string path = joinPath(base, lpSubKey == nullptr ? "" : lpSubKey);
    HiveFile& file = refresh(hivePath(root), root);
    if (!file.hive.exists(path)) {
        return ERROR_FILE_NOT_FOUND;
    }
    *phkResult = newHandle(root, file.hive.storedPath(path), samDesired);
    return ERROR_SUCCESS;
}

LONG WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass,
                            DWORD dwOptions, REGSAM samDesired,
                            LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                            LPDWORD lpdwDisposition) {
    if (phkResult == nullptr || lpSubKey == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    *phkResult = nullptr;
    if (lpSecurityAttributes != nullptr && lpSecurityAttributes->lpSecurityDescriptor != nullptr) {
        const SECURITY_DESCRIPTOR* descriptor =
            static_cast<const SECURITY_DESCRIPTOR*>(lpSecurityAttributes->lpSecurityDescriptor);
        if (descriptor->Revision != SECURITY_DESCRIPTOR_REVISION) {
            return ERROR_INVALID_SECURITY_DESCR;
        }
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    Root root;
    std::string base;
    REGSAM baseAccess;
    if (!resolve(hKey, root, base, baseAccess)) {
        return ERROR_INVALID_HANDLE;
    }
    const std::string path = joinPath(base, lpSubKey);
    if (!validKeyPath(path)) {
        return ERROR_INVALID_PARAMETER;
    }
    HiveFile& file = refresh(hivePath(root), root);
    bool created = false;
    if (!file.hive.exists(path)) {
        const LONG result = modify(root, [&](Hive& hive) {
            hive.create(path, created);
            return created ? ERROR_SUCCESS : kUnchanged;
        });
        if (result != ERROR_SUCCESS) {
            return result;
        }
    }
    if (lpdwDisposition != nullptr) {
        *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    }
    const HiveFile& current = refresh(hivePath(root), root);
    *phkResult = newHandle(root, current.hive.storedPath(path), samDesired);
    return ERROR_SUCCESS;
}

LONG WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                             LPBYTE lpData, LPDWORD lpcbData) {
    if (lpReserved != nullptr || (lpData != nullptr && lpcbData == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    Root root;
    std::string path;
    REGSAM access;
    if (!resolve(hKey, root, path, access)) {
        return ERROR_INVALID_HANDLE;
    }
    if (!mayQuery(access)) {
        return ERROR_ACCESS_DENIED;
    }
    const HiveFile& file = refresh(hivePath(root), root);
    const Key* key = file.hive.find(path);
    const Value* value = key == nullptr ? nullptr : Hive::findValue(*key, valueName(lpValueName));
    if (value == nullptr) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (lpType != nullptr) {
        *lpType = value->type;
    }
    const DWORD size = (DWORD)value->data.size();
    if (lpcbData == nullptr) {
        return ERROR_SUCCESS;
    }
    if (lpData == nullptr) {
        *lpcbData = size;
        return ERROR_SUCCESS;
    }
    if (*lpcbData < size) {
        *lpcbData = size;
        return ERROR_MORE_DATA;
    }
    memcpy(lpData, value->data.data(), size);
    *lpcbData = size;
    return ERROR_SUCCESS;
}

LONG WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType,
                           const BYTE* lpData, DWORD cbData) {
    const std::string name = valueName(lpValueName);
    if ((lpData == nullptr && cbData != 0) || cbData > kMaxValueBytes ||
        name.size() > kMaxValueNameLength || name.find_first_of("\r\n") != std::string::npos) {
        return ERROR_INVALID_PARAMETER;
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    Root root;
    std::string path;
    REGSAM access;
    if (!resolve(hKey, root, path, access)) {
        return ERROR_INVALID_HANDLE;
    }
    if (!maySet(access)) {
        return ERROR_ACCESS_DENIED;
    }
    std::string data(reinterpret_cast<const char*>(lpData), lpData == nullptr ? 0 : cbData);
    return modify(root, [&](Hive& hive) {
        // A key removed by hand while it was open is made again, so that the
        // value is not lost.
        bool created = false;
        Hive::setValue(hive.create(path, created), name, dwType, data);
        return ERROR_SUCCESS;
    });
}

LONG WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Root root;
    std::string path;
    REGSAM access;
    if (!resolve(hKey, root, path, access)) {
        return ERROR_INVALID_HANDLE;
    }
    if (!maySet(access)) {
        return ERROR_ACCESS_DENIED;
    }
    const std::string name = valueName(lpValueName);
    bool found = false;
    const LONG result = modify(root, [&](Hive& hive) {
        Key* key = hive.find(path);
        found = key != nullptr && Hive::deleteValue(*key, name);
        return found ? ERROR_SUCCESS : kUnchanged;
    });
    if (result != ERROR_SUCCESS) {
        return result;
    }
    return found ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

LONG WINAPI RegCloseKey(HKEY hKey) {
    if (hKey == HKEY_LOCAL_MACHINE || hKey == HKEY_CURRENT_USER || hKey == HKEY_CLASSES_ROOT ||
        hKey == HKEY_USERS) {
        return ERROR_SUCCESS;
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    OpenKey* key = reinterpret_cast<OpenKey*>(hKey);
    if (g_handles.erase(key) == 0) {
        return ERROR_INVALID_HANDLE;
    }
    delete key;
    return ERROR_SUCCESS;
}

BOOL WINAPI InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR pSecurityDescriptor,
                                         DWORD dwRevision) {
    if (pSecurityDescriptor == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (dwRevision != SECURITY_DESCRIPTOR_REVISION) {
        SetLastError(ERROR_UNKNOWN_REVISION);
        return FALSE;
    }
    SECURITY_DESCRIPTOR* descriptor = static_cast<SECURITY_DESCRIPTOR*>(pSecurityDescriptor);
    memset(descriptor, 0, sizeof *descriptor);
    descriptor->Revision = SECURITY_DESCRIPTOR_REVISION;
    return TRUE;
}

}  // extern "C"
