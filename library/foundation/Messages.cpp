// Diagnostics: trace lines, plain messages, host error messages and assertion
// reports, and the process-wide debug level.
#include "Messages.h"

#include <cstdio>

#include "Maintenance.h"
#include "Variable.h"
#include "aced.h"
#include "acadstrc.h"

namespace {

// The process-wide debug level: 0, 1 or 2; only 2 ("high") changes behaviour.
int G_iDebugLevel = 0;

// The longest text formatText produces; a longer one is replaced.
const int FORMAT_LIMIT = 2047;
// The longest piece given to one acutPrintf call.
const int COMMAND_LINE_PIECE = 132;

// Whether a debugger is attached. Looked up afresh on every call, so that a
// debugger attached while the editor runs is noticed at once.
bool isDebuggerAttached() {
    HMODULE hKernel = LoadLibraryA("KERNEL32.DLL");
    if (hKernel == NULL) {
        return false;
    }
    typedef BOOL(WINAPI * IsDebuggerPresentFunction)(void);
    // Through void*: the address is that of a function of another type.
    IsDebuggerPresentFunction pIsDebuggerPresent = reinterpret_cast<IsDebuggerPresentFunction>(
        reinterpret_cast<void*>(GetProcAddress(hKernel, "IsDebuggerPresent")));
    bool bAttached = (pIsDebuggerPresent != NULL) && (pIsDebuggerPresent() != FALSE);
    FreeLibrary(hKernel);
    return bAttached;
}

// Prints the text on the command line with one line feed at its end, in
// pieces of at most 132 characters: the editor's output routine takes no
// longer text in one call.
void printOnCommandLine(const CString& sText) {
    CString sRemaining = Pellam::Messages::withSingleNewline(sText);
    while (!sRemaining.IsEmpty()) {
        CString sPiece = sRemaining.Left(COMMAND_LINE_PIECE);
        acutPrintf("%s", (LPCTSTR)sPiece);
        sRemaining = sRemaining.Mid(sPiece.GetLength());
    }
}

// The editor's last error number: the system variable ERRNO, or 0 when it
// cannot be read (an error message must still be shown).
int readLastErrorNumber() {
    try {
        Pellam::CARXVariable varErrno(_T("ERRNO"));
        return varErrno.readShort();
    } catch (CException* pException) {
        pException->Delete();
    }
    return 0;
}

}  // namespace

namespace Pellam {
namespace Messages {

int getDebugLevel() {
    return G_iDebugLevel;
}

bool setDebugLevel(int iNewLevel, int& iPreviousLevel) {
    if ((iNewLevel < 0) || (iNewLevel > 2)) {
        return false;
    }
    iPreviousLevel = G_iDebugLevel;
    G_iDebugLevel = iNewLevel;
    return true;
}

CString withSingleNewline(const CString& sText) {
    CString sResult(sText);
    sResult.Trim('\n');
    sResult += '\n';
    return sResult;
}

CString formatText(LPCTSTR sFormat, va_list args) {
    if (sFormat == NULL) {
        return CString();
    }
    char sBuffer[FORMAT_LIMIT + 1];
    int iLength = vsnprintf(sBuffer, sizeof(sBuffer), sFormat, args);
    if ((iLength < 0) || (iLength > FORMAT_LIMIT)) {
        return CString(_T("<<<< too big >>>>"));
    }
    return CString(sBuffer, iLength);
}

void trace(LPCTSTR sText) {
    const bool bHigh = (G_iDebugLevel == 2);
    CString sLine = getApplicationName();
    sLine += _T(" (");
    sLine += bHigh ? _T("high") : _T("low");
    sLine += _T(") : ");
    sLine += withSingleNewline(CString(sText));

    if (isDebuggerAttached()) {
        OutputDebugStringA(withSingleNewline(sLine));
        return;
    }
    if (!bHigh) {
        return;
    }
    printOnCommandLine(sLine);
}

void traceFormat(LPCTSTR sFormat, ...) {
    va_list args;
    va_start(args, sFormat);
    CString sText = formatText(sFormat, args);
    va_end(args);
    trace(sText);
}

void message(LPCTSTR sText) {
    CString sMessage(sText);
    if (isDebuggerAttached()) {
        OutputDebugStringA(withSingleNewline(sMessage));
    }
    printOnCommandLine(sMessage);
}

void acadError(LPCTSTR sFormat, ...) {
    va_list args;
    va_start(args, sFormat);
    CString sText = formatText(sFormat, args);
    va_end(args);
    acadErrorMessage(sText);
}

void acadErrorMessage(const CString& sText) {
    const int iErrorNumber = readLastErrorNumber();
    CString sLine;
    sLine.Format(_T("%s AutoCAD error : %d (%s) - %s"), (LPCTSTR)getApplicationName(), iErrorNumber,
                 acadErrorStatusText(static_cast<Acad::ErrorStatus>(iErrorNumber)), (LPCTSTR)sText);
    if (isDebuggerAttached()) {
        OutputDebugStringA(withSingleNewline(sLine));
    }
    printOnCommandLine(sLine);
}

void reportAssertion(LPCTSTR sExpression, LPCTSTR sFile, int iLine) {
    CString sReport;
    sReport.Format(_T("Assertion : <%s>\nFile : <%s>\nLine : %d"),
                   sExpression != NULL ? sExpression : _T(""), sFile != NULL ? sFile : _T(""),
                   iLine);
    MessageBoxA(NULL, sReport, _T("Debug Assertion Failure"), MB_ICONERROR | MB_OK);
    trace(sReport);
}

void checkFailed(LPCTSTR sExpression, LPCTSTR sFile, int iLine) {
    if (getDebugLevel() == 2) {
        reportAssertion(sExpression, sFile, iLine);
    }
}

}  // namespace Messages
}  // namespace Pellam
