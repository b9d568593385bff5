// The drive map: drive letters and UNC shares tied to Linux folders, and the
// translation of Windows paths to Linux paths and back.
#include "PathMap.h"

#include "brevant/platform.h"
#include "brevant/text.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <map>
#include <mutex>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brevant::platform {

namespace {

std::mutex g_mapMutex;
bool g_mapLoaded = false;
std::map<std::string, DriveInfo> g_drives;  // key: "C" or "\\srv\share" in lower case

bool isSeparator(char ch) {
    return ch == '\\' || ch == '/';
}

// "c", "C:", "c:\" give "C"; "\\Srv\Jobs\" and "//srv/jobs" give "\\srv\jobs".
std::string driveKey(const std::string& drive) {
    if (drive.size() >= 2 && isSeparator(drive[0]) && isSeparator(drive[1])) {
        std::string key = "\\\\";
        for (size_t i = 2; i < drive.size(); ++i) {
            key += isSeparator(drive[i]) ? '\\' : (char)tolower((unsigned char)drive[i]);
        }
        while (key.size() > 2 && key.back() == '\\') {
            key.pop_back();
        }
        return key;
    }
    if (!drive.empty() && isalpha((unsigned char)drive[0])) {
        return std::string(1, (char)toupper((unsigned char)drive[0]));
    }
    return drive;
}

// A drive of the map: a letter ("C", "c:", "C:\") or a share ("\\srv\jobs",
// "//srv/jobs/").
bool isDrive(const std::string& drive) {
    if (!drive.empty() && isalpha((unsigned char)drive[0]) && (unsigned char)drive[0] < 0x80) {
        return drive.size() == 1 ||
               (drive[1] == ':' &&
                (drive.size() == 2 || (drive.size() == 3 && isSeparator(drive[2]))));
    }
    if (drive.size() < 2 || !isSeparator(drive[0]) || !isSeparator(drive[1])) {
        return false;
    }
    std::vector<std::string> names;
    std::string name;
    for (size_t i = 2; i <= drive.size(); ++i) {
        if (i == drive.size() || isSeparator(drive[i])) {
            if (!name.empty()) {
                names.push_back(name);
            } else if (i != drive.size()) {
                return false;  // two separators in a row
            }
            name.clear();
        } else {
            name += drive[i];
        }
    }
    return names.size() == 2;
}

// A mapped folder kept absolute and without a trailing slash ("/" stays "/").
std::string cleanFolder(const std::string& folder) {
    if (folder.empty()) {
        return folder;
    }
    std::string path = folder;
    if (path[0] != '/') {
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd) != nullptr) {
            path = std::string(cwd) + "/" + path;
        }
    }
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

void loadLocked() {
    if (g_mapLoaded) {
        return;
    }
    g_mapLoaded = true;
    const std::string text = setting("DRIVES");
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(';', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string entry = text.substr(start, end - start);
        start = end + 1;
        if (brevant::text::trimmed(entry).empty()) {
            continue;
        }
        const size_t eq = entry.find('=');
        std::vector<std::string> parts;
        if (eq != std::string::npos) {
            const std::string fields = entry.substr(eq + 1);
            size_t from = 0;
            for (;;) {
                const size_t bar = fields.find('|', from);
                parts.push_back(fields.substr(from, bar == std::string::npos ? bar : bar - from));
                if (bar == std::string::npos) {
                    break;
                }
                from = bar + 1;
            }
        }
        const std::string problem =
            eq == std::string::npos         ? "is not <drive>=<folder>[|<remote name>[|ro]]"
            : !isDrive(entry.substr(0, eq)) ? "names no drive letter or \\\\server\\share"
            : parts.size() > 3              ? "has more than three fields"
            : parts.size() == 3 && !parts[2].empty() && strcasecmp(parts[2].c_str(), "ro") != 0
                ? "has a third field other than ro"
            : parts[0].empty() && (parts.size() < 2 || parts[1].empty())
                ? "has neither a folder nor a remote name"
                : "";
        if (!problem.empty()) {
            reportUnusableSetting("DRIVES", "the entry \"" + entry + "\" " + problem,
                                  "the entry is left out");
            continue;
        }
        DriveInfo info;
        info.folder = cleanFolder(parts[0]);
        info.remoteName = parts.size() > 1 ? parts[1] : "";
        info.readOnly = parts.size() > 2 && strcasecmp(parts[2].c_str(), "ro") == 0;
        g_drives[driveKey(entry.substr(0, eq))] = info;
    }
}

// The folder behind C: when the map has none: a per-user folder, so that a
// fresh machine has a C: drive.
std::string defaultDriveC() {
    std::string base;
    if (const char* xdg = getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg == '/') {
        base = xdg;
    } else if (const char* home = getenv("HOME"); home != nullptr && *home == '/') {
        base = std::string(home) + "/.local/share";
    } else {
        base = "/tmp/brevant-" + std::to_string(getuid());
    }
    return cleanFolder(base + "/brevant/drive_c");
}

// Every drive with a folder, the default C: included when the map lacks one.
std::vector<std::pair<std::string, DriveInfo>> connectedDrives() {
    std::lock_guard<std::mutex> lock(g_mapMutex);
    loadLocked();
    std::vector<std::pair<std::string, DriveInfo>> drives;
    for (const auto& entry : g_drives) {
        if (!entry.second.folder.empty()) {
            drives.push_back(entry);
        }
    }
    if (g_drives.find("C") == g_drives.end()) {
        DriveInfo info;
        info.folder = defaultDriveC();
        drives.emplace_back("C", info);
    }
    return drives;
}

void makeFolders(const std::string& folder) {
    std::string path;
    size_t pos = 0;
    while (pos != std::string::npos) {
        pos = folder.find('/', pos + 1);
        path = folder.substr(0, pos);
        mkdir(path.c_str(), 0777);
    }
}

bool isFolder(const std::string& native) {
    struct stat st;
    return stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

void mapDrive(const std::string& drive, const std::string& folder, const std::string& remoteName,
              bool readOnly) {
    std::lock_guard<std::mutex> lock(g_mapMutex);
    loadLocked();
    DriveInfo info;
    info.folder = cleanFolder(folder);
    info.remoteName = remoteName;
    info.readOnly = readOnly;
    g_drives[driveKey(drive)] = info;
}

void unmapDrive(const std::string& drive) {
    std::lock_guard<std::mutex> lock(g_mapMutex);
    loadLocked();
    g_drives.erase(driveKey(drive));
}

void clearDriveMap() {
    std::lock_guard<std::mutex> lock(g_mapMutex);
    g_mapLoaded = true;
    g_drives.clear();
}

bool driveInfo(const std::string& drive, DriveInfo& info) {
    const std::string key = driveKey(drive);
    std::lock_guard<std::mutex> lock(g_mapMutex);
    loadLocked();
    const auto it = g_drives.find(key);
    if (it != g_drives.end()) {
        info = it->second;
        return true;
    }
    if (key == "C") {
        info = DriveInfo();
        info.folder = defaultDriveC();
        return true;
    }
    return false;
}

bool toNativePath(const std::string& windowsPath, std::string& nativePath) {
    detail::ResolvedPath resolved;
    if (!detail::resolvePath(windowsPath.c_str(), resolved, false)) {
        return false;
    }
    nativePath = resolved.native;
    return true;
}

std::string toWindowsPath(const std::string& nativePath) {
    std::string path = nativePath;
    if (path.empty() || path[0] != '/') {
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd) != nullptr) {
            path = std::string(cwd) + (path.empty() ? "" : "/" + path);
        }
    }
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    std::string bestKey;
    size_t bestLength = 0;
    bool found = false;
    for (const auto& [key, info] : connectedDrives()) {
        std::vector<std::string> folders{info.folder};
        if (char* real = realpath(info.folder.c_str(), nullptr)) {
            if (info.folder != real) {
                folders.push_back(real);
            }
            free(real);
        }
        for (const std::string& folder : folders) {
            const bool contains =
                folder == "/" || (path.compare(0, folder.size(), folder) == 0 &&
                                  (path.size() == folder.size() || path[folder.size()] == '/'));
            const size_t length = folder == "/" ? 0 : folder.size();
            if (contains && (!found || length > bestLength)) {
                found = true;
                bestLength = length;
                bestKey = key;
            }
        }
    }
    std::string rest = found ? path.substr(bestLength) : path;
    std::replace(rest.begin(), rest.end(), '/', '\\');
    if (!found) {
        return rest;
    }
    if (bestKey.size() == 1) {
        return bestKey + ":" + (rest.empty() ? "\\" : rest);
    }
    return bestKey + rest;
}

// ---------------------------------------------------------------------------

namespace detail {

namespace {

// The name in the folder that equals the given one without regard to case.
bool findNoCase(const std::string& folder, const std::string& name, std::string& actual) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        return false;
    }
    std::vector<std::string> matches;
    while (const struct dirent* entry = readdir(dir)) {
        if (strcasecmp(entry->d_name, name.c_str()) == 0) {
            matches.push_back(entry->d_name);
        }
    }
    closedir(dir);
    if (matches.empty()) {
        return false;
    }
    std::sort(matches.begin(), matches.end());
    actual = matches.front();
    return true;
}

std::string joined(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

}  // namespace

bool resolvePath(const char* windowsPath, ResolvedPath& out, bool limitLength) {
    if (windowsPath == nullptr || *windowsPath == 0) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    const std::string path = windowsPath;
    if (limitLength && path.size() >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    out = ResolvedPath();
    out.trailingSeparator = isSeparator(path.back());

    std::string root;  // Linux folder the components start from
    std::vector<std::string> components;
    if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        // UNC: \\server\share\rest
        // Server and share come first; ".." in the rest never climbs above them.
        std::vector<std::string> parts;
        const std::string rest = path.substr(2);
        size_t pos = 0;
        while (parts.size() < 2 && pos < rest.size()) {
            size_t end = pos;
            while (end < rest.size() && !isSeparator(rest[end])) {
                ++end;
            }
            if (end > pos) {
                parts.push_back(rest.substr(pos, end - pos));
            }
            pos = end + 1;
        }
        if (parts.size() < 2) {
            SetLastError(ERROR_BAD_NETPATH);
            return false;
        }
        DriveInfo info;
        if (!driveInfo("\\\\" + parts[0] + "\\" + parts[1], info) || info.folder.empty()) {
            SetLastError(ERROR_BAD_NETPATH);
            return false;
        }
        root = info.folder;
        out.readOnly = info.readOnly;
        if (pos < rest.size()) {
            detail::addComponents(rest.substr(pos), components);
        }
    } else if (path.size() >= 2 && isalpha((unsigned char)path[0]) && path[1] == ':') {
        const std::string drive(1, (char)toupper((unsigned char)path[0]));
        DriveInfo info;
        if (!driveInfo(drive, info) || info.folder.empty()) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return false;
        }
        root = info.folder;
        out.readOnly = info.readOnly;
        if (drive == "C" && !isFolder(root)) {
            makeFolders(root);  // the default C: drive is made on demand
        }
        std::string rest = path.substr(2);
        if (rest.empty() || !isSeparator(rest[0])) {
            // "C:name" is relative to the current directory when that lies on C:.
            char cwd[4096];
            if (getcwd(cwd, sizeof cwd) != nullptr) {
                const std::string current = toWindowsPath(cwd);
                if (current.size() >= 2 && toupper((unsigned char)current[0]) == drive[0] &&
                    current[1] == ':') {
                    rest = current.substr(2) + "\\" + rest;
                }
            }
        }
        detail::addComponents(rest, components);
    } else {
        root = "/";
        std::string full = path;
        if (!isSeparator(path[0])) {
            char cwd[4096];
            if (getcwd(cwd, sizeof cwd) == nullptr) {
                SetLastError(ERROR_PATH_NOT_FOUND);
                return false;
            }
            full = std::string(cwd) + "/" + path;
        }
        detail::addComponents(full, components);
    }

    // Existing components are found regardless of letter case; from the first
    // missing one on the names stay as given.
    std::string native = root;
    bool exists = true;
    for (const std::string& name : components) {
        std::string candidate = joined(native, name);
        if (exists) {
            struct stat st;
            if (lstat(candidate.c_str(), &st) != 0) {
                std::string actual;
                if (findNoCase(native, name, actual)) {
                    candidate = joined(native, actual);
                } else {
                    exists = false;
                }
            }
        }
        native = candidate;
    }
    out.native = native;
    if (!out.readOnly) {
        out.readOnly = onReadOnlyDrive(native);
    }
    return true;
}

bool onReadOnlyDrive(const std::string& native) {
    for (const auto& [key, info] : connectedDrives()) {
        if (!info.readOnly) {
            continue;
        }
        const std::string& folder = info.folder;
        if (folder == "/" || (native.compare(0, folder.size(), folder) == 0 &&
                              (native.size() == folder.size() || native[folder.size()] == '/'))) {
            return true;
        }
    }
    return false;
}

DWORD errorFromErrno(int error) {
    switch (error) {
        case 0:
            return ERROR_SUCCESS;
        case ENOENT:
            return ERROR_FILE_NOT_FOUND;
        case ENOTDIR:
        case ELOOP:
            return ERROR_PATH_NOT_FOUND;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
            return ERROR_ACCESS_DENIED;
        case EEXIST:
            return ERROR_ALREADY_EXISTS;
        case ENOTEMPTY:
            return ERROR_DIR_NOT_EMPTY;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return ERROR_DISK_FULL;
        case EMFILE:
        case ENFILE:
            return ERROR_TOO_MANY_OPEN_FILES;
        case EBADF:
            return ERROR_INVALID_HANDLE;
        case ENAMETOOLONG:
            return ERROR_FILENAME_EXCED_RANGE;
        case EINVAL:
            return ERROR_INVALID_PARAMETER;
        case ENOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        case EXDEV:
            return ERROR_NOT_SAME_DEVICE;
        case EBUSY:
            return ERROR_SHARING_VIOLATION;
        default:
            return ERROR_GEN_FAILURE;
    }
}

std::string parentOf(const std::string& native) {
    const size_t slash = native.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : native.substr(0, slash);
}

std::string lastComponent(const std::string& native) {
    const size_t slash = native.rfind('/');
    return slash == std::string::npos ? native : native.substr(slash + 1);
}

DWORD missingError(const std::string& native) {
    return isFolder(parentOf(native)) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

bool ownerCannotWrite(const std::string& native) {
    struct stat st;
    return stat(native.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0;
}

bool listFolder(const std::string& native, std::vector<std::string>& names) {
    DIR* dir = opendir(native.c_str());
    if (dir == nullptr) {
        return false;
    }
    names.clear();
    while (const struct dirent* entry = readdir(dir)) {
        if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0) {
            names.push_back(entry->d_name);
        }
    }
    closedir(dir);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const int c = strcasecmp(a.c_str(), b.c_str());
        return c != 0 ? c < 0 : a < b;
    });
    return true;
}

}  // namespace detail

}  // namespace brevant::platform

namespace brevant::platform::detail {

// Splits on either separator, dropping empty components and "."; ".." takes
// the previous component away but never climbs above the root.
void addComponents(const std::string& text, std::vector<std::string>& components) {
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = start;
        while (end < text.size() && !isSeparator(text[end])) {
            ++end;
        }
        const std::string part = text.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") {
            continue;
        }
        if (part == "..") {
            if (!components.empty()) {
                components.pop_back();
            }
            continue;
        }
        components.push_back(part);
    }
}

}  // namespace brevant::platform::detail
