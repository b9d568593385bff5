// The library's exceptions and their messages.
#include "GenericException.h"

#include <cstring>

#include "Messages.h"

namespace Pellam {

IMPLEMENT_DYNAMIC(CExceptionBase, CException)
IMPLEMENT_DYNAMIC(CARXVariableException, CExceptionBase)
IMPLEMENT_DYNAMIC(CGenericException, CExceptionBase)

CExceptionBase::CExceptionBase(LPCTSTR sContext) : CException(TRUE), m_sContext(sContext) {}

CExceptionBase::~CExceptionBase() = default;

BOOL CExceptionBase::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext) {
    CString sText(_T("Error : "));
    if (!formatMessage(sText)) {
        return FALSE;
    }
    if (lpszError == NULL || nMaxError == 0) {
        return FALSE;  // no room for even the terminating zero
    }
    strncpy(lpszError, sText, nMaxError);
    if ((UINT)sText.GetLength() >= nMaxError) {
        lpszError[nMaxError - 1] = '\0';
    }
    if (pnHelpContext != NULL) {
        *pnHelpContext = 0;
    }
    return TRUE;
}

void CExceptionBase::appendContext(CString& sText) const {
    if (!m_sContext.IsEmpty()) {
        sText += _T(" (");
        sText += m_sContext;
        sText += _T(").");
    } else {
        sText += _T(".");
    }
}

CARXVariableException::CARXVariableException(LPCTSTR sVariableName, int iOperation)
    : CExceptionBase(sVariableName), m_iOperation(iOperation) {}

CARXVariableException::~CARXVariableException() = default;

bool CARXVariableException::formatMessage(CString& sText) {
    sText = _T("Error : ");
    switch (m_iOperation) {
        case OPERATION_READ:
            sText += _T("Unable to read AutoCAD variable");
            break;
        case OPERATION_WRITE:
            sText += _T("Unable to write AutoCAD variable");
            break;
        default:
            return false;
    }
    appendContext(sText);
    return true;
}

CGenericException::CGenericException(LPCTSTR sMessage, LPCTSTR sContext)
    : CExceptionBase(sContext), m_sMessage(sMessage) {}

CGenericException::CGenericException(LPCTSTR sNewMessage, CException** ppCallerException)
    : CExceptionBase(NULL), m_sMessage(sNewMessage) {
    if (ppCallerException == NULL || *ppCallerException == NULL) {
        return;
    }
    CException* pCallerException = *ppCallerException;

    // The caller's message may be of any length: while it fills the buffer
    // exactly it may have been cut, so the buffer grows (by 4, 8, 16, ...)
    // and the message is asked for again.
    UINT iLength = 32;
    UINT iIncrement = 4;
    LPTSTR sMessage = new TCHAR[iLength];
    sMessage[0] = '\0';
    if (pCallerException->GetErrorMessage(sMessage, iLength)) {
        while (strnlen(sMessage, iLength) == iLength - 1) {
            delete[] sMessage;
            iLength += iIncrement;
            iIncrement *= 2;
            sMessage = new TCHAR[iLength];
            sMessage[0] = '\0';
            PELLAM_VERIFY(pCallerException->GetErrorMessage(sMessage, iLength));
        }
        m_sMessage += _T(" :\n");
        m_sMessage += CString(sMessage, (int)strnlen(sMessage, iLength));
    }
    delete[] sMessage;
    pCallerException->Delete();
    *ppCallerException = NULL;
}

CGenericException::~CGenericException() = default;

bool CGenericException::formatMessage(CString& sText) {
    sText = m_sMessage;
    appendContext(sText);
    return true;
}

}  // namespace Pellam
