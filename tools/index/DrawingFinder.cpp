#include "DrawingFinder.h"

#include "ARXDrawingData.h"
#include "ToolSupport.h"

#include <cctype>
#include <iostream>
#include <sstream>

namespace brevant::tools {

namespace {

// A list file larger than this is refused rather than read whole.
const size_t kMaxListBytes = 256u << 20;

std::string upper(std::string sText) {
    for (char& ch : sText) {
        ch = (char)toupper((unsigned char)ch);
    }
    return sText;
}

uint64_t sizeOf(const WIN32_FIND_DATAA& data) {
    return ((uint64_t)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

}  // namespace

void DrawingFinder::addPath(const std::string& sTyped) {
    const std::string sPath = fullWindowsPath(sTyped);
    if (sPath.empty()) {
        m_vectorProblems.push_back(sTyped + ": not a valid path");
        return;
    }
    const DWORD dwAttributes = ::GetFileAttributesA(sPath.c_str());
    if (dwAttributes == INVALID_FILE_ATTRIBUTES) {
        m_vectorProblems.push_back(sPath + ": no such file or folder");
        return;
    }
    if (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        m_walk.walk(sPath, [this](const std::string& sFile, const WIN32_FIND_DATAA& data) {
            // The module's own test of a drawing's name picks the drawings.
            if (Pellam::CARXDrawingData::isValidFileName(sFile.c_str())) {
                addDrawing(sFile, fileTimeValue(data.ftLastWriteTime), sizeOf(data));
            }
        });
        return;
    }
    WIN32_FIND_DATAA data;
    HANDLE hFind = ::FindFirstFileA(sPath.c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE) {
        addDrawing(sPath, 0, 0);
        return;
    }
    ::FindClose(hFind);
    addDrawing(sPath, fileTimeValue(data.ftLastWriteTime), sizeOf(data));
}

void DrawingFinder::addList(std::istream& input) {
    std::string sLine;
    while (std::getline(input, sLine)) {
        while (!sLine.empty() && sLine.back() == '\r') {
            sLine.pop_back();
        }
        if (sLine.find_first_not_of(" \t") == std::string::npos) {
            continue;
        }
        addPath(sLine);
    }
}

bool DrawingFinder::addListFile(const std::string& sFile) {
    if (sFile == "-") {
        addList(std::cin);
        return true;
    }
    std::string sText;
    std::string sError;
    if (!readWholeFile(fullWindowsPath(sFile), kMaxListBytes, sText, sError)) {
        m_vectorProblems.push_back("cannot read the list " + sFile + ": " + sError);
        return false;
    }
    std::istringstream input(sText);
    addList(input);
    return true;
}

std::vector<std::string> DrawingFinder::problems() const {
    std::vector<std::string> vectorAll = m_vectorProblems;
    vectorAll.insert(vectorAll.end(), m_walk.problems().begin(), m_walk.problems().end());
    return vectorAll;
}

void DrawingFinder::addDrawing(const std::string& sPath, uint64_t iWriteTime, uint64_t iSize) {
    if (!m_setDrawingKeys.insert(upper(sPath)).second) {
        return;
    }
    m_vectorDrawings.push_back(FoundDrawing{sPath, iWriteTime, iSize});
}

}  // namespace brevant::tools
