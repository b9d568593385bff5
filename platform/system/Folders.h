// Folders the platform keeps its own files in, and the small file-system
// steps that the registry, the message table and the system folders share.
#pragma once

#include <string>

namespace brevant::platform::folders {

// The user's configuration folder: $XDG_CONFIG_HOME when it is an absolute
// path, else $HOME/.config (the home folder from the password database when
// HOME is not set).
std::string configHome();

// The Linux path that a folder setting names: a path with a drive letter or a
// UNC share goes through the drive map, anything else is a Linux path already.
std::string nativeFolder(const std::string& setting);

// Makes the folder and every missing parent. False with a description of the
// failure (the folder and the system's reason) when it cannot be made.
bool makeFolders(const std::string& nativePath, std::string& error);

// Prints one line on the error output (flushed), where a person sees it.
void report(const std::string& message);

}  // namespace brevant::platform::folders
