// One entry of a module's LISP function table: a base name and its handler.
#pragma once

#include <afx.h>

// A LISP handler: reads its arguments from the editor, sets the result and
// returns the result code.
typedef int (*LispHandler)();

class CLispFunction {
public:
    CLispFunction();
    CLispFunction(LPCTSTR sName, LispHandler pFunction);
    CLispFunction(const CLispFunction&) = default;
    CLispFunction& operator=(const CLispFunction&) = default;
    virtual ~CLispFunction();

    // The base name; checks that it is not empty.
    CString getName() const;
    // The handler; checks that there is one.
    LispHandler getFunction() const;

private:
    CString m_sName;
    LispHandler m_pFunction;
};
