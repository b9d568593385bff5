// Whole-file writes that no reader ever sees half done: the one way the
// editor, the registry and the module's own files replace a file. Built on
// the Win32 file calls of win/files.h, so the drive map, read-only drives and
// files, sharing and the fault seam (FileCreate, FileWrite, Rename) hold for
// it as for any file.
#pragma once

#include "win/types.h"

#include <cstddef>
#include <string>

namespace brevant::platform {

// Windows: CreateFileA(CREATE_NEW) of a temporary file in the target's folder,
// WriteFile, FlushFileBuffers, then MoveFileExA(MOVEFILE_REPLACE_EXISTING |
// MOVEFILE_WRITE_THROUGH) over the target; a target that exists keeps its
// permissions.
//
// Every call returns ERROR_SUCCESS or a Windows error code. After an error the
// target is as it was and no temporary file is left; a replacement that is
// not committed is discarded. The codes:
//   ERROR_PATH_NOT_FOUND        the target's folder does not exist, its drive is not
//                               mapped, or the name is empty
//   ERROR_BAD_NETPATH           the target's share is not known
//   ERROR_ACCESS_DENIED         the target is a folder or a read-only file, its folder or
//                               drive is read-only, or another handle holds the target
//                               without FILE_SHARE_DELETE
//   ERROR_INVALID_NAME          the name of a file ends in a separator
//   ERROR_FILENAME_EXCED_RANGE  the name, or the temporary file's, is MAX_PATH characters or more
//   any other code              what CreateFileA, WriteFile, FlushFileBuffers or MoveFileExA
//                               reported (ERROR_DISK_FULL, the fault seam's errors, ...)
//   ERROR_INVALID_FUNCTION      write or commit without a successful begin
class AtomicFileWriter {
public:
    AtomicFileWriter() = default;
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Makes the checks of checkFileReplaceable, then the temporary file.
    DWORD begin(const std::string& path);
    // Appends to the temporary file. After a failed write the replacement is
    // discarded and every later call returns that error again.
    DWORD write(const void* data, size_t size);
    // Flushes the temporary file to disk and renames it over the target.
    DWORD commit();
    // Removes the temporary file; the target stays as it was.
    void discard();

private:
    std::string m_target;
    std::string m_temporary;
    HANDLE m_file = nullptr;
    DWORD m_error = ERROR_INVALID_FUNCTION;
};

// What begin refuses, asked before anything is written: a save asks it before
// it starts. ERROR_SUCCESS when the file can be replaced (or made).
DWORD checkFileReplaceable(const std::string& path);

// The whole content in one call.
DWORD writeFileAtomically(const std::string& path, const void* data, size_t size);

}  // namespace brevant::platform
