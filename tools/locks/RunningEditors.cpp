#include "RunningEditors.h"

#include <dirent.h>
#include <strings.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace brevant::tools {

namespace {

const char kEditorProgram[] = "brevant-editor";
const char kModuleFile[] = "brevant15.arx";

std::string readText(const std::string& sPath, size_t iMax) {
    std::ifstream input(sPath, std::ios::binary);
    std::string sText;
    char acBuffer[65536];
    while (input && sText.size() < iMax) {
        input.read(acBuffer, sizeof acBuffer);
        sText.append(acBuffer, (size_t)input.gcount());
    }
    return sText;
}

// The system's start, in seconds since 1970 ("btime" of /proc/stat).
time_t bootTime() {
    std::istringstream input(readText("/proc/stat", 1 << 20));
    std::string sLine;
    while (std::getline(input, sLine)) {
        if (sLine.rfind("btime ", 0) == 0) {
            return (time_t)strtoll(sLine.c_str() + 6, nullptr, 10);
        }
    }
    return 0;
}

// The process's start in clock ticks after boot: the 22nd field of its stat
// line, counted after the program name in parentheses.
bool startTicks(const std::string& sStat, unsigned long long& iTicks) {
    const size_t iName = sStat.rfind(')');
    if (iName == std::string::npos) {
        return false;
    }
    std::istringstream fields(sStat.substr(iName + 1));
    std::string sField;
    for (int i = 3; i <= 22; ++i) {
        if (!(fields >> sField)) {
            return false;
        }
    }
    iTicks = strtoull(sField.c_str(), nullptr, 10);
    return true;
}

bool holdsModule(const std::string& sMaps) {
    std::istringstream input(sMaps);
    std::string sLine;
    while (std::getline(input, sLine)) {
        const size_t iSlash = sLine.rfind('/');
        if (iSlash != std::string::npos &&
            strcasecmp(sLine.c_str() + iSlash + 1, kModuleFile) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::vector<RunningEditor> runningEditors() {
    std::vector<RunningEditor> vectorEditors;
    DIR* pDir = opendir("/proc");
    if (pDir == nullptr) {
        return vectorEditors;
    }
    const time_t boot = bootTime();
    const long iTicksPerSecond = sysconf(_SC_CLK_TCK);
    while (struct dirent* pEntry = readdir(pDir)) {
        const char* szName = pEntry->d_name;
        if (strspn(szName, "0123456789") != strlen(szName)) {
            continue;
        }
        const std::string sProcess = std::string("/proc/") + szName;
        std::string sProgram = readText(sProcess + "/comm", 256);
        while (!sProgram.empty() && sProgram.back() == '\n') {
            sProgram.pop_back();
        }
        if (sProgram != kEditorProgram && !holdsModule(readText(sProcess + "/maps", 16 << 20))) {
            continue;
        }
        unsigned long long iTicks = 0;
        if (!startTicks(readText(sProcess + "/stat", 4096), iTicks) || iTicksPerSecond <= 0) {
            continue;
        }
        RunningEditor editor;
        editor.iProcess = atoi(szName);
        editor.started = boot + (time_t)(iTicks / (unsigned long long)iTicksPerSecond);
        editor.sProgram = sProgram;
        vectorEditors.push_back(editor);
    }
    closedir(pDir);
    return vectorEditors;
}

bool mayHoldLock(const std::vector<RunningEditor>& vectorEditors, time_t lockedAt, int& iProcess) {
    for (const RunningEditor& editor : vectorEditors) {
        if (editor.started < lockedAt + 60) {
            iProcess = editor.iProcess;
            return true;
        }
    }
    return false;
}

}  // namespace brevant::tools
