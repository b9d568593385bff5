// What the archive tools (brevant-index, brevant-locks, brevant-din) share:
// whole files read and written through the platform's file calls, Windows
// paths of the arguments, and the small text forms of their output (JSON
// strings, durations, ages). Their exit statuses, --version and answer to a
// wrong argument are every program's (Program.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace brevant::tools {

// The full Windows path of a path as typed (Windows or Linux form, relative
// to the current folder); empty when it is no valid path.
std::string fullWindowsPath(const std::string& sPath);

// Whole-file reading through the platform: false (and why, naming the file)
// when the file cannot be opened or read, or holds more than iMaxBytes.
bool readWholeFile(const std::string& sPath, size_t iMaxBytes, std::string& sBytes,
                   std::string& sError);
// Writes the bytes as the file's whole content: first under a temporary name
// beside it, then put in place in one step, so that a reader never sees half
// a file and a failure leaves the previous file as it was.
bool writeWholeFile(const std::string& sPath, const std::string& sBytes, std::string& sError);

// The class library's sentence for a Windows error on a file ("Access to
// C:\x was denied.").
std::string osErrorText(unsigned long iError, const std::string& sPath);

// The last-write time of a file or folder, in 100-nanosecond units since 1601
// (Windows file time); false when it does not exist.
bool lastWriteTime(const std::string& sPath, uint64_t& iFileTime);
// The Windows file time of a Unix time.
uint64_t fileTimeOf(int64_t iUnixSeconds);

// A text as a JSON string, in double quotes. The text is single-byte (the
// Windows ANSI code page); bytes above 127 are written as the characters of
// the same number, so that the output is always valid JSON.
std::string jsonString(const std::string& sText);

// "0:07", "12:03", "1:02:03": a duration in seconds for people.
std::string formatDuration(double dSeconds);
// "3 min", "5 h", "12 days": an age in seconds, in its largest whole unit.
std::string formatAge(int64_t iSeconds);

// A whole non-negative number, all of the text; false otherwise.
bool parseCount(const std::string& sText, long& iValue);

}  // namespace brevant::tools
