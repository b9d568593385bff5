// Feeds any bytes to the drawing preview reader as the contents of a saved
// drawing file. A preview it takes must come out as a section that the
// drawing information reader reads back, holding a bitmap file of the size
// the section declares and no larger than the input plus its file header; a
// preview it refuses must leave nothing written.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "DinFileReader.h"
#include "DocumentData.h"
#include "ScratchFile.h"

namespace {

bool writeAll(const std::string& sPath, const uint8_t* pData, size_t uSize) {
    FILE* pFile = fopen(sPath.c_str(), "wb");
    if (pFile == nullptr) {
        return false;
    }
    const bool bWritten = fwrite(pData, 1, uSize, pFile) == uSize;
    return fclose(pFile) == 0 && bWritten;
}

std::string readAll(const std::string& sPath) {
    std::string sText;
    FILE* pFile = fopen(sPath.c_str(), "rb");
    if (pFile == nullptr) {
        return sText;
    }
    char acBuffer[65536];
    size_t uRead = 0;
    while ((uRead = fread(acBuffer, 1, sizeof acBuffer, pFile)) > 0) {
        sText.append(acBuffer, uRead);
    }
    fclose(pFile);
    return sText;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const ScratchFile drawingFile("preview", ".dwg");
    static const ScratchFile sectionFile("preview", ".din");
    const std::string& sDrawing = drawingFile.path();
    const std::string& sSection = sectionFile.path();
    if (!writeAll(sDrawing, data, size)) {
        return 0;
    }
    bool bWritten = false;
    {
        CStdioFile file;
        if (!file.Open(sSection.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeText)) {
            return 0;
        }
        bWritten = Pellam::dumpDrawingPreview(sDrawing.c_str(), file);
        file.Close();
    }
    const std::string sText = readAll(sSection);
    if (!bWritten) {
        if (!sText.empty()) {
            __builtin_trap();
        }
        return 0;
    }
    Pellam::CDinFileReader reader;
    reader.parseFragment(sText.data(), sText.size());
    const Pellam::CDinFileReader::Thumbnail& thumbnail = reader.getThumbnail();
    const std::vector<unsigned char>& bytes = thumbnail.vectorBytes;
    if (!thumbnail.bPresent || bytes.size() < 14 + 40 || bytes.size() > size + 14 ||
        thumbnail.iDeclaredSize < 0 ||
        static_cast<size_t>(thumbnail.iDeclaredSize) + 14 != bytes.size()) {
        __builtin_trap();
    }
    // The colour table is written as far as the stored bitmap holds it, so
    // the pixel offset of the file header may lie past the bitmap: the one
    // problem the check may then report.
    const size_t uPixelsAt =
        bytes[10] | bytes[11] << 8 | bytes[12] << 16 | static_cast<size_t>(bytes[13]) << 24;
    const size_t uProblemsAllowed = uPixelsAt > bytes.size() ? 1 : 0;
    if (reader.getProblems().size() > uProblemsAllowed) {
        __builtin_trap();
    }
    return 0;
}
