// The platform's own set-up, which has no Windows counterpart: configuration,
// the drive map, the clock and the fault seam. The editor and the tests use it;
// the module does not.
#pragma once

#include <ctime>
#include <string>

namespace brevant::platform {

// Configuration: the environment variable BREVANT_<name> wins; then the line
// "<name>=<value>" of the configuration file named by BREVANT_CONFIG; then the
// default. Names are upper case without the prefix, for example "DRIVES".
std::string setting(const std::string& name, const std::string& defaultValue = "");
bool settingIsTrue(const std::string& name, bool defaultValue = false);

// Drive map. A drive is a letter ("C") or a UNC share ("\\\\srv\\jobs"); its
// folder is a Linux folder. A network drive also has a remote name, which
// WNetGetConnectionA reports; a remembered drive keeps its remote name while
// it is disconnected (its folder empty). The setting DRIVES holds entries
// separated by ";", each "<drive>=<folder>" or "<drive>=<folder>|<remote name>".
// A read-only drive refuses every write, creation and deletion with
// ERROR_ACCESS_DENIED (a read-only share), whoever runs the process. The
// DRIVES setting marks one with a third field: "<drive>=<folder>|<remote>|ro".
void mapDrive(const std::string& drive, const std::string& folder,
              const std::string& remoteName = "", bool readOnly = false);
void unmapDrive(const std::string& drive);
void clearDriveMap();  // then reloads nothing; tests start from an empty map
// What the map knows of a drive ("X" or "X:"): false when it is not mapped.
struct DriveInfo {
    std::string folder;      // empty for a remembered, disconnected network drive
    std::string remoteName;  // empty for a local drive
    bool readOnly = false;
};
bool driveInfo(const std::string& drive, DriveInfo& info);
// The Linux path of a Windows path: drive or share replaced by its folder,
// backslashes turned into slashes, every existing component found without
// regard to letter case. A path without a drive letter is a Linux path already.
// Returns false (and sets the last error) when the drive is not mapped.
bool toNativePath(const std::string& windowsPath, std::string& nativePath);
// The Windows path of a Linux path: the longest mapped folder that contains it
// is replaced by its drive; otherwise the path with backslashes.
std::string toWindowsPath(const std::string& nativePath);

// The clock behind CTime::GetCurrentTime and every time stamp. Setting it to a
// time fixes it there (tests and transcripts); setting it to 0 returns to the
// system clock. The setting CLOCK ("YYYY-MM-DD HH:MM[:SS]", local time) fixes
// it at start-up.
time_t now();
void setClock(time_t fixedTime);

// The fault seam: every file write, rename, folder creation and registry file
// write goes through it. failAfter(op, n) makes the n-th such call from now on
// fail (n = 1: the next one) with the given Windows error; n = 0 disarms it.
enum class Operation { FileWrite, FileCreate, Rename, CreateFolder, RegistryWrite };
void failAfter(Operation operation, int n, unsigned long windowsError = 112 /* disk full */);
// Called by the platform before each operation: true when this one must fail.
bool shouldFail(Operation operation, unsigned long& windowsError);

}  // namespace brevant::platform
