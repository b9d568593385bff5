// Window messages, message boxes and the debugger.
#pragma once

#include "win/types.h"

#define HWND_BROADCAST ((HWND)0xffff)
#define ERROR_INVALID_WINDOW_HANDLE 1400L

#define MB_OK 0x00000000
#define MB_OKCANCEL 0x00000001
#define MB_YESNO 0x00000004
#define MB_ICONHAND 0x00000010
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONQUESTION 0x00000020
#define MB_ICONEXCLAMATION 0x00000030
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONINFORMATION 0x00000040
#define IDOK 1
#define IDCANCEL 2
#define IDYES 6
#define IDNO 7

extern "C" {
// One number from 0xC000 to 0xFFFF for each name (letter case aside), the
// same in every process of the user: a table in the runtime folder
// (brevant::platform::runtimeFolder) keeps them. An empty name gives 0.
UINT WINAPI RegisterWindowMessageA(LPCSTR lpString);
// HWND_BROADCAST: delivered to the listeners of this process and, without
// waiting, to every listening process; TRUE. Any other window: FALSE and
// ERROR_INVALID_WINDOW_HANDLE, as there are no windows.
BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);
void WINAPI OutputDebugStringA(LPCSTR lpOutputString);
BOOL WINAPI IsDebuggerPresent(void);
}
