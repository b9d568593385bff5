// Walking a folder tree through the platform's file calls, so that drive
// letters, shares and letter case work as on Windows. Entries come in name
// order without regard to letter case, the same on every run. A folder
// reached a second time (a symbolic link loop, or a second link to a folder)
// is walked once; a folder that cannot be listed is a problem, and the walk
// goes on with the rest.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace brevant::tools {

class FolderWalk {
public:
    // Called for every file (not folder) under the folder, with its full path
    // and what the folder listing says of it.
    typedef std::function<void(const std::string& sPath, const WIN32_FIND_DATAA& data)> FileVisitor;

    void walk(const std::string& sFolder, const FileVisitor& onFile);

    // Folders that could not be listed: one line each.
    const std::vector<std::string>& problems() const { return m_vectorProblems; }
    // Folders left out because they were walked already: one line each.
    const std::vector<std::string>& notes() const { return m_vectorNotes; }

private:
    bool firstVisit(const std::string& sFolder);

    std::set<std::pair<uint64_t, uint64_t>> m_setFolders;  // device and inode
    std::vector<std::string> m_vectorProblems;
    std::vector<std::string> m_vectorNotes;
};

// The folder joined with a name, with one backslash between.
std::string joinPath(const std::string& sFolder, const std::string& sName);
// A Windows file time as one number.
uint64_t fileTimeValue(const FILETIME& time);

}  // namespace brevant::tools
