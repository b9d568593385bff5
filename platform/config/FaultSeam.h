// Inside the platform: a write that stands for another operation of the fault
// seam. A registry hive is written through the file calls, but a test fails it
// as a RegistryWrite; while a scope lives, the file operations of its thread
// (FileWrite, FileCreate, FileFlush, Rename) are not counted, unless
// countRegistryFileCalls is on.
#pragma once

namespace brevant::platform::detail {

class FileSeamExemption {
public:
    FileSeamExemption();
    ~FileSeamExemption();
    FileSeamExemption(const FileSeamExemption&) = delete;
    FileSeamExemption& operator=(const FileSeamExemption&) = delete;
};

}  // namespace brevant::platform::detail
