// Diagnostics: trace lines for developers, plain and host error messages for
// users, assertion reports, and the process-wide debug level (0, 1 or 2).
#pragma once

#include <afx.h>

namespace Pellam {
namespace Messages {

int getDebugLevel();
// Refuses levels outside 0..2 (false, nothing changed); otherwise stores the
// old level in iPreviousLevel and sets the new one.
bool setDebugLevel(int iNewLevel, int& iPreviousLevel);

// A trace line "<application> (high|low) : <text>": to the debugger when one
// is attached, otherwise to the command line at debug level 2 only.
void trace(LPCTSTR sText);
void traceFormat(LPCTSTR sFormat, ...) __attribute__((format(printf, 1, 2)));
// A plain message, always shown on the command line.
void message(LPCTSTR sText);
// The host error message "<application> AutoCAD error : <ERRNO> (<status>) - <text>".
void acadError(LPCTSTR sFormat, ...) __attribute__((format(printf, 1, 2)));
void acadErrorMessage(const CString& sText);
// The assertion report: a message box and a trace line.
void reportAssertion(LPCTSTR sExpression, LPCTSTR sFile, int iLine);

CString withSingleNewline(const CString& sText);
// printf-style formatting into at most 2047 characters; a longer result is
// replaced by "<<<< too big >>>>".
CString formatText(LPCTSTR sFormat, va_list args);

// Called by PELLAM_VERIFY when a condition failed: reports it at debug level 2.
void checkFailed(LPCTSTR sExpression, LPCTSTR sFile, int iLine);

}  // namespace Messages
}  // namespace Pellam

// A check: the condition is always evaluated; when it is false and the debug
// level is 2 the assertion report names the condition's source text, the
// source file and the line. Execution goes on; the value is the condition's.
#define PELLAM_VERIFY(condition)                                                   \
    ((condition) ? true                                                            \
                 : (Pellam::Messages::checkFailed(#condition, __FILE__, __LINE__), \
                    false))
