// A file's version resource: loading it into memory and finding its named
// string values.
#include "VersionBase.h"

#include <cstring>
#include <new>

#include "Messages.h"

namespace Pellam {

LPBYTE readVersionData(LPCTSTR sFilePath) {
    DWORD dwHandle = 0;
    DWORD dwSize = GetFileVersionInfoSizeA(sFilePath, &dwHandle);
    if (dwSize == 0) {
        return NULL;
    }
    LPBYTE pVersionBuffer = new (std::nothrow) BYTE[dwSize];
    if (!PELLAM_VERIFY(pVersionBuffer != NULL)) {
        return NULL;
    }
    if (!GetFileVersionInfoA(sFilePath, dwHandle, dwSize, pVersionBuffer)) {
        delete[] pVersionBuffer;
        return NULL;
    }
    return pVersionBuffer;
}

void freeVersionData(LPBYTE pVersionBuffer) {
    delete[] pVersionBuffer;
}

CString queryVersionString(LPCTSTR sName, LPCVOID pVersionBuffer, VersionValueCache& mapCache) {
    CString sValueName(sName);
    VersionValueCache::const_iterator itCached = mapCache.find(sValueName);
    if (itCached != mapCache.end()) {
        return itCached->second;
    }
    if (pVersionBuffer == NULL) {
        return CString();
    }

    // The first entry of the translation table names the language (low word)
    // and the code page (high word) under which the strings are kept.
    DWORD* pTransArray = NULL;
    UINT iNumberOfBytes = 0;
    // clang-format off
    if (!PELLAM_VERIFY(::VerQueryValueA(pVersionBuffer, "\\VarFileInfo\\Translation", (LPVOID *)&pTransArray, &iNumberOfBytes))) {
        return CString();
    }
    // clang-format on
    if (!PELLAM_VERIFY(iNumberOfBytes > 0)) {
        return CString();
    }
    if (pTransArray == NULL || iNumberOfBytes < sizeof(DWORD)) {
        return CString();  // no complete entry: nothing to look under
    }

    DWORD dwTranslation = 0;
    memcpy(&dwTranslation, pTransArray, sizeof(dwTranslation));
    CString sSubBlock;
    sSubBlock.Format(_T("\\StringFileInfo\\%04hX%04hX\\%s"), (unsigned short)LOWORD(dwTranslation),
                     (unsigned short)HIWORD(dwTranslation), (LPCTSTR)sValueName);
    LPVOID pValue = NULL;
    UINT iValueLength = 0;
    if (!::VerQueryValueA(pVersionBuffer, sSubBlock, &pValue, &iValueLength) || pValue == NULL) {
        return CString();
    }
    // The length counts characters with the terminating zero; the value never
    // reads past it.
    LPCTSTR sFound = static_cast<LPCTSTR>(pValue);
    CString sValue(sFound, (int)strnlen(sFound, iValueLength));
    mapCache[sValueName] = sValue;
    return sValue;
}

}  // namespace Pellam
