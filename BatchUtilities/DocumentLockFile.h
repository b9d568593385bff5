// A lock file read back: who holds the drawing, from which computer, since
// when, in the three lines that CDocumentLock writes. Anything else (one line,
// binary data, a time that is no time) is refused with the reason.
#pragma once

#include <afx.h>

class CDocumentLockFile {
public:
    // Lock files are three short lines; anything larger is none.
    static const size_t kMaxFileSize = 4096;

    // Reads the file through the platform; false (see getError) when it
    // cannot be read or is not a lock file.
    bool read(LPCTSTR sLockFile);
    // The same for bytes already read.
    bool parse(const char* pData, size_t iSize);

    const CString& getError() const { return m_sError; }
    // The time as written ("3 Dec 2026 09:00") and as a time.
    const CString& getLockedAtText() const { return m_sLockedAt; }
    CTime getLockedAt() const { return m_timeLockedAt; }
    const CString& getUser() const { return m_sUser; }
    const CString& getComputer() const { return m_sComputer; }

    // The drawing a lock file stands for: P:\job\docinfo\A-101-dwg.lok is the
    // lock of P:\job\A-101.dwg (the title ends at the last "-").
    static CString drawingOf(LPCTSTR sLockFile);
    // A time in the lock file's form, local time; false when the text is not
    // one (30 Feb, 25:00, a month that is no month).
    static bool parseLockTime(const CString& sText, CTime& time);

private:
    CString m_sError;
    CString m_sLockedAt;
    CTime m_timeLockedAt;
    CString m_sUser;
    CString m_sComputer;
};
