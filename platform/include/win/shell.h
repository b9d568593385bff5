// The shell's special folders (only the calls that find the application-data folder).
#pragma once

#include "win/types.h"

#define CSIDL_APPDATA 0x001a
#define CSIDL_LOCAL_APPDATA 0x001c
#define CSIDL_PERSONAL 0x0005

typedef struct _SHITEMID {
    USHORT cb;
    BYTE abID[1];
} SHITEMID;
typedef struct _ITEMIDLIST {
    SHITEMID mkid;
} ITEMIDLIST, *LPITEMIDLIST;
typedef const ITEMIDLIST* LPCITEMIDLIST;

// The shell's task allocator, as a COM-style interface.
struct IMalloc {
    virtual LPVOID Alloc(ULONG cb) = 0;
    virtual LPVOID Realloc(LPVOID pv, ULONG cb) = 0;
    virtual void Free(LPVOID pv) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    virtual ~IMalloc() = default;
};
typedef IMalloc* LPMALLOC;

extern "C" {
HRESULT WINAPI SHGetMalloc(LPMALLOC* ppMalloc);
HRESULT WINAPI SHGetSpecialFolderLocation(HWND hwnd, int csidl, LPITEMIDLIST* ppidl);
BOOL WINAPI SHGetPathFromIDListA(LPCITEMIDLIST pidl, LPSTR pszPath);
}
