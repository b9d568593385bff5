// Run-time class records, the object root and the exceptions.
#include "afx.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

// ---------------------------------------------------------------------------
// Run-time classes.

const CRuntimeClass CObject::classCObject = {"CObject", (int)sizeof(CObject), 0xFFFF, nullptr,
                                             nullptr};

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBaseClass) const {
    if (pBaseClass == nullptr) {
        return FALSE;
    }
    for (const CRuntimeClass* p = this; p != nullptr; p = p->m_pBaseClass) {
        if (p == pBaseClass) {
            return TRUE;
        }
    }
    return FALSE;
}

CRuntimeClass* CObject::GetRuntimeClass() const {
    return const_cast<CRuntimeClass*>(&classCObject);
}

CObject::~CObject() = default;

void CObject::Serialize(CArchive&) {}

void CObject::AssertValid() const {}

void CObject::Dump(CDumpContext&) const {}

BOOL CObject::IsKindOf(const CRuntimeClass* pClass) const {
    return GetRuntimeClass()->IsDerivedFrom(pClass);
}

// ---------------------------------------------------------------------------
// CException.

IMPLEMENT_DYNAMIC(CException, CObject)

namespace {
// The address the last CException operator new handed out on this thread; the
// constructor that runs in it knows it lives on the heap.
thread_local void* t_lastExceptionAllocation = nullptr;
}  // namespace

void* CException::operator new(size_t nSize) {
    void* p = ::operator new(nSize);
    t_lastExceptionAllocation = p;
    return p;
}

void CException::operator delete(void* p) noexcept {
    ::operator delete(p);
}

CException::CException() : CException(TRUE) {}

CException::CException(BOOL bAutoDelete) : m_bAutoDelete(bAutoDelete), m_bOnHeap(FALSE) {
    if (t_lastExceptionAllocation == static_cast<void*>(this)) {
        m_bOnHeap = TRUE;
        t_lastExceptionAllocation = nullptr;
    }
}

CException::~CException() = default;

void CException::Delete() {
    if (m_bAutoDelete && m_bOnHeap) {
        delete this;
    }
}

BOOL CException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext) {
    if (pnHelpContext != nullptr) {
        *pnHelpContext = 0;
    }
    if (lpszError != nullptr && nMaxError > 0) {
        *lpszError = 0;
    }
    return FALSE;
}

int CException::ReportError(UINT nType, UINT nMessageID) {
    char szMessage[512];
    if (!GetErrorMessage(szMessage, sizeof szMessage)) {
        if (nMessageID != 0) {
            snprintf(szMessage, sizeof szMessage, "An error occurred (message %u).", nMessageID);
        } else {
            snprintf(szMessage, sizeof szMessage, "No error message is available.");
        }
    }
    return MessageBoxA(NULL, szMessage, "Error", nType);
}

// ---------------------------------------------------------------------------
// CFileException.

IMPLEMENT_DYNAMIC(CFileException, CException)

CFileException::CFileException(int cause, LONG lOsError, LPCTSTR lpszArchiveName)
    : m_cause(cause), m_lOsError(lOsError), m_strFileName(lpszArchiveName) {}

CFileException::~CFileException() = default;

// One text per cause; "%s" is the file name.
BOOL CFileException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext) {
    if (pnHelpContext != nullptr) {
        *pnHelpContext = 0;
    }
    if (lpszError == nullptr || nMaxError == 0) {
        return FALSE;
    }
    static const char* const kTexts[] = {
        "No error occurred while accessing %s.",
        "An unknown error occurred while accessing %s.",
        "%s was not found.",
        "%s contains an invalid path.",
        "%s could not be opened because there are too many open files.",
        "Access to %s was denied.",
        "An invalid file handle was associated with %s.",
        "%s could not be removed because it is the current directory.",
        "%s could not be created because the directory is full.",
        "Seek failed on %s.",
        "A hardware I/O error was reported while accessing %s.",
        "A sharing violation occurred while accessing %s.",
        "A locking violation occurred while accessing %s.",
        "Disk full while accessing %s.",
        "An attempt was made to access %s past its end.",
    };
    const int nTexts = (int)(sizeof kTexts / sizeof kTexts[0]);
    const char* text =
        (m_cause >= 0 && m_cause < nTexts) ? kTexts[m_cause] : kTexts[genericException];
    const char* name = m_strFileName.IsEmpty() ? "an unnamed file" : (LPCSTR)m_strFileName;
    snprintf(lpszError, nMaxError, text, name);
    return TRUE;
}

int PASCAL CFileException::OsErrorToException(LONG lOsError) {
    switch (lOsError) {
        case ERROR_SUCCESS:
            return none;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_MOD_NOT_FOUND:
            return fileNotFound;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_NETPATH:
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_DIRECTORY:
        case ERROR_BAD_DEVICE:
            return badPath;
        case ERROR_TOO_MANY_OPEN_FILES:
            return tooManyOpenFiles;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
        case ERROR_CANNOT_MAKE:
            return accessDenied;
        case ERROR_INVALID_HANDLE:
            return invalidFile;
        case ERROR_CURRENT_DIRECTORY:
            return removeCurrentDir;
        case ERROR_SEEK:
        case ERROR_NEGATIVE_SEEK:
            return badSeek;
        case ERROR_GEN_FAILURE:
        case ERROR_CRC:
        case ERROR_WRITE_FAULT:
        case ERROR_READ_FAULT:
            return hardIO;
        case ERROR_SHARING_VIOLATION:
            return sharingViolation;
        case ERROR_LOCK_VIOLATION:
            return lockViolation;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return diskFull;
        case ERROR_HANDLE_EOF:
            return endOfFile;
        default:
            return genericException;
    }
}

void PASCAL CFileException::ThrowOsError(LONG lOsError, LPCTSTR lpszFileName) {
    if (lOsError != 0) {
        AfxThrowFileException(OsErrorToException(lOsError), lOsError, lpszFileName);
    }
}

void AFXAPI AfxThrowFileException(int cause, LONG lOsError, LPCTSTR lpszFileName) {
    throw new CFileException(cause, lOsError, lpszFileName);
}
