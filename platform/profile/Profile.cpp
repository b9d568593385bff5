// Initialisation files: GetPrivateProfileStringA.
#include "win/registry.h"

#include "brevant/platform.h"
#include "brevant/text.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <strings.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

using namespace brevant::platform;

namespace {

// An initialisation file is read up to this size; the rest is left out.
constexpr size_t kMaxFileBytes = 16 * 1024 * 1024;

struct Section {
    std::string name;
    std::vector<std::pair<std::string, std::string>> entries;  // key, value
};

using brevant::text::sameText;

std::string trim(const std::string& text) {
    return std::string(brevant::text::trimmed(text, " \t"));
}

// A value's surrounding quotes, single or double, are dropped when they match.
std::string unquote(const std::string& value) {
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// A file name without a folder is looked for in the Windows folder (the
// parent of the system folder), as Windows does.
std::string locate(const char* fileName) {
    const std::string name = fileName == nullptr ? "win.ini" : fileName;
    if (name.find_first_of("\\/:") != std::string::npos) {
        return name;
    }
    char system[MAX_PATH];
    const UINT length = GetSystemDirectoryA(system, sizeof system);
    std::string folder = length > 0 && length < sizeof system ? system : "C:\\WINDOWS\\system32";
    const size_t slash = folder.rfind('\\');
    folder = slash == std::string::npos ? folder : folder.substr(0, slash);
    return folder + "\\" + name;
}

// The file's sections in order; false when the file cannot be read.
bool readProfile(const std::string& windowsPath, std::vector<Section>& sections) {
    std::string native;
    if (!toNativePath(windowsPath, native)) {
        return false;
    }
    const int fd = open(native.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return false;
    }
    std::string text;
    char buffer[65536];
    while (text.size() < kMaxFileBytes) {
        const ssize_t got = read(fd, buffer, std::min(sizeof buffer, kMaxFileBytes - text.size()));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        text.append(buffer, (size_t)got);
    }
    close(fd);
    if (text.size() >= 3 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        text.erase(0, 3);
    }

    Section* current = nullptr;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        line = trim(line);
        if (line.empty() || line[0] == ';') {
            continue;
        }
        if (line[0] == '[') {
            const size_t close = line.rfind(']');
            if (close == std::string::npos) {
                continue;
            }
            sections.push_back(Section{trim(line.substr(1, close - 1)), {}});
            current = &sections.back();
            continue;
        }
        if (current == nullptr) {
            continue;  // entries before the first section belong to none
        }
        const size_t eq = line.find('=');
        if (eq == std::string::npos) {
            current->entries.emplace_back(line, "");
        } else {
            current->entries.emplace_back(trim(line.substr(0, eq)),
                                          unquote(trim(line.substr(eq + 1))));
        }
    }
    return true;
}

// A string into the caller's buffer: cut to nSize - 1 characters when it does
// not fit; the result is the number of characters copied without the zero.
DWORD copyString(const std::string& value, LPSTR buffer, DWORD size) {
    const size_t length = value.size() < size ? value.size() : size - 1;
    memcpy(buffer, value.data(), length);
    buffer[length] = 0;
    return (DWORD)length;
}

// Names, each ending in a zero, the list in one more. When they do not fit
// the last is cut, two zeros end the buffer and the result is nSize - 2.
DWORD copyList(const std::vector<std::string>& names, LPSTR buffer, DWORD size) {
    std::string list;
    for (const std::string& name : names) {
        list += name;
        list += '\0';
    }
    if (list.size() + 1 <= size) {
        memcpy(buffer, list.data(), list.size());
        buffer[list.size()] = 0;
        if (list.empty() && size >= 2) {
            buffer[1] = 0;
        }
        return (DWORD)list.size();
    }
    if (size < 2) {
        buffer[0] = 0;
        return 0;
    }
    memcpy(buffer, list.data(), size - 2);
    buffer[size - 2] = 0;
    buffer[size - 1] = 0;
    return size - 2;
}

}  // namespace

extern "C" DWORD WINAPI GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName,
                                                 LPCSTR lpDefault, LPSTR lpReturnedString,
                                                 DWORD nSize, LPCSTR lpFileName) {
    if (lpReturnedString == nullptr || nSize == 0) {
        return 0;
    }
    std::vector<Section> sections;
    const bool found = readProfile(locate(lpFileName), sections);
    if (!found) {
        SetLastError(ERROR_FILE_NOT_FOUND);
    }

    if (lpAppName == nullptr) {
        std::vector<std::string> names;
        for (const Section& section : sections) {
            bool seen = false;
            for (const std::string& name : names) {
                seen = seen || sameText(name, section.name);
            }
            if (!seen) {
                names.push_back(section.name);
            }
        }
        return copyList(names, lpReturnedString, nSize);
    }
    const Section* section = nullptr;
    for (const Section& candidate : sections) {
        if (sameText(candidate.name, lpAppName)) {
            section = &candidate;
            break;
        }
    }
    if (lpKeyName == nullptr) {
        std::vector<std::string> names;
        if (section != nullptr) {
            for (const auto& entry : section->entries) {
                names.push_back(entry.first);
            }
        }
        return copyList(names, lpReturnedString, nSize);
    }
    if (section != nullptr) {
        for (const auto& entry : section->entries) {
            if (sameText(entry.first, lpKeyName)) {
                return copyString(entry.second, lpReturnedString, nSize);
            }
        }
    }
    // The default, without its trailing blanks.
    std::string fallback = lpDefault == nullptr ? "" : lpDefault;
    while (!fallback.empty() && (fallback.back() == ' ' || fallback.back() == '\t')) {
        fallback.pop_back();
    }
    return copyString(fallback, lpReturnedString, nSize);
}
