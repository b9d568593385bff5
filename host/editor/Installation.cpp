// The registry values an installation of the editor leaves, written on the
// editor's first start.
#include "brevant/editor.h"
#include "windows.h"

#include <cstring>

namespace brevant::host {

namespace {

struct Default {
    HKEY root;
    const char* rootName;
    const char* key;
    const char* value;  // NULL: the key's default value
    const char* data;
};

const Default kDefaults[] = {
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "SOFTWARE\\Autodesk\\AutoCAD", "CurVer", "R15.0"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "SOFTWARE\\Autodesk\\AutoCAD\\R15.0", "CurVer",
     "ACAD-1:409"},
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER",
     "Software\\Autodesk\\AutoCAD\\R15.0\\ACAD-1:409\\Profiles", nullptr, "<<Unnamed Profile>>"},
};

const char* const kProfileKey =
    "Software\\Autodesk\\AutoCAD\\R15.0\\ACAD-1:409\\Profiles\\<<Unnamed Profile>>";

bool hasValue(const Default& entry) {
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(entry.root, entry.key, 0, KEY_QUERY_VALUE, &hKey) != 0) {
        return false;
    }
    DWORD type = 0;
    DWORD size = 0;
    const bool found = RegQueryValueExA(hKey, entry.value, nullptr, &type, nullptr, &size) == 0;
    RegCloseKey(hKey);
    return found;
}

bool createKey(HKEY root, const char* key, HKEY& hKey) {
    DWORD disposition = 0;
    return RegCreateKeyExA(root, key, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                           &hKey, &disposition) == 0;
}

}  // namespace

bool writeInstallationDefaults(std::string& error) {
    for (const Default& entry : kDefaults) {
        if (hasValue(entry)) {
            continue;
        }
        HKEY hKey = nullptr;
        const std::string where = std::string(entry.rootName) + "\\" + entry.key;
        if (!createKey(entry.root, entry.key, hKey)) {
            error = "cannot create the registry key " + where;
            return false;
        }
        const LONG status =
            RegSetValueExA(hKey, entry.value, 0, REG_SZ, reinterpret_cast<const BYTE*>(entry.data),
                           (DWORD)strlen(entry.data) + 1);
        RegCloseKey(hKey);
        if (status != 0) {
            error = "cannot write the registry value " + where + "\\" +
                    (entry.value != nullptr ? entry.value : "(default)");
            return false;
        }
    }
    HKEY hProfile = nullptr;
    if (!createKey(HKEY_CURRENT_USER, kProfileKey, hProfile)) {
        error = std::string("cannot create the registry key HKEY_CURRENT_USER\\") + kProfileKey;
        return false;
    }
    RegCloseKey(hProfile);
    return true;
}

}  // namespace brevant::host
