#include "Registry.h"

#include "Messages.h"

#include <vector>

namespace Pellam {
namespace Registry {

bool OpenKey(HKEY hkRoot, LPCTSTR sSubKey, bool bWrite, HKEY& hkRegistryKey) {
    hkRegistryKey = NULL;
    if (!bWrite) {
        return RegOpenKeyExA(hkRoot, sSubKey, 0, KEY_READ, &hkRegistryKey) == ERROR_SUCCESS;
    }
    // A fresh security descriptor with nothing set, not inherited by child
    // processes; an existing key is opened, a missing one (and its missing
    // parents) created, non-volatile.
    SECURITY_DESCRIPTOR sdDescriptor;
    if (!InitializeSecurityDescriptor(&sdDescriptor, SECURITY_DESCRIPTOR_REVISION)) {
        return false;
    }
    SECURITY_ATTRIBUTES saAttributes;
    saAttributes.nLength = sizeof(saAttributes);
    saAttributes.lpSecurityDescriptor = &sdDescriptor;
    saAttributes.bInheritHandle = FALSE;
    char szClass[1] = {0};
    DWORD dwDisposition = 0;
    return RegCreateKeyExA(hkRoot, sSubKey, 0, szClass, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                           &saAttributes, &hkRegistryKey, &dwDisposition) == ERROR_SUCCESS;
}

bool ReadValue(HKEY hkRegistryKey, LPCTSTR sValueName, CString& sValue) {
    // First ask for the size, then read into a buffer of that size.
    DWORD dwType = REG_NONE;
    DWORD dwSize = 0;
    if (RegQueryValueExA(hkRegistryKey, sValueName, NULL, &dwType, NULL, &dwSize) !=
        ERROR_SUCCESS) {
        return false;
    }
    if (dwType != REG_SZ && dwType != REG_EXPAND_SZ) {
        return false;
    }
    // One byte more than the value, so that a string stored without its
    // terminating zero still ends in one here.
    std::vector<BYTE> vectorBuffer(static_cast<size_t>(dwSize) + 1, 0);
    DWORD dwRead = dwSize;
    if (RegQueryValueExA(hkRegistryKey, sValueName, NULL, &dwType, vectorBuffer.data(), &dwRead) !=
        ERROR_SUCCESS) {
        return false;
    }
    if ((dwType != REG_SZ && dwType != REG_EXPAND_SZ) || dwRead > dwSize) {
        return false;
    }
    vectorBuffer[dwRead] = 0;
    sValue = reinterpret_cast<LPCSTR>(vectorBuffer.data());
    return true;
}

bool WriteValue(HKEY hkRegistryKey, LPCTSTR sValueName, const CString& sValue) {
    return RegSetValueExA(hkRegistryKey, sValueName, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(static_cast<LPCSTR>(sValue)),
                          static_cast<DWORD>(sValue.GetLength()) + 1) == ERROR_SUCCESS;
}

void CloseKey(HKEY hkRegistryKey) {
    PELLAM_VERIFY(RegCloseKey(hkRegistryKey) == 0L);
}

bool OpenRead(HKEY hkRoot, LPCTSTR sSubKey, LPCTSTR sValueName, CString& sValue) {
    HKEY hkRegistryKey = NULL;
    if (!OpenKey(hkRoot, sSubKey, false, hkRegistryKey)) {
        return false;
    }
    const bool bResult = ReadValue(hkRegistryKey, sValueName, sValue);
    CloseKey(hkRegistryKey);
    return bResult;
}

bool OpenWrite(HKEY hkRoot, LPCTSTR sSubKey, LPCTSTR sValueName, const CString& sValue) {
    HKEY hkRegistryKey = NULL;
    if (!OpenKey(hkRoot, sSubKey, true, hkRegistryKey)) {
        return false;
    }
    const bool bResult = WriteValue(hkRegistryKey, sValueName, sValue);
    CloseKey(hkRegistryKey);
    return bResult;
}

}  // namespace Registry
}  // namespace Pellam
