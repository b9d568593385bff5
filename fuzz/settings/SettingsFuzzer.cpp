// Feeds any bytes to the settings file reader as the contents of a settings
// file, then reads every value the file gives.
#include <cstdint>
#include <cstdio>
#include <string>

#include "ScratchFile.h"
#include "SettingsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const ScratchFile settingsFile("settings", ".txt");
    const std::string& sPath = settingsFile.path();
    FILE* pFile = fopen(sPath.c_str(), "wb");
    if (pFile == nullptr) {
        return 0;
    }
    fwrite(data, 1, size, pFile);
    fclose(pFile);

    const CSettingsFile settings(sPath.c_str());
    size_t uTotal = settings.getProjectLabel().GetLength() + settings.getProjectPath().GetLength() +
                    settings.getIssueDirectory().GetLength() + settings.getJobNumber().GetLength();
    for (int i = 0; i <= static_cast<int>(settings.getJobTitleLines().size()); ++i) {
        uTotal += settings.getJobTitle(i).GetLength();
    }
    for (const bool bMock : {false, true}) {
        for (int i = 0; i <= settings.getRecordCount(bMock); ++i) {
            for (int j = 0; j <= settings.getBorderCount(i, bMock); ++j) {
                uTotal += settings.getBorder(i, j, bMock).second.GetLength();
            }
            if (settings.copyToCurrent(i, bMock)) {
                uTotal += CSettingsFile::getCurrentRecord(bMock).m_mapAttributes.size();
            }
        }
        CSettingsFile::resetCurrent(bMock);
    }
    for (const auto& entry : settings.getIssueTable()) {
        uTotal += entry.second.GetLength();
    }
    // Everything the reader keeps came from the file, plus the folder in
    // each project path entry and the issue directory's default.
    if (uTotal > 64 * (size + 1) + 4096) {
        __builtin_trap();
    }
    return 0;
}
