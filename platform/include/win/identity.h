// The user, the computer and network drive connections.
#pragma once

#include "win/types.h"

#define MAX_COMPUTERNAME_LENGTH 15
#define UNLEN 256

extern "C" {
DWORD WINAPI WNetGetUserA(LPCSTR lpName, LPSTR lpUserName, LPDWORD lpnLength);
DWORD WINAPI WNetGetConnectionA(LPCSTR lpLocalName, LPSTR lpRemoteName, LPDWORD lpnLength);
BOOL WINAPI GetComputerNameA(LPSTR lpBuffer, LPDWORD nSize);
}
