// The class-library pieces the module relies on: the owned string, run-time class
// records, exceptions, files (binary and text mode), the file finder and time.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <ctime>

#include "windows.h"
#include "tchar.h"

#ifndef AFX_EXT_CLASS
#define AFX_EXT_CLASS
#endif
#ifndef AFXAPI
#define AFXAPI
#endif
#define PASCAL
#define ASSERT(f) ((void)0)
#define VERIFY(f) ((void)(f))

// ---------------------------------------------------------------------------
// CString: growable single-byte text with value semantics.
class CString {
public:
    CString();
    CString(const CString& other);
    CString(CString&& other) noexcept;
    CString(LPCSTR psz);                   // NULL gives the empty string
    CString(LPCSTR pch, int nLength);
    CString(char ch, int nRepeat = 1);
    ~CString();

    CString& operator=(const CString& other);
    CString& operator=(CString&& other) noexcept;
    CString& operator=(LPCSTR psz);
    CString& operator=(char ch);

    CString& operator+=(const CString& other);
    CString& operator+=(LPCSTR psz);
    CString& operator+=(char ch);

    int GetLength() const { return m_nLength; }
    BOOL IsEmpty() const { return m_nLength == 0; }
    void Empty();
    char GetAt(int nIndex) const;
    char operator[](int nIndex) const { return GetAt(nIndex); }
    void SetAt(int nIndex, char ch);
    operator LPCSTR() const { return m_pData; }
    LPCSTR GetString() const { return m_pData; }

    int Compare(LPCSTR psz) const;          // strcmp
    int CompareNoCase(LPCSTR psz) const;    // _stricmp
    int Collate(LPCSTR psz) const;          // strcoll

    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;
    CString Left(int nCount) const;
    CString Right(int nCount) const;
    CString SpanIncluding(LPCSTR pszCharSet) const;
    CString SpanExcluding(LPCSTR pszCharSet) const;

    void MakeUpper();
    void MakeLower();
    void MakeReverse();

    // Trimming: without argument white space (blank, tab, CR, LF, VT, FF) goes.
    void TrimLeft();
    void TrimLeft(char chTarget);
    void TrimLeft(LPCSTR pszTargets);
    void TrimRight();
    void TrimRight(char chTarget);
    void TrimRight(LPCSTR pszTargets);
    CString& Trim();
    CString& Trim(char chTarget);
    CString& Trim(LPCSTR pszTargets);

    int Replace(char chOld, char chNew);
    int Replace(LPCSTR pszOld, LPCSTR pszNew);
    int Remove(char ch);
    int Insert(int nIndex, char ch);
    int Insert(int nIndex, LPCSTR psz);
    int Delete(int nIndex, int nCount = 1);

    // Find: -1 when not found; a start beyond the end finds nothing.
    int Find(char ch) const;
    int Find(char ch, int nStart) const;
    int Find(LPCSTR pszSub) const;
    int Find(LPCSTR pszSub, int nStart) const;
    int ReverseFind(char ch) const;
    int FindOneOf(LPCSTR pszCharSet) const;

    void Format(LPCSTR pszFormat, ...) __attribute__((format(printf, 2, 3)));
    void FormatV(LPCSTR pszFormat, va_list args);
    void AppendFormat(LPCSTR pszFormat, ...) __attribute__((format(printf, 2, 3)));

    // Direct buffer access: GetBuffer gives room for at least nMinBufLength
    // characters; ReleaseBuffer(-1) takes the length from the terminating zero.
    LPSTR GetBuffer(int nMinBufLength);
    LPSTR GetBuffer() { return GetBuffer(m_nLength); }
    LPSTR GetBufferSetLength(int nNewLength);
    void ReleaseBuffer(int nNewLength = -1);

private:
    void reserve(int nCapacity);
    void assign(LPCSTR pch, int nLength);
    void append(LPCSTR pch, int nLength);

    char* m_pData;
    int m_nLength;
    int m_nCapacity;
};

CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, LPCSTR b);
CString operator+(LPCSTR a, const CString& b);
CString operator+(const CString& a, char b);
CString operator+(char a, const CString& b);

bool operator==(const CString& a, const CString& b);
bool operator==(const CString& a, LPCSTR b);
bool operator==(LPCSTR a, const CString& b);
bool operator!=(const CString& a, const CString& b);
bool operator!=(const CString& a, LPCSTR b);
bool operator!=(LPCSTR a, const CString& b);
bool operator<(const CString& a, const CString& b);
bool operator<(const CString& a, LPCSTR b);
bool operator<(LPCSTR a, const CString& b);
bool operator>(const CString& a, const CString& b);
bool operator>(const CString& a, LPCSTR b);
bool operator>(LPCSTR a, const CString& b);
bool operator<=(const CString& a, const CString& b);
bool operator<=(const CString& a, LPCSTR b);
bool operator<=(LPCSTR a, const CString& b);
bool operator>=(const CString& a, const CString& b);
bool operator>=(const CString& a, LPCSTR b);
bool operator>=(LPCSTR a, const CString& b);

// ---------------------------------------------------------------------------
// Run-time class records and the object root.
class CObject;

struct CRuntimeClass {
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;
    CObject* (*m_pfnCreateObject)();
    const CRuntimeClass* m_pBaseClass;

    BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name)                        \
public:                                                    \
    static const CRuntimeClass class##class_name;          \
    virtual CRuntimeClass* GetRuntimeClass() const override;

#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                               \
    const CRuntimeClass class_name::class##class_name = {                            \
        #class_name, (int)sizeof(class_name), 0xFFFF, nullptr,                       \
        RUNTIME_CLASS(base_class_name)};                                             \
    CRuntimeClass* class_name::GetRuntimeClass() const {                             \
        return const_cast<CRuntimeClass*>(RUNTIME_CLASS(class_name));                \
    }

class CArchive;
class CDumpContext;

class CObject {
public:
    static const CRuntimeClass classCObject;
    virtual CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject();
    virtual void Serialize(CArchive& ar);
    virtual void AssertValid() const;
    virtual void Dump(CDumpContext& dc) const;
    BOOL IsKindOf(const CRuntimeClass* pClass) const;

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

// ---------------------------------------------------------------------------
// Exceptions: heap objects thrown by pointer and disposed of with Delete().
class CException : public CObject {
    DECLARE_DYNAMIC(CException)
public:
    CException();
    explicit CException(BOOL bAutoDelete);
    ~CException() override;

    void Delete();  // deletes the object when it was made on the heap (auto-delete)
    virtual BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext = NULL);
    // Shows the message (GetErrorMessage) in a message box; returns the box's answer.
    virtual int ReportError(UINT nType = MB_OK, UINT nMessageID = 0);

    // Exceptions made with new are known as such, so that Delete never deletes
    // one that lives on the stack or inside another object.
    static void* operator new(size_t nSize);
    static void operator delete(void* p) noexcept;

protected:
    BOOL m_bAutoDelete;

private:
    BOOL m_bOnHeap;
};

class CFileException : public CException {
    DECLARE_DYNAMIC(CFileException)
public:
    enum {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile
    };

    explicit CFileException(int cause = CFileException::none, LONG lOsError = -1,
                            LPCTSTR lpszArchiveName = NULL);
    ~CFileException() override;

    BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext = NULL) override;

    static int PASCAL OsErrorToException(LONG lOsError);
    static void PASCAL ThrowOsError(LONG lOsError, LPCTSTR lpszFileName = NULL);

    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};

void AFXAPI AfxThrowFileException(int cause, LONG lOsError = -1, LPCTSTR lpszFileName = NULL);

// ---------------------------------------------------------------------------
// Files. CFile is binary; CStdioFile adds lines and, with typeText, stores every
// line feed as carriage return and line feed and reads them back as line feeds.
class CFile : public CObject {
    DECLARE_DYNAMIC(CFile)
public:
    enum OpenFlags {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = (int)0x8000
    };
    enum SeekPosition { begin = 0x0, current = 0x1, end = 0x2 };

    static const HANDLE hFileNull;

    CFile();
    CFile(LPCTSTR lpszFileName, UINT nOpenFlags);  // throws CFileException*
    ~CFile() override;  // closes without throwing

    virtual BOOL Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError = NULL);
    virtual void Close();  // throws CFileException* when the close (flush) fails
    virtual void Abort();  // closes, ignoring errors
    virtual UINT Read(void* lpBuf, UINT nCount);
    virtual void Write(const void* lpBuf, UINT nCount);
    virtual LONG Seek(LONG lOff, UINT nFrom);
    void SeekToBegin();
    DWORD SeekToEnd();
    virtual DWORD GetLength() const;
    virtual DWORD GetPosition() const;
    virtual void Flush();
    virtual CString GetFilePath() const;
    virtual CString GetFileName() const;
    virtual CString GetFileTitle() const;

    HANDLE m_hFile;

protected:
    CString m_strFileName;
    BOOL m_bCloseOnDelete;
};

class CStdioFile : public CFile {
    DECLARE_DYNAMIC(CStdioFile)
public:
    CStdioFile();
    CStdioFile(LPCTSTR lpszFileName, UINT nOpenFlags);  // throws CFileException*
    ~CStdioFile() override;

    BOOL Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError = NULL) override;
    void Close() override;
    void Abort() override;
    UINT Read(void* lpBuf, UINT nCount) override;
    void Write(const void* lpBuf, UINT nCount) override;
    LONG Seek(LONG lOff, UINT nFrom) override;
    DWORD GetPosition() const override;
    void Flush() override;

    virtual void WriteString(LPCTSTR lpsz);
    // Reads one line into the buffer, keeping its line feed; NULL at the end.
    virtual LPTSTR ReadString(LPTSTR lpsz, UINT nMax);
    // Reads one line without its line feed; FALSE at the end of the file.
    virtual BOOL ReadString(CString& rString);

private:
    struct Buffers;
    Buffers* m_pBuffers;
    BOOL m_bText;
};

// ---------------------------------------------------------------------------
// Finds files and folders that match a name with the wildcards * and ?.
class CFileFind : public CObject {
    DECLARE_DYNAMIC(CFileFind)
public:
    CFileFind();
    ~CFileFind() override;

    virtual BOOL FindFile(LPCTSTR pstrName = NULL, DWORD dwUnused = 0);
    virtual BOOL FindNextFile();  // FALSE when the current match is the last one
    void Close();

    virtual CString GetFileName() const;   // name with extension
    virtual CString GetFilePath() const;   // folder and name
    virtual CString GetFileTitle() const;  // name without extension
    virtual CString GetRoot() const;       // folder, ending in a backslash
    DWORD GetLength() const;
    BOOL IsDirectory() const;
    BOOL IsDots() const;
    BOOL IsReadOnly() const;

private:
    struct State;
    State* m_pState;
};

// ---------------------------------------------------------------------------
// CTime: seconds, shown in local time. Format takes the runtime's strftime
// patterns and the Windows forms "%#d" (no leading zero) and "%#c" (long form).
class CTimeSpan {
public:
    CTimeSpan() : m_timeSpan(0) {}
    CTimeSpan(time_t t) : m_timeSpan(t) {}
    CTimeSpan(long lDays, int nHours, int nMins, int nSecs);
    time_t GetTimeSpan() const { return m_timeSpan; }
    long GetDays() const { return (long)(m_timeSpan / (24 * 3600)); }
    long GetTotalHours() const { return (long)(m_timeSpan / 3600); }
    long GetTotalMinutes() const { return (long)(m_timeSpan / 60); }
    time_t GetTotalSeconds() const { return m_timeSpan; }

private:
    time_t m_timeSpan;
};

class CTime {
public:
    static CTime PASCAL GetCurrentTime();  // the platform clock (tests can set it)

    CTime() : m_time(0) {}
    CTime(time_t time) : m_time(time) {}
    CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST = -1);

    time_t GetTime() const { return m_time; }
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    int GetDayOfWeek() const;  // 1 = Sunday
    struct tm* GetLocalTm(struct tm* ptm) const;

    CString Format(LPCTSTR pFormat) const;
    CString FormatGmt(LPCTSTR pFormat) const;

    CTimeSpan operator-(CTime time) const { return CTimeSpan(m_time - time.m_time); }
    CTime operator-(CTimeSpan span) const { return CTime(m_time - span.GetTimeSpan()); }
    CTime operator+(CTimeSpan span) const { return CTime(m_time + span.GetTimeSpan()); }
    bool operator==(CTime t) const { return m_time == t.m_time; }
    bool operator!=(CTime t) const { return m_time != t.m_time; }
    bool operator<(CTime t) const { return m_time < t.m_time; }
    bool operator>(CTime t) const { return m_time > t.m_time; }
    bool operator<=(CTime t) const { return m_time <= t.m_time; }
    bool operator>=(CTime t) const { return m_time >= t.m_time; }

private:
    time_t m_time;
};

// ---------------------------------------------------------------------------
// Extension-module set-up: records a module's instance handle so that its
// resources join the resource chain.
struct AFX_EXTENSION_MODULE {
    BOOL bInitialized;
    HMODULE hModule;
    HMODULE hResource;
};

BOOL AFXAPI AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE hModule);
void AFXAPI AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL bAll = FALSE);

class CDynLinkLibrary : public CObject {
public:
    CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL bSystem = FALSE);
    ~CDynLinkLibrary() override;

    HMODULE m_hModule;
    HMODULE m_hResource;
};
