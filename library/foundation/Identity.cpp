#include "Identity.h"

#include <vector>

namespace {

const LPCTSTR kUnknown = "Unknown";

// Text from a buffer that a call may have filled without a terminating zero.
CString bufferText(const std::vector<char>& vectorBuffer) {
    const size_t uLength = strnlen(vectorBuffer.data(), vectorBuffer.size());
    return CString(vectorBuffer.data(), static_cast<int>(uLength));
}

}  // namespace

namespace Pellam {
namespace Util {

CString getUserName() {
    DWORD dwLength = 512;
    std::vector<char> vectorBuffer(dwLength, 0);
    DWORD dwResult = WNetGetUserA(NULL, vectorBuffer.data(), &dwLength);
    if (dwResult == ERROR_MORE_DATA && dwLength > vectorBuffer.size()) {
        vectorBuffer.assign(dwLength, 0);
        dwResult = WNetGetUserA(NULL, vectorBuffer.data(), &dwLength);
    }
    return dwResult == NO_ERROR ? bufferText(vectorBuffer) : CString(kUnknown);
}

CString getComputerName() {
    DWORD dwLength = MAX_COMPUTERNAME_LENGTH + 1;
    std::vector<char> vectorBuffer(dwLength, 0);
    BOOL bResult = GetComputerNameA(vectorBuffer.data(), &dwLength);
    if (!bResult && GetLastError() == ERROR_BUFFER_OVERFLOW && dwLength > vectorBuffer.size()) {
        vectorBuffer.assign(dwLength, 0);
        bResult = GetComputerNameA(vectorBuffer.data(), &dwLength);
    }
    return bResult ? bufferText(vectorBuffer) : CString(kUnknown);
}

CString getDriveConnection(TCHAR chDrive) {
    const char szLocalName[3] = {chDrive, ':', '\0'};
    DWORD dwLength = 512;
    std::vector<char> vectorBuffer(dwLength, 0);
    DWORD dwResult = WNetGetConnectionA(szLocalName, vectorBuffer.data(), &dwLength);
    if (dwResult == ERROR_MORE_DATA && dwLength > vectorBuffer.size()) {
        vectorBuffer.assign(dwLength, 0);
        dwResult = WNetGetConnectionA(szLocalName, vectorBuffer.data(), &dwLength);
    }
    // A remembered drive that is not connected now still has its remote name.
    if (dwResult == NO_ERROR || dwResult == ERROR_CONNECTION_UNAVAIL) {
        return bufferText(vectorBuffer);
    }
    return CString();
}

}  // namespace Util
}  // namespace Pellam
