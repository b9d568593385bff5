// CFileFind over FindFirstFileA/FindNextFileA: the first match is fetched by
// FindFile, and each FindNextFile makes the next one current.
#include "../paths/PathMap.h"

#include "afx.h"

IMPLEMENT_DYNAMIC(CFileFind, CObject)

struct CFileFind::State {
    HANDLE hFind = INVALID_HANDLE_VALUE;
    CString sRoot;  // Windows form, ending in a backslash
    WIN32_FIND_DATAA found = {};
    WIN32_FIND_DATAA next = {};
    bool bHasCurrent = false;
    bool bHasNext = false;
};

CFileFind::CFileFind() : m_pState(new State) {}

CFileFind::~CFileFind() {
    Close();
    delete m_pState;
}

void CFileFind::Close() {
    if (m_pState->hFind != INVALID_HANDLE_VALUE) {
        FindClose(m_pState->hFind);
    }
    *m_pState = State();
}

// NULL searches "*.*" in the current directory. The root is the searched
// folder in absolute Windows form.
BOOL CFileFind::FindFile(LPCTSTR pstrName, DWORD) {
    Close();
    const CString sName = pstrName != nullptr && *pstrName ? pstrName : "*.*";
    const HANDLE hFind = FindFirstFileA(sName, &m_pState->next);
    if (hFind == INVALID_HANDLE_VALUE) {
        return FALSE;
    }
    m_pState->hFind = hFind;
    m_pState->bHasNext = true;

    int nSlash = -1;
    for (int i = 0; i < sName.GetLength(); ++i) {
        if (sName[i] == '\\' || sName[i] == '/') {
            nSlash = i;
        }
    }
    CString sFolder = nSlash >= 0 ? sName.Left(nSlash + 1) : CString();
    if (nSlash < 0 && sName.GetLength() >= 2 && sName[1] == ':') {
        sFolder = sName.Left(2);
    }
    std::string root =
        brevant::platform::detail::fullWindowsPath(sFolder.IsEmpty() ? "." : (LPCSTR)sFolder);
    if (root.empty() || root.back() != '\\') {
        root += '\\';
    }
    m_pState->sRoot = root.c_str();
    return TRUE;
}

// FALSE when the match it makes current is the last one.
BOOL CFileFind::FindNextFile() {
    if (!m_pState->bHasNext) {
        return FALSE;
    }
    m_pState->found = m_pState->next;
    m_pState->bHasCurrent = true;
    m_pState->bHasNext = FindNextFileA(m_pState->hFind, &m_pState->next) != FALSE;
    return m_pState->bHasNext ? TRUE : FALSE;
}

CString CFileFind::GetFileName() const {
    return m_pState->bHasCurrent ? CString(m_pState->found.cFileName) : CString();
}

CString CFileFind::GetFilePath() const {
    return m_pState->bHasCurrent ? m_pState->sRoot + m_pState->found.cFileName : CString();
}

CString CFileFind::GetFileTitle() const {
    const CString sName = GetFileName();
    const int nDot = sName.ReverseFind('.');
    if (sName == "." || sName == "..") {
        return sName;
    }
    return nDot <= 0 ? sName : sName.Left(nDot);
}

CString CFileFind::GetRoot() const {
    return m_pState->hFind != INVALID_HANDLE_VALUE ? m_pState->sRoot : CString();
}

DWORD CFileFind::GetLength() const {
    return m_pState->bHasCurrent ? m_pState->found.nFileSizeLow : 0;
}

BOOL CFileFind::IsDirectory() const {
    return m_pState->bHasCurrent &&
           (m_pState->found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

BOOL CFileFind::IsDots() const {
    if (!IsDirectory()) {
        return FALSE;
    }
    const char* name = m_pState->found.cFileName;
    return strcmp(name, ".") == 0 || strcmp(name, "..") == 0;
}

BOOL CFileFind::IsReadOnly() const {
    return m_pState->bHasCurrent &&
           (m_pState->found.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
}
