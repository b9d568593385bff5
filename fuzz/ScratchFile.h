// A file in the temporary folder that only this process writes, for harnesses
// whose parser reads a path rather than bytes. Kept as a static, it is
// removed when the process ends, so runs leave nothing behind.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

class ScratchFile {
public:
    ScratchFile(const char* sName, const char* sSuffix) {
        const char* sFolder = getenv("TMPDIR");
        m_sPath = std::string(sFolder != nullptr && *sFolder != '\0' ? sFolder : "/tmp") +
                  "/brevant-fuzz-" + sName + "-" + std::to_string(getpid()) + sSuffix;
    }
    ~ScratchFile() { std::remove(m_sPath.c_str()); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::string& path() const { return m_sPath; }

private:
    std::string m_sPath;
};
