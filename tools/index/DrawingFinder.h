// The drawings a run works on: every drawing under the folders given (by the
// module's own test of a drawing's name), every file named on its own, and
// every path of a list, one per line (folders walked as FolderWalk does).
#pragma once

#include "FolderWalk.h"

#include <cstdint>
#include <istream>
#include <set>
#include <string>
#include <vector>

namespace brevant::tools {

struct FoundDrawing {
    std::string sPath;        // full Windows path, the name the .din carries
    uint64_t iWriteTime = 0;  // Windows file time of the drawing
    uint64_t iSize = 0;       // bytes
};

class DrawingFinder {
public:
    // A folder adds the drawings under it, a file adds itself whatever its
    // name (the module writes a .din for any drawing on demand). A path that
    // does not exist, or a folder that cannot be listed, is a problem.
    void addPath(const std::string& sTyped);
    // Every non-empty line of the list is a path as addPath takes it.
    void addList(std::istream& input);
    // The list file sFile ("-" for the standard input); false (a problem
    // noted) when it cannot be read.
    bool addListFile(const std::string& sFile);

    // In the order found; a drawing found twice is kept once.
    const std::vector<FoundDrawing>& drawings() const { return m_vectorDrawings; }
    // Folders that could not be listed, paths that do not exist: one line each.
    std::vector<std::string> problems() const;
    // Folders left out because they were walked already: one line each.
    const std::vector<std::string>& notes() const { return m_walk.notes(); }

private:
    void addDrawing(const std::string& sPath, uint64_t iWriteTime, uint64_t iSize);

    FolderWalk m_walk;
    std::vector<FoundDrawing> m_vectorDrawings;
    std::set<std::string> m_setDrawingKeys;  // upper-cased paths
    std::vector<std::string> m_vectorProblems;
};

}  // namespace brevant::tools
