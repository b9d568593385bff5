// Which Windows the module runs on: the folder tests work differently on the
// Windows NT family and on the older line.
#include "Versions.h"

#include <cstring>

#include "Messages.h"

namespace {

// The platform identifier and the version numbers of the running Windows.
bool getVersion(DWORD& dwPlatformID, DWORD& dwOSMajor, DWORD& dwOSMinor, DWORD& dwOSBuild) {
    OSVERSIONINFOA versionInfo;
    memset(&versionInfo, 0, sizeof(versionInfo));
    versionInfo.dwOSVersionInfoSize = 148;
    if (!GetVersionExA(&versionInfo)) {
        return false;
    }
    dwPlatformID = versionInfo.dwPlatformId;
    dwOSMajor = versionInfo.dwMajorVersion;
    dwOSMinor = versionInfo.dwMinorVersion;
    dwOSBuild = versionInfo.dwBuildNumber;
    return true;
}

}  // namespace

bool isOSVersion(int iKind) {
    DWORD dwPlatformID = 0;
    DWORD dwOSMajor = 0;
    DWORD dwOSMinor = 0;
    DWORD dwOSBuild = 0;
    if (!PELLAM_VERIFY(getVersion(dwPlatformID, dwOSMajor, dwOSMinor, dwOSBuild))) {
        return false;
    }
    switch (iKind) {
        case 0:  // the Windows NT family
            return dwPlatformID == VER_PLATFORM_WIN32_NT;
        default:
            return false;
    }
}
