// The registry: two hives kept as registry export text files, machine.reg for
// HKEY_LOCAL_MACHINE and user.reg for HKEY_CURRENT_USER, in the folder that
// brevant::platform::registryFolder() gives. Every write replaces the file
// atomically under an advisory lock; other processes' writes are seen at the
// next call. Only these two roots are kept; the others give ERROR_INVALID_HANDLE.
#pragma once

#include "win/types.h"
#include "win/files.h"

typedef DWORD REGSAM;

#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)((LONG)0x80000000))
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)((LONG)0x80000001))
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)((LONG)0x80000002))
#define HKEY_USERS ((HKEY)(ULONG_PTR)((LONG)0x80000003))

#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_NOTIFY 0x0010
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006
#define KEY_ALL_ACCESS 0xF003F

#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_MULTI_SZ 7
#define REG_QWORD 11

#define REG_OPTION_NON_VOLATILE 0x00000000
#define REG_OPTION_VOLATILE 0x00000001
#define REG_CREATED_NEW_KEY 0x00000001
#define REG_OPENED_EXISTING_KEY 0x00000002

#define SECURITY_DESCRIPTOR_REVISION 1

// Errors of the registry and security calls beyond those in win/types.h.
#define ERROR_KEY_DELETED 1018L
#define ERROR_UNKNOWN_REVISION 1305L
#define ERROR_INVALID_SECURITY_DESCR 1338L

// Access rights that a key handle may also be opened with.
#define MAXIMUM_ALLOWED 0x02000000

typedef struct _SECURITY_DESCRIPTOR {
    BYTE Revision;
    BYTE Sbz1;
    WORD Control;
    void* Owner;
    void* Group;
    void* Sacl;
    void* Dacl;
} SECURITY_DESCRIPTOR, *PISECURITY_DESCRIPTOR;
typedef void* PSECURITY_DESCRIPTOR;
// As on 64-bit Windows: a buffer of this size holds the whole descriptor.
#define SECURITY_DESCRIPTOR_MIN_LENGTH (sizeof(SECURITY_DESCRIPTOR))

extern "C" {
// Opens an existing key (names without regard to case); a missing one gives
// ERROR_FILE_NOT_FOUND and *phkResult NULL.
LONG WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                          PHKEY phkResult);
// Opens a key, or creates it with every missing middle key;
// *lpdwDisposition says REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY.
// A security descriptor that was not initialised gives ERROR_INVALID_SECURITY_DESCR.
LONG WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass,
                            DWORD dwOptions, REGSAM samDesired,
                            LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                            LPDWORD lpdwDisposition);
// No buffer: the size in *lpcbData. Buffer too small: ERROR_MORE_DATA and the
// needed size in *lpcbData. Data comes back as stored (REG_EXPAND_SZ unexpanded).
LONG WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                             LPBYTE lpData, LPDWORD lpcbData);
// Stores cbData bytes as given (a REG_SZ includes its terminating zero).
LONG WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType,
                           const BYTE* lpData, DWORD cbData);
LONG WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName);
// Closing a root key succeeds; an unknown handle gives ERROR_INVALID_HANDLE.
LONG WINAPI RegCloseKey(HKEY hKey);
// Only revision 1 (SECURITY_DESCRIPTOR_REVISION); anything else gives FALSE
// and ERROR_UNKNOWN_REVISION.
BOOL WINAPI InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR pSecurityDescriptor,
                                         DWORD dwRevision);

// Initialisation files. Returns the characters copied without the zero; a
// value that does not fit is cut to nSize - 1. A NULL section (key) lists the
// section (key) names, each ending in a zero, the list in two.
DWORD WINAPI GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                                      LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName);
}
