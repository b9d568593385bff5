// Whether a drawing's information file is up to date: it is when the .din is
// at least as new as the drawing and as every settings file that applies to
// the drawing. The settings files that apply are the ones the module reads
// for it: the project settings file found upwards from the drawing's folder,
// the domain settings file and the standard settings file, as the locator
// places them for the module file that the library stands for.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace brevant::tools {

class StalenessCheck {
public:
    // Locates the domain and standard settings files (call after the library
    // has been started for its module file).
    StalenessCheck();

    // True when the drawing's .din exists and is not older than the drawing
    // (its write time given) or any settings file that applies to it.
    bool isUpToDate(const std::string& sDrawing, uint64_t iDrawingWriteTime);
    // The settings files that apply to the drawing and exist, project first.
    std::vector<std::string> settingsFilesOf(const std::string& sDrawing);

private:
    struct SettingsFile {
        std::string sPath;  // empty: there is none
        uint64_t iWriteTime = 0;
    };
    SettingsFile projectSettingsOf(const std::string& sFolder);
    static SettingsFile settingsFile(const std::string& sPath);

    SettingsFile m_domain;
    SettingsFile m_standard;
    std::map<std::string, SettingsFile> m_mapProjectByFolder;  // upper-cased folder
};

}  // namespace brevant::tools
