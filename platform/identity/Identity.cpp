// The user, the computer and network drive connections.
#include "win/identity.h"

#include "brevant/platform.h"
#include "brevant/text.h"

#include <cstring>
#include <pwd.h>
#include <unistd.h>

using namespace brevant::platform;

namespace {

bool networkOff() {
    return !settingIsTrue("NETWORK", true);
}

// The login name of the process's user: the password database, then the
// variables a login sets.
std::string loginName() {
    if (const struct passwd* pw = getpwuid(geteuid())) {
        if (pw->pw_name != nullptr && pw->pw_name[0] != 0) {
            return pw->pw_name;
        }
    }
    for (const char* variable : {"USER", "LOGNAME"}) {
        const char* value = getenv(variable);
        if (value != nullptr && value[0] != 0) {
            return value;
        }
    }
    return "";
}

// A NetBIOS computer name from the host name: its first label, upper-cased,
// at most 15 characters, with the characters NetBIOS does not allow (and
// blanks and control characters) replaced by "-".
std::string netbiosName(const std::string& host) {
    std::string name = host.substr(0, host.find('.'));
    if (name.size() > MAX_COMPUTERNAME_LENGTH) {
        name.resize(MAX_COMPUTERNAME_LENGTH);
    }
    for (char& ch : name) {
        const unsigned char byte = (unsigned char)ch;
        if (byte <= ' ' || byte >= 0x7F || strchr("\\/:*?\"<>|", ch) != nullptr) {
            ch = '-';
        } else {
            ch = (char)toupper(byte);
        }
    }
    return name;
}

// Copies `text` when it fits in *length characters with its zero; otherwise
// the needed size in *length and ERROR_MORE_DATA, as the WNet calls do.
DWORD copyOut(const std::string& text, LPSTR buffer, LPDWORD length) {
    const DWORD needed = (DWORD)text.size() + 1;
    if (buffer == nullptr || *length < needed) {
        *length = needed;
        return ERROR_MORE_DATA;
    }
    memcpy(buffer, text.c_str(), needed);
    return NO_ERROR;
}

DWORD result(DWORD code) {
    SetLastError(code);
    return code;
}

}  // namespace

extern "C" {

// The user of the default network connection: setting USER_NAME, else the
// login name. Buffer too small: ERROR_MORE_DATA and the needed length.
// NETWORK=off: ERROR_NO_NETWORK.
DWORD WINAPI WNetGetUserA(LPCSTR lpName, LPSTR lpUserName, LPDWORD lpnLength) {
    if (lpnLength == nullptr) {
        return result(ERROR_INVALID_PARAMETER);
    }
    if (networkOff()) {
        return result(ERROR_NO_NETWORK);
    }
    std::string user = setting("USER_NAME");
    if (user.empty()) {
        user = loginName();
    }
    if (user.empty()) {
        return result(ERROR_NO_NETWORK);  // nobody is logged on to a network
    }
    return result(copyOut(user, lpUserName, lpnLength));
}

// The remote name of a mapped network drive "X:": NO_ERROR when connected,
// ERROR_CONNECTION_UNAVAIL (with the name) when remembered but not connected,
// ERROR_NOT_CONNECTED for a local or unmapped drive, ERROR_BAD_DEVICE for a
// name that is not a drive, ERROR_MORE_DATA with the needed size.
DWORD WINAPI WNetGetConnectionA(LPCSTR lpLocalName, LPSTR lpRemoteName, LPDWORD lpnLength) {
    if (lpLocalName == nullptr || lpnLength == nullptr) {
        return result(ERROR_INVALID_PARAMETER);
    }
    const bool isDrive = ((lpLocalName[0] >= 'A' && lpLocalName[0] <= 'Z') ||
                          (lpLocalName[0] >= 'a' && lpLocalName[0] <= 'z')) &&
                         lpLocalName[1] == ':' && lpLocalName[2] == 0;
    if (!isDrive) {
        return result(ERROR_BAD_DEVICE);
    }
    if (networkOff()) {
        return result(ERROR_NO_NETWORK);
    }
    DriveInfo info;
    if (!driveInfo(std::string(1, lpLocalName[0]), info) || info.remoteName.empty()) {
        return result(ERROR_NOT_CONNECTED);
    }
    const DWORD copied = copyOut(info.remoteName, lpRemoteName, lpnLength);
    if (copied != NO_ERROR) {
        return result(copied);
    }
    return result(info.folder.empty() ? ERROR_CONNECTION_UNAVAIL : NO_ERROR);
}

// The computer's NetBIOS name: setting COMPUTER_NAME as given, else the host
// name made a NetBIOS name. Buffer too small: FALSE, ERROR_BUFFER_OVERFLOW
// and the needed size (with the zero) in *nSize; success: the length without it.
BOOL WINAPI GetComputerNameA(LPSTR lpBuffer, LPDWORD nSize) {
    if (nSize == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string name = setting("COMPUTER_NAME");
    if (name.empty()) {
        char host[256] = {};
        if (gethostname(host, sizeof host - 1) != 0 || host[0] == 0) {
            SetLastError(ERROR_INVALID_FUNCTION);
            return FALSE;
        }
        name = netbiosName(host);
    }
    const DWORD needed = (DWORD)name.size() + 1;
    if (lpBuffer == nullptr || *nSize < needed) {
        *nSize = needed;
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return FALSE;
    }
    memcpy(lpBuffer, name.c_str(), needed);
    *nSize = needed - 1;
    return TRUE;
}

}  // extern "C"
