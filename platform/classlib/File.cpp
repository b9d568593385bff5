// CFile: a binary file over the Win32 file calls; every failure becomes a
// CFileException that names the file.
#include "../paths/PathMap.h"

#include "afx.h"

IMPLEMENT_DYNAMIC(CFile, CObject)

const HANDLE CFile::hFileNull = INVALID_HANDLE_VALUE;

namespace {

void throwLastError(const CString& sFileName) {
    const DWORD dwError = GetLastError();
    CFileException::ThrowOsError(dwError != 0 ? (LONG)dwError : (LONG)ERROR_GEN_FAILURE, sFileName);
}

}  // namespace

CFile::CFile() : m_hFile(hFileNull), m_bCloseOnDelete(FALSE) {}

CFile::CFile(LPCTSTR lpszFileName, UINT nOpenFlags) : CFile() {
    CFileException* pError = new CFileException;
    if (!Open(lpszFileName, nOpenFlags, pError)) {
        throw pError;
    }
    pError->Delete();
}

CFile::~CFile() {
    if (m_hFile != hFileNull && m_bCloseOnDelete) {
        Abort();
    }
}

// Access, sharing and creation flags become CreateFileA's; on failure the
// exception (when given) is filled with the cause, the Windows error and the
// name as given.
BOOL CFile::Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError) {
    if (m_hFile != hFileNull) {
        Abort();
    }
    if (pError != nullptr) {
        pError->m_cause = CFileException::none;
        pError->m_lOsError = 0;
        pError->m_strFileName = lpszFileName;
    }
    m_strFileName.Empty();
    if (lpszFileName == nullptr || *lpszFileName == 0) {
        if (pError != nullptr) {
            pError->m_cause = CFileException::badPath;
            pError->m_lOsError = ERROR_PATH_NOT_FOUND;
        }
        return FALSE;
    }

    DWORD dwAccess = 0;
    switch (nOpenFlags & 3) {
        case modeRead:
            dwAccess = GENERIC_READ;
            break;
        case modeWrite:
            dwAccess = GENERIC_WRITE;
            break;
        default:
            dwAccess = GENERIC_READ | GENERIC_WRITE;
            break;
    }
    DWORD dwShare = 0;
    switch (nOpenFlags & 0x70) {
        case shareDenyWrite:
            dwShare = FILE_SHARE_READ;
            break;
        case shareDenyRead:
            dwShare = FILE_SHARE_WRITE;
            break;
        case shareDenyNone:
            dwShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
            break;
        default:  // shareCompat, shareExclusive
            dwShare = 0;
            break;
    }
    DWORD dwCreate = OPEN_EXISTING;
    if (nOpenFlags & modeCreate) {
        dwCreate = (nOpenFlags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
    }

    const HANDLE hFile =
        CreateFileA(lpszFileName, dwAccess, dwShare, NULL, dwCreate, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE) {
        if (pError != nullptr) {
            pError->m_lOsError = (LONG)GetLastError();
            pError->m_cause = CFileException::OsErrorToException(pError->m_lOsError);
        }
        return FALSE;
    }
    m_hFile = hFile;
    m_bCloseOnDelete = TRUE;
    m_strFileName = brevant::platform::detail::fullWindowsPath(lpszFileName).c_str();
    return TRUE;
}

void CFile::Close() {
    if (m_hFile == hFileNull) {
        return;
    }
    const BOOL bClosed = CloseHandle(m_hFile);
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
    if (!bClosed) {
        throwLastError(m_strFileName);
    }
}

void CFile::Abort() {
    if (m_hFile != hFileNull) {
        CloseHandle(m_hFile);
        m_hFile = hFileNull;
    }
    m_bCloseOnDelete = FALSE;
}

UINT CFile::Read(void* lpBuf, UINT nCount) {
    if (nCount == 0) {
        return 0;
    }
    DWORD dwRead = 0;
    if (!ReadFile(m_hFile, lpBuf, nCount, &dwRead, NULL)) {
        throwLastError(m_strFileName);
    }
    return dwRead;
}

// A write that stores fewer bytes than given is a full disk.
void CFile::Write(const void* lpBuf, UINT nCount) {
    if (nCount == 0) {
        return;
    }
    DWORD dwWritten = 0;
    if (!WriteFile(m_hFile, lpBuf, nCount, &dwWritten, NULL)) {
        throwLastError(m_strFileName);
    }
    if (dwWritten != nCount) {
        AfxThrowFileException(CFileException::diskFull, -1, m_strFileName);
    }
}

LONG CFile::Seek(LONG lOff, UINT nFrom) {
    const DWORD dwPos = SetFilePointer(m_hFile, lOff, NULL, nFrom);
    if (dwPos == INVALID_SET_FILE_POINTER) {
        throwLastError(m_strFileName);
    }
    return (LONG)dwPos;
}

void CFile::SeekToBegin() {
    Seek(0, begin);
}

DWORD CFile::SeekToEnd() {
    return (DWORD)Seek(0, end);
}

DWORD CFile::GetLength() const {
    const DWORD dwSize = GetFileSize(m_hFile, NULL);
    if (dwSize == INVALID_FILE_SIZE && GetLastError() != 0) {
        throwLastError(m_strFileName);
    }
    return dwSize;
}

DWORD CFile::GetPosition() const {
    const DWORD dwPos = SetFilePointer(m_hFile, 0, NULL, FILE_CURRENT);
    if (dwPos == INVALID_SET_FILE_POINTER) {
        throwLastError(m_strFileName);
    }
    return dwPos;
}

void CFile::Flush() {
    if (m_hFile != hFileNull && !FlushFileBuffers(m_hFile)) {
        throwLastError(m_strFileName);
    }
}

CString CFile::GetFilePath() const {
    return m_strFileName;
}

CString CFile::GetFileName() const {
    const int nSlash = m_strFileName.ReverseFind('\\');
    return m_strFileName.Mid(nSlash + 1);
}

CString CFile::GetFileTitle() const {
    CString sName = GetFileName();
    const int nDot = sName.ReverseFind('.');
    return nDot < 0 ? sName : sName.Left(nDot);
}
