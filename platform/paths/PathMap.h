// Inside the platform: how a Windows path becomes a Linux path, and the small
// file-system helpers that the file, module and version calls share.
#pragma once

#include <string>
#include <vector>

#include "win/types.h"

namespace brevant::platform::detail {

// A Windows path after mapping.
struct ResolvedPath {
    std::string native;              // Linux path, absolute, without a trailing slash
    bool readOnly = false;           // it lies on a read-only drive
    bool trailingSeparator = false;  // the Windows path ended in a separator
};

// Maps a Windows (or Linux) path: drive or share replaced by its folder, "."
// and ".." resolved, every existing component found without regard to letter
// case. Fails with the Windows error in the last error: ERROR_PATH_NOT_FOUND
// for an empty path or a drive that is not mapped, ERROR_BAD_NETPATH for an
// unknown share, ERROR_FILENAME_EXCED_RANGE for MAX_PATH characters or more
// (when limitLength is true, as in the calls that take MAX_PATH paths).
bool resolvePath(const char* windowsPath, ResolvedPath& out, bool limitLength = true);

// The Windows error for a Linux errno value.
DWORD errorFromErrno(int error);
// ERROR_FILE_NOT_FOUND when the folder of a missing path exists, otherwise
// ERROR_PATH_NOT_FOUND, as Windows tells the two apart.
DWORD missingError(const std::string& native);
// Read-only, Windows style: the owner-write bit of a file or folder is clear.
bool ownerCannotWrite(const std::string& native);
std::string parentOf(const std::string& native);
std::string lastComponent(const std::string& native);
// True when the Linux path lies on a drive that the map marks read-only.
bool onReadOnlyDrive(const std::string& native);
// Appends the components of a path (either separator) to components,
// dropping empty ones and "."; ".." takes the previous one away but never
// climbs above the root.
void addComponents(const std::string& text, std::vector<std::string>& components);
// The names in a folder (without "." and ".."), sorted without regard to case.
bool listFolder(const std::string& native, std::vector<std::string>& names);

}  // namespace brevant::platform::detail

namespace brevant::platform::detail {
// The absolute, normalised Windows form of a path, without touching the disk:
// relative paths are taken from the current directory, "." and ".." resolved,
// backslashes throughout; a trailing separator stays.
std::string fullWindowsPath(const std::string& path);
}  // namespace brevant::platform::detail
