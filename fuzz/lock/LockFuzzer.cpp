// Feeds any bytes to the lock file reader; a file it takes must give back
// fields that came from it and a time that reads back as its own text.
#include <cstdint>

#include "DocumentLock.h"
#include "DocumentLockFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CDocumentLockFile lock;
    if (!lock.parse(reinterpret_cast<const char*>(data), size)) {
        return 0;
    }
    const size_t uTotal = lock.getUser().GetLength() + lock.getComputer().GetLength() +
                          lock.getLockedAtText().GetLength();
    if (uTotal > size ||
        lock.getLockedAt().Format(CDocumentLock::kTimeFormat) != lock.getLockedAtText()) {
        __builtin_trap();
    }
    return 0;
}
