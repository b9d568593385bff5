#include "ToolSupport.h"

#include <afx.h>
#include <windows.h>

#include "FileUtil.h"
#include "brevant/files.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace brevant::tools {

std::string fullWindowsPath(const std::string& sPath) {
    if (sPath.empty()) {
        return std::string();
    }
    char* pFull = _fullpath(nullptr, sPath.c_str(), _MAX_PATH);
    if (pFull == nullptr) {
        return std::string();
    }
    std::string sFull = pFull;
    free(pFull);
    return sFull;
}

bool readWholeFile(const std::string& sPath, size_t iMaxBytes, std::string& sBytes,
                   std::string& sError) {
    const DWORD dwMax = iMaxBytes > 0xFFFFFFFFu ? 0xFFFFFFFFu : (DWORD)iMaxBytes;
    DWORD dwLength = 0;
    CString sReason;
    switch (PellamFile::ReadWholeFile(sPath.c_str(), dwMax, sBytes, dwLength, sReason)) {
        case PellamFile::READ_WHOLE:
            return true;
        case PellamFile::READ_TOO_LARGE:
            sError = sPath + " is too large (" + std::to_string(dwLength) + " bytes, at most " +
                     std::to_string(iMaxBytes) + ")";
            return false;
        case PellamFile::READ_FAILED:
            break;
    }
    sError = (LPCTSTR)sReason;
    return false;
}

// Through the platform's one whole-file replacement: a reader never sees half
// a file, and a failure leaves the old one.
bool writeWholeFile(const std::string& sPath, const std::string& sBytes, std::string& sError) {
    const DWORD dwError =
        brevant::platform::writeFileAtomically(sPath, sBytes.data(), sBytes.size());
    if (dwError != ERROR_SUCCESS) {
        sError = osErrorText(dwError, sPath);
        return false;
    }
    return true;
}

std::string osErrorText(unsigned long iError, const std::string& sPath) {
    CFileException error(CFileException::OsErrorToException((LONG)iError), (LONG)iError,
                         sPath.c_str());
    return (LPCTSTR)PellamFile::ExceptionMessage(&error);
}

bool lastWriteTime(const std::string& sPath, uint64_t& iFileTime) {
    WIN32_FIND_DATAA data;
    HANDLE hFind = ::FindFirstFileA(sPath.c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE) {
        return false;
    }
    ::FindClose(hFind);
    iFileTime =
        ((uint64_t)data.ftLastWriteTime.dwHighDateTime << 32) | data.ftLastWriteTime.dwLowDateTime;
    return true;
}

uint64_t fileTimeOf(int64_t iUnixSeconds) {
    return (uint64_t)(iUnixSeconds + 11644473600LL) * 10000000ULL;
}

std::string jsonString(const std::string& sText) {
    std::string sOut = "\"";
    for (unsigned char ch : sText) {
        switch (ch) {
            case '"':
                sOut += "\\\"";
                break;
            case '\\':
                sOut += "\\\\";
                break;
            case '\n':
                sOut += "\\n";
                break;
            case '\r':
                sOut += "\\r";
                break;
            case '\t':
                sOut += "\\t";
                break;
            default:
                if (ch < 0x20 || ch >= 0x7F) {
                    char szEscape[8];
                    snprintf(szEscape, sizeof szEscape, "\\u%04x", ch);
                    sOut += szEscape;
                } else {
                    sOut += (char)ch;
                }
        }
    }
    return sOut + "\"";
}

std::string formatDuration(double dSeconds) {
    if (dSeconds < 0) {
        dSeconds = 0;
    }
    const long iTotal = (long)(dSeconds + 0.5);
    char szText[32];
    if (iTotal >= 3600) {
        snprintf(szText, sizeof szText, "%ld:%02ld:%02ld", iTotal / 3600, iTotal / 60 % 60,
                 iTotal % 60);
    } else {
        snprintf(szText, sizeof szText, "%ld:%02ld", iTotal / 60, iTotal % 60);
    }
    return szText;
}

std::string formatAge(int64_t iSeconds) {
    if (iSeconds < 0) {
        iSeconds = 0;
    }
    const struct {
        int64_t iUnit;
        const char* sName;
    } units[] = {{86400, "days"}, {3600, "h"}, {60, "min"}};
    for (const auto& unit : units) {
        if (iSeconds >= unit.iUnit) {
            const int64_t iCount = iSeconds / unit.iUnit;
            return std::to_string(iCount) + " " +
                   (iCount == 1 && unit.iUnit == 86400 ? "day" : unit.sName);
        }
    }
    return std::to_string(iSeconds) + " s";
}

bool parseCount(const std::string& sText, long& iValue) {
    if (sText.empty() || sText.find_first_not_of("0123456789") != std::string::npos ||
        sText.size() > 9) {
        return false;
    }
    iValue = strtol(sText.c_str(), nullptr, 10);
    return true;
}

}  // namespace brevant::tools
