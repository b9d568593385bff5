// The library's exceptions: heap objects of the framework's kind, thrown by
// pointer, caught as CException* and disposed of with Delete().
#pragma once

#include <afx.h>

namespace Pellam {

// What a failure concerns (a variable name, a function name; may be empty),
// and the framework's message interface built on formatMessage.
class CExceptionBase : public CException {
    DECLARE_DYNAMIC(CExceptionBase)
public:
    explicit CExceptionBase(LPCTSTR sContext);
    ~CExceptionBase() override;

    // "Error : " and formatMessage, cut to nMaxError - 1 characters; FALSE
    // (buffer untouched) when no message can be built.
    BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext = NULL) override;

    // Writes the message into sText; false when there is none.
    virtual bool formatMessage(CString& sText) = 0;

    const CString& getContext() const { return m_sContext; }

protected:
    // Appends " (<context>)." or "." to the text.
    void appendContext(CString& sText) const;

    CString m_sContext;
};

// A system variable of the editor that could not be read or written.
class CARXVariableException : public CExceptionBase {
    DECLARE_DYNAMIC(CARXVariableException)
public:
    enum Operation { OPERATION_READ = 1, OPERATION_WRITE = 2 };

    CARXVariableException(LPCTSTR sVariableName, int iOperation);
    ~CARXVariableException() override;

    // "Error : Unable to read|write AutoCAD variable (<name>)."
    bool formatMessage(CString& sText) override;

    int getOperation() const { return m_iOperation; }

private:
    int m_iOperation;
};

// A failure described by its own message.
class CGenericException : public CExceptionBase {
    DECLARE_DYNAMIC(CGenericException)
public:
    CGenericException(LPCTSTR sMessage, LPCTSTR sContext);
    // Takes the place of an exception the caller has caught: its message is
    // appended after " :\n", it is deleted and the caller's pointer set to NULL.
    CGenericException(LPCTSTR sMessage, CException** ppCallerException);
    ~CGenericException() override;

    // "<message> (<context>)." or "<message>."
    bool formatMessage(CString& sText) override;

    const CString& getMessage() const { return m_sMessage; }

private:
    CString m_sMessage;
};

}  // namespace Pellam
