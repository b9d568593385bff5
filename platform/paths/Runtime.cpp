// The C runtime's Windows-only functions and the current directory, in
// Windows form.
#include "PathMap.h"

#include "brevant/platform.h"
#include "win/files.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace brevant::platform::detail {

namespace {

bool isSeparator(char ch) {
    return ch == '\\' || ch == '/';
}

std::string currentWindowsDirectory() {
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd) == nullptr) {
        return "";
    }
    return toWindowsPath(cwd);
}

std::string joinParts(const std::string& prefix, const std::vector<std::string>& parts,
                      bool trailing) {
    std::string result = prefix;
    for (const std::string& part : parts) {
        result += "\\" + part;
    }
    if (parts.empty() || trailing) {
        result += "\\";
    }
    return result;
}

}  // namespace

std::string fullWindowsPath(const std::string& path) {
    if (path.empty()) {
        return currentWindowsDirectory();
    }
    const bool trailing = isSeparator(path.back());
    std::vector<std::string> parts;
    if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        // \\server\share stays the root of a UNC path.
        std::vector<std::string> all;
        const std::string rest = path.substr(2);
        size_t pos = 0;
        while (all.size() < 2 && pos < rest.size()) {
            size_t end = rest.find_first_of("\\/", pos);
            if (end == std::string::npos) {
                end = rest.size();
            }
            if (end > pos) {
                all.push_back(rest.substr(pos, end - pos));
            }
            pos = end + 1;
        }
        if (all.size() < 2) {
            std::string result = "\\\\";
            for (size_t i = 0; i < all.size(); ++i) {
                result += (i ? "\\" : "") + all[i];
            }
            return result;
        }
        if (pos < rest.size()) {
            detail::addComponents(rest.substr(pos), parts);
        }
        return joinParts("\\\\" + all[0] + "\\" + all[1], parts, trailing);
    }
    if (path.size() >= 2 && isalpha((unsigned char)path[0]) && path[1] == ':') {
        std::string drive = path.substr(0, 2);
        drive[0] = (char)toupper((unsigned char)drive[0]);  // as the drive map shows drives
        std::string rest = path.substr(2);
        if (rest.empty() || !isSeparator(rest[0])) {
            const std::string current = currentWindowsDirectory();
            if (current.size() >= 2 &&
                toupper((unsigned char)current[0]) == toupper((unsigned char)drive[0]) &&
                current[1] == ':') {
                rest = current.substr(2) + "\\" + rest;
            }
        }
        detail::addComponents(rest, parts);
        return joinParts(drive, parts, trailing);
    }
    if (isSeparator(path[0])) {
        // A path without a drive is a Linux path: shown through the drive map.
        detail::addComponents(path, parts);
        std::string native;
        for (const std::string& part : parts) {
            native += "/" + part;
        }
        std::string windows = toWindowsPath(native.empty() ? "/" : native);
        if (trailing && !windows.empty() && windows.back() != '\\') {
            windows += "\\";
        }
        return windows;
    }
    const std::string current = currentWindowsDirectory();
    if (current.empty()) {
        return "";
    }
    return fullWindowsPath(current + (current.back() == '\\' ? "" : "\\") + path);
}

}  // namespace brevant::platform::detail

using brevant::platform::detail::fullWindowsPath;
using brevant::platform::detail::ResolvedPath;

namespace {

// Copies at most size - 1 characters and the terminating zero.
void copyPart(char* target, size_t size, const char* from, size_t length) {
    if (target == nullptr) {
        return;
    }
    if (length > size - 1) {
        length = size - 1;
    }
    memcpy(target, from, length);
    target[length] = 0;
}

}  // namespace

// Drive "C:", directory up to and including the last separator, name up to its
// last dot, extension with its dot; a UNC path has no drive. Parts longer than
// their _MAX_ buffers are cut to fit.
extern "C" void _splitpath(const char* path, char* drive, char* dir, char* fname, char* ext) {
    if (path == nullptr) {
        path = "";
    }
    const char* p = path;
    if (isalpha((unsigned char)p[0]) && p[1] == ':') {
        copyPart(drive, _MAX_DRIVE, p, 2);
        p += 2;
    } else {
        copyPart(drive, _MAX_DRIVE, p, 0);
    }
    const char* lastSeparator = nullptr;
    for (const char* q = p; *q; ++q) {
        if (*q == '\\' || *q == '/') {
            lastSeparator = q;
        }
    }
    const char* name = lastSeparator ? lastSeparator + 1 : p;
    copyPart(dir, _MAX_DIR, p, (size_t)(name - p));
    const char* dot = strrchr(name, '.');
    if (dot == nullptr) {
        dot = name + strlen(name);
    }
    copyPart(fname, _MAX_FNAME, name, (size_t)(dot - name));
    copyPart(ext, _MAX_EXT, dot, strlen(dot));
}

// The absolute Windows form; NULL when it does not fit in maxLength (with
// absPath NULL a buffer of _MAX_PATH is allocated, which the caller frees).
extern "C" char* _fullpath(char* absPath, const char* relPath, size_t maxLength) {
    const std::string full = fullWindowsPath(relPath ? relPath : "");
    if (full.empty()) {
        errno = ENOENT;
        return nullptr;
    }
    if (absPath == nullptr) {
        if (full.size() + 1 > _MAX_PATH) {
            errno = ERANGE;
            return nullptr;
        }
        absPath = static_cast<char*>(malloc(_MAX_PATH));
        if (absPath == nullptr) {
            errno = ENOMEM;
            return nullptr;
        }
    } else if (full.size() + 1 > maxLength) {
        errno = ERANGE;
        return nullptr;
    }
    memcpy(absPath, full.c_str(), full.size() + 1);
    return absPath;
}

// The process's current directory in Windows form. Returns its length when it
// fits (nBufferLength > length), otherwise the size needed with the zero, and
// leaves the buffer alone.
extern "C" DWORD WINAPI GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer) {
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd) == nullptr) {
        SetLastError(brevant::platform::detail::errorFromErrno(errno));
        return 0;
    }
    const std::string windows = brevant::platform::toWindowsPath(cwd);
    if (lpBuffer == nullptr || nBufferLength <= windows.size()) {
        return (DWORD)windows.size() + 1;
    }
    memcpy(lpBuffer, windows.c_str(), windows.size() + 1);
    return (DWORD)windows.size();
}

// Changes the process's real current directory. A missing folder gives
// ERROR_FILE_NOT_FOUND (ERROR_PATH_NOT_FOUND when its parent is missing too),
// a file ERROR_DIRECTORY, a path of MAX_PATH - 1 characters or more
// ERROR_FILENAME_EXCED_RANGE.
extern "C" BOOL WINAPI SetCurrentDirectoryA(LPCSTR lpPathName) {
    if (lpPathName != nullptr && strlen(lpPathName) >= MAX_PATH - 1) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return FALSE;
    }
    ResolvedPath resolved;
    if (!brevant::platform::detail::resolvePath(lpPathName, resolved)) {
        return FALSE;
    }
    struct stat st;
    if (stat(resolved.native.c_str(), &st) != 0) {
        SetLastError(brevant::platform::detail::missingError(resolved.native));
        return FALSE;
    }
    if (!S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_DIRECTORY);
        return FALSE;
    }
    if (chdir(resolved.native.c_str()) != 0) {
        SetLastError(brevant::platform::detail::errorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

extern "C" char* _strdup(const char* s) {
    return s == nullptr ? nullptr : strdup(s);
}

// A NULL argument sorts as the empty string instead of crashing.
extern "C" int _stricmp(const char* a, const char* b) {
    return strcasecmp(a ? a : "", b ? b : "");
}

extern "C" int _strnicmp(const char* a, const char* b, size_t n) {
    return strncasecmp(a ? a : "", b ? b : "", n);
}

extern "C" char* _strupr(char* s) {
    for (char* p = s; p != nullptr && *p; ++p) {
        *p = (char)toupper((unsigned char)*p);
    }
    return s;
}

extern "C" char* _strlwr(char* s) {
    for (char* p = s; p != nullptr && *p; ++p) {
        *p = (char)tolower((unsigned char)*p);
    }
    return s;
}

// Windows convention: the length when the text fits (without the zero when it
// fills the buffer exactly), -1 when it does not fit; then count characters
// are stored without a terminating zero.
extern "C" int _vsnprintf(char* buffer, size_t count, const char* format, va_list args) {
    if (format == nullptr) {
        return -1;
    }
    va_list copy;
    va_copy(copy, args);
    const int needed = vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (needed < 0) {
        return -1;
    }
    std::vector<char> text((size_t)needed + 1);
    vsnprintf(text.data(), text.size(), format, args);
    if (buffer == nullptr) {
        return count == 0 ? needed : -1;
    }
    if ((size_t)needed < count) {
        memcpy(buffer, text.data(), (size_t)needed + 1);
        return needed;
    }
    memcpy(buffer, text.data(), count);
    return (size_t)needed == count ? needed : -1;
}

extern "C" int _snprintf(char* buffer, size_t count, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int n = _vsnprintf(buffer, count, format, args);
    va_end(args);
    return n;
}
