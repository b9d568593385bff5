#include "Folders.h"

#include "brevant/platform.h"
#include "win/types.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brevant::platform::folders {

std::string configHome() {
    const char* xdg = getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/') {
        return xdg;
    }
    const char* home = getenv("HOME");
    if (home != nullptr && home[0] == '/') {
        return std::string(home) + "/.config";
    }
    if (const struct passwd* pw = getpwuid(geteuid())) {
        if (pw->pw_dir != nullptr && pw->pw_dir[0] == '/') {
            return std::string(pw->pw_dir) + "/.config";
        }
    }
    return "/tmp";
}

std::string nativeFolder(const std::string& setting) {
    const bool drive =
        setting.size() >= 2 && setting[1] == ':' &&
        ((setting[0] >= 'A' && setting[0] <= 'Z') || (setting[0] >= 'a' && setting[0] <= 'z'));
    const bool unc = setting.size() >= 2 && setting[0] == '\\' && setting[1] == '\\';
    if (!drive && !unc) {
        return setting;
    }
    std::string native;
    if (!toNativePath(setting, native)) {
        return setting;
    }
    return native;
}

bool makeFolders(const std::string& nativePath, std::string& error) {
    struct stat st;
    if (stat(nativePath.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            return true;
        }
        error = "\"" + nativePath + "\" is not a folder";
        return false;
    }
    std::string path;
    size_t pos = 0;
    while (pos <= nativePath.size()) {
        size_t next = nativePath.find('/', pos);
        if (next == std::string::npos) {
            next = nativePath.size();
        }
        path = nativePath.substr(0, next);
        pos = next + 1;
        if (path.empty()) {
            continue;
        }
        if (mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) {
            error = "\"" + path + "\" cannot be made: " + strerror(errno);
            return false;
        }
    }
    if (stat(nativePath.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        error = "\"" + nativePath + "\" cannot be made";
        return false;
    }
    return true;
}

void report(const std::string& message) {
    fprintf(stderr, "%s\n", message.c_str());
    fflush(stderr);
}

}  // namespace brevant::platform::folders

namespace brevant::platform {

std::string errorText(unsigned long windowsError) {
    switch (windowsError) {
        case ERROR_SUCCESS:
            return "the operation completed successfully";
        case ERROR_FILE_NOT_FOUND:
            return "the file cannot be found";
        case ERROR_PATH_NOT_FOUND:
            return "the folder cannot be found";
        case ERROR_ACCESS_DENIED:
            return "access is denied";
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return "there is not enough memory";
        case ERROR_WRITE_PROTECT:
            return "the disk is write-protected";
        case ERROR_WRITE_FAULT:
        case ERROR_CANTWRITE:
            return "the disk cannot be written to";
        case ERROR_READ_FAULT:
            return "the disk cannot be read from";
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return "the file is in use by another process";
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return "there is not enough space on the disk";
        case ERROR_BAD_NETPATH:
            return "the network path cannot be found";
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return "the file exists";
        case ERROR_INVALID_NAME:
            return "the file name is not valid";
        case ERROR_FILENAME_EXCED_RANGE:
            return "the file name is too long";
        case ERROR_FILE_TOO_LARGE:
            return "the file is too large";
        case ERROR_NOT_SAME_DEVICE:
            return "the file cannot be moved to another drive";
        default:
            return "error " + std::to_string(windowsError);
    }
}

}  // namespace brevant::platform
