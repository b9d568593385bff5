// CStdioFile: a buffered file with lines. In text mode every line feed written
// is stored as carriage return and line feed, and a carriage return followed
// by a line feed reads back as one line feed, also when the two arrive in
// different reads.
#include "afx.h"

#include <cstring>
#include <string>
#include <vector>

IMPLEMENT_DYNAMIC(CStdioFile, CFile)

namespace {
constexpr size_t kBufferSize = 4096;
}

struct CStdioFile::Buffers {
    std::string pending;   // bytes to be written, already in their stored form
    std::vector<char> in;  // bytes read ahead from the file
    size_t inPos = 0;
    bool eof = false;

    size_t unread() const { return in.size() - inPos; }
};

CStdioFile::CStdioFile() : m_pBuffers(new Buffers), m_bText(TRUE) {}

CStdioFile::CStdioFile(LPCTSTR lpszFileName, UINT nOpenFlags) : CStdioFile() {
    CFileException* pError = new CFileException;
    if (!Open(lpszFileName, nOpenFlags, pError)) {
        throw pError;
    }
    pError->Delete();
}

CStdioFile::~CStdioFile() {
    if (m_hFile != hFileNull && m_bCloseOnDelete) {
        try {
            Close();
        } catch (CException* e) {
            e->Delete();
        }
    }
    delete m_pBuffers;
}

// Text mode unless typeBinary is given.
BOOL CStdioFile::Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError) {
    *m_pBuffers = Buffers();
    m_bText = (nOpenFlags & typeBinary) == 0;
    return CFile::Open(lpszFileName, nOpenFlags & ~(UINT)(typeText | typeBinary), pError);
}

// Writes what is pending; the pending bytes are dropped whether or not the
// write worked, so that a failed write is reported once.
void CStdioFile::Flush() {
    if (m_pBuffers->pending.empty()) {
        return;
    }
    std::string data;
    data.swap(m_pBuffers->pending);
    DWORD dwWritten = 0;
    if (!WriteFile(m_hFile, data.data(), (DWORD)data.size(), &dwWritten, NULL)) {
        const DWORD dwError = GetLastError();
        CFileException::ThrowOsError(dwError ? (LONG)dwError : (LONG)ERROR_GEN_FAILURE,
                                     m_strFileName);
    }
    if (dwWritten != data.size()) {
        AfxThrowFileException(CFileException::diskFull, -1, m_strFileName);
    }
}

void CStdioFile::Close() {
    if (m_hFile == hFileNull) {
        return;
    }
    try {
        Flush();
    } catch (CException*) {
        CFile::Abort();  // the handle goes even when the last write failed
        *m_pBuffers = Buffers();
        throw;
    }
    *m_pBuffers = Buffers();
    CFile::Close();
}

void CStdioFile::Abort() {
    if (m_hFile != hFileNull) {
        try {
            Flush();
        } catch (CException* e) {
            e->Delete();
        }
    }
    *m_pBuffers = Buffers();
    CFile::Abort();
}

// Drops the bytes read ahead and moves the file back to where the reader is.
static void dropReadAhead(HANDLE hFile, std::vector<char>& in, size_t& inPos, bool& eof) {
    const size_t nUnread = in.size() - inPos;
    if (nUnread > 0) {
        SetFilePointer(hFile, -(LONG)nUnread, NULL, FILE_CURRENT);
    }
    in.clear();
    inPos = 0;
    eof = false;
}

void CStdioFile::Write(const void* lpBuf, UINT nCount) {
    if (m_hFile == hFileNull) {
        AfxThrowFileException(CFileException::invalidFile, ERROR_INVALID_HANDLE, m_strFileName);
    }
    if (m_pBuffers->unread() > 0 || m_pBuffers->eof) {
        dropReadAhead(m_hFile, m_pBuffers->in, m_pBuffers->inPos, m_pBuffers->eof);
    }
    const char* p = static_cast<const char*>(lpBuf);
    if (m_bText) {
        // Each line feed is stored as a carriage return and line feed; the
        // text between them is copied in one piece.
        const char* const pEnd = p + nCount;
        while (p < pEnd) {
            const char* pFeed = static_cast<const char*>(memchr(p, '\n', size_t(pEnd - p)));
            if (pFeed == nullptr) {
                m_pBuffers->pending.append(p, size_t(pEnd - p));
                break;
            }
            m_pBuffers->pending.append(p, size_t(pFeed - p));
            m_pBuffers->pending.append("\r\n", 2);
            p = pFeed + 1;
        }
    } else {
        m_pBuffers->pending.append(p, nCount);
    }
    if (m_pBuffers->pending.size() >= kBufferSize) {
        Flush();
    }
}

void CStdioFile::WriteString(LPCTSTR lpsz) {
    if (lpsz != nullptr) {
        Write(lpsz, (UINT)strlen(lpsz));
    }
}

namespace {

// The next stored byte, -1 at the end; reads ahead in blocks.
int nextRaw(HANDLE hFile, std::vector<char>& in, size_t& inPos, bool& eof,
            const CString& sFileName) {
    if (inPos == in.size()) {
        if (eof) {
            return -1;
        }
        in.resize(kBufferSize);
        DWORD dwRead = 0;
        if (!ReadFile(hFile, in.data(), (DWORD)in.size(), &dwRead, NULL)) {
            const DWORD dwError = GetLastError();
            in.clear();
            inPos = 0;
            CFileException::ThrowOsError(dwError ? (LONG)dwError : (LONG)ERROR_GEN_FAILURE,
                                         sFileName);
        }
        in.resize(dwRead);
        inPos = 0;
        if (dwRead == 0) {
            eof = true;
            return -1;
        }
    }
    return (unsigned char)in[inPos++];
}

}  // namespace

// One character as the reader sees it: in text mode a carriage return before
// a line feed disappears.
static int nextChar(HANDLE hFile, std::vector<char>& in, size_t& inPos, bool& eof, BOOL bText,
                    const CString& sFileName) {
    const int ch = nextRaw(hFile, in, inPos, eof, sFileName);
    if (ch != '\r' || !bText) {
        return ch;
    }
    const int following = nextRaw(hFile, in, inPos, eof, sFileName);
    if (following == '\n') {
        return '\n';
    }
    if (following != -1) {
        --inPos;  // nextRaw just filled or advanced this buffer, so the byte is still there
    }
    return '\r';
}

UINT CStdioFile::Read(void* lpBuf, UINT nCount) {
    if (m_hFile == hFileNull) {
        AfxThrowFileException(CFileException::invalidFile, ERROR_INVALID_HANDLE, m_strFileName);
    }
    Flush();
    char* p = static_cast<char*>(lpBuf);
    UINT n = 0;
    while (n < nCount) {
        const int ch = nextChar(m_hFile, m_pBuffers->in, m_pBuffers->inPos, m_pBuffers->eof,
                                m_bText, m_strFileName);
        if (ch < 0) {
            break;
        }
        p[n++] = (char)ch;
    }
    return n;
}

LPTSTR CStdioFile::ReadString(LPTSTR lpsz, UINT nMax) {
    if (lpsz == nullptr || nMax == 0) {
        return nullptr;
    }
    Flush();
    UINT n = 0;
    while (n + 1 < nMax) {
        const int ch = nextChar(m_hFile, m_pBuffers->in, m_pBuffers->inPos, m_pBuffers->eof,
                                m_bText, m_strFileName);
        if (ch < 0) {
            break;
        }
        lpsz[n++] = (char)ch;
        if (ch == '\n') {
            break;
        }
    }
    lpsz[n] = 0;
    if (n == 0 && nMax > 1) {
        return nullptr;  // the end of the file
    }
    return lpsz;
}

BOOL CStdioFile::ReadString(CString& rString) {
    rString.Empty();
    Flush();
    std::string line;
    bool bAny = false;
    for (;;) {
        const int ch = nextChar(m_hFile, m_pBuffers->in, m_pBuffers->inPos, m_pBuffers->eof,
                                m_bText, m_strFileName);
        if (ch < 0) {
            break;
        }
        bAny = true;
        if (ch == '\n') {
            break;
        }
        line += (char)ch;
    }
    rString = CString(line.data(), (int)line.size());
    return bAny;
}

LONG CStdioFile::Seek(LONG lOff, UINT nFrom) {
    Flush();
    if (nFrom == current) {
        lOff -= (LONG)m_pBuffers->unread();
    }
    m_pBuffers->in.clear();
    m_pBuffers->inPos = 0;
    m_pBuffers->eof = false;
    return CFile::Seek(lOff, nFrom);
}

DWORD CStdioFile::GetPosition() const {
    const DWORD dwPos = CFile::GetPosition();
    return dwPos - (DWORD)m_pBuffers->unread() + (DWORD)m_pBuffers->pending.size();
}
