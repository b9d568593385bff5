#include "Staleness.h"

#include "DrawingIndexer.h"
#include "FileUtil.h"
#include "Locator.h"
#include "ToolSupport.h"

#include <algorithm>
#include <cctype>

namespace brevant::tools {

StalenessCheck::StalenessCheck()
    : m_domain(settingsFile((LPCTSTR)Pellam::Locator::Locate(LOCATION_DOMAIN_SETTINGS_FILE))),
      m_standard(settingsFile((LPCTSTR)Pellam::Locator::Locate(LOCATION_STANDARD_SETTINGS_FILE))) {}

StalenessCheck::SettingsFile StalenessCheck::settingsFile(const std::string& sPath) {
    SettingsFile file;
    if (!sPath.empty() && lastWriteTime(sPath, file.iWriteTime)) {
        file.sPath = sPath;
    }
    return file;
}

StalenessCheck::SettingsFile StalenessCheck::projectSettingsOf(const std::string& sFolder) {
    std::string sKey = sFolder;
    std::transform(sKey.begin(), sKey.end(), sKey.begin(),
                   [](unsigned char ch) { return (char)toupper(ch); });
    auto it = m_mapProjectByFolder.find(sKey);
    if (it != m_mapProjectByFolder.end()) {
        return it->second;
    }
    SettingsFile file;
    const CString sFound = Pellam::Locator::findFileUpwards("ProjectSettings.txt", sFolder.c_str());
    if (!sFound.IsEmpty()) {
        file = settingsFile((LPCTSTR)(sFound + "ProjectSettings.txt"));
    }
    m_mapProjectByFolder[sKey] = file;
    return file;
}

std::vector<std::string> StalenessCheck::settingsFilesOf(const std::string& sDrawing) {
    std::vector<std::string> vectorFiles;
    for (const SettingsFile& file :
         {projectSettingsOf((LPCTSTR)PellamFile::Directory(sDrawing.c_str())), m_domain,
          m_standard}) {
        if (!file.sPath.empty()) {
            vectorFiles.push_back(file.sPath);
        }
    }
    return vectorFiles;
}

bool StalenessCheck::isUpToDate(const std::string& sDrawing, uint64_t iDrawingWriteTime) {
    uint64_t iDinTime = 0;
    if (!lastWriteTime(dinFileOf(sDrawing), iDinTime) || iDinTime < iDrawingWriteTime) {
        return false;
    }
    const SettingsFile project =
        projectSettingsOf((LPCTSTR)PellamFile::Directory(sDrawing.c_str()));
    for (const SettingsFile& file : {project, m_domain, m_standard}) {
        if (!file.sPath.empty() && iDinTime < file.iWriteTime) {
            return false;
        }
    }
    return true;
}

}  // namespace brevant::tools
