#include "editor/SupportPath.h"

#include "brevant/platform.h"
#include "editor/Documents.h"
#include "windows.h"

#include <sys/stat.h>
#include <unistd.h>

namespace brevant::host {

namespace {

bool isFolder(const std::string& native) {
    struct stat info;
    return stat(native.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string programFolder() {
    char buffer[4096];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (length <= 0) {
        return "";
    }
    const std::string path(buffer, (size_t)length);
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "" : path.substr(0, slash);
}

bool hasFolder(const std::string& name) {
    return name.find_first_of("\\/:") != std::string::npos;
}

// The drawing's folder as a Linux path; empty for a drawing never saved.
std::string drawingFolder() {
    const Document* pDoc = docManager().current();
    if (pDoc == nullptr || !pDoc->isNamed()) {
        return "";
    }
    const std::string fileName = pDoc->fileName();
    const size_t slash = fileName.find_last_of("\\/");
    std::string native;
    if (slash == std::string::npos ||
        !brevant::platform::toNativePath(fileName.substr(0, slash + 1), native)) {
        return "";
    }
    while (native.size() > 1 && native.back() == '/') {
        native.pop_back();
    }
    return native;
}

}  // namespace

std::vector<std::string> supportFolders() {
    std::vector<std::string> candidates;
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd) != nullptr) {
        candidates.push_back(cwd);
    }
    candidates.push_back(drawingFolder());
    const std::string program = programFolder();
    if (!program.empty()) {
        candidates.push_back(program);
        candidates.push_back(program + "/../lib/brevant/bin");
        candidates.push_back(program + "/../lib/brevant/support");
    }
    std::vector<std::string> folders;
    for (const std::string& folder : candidates) {
        if (!folder.empty() && isFolder(folder)) {
            folders.push_back(folder);
        }
    }
    return folders;
}

std::string findSupportFile(const std::string& name) {
    if (name.empty()) {
        return "";
    }
    std::vector<std::string> candidates;
    if (hasFolder(name)) {
        candidates.push_back(name);
    } else {
        for (const std::string& folder : supportFolders()) {
            candidates.push_back(folder + "/" + name);
        }
    }
    for (const std::string& candidate : candidates) {
        const DWORD attributes = GetFileAttributesA(candidate.c_str());
        std::string native;
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
            brevant::platform::toNativePath(candidate, native)) {
            return brevant::platform::toWindowsPath(native);
        }
    }
    return "";
}

}  // namespace brevant::host
