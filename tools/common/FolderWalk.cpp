#include "FolderWalk.h"

#include "ToolSupport.h"

#include <brevant/platform.h>

#include <sys/stat.h>

#include <algorithm>
#include <cctype>

namespace brevant::tools {

namespace {

std::string upper(std::string sText) {
    for (char& ch : sText) {
        ch = (char)toupper((unsigned char)ch);
    }
    return sText;
}

// Windows allows no control characters in names; a Linux file that has one
// cannot be named in a Windows path or a line of a list.
bool holdsControlCharacter(const std::string& sName) {
    return std::any_of(sName.begin(), sName.end(),
                       [](char ch) { return (unsigned char)ch < 0x20 || ch == 0x7F; });
}

struct Entry {
    std::string sName;
    WIN32_FIND_DATAA data;
};

}  // namespace

std::string joinPath(const std::string& sFolder, const std::string& sName) {
    if (!sFolder.empty() && (sFolder.back() == '\\' || sFolder.back() == '/')) {
        return sFolder + sName;
    }
    return sFolder + "\\" + sName;
}

uint64_t fileTimeValue(const FILETIME& time) {
    return ((uint64_t)time.dwHighDateTime << 32) | time.dwLowDateTime;
}

void FolderWalk::walk(const std::string& sFolder, const FileVisitor& onFile) {
    if (!firstVisit(sFolder)) {
        m_vectorNotes.push_back(sFolder +
                                ": walked already (a symbolic link loop, or a second link to "
                                "it); left out");
        return;
    }
    WIN32_FIND_DATAA data;
    HANDLE hFind = ::FindFirstFileA(joinPath(sFolder, "*").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE) {
        const DWORD dwError = ::GetLastError();
        if (dwError != ERROR_FILE_NOT_FOUND && dwError != ERROR_NO_MORE_FILES) {
            m_vectorProblems.push_back("cannot list the folder: " + osErrorText(dwError, sFolder));
        }
        return;
    }
    std::vector<Entry> vectorEntries;
    do {
        const std::string sName = data.cFileName;
        if (sName == "." || sName == "..") {
            continue;
        }
        if (holdsControlCharacter(sName)) {
            m_vectorProblems.push_back(joinPath(sFolder, "") +
                                       ": a name with a control character, left out");
            continue;
        }
        vectorEntries.push_back(Entry{sName, data});
    } while (::FindNextFileA(hFind, &data));
    ::FindClose(hFind);

    std::sort(vectorEntries.begin(), vectorEntries.end(), [](const Entry& a, const Entry& b) {
        const std::string sA = upper(a.sName);
        const std::string sB = upper(b.sName);
        return sA != sB ? sA < sB : a.sName < b.sName;
    });
    for (const Entry& entry : vectorEntries) {
        const std::string sPath = joinPath(sFolder, entry.sName);
        if (entry.data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            walk(sPath, onFile);
        } else {
            onFile(sPath, entry.data);
        }
    }
}

// A folder is known by its device and inode, whatever path leads to it.
bool FolderWalk::firstVisit(const std::string& sFolder) {
    std::string sNative;
    struct stat info;
    if (!brevant::platform::toNativePath(sFolder, sNative) || stat(sNative.c_str(), &info) != 0) {
        return true;  // listing it will tell what is wrong
    }
    return m_setFolders.insert({(uint64_t)info.st_dev, (uint64_t)info.st_ino}).second;
}

}  // namespace brevant::tools
