// Registry access: every read and write of a registry value opens its key,
// reads or writes one string value and closes the key again. No key handle is
// kept between calls.
#pragma once

#include <afx.h>

namespace Pellam {
namespace Registry {

// True when the key opens and the value exists as a string (REG_SZ, or
// REG_EXPAND_SZ returned unexpanded); sValue then holds it. On false sValue is
// left as it was.
bool OpenRead(HKEY hkRoot, LPCTSTR sSubKey, LPCTSTR sValueName, CString& sValue);
// True when the key opens or is created (with any missing parents) and the
// value is stored as REG_SZ, terminating zero included.
bool OpenWrite(HKEY hkRoot, LPCTSTR sSubKey, LPCTSTR sValueName, const CString& sValue);

// The single steps behind OpenRead and OpenWrite, for callers that work on one
// key in several steps.
bool OpenKey(HKEY hkRoot, LPCTSTR sSubKey, bool bWrite, HKEY& hkRegistryKey);
bool ReadValue(HKEY hkRegistryKey, LPCTSTR sValueName, CString& sValue);
bool WriteValue(HKEY hkRegistryKey, LPCTSTR sValueName, const CString& sValue);
// A failed close is reported as a check failure; it does not change a result.
void CloseKey(HKEY hkRegistryKey);

}  // namespace Registry
}  // namespace Pellam
