// The lock file of an open drawing: three lines in the drawing's docinfo
// folder saying who has the drawing open, from which computer and since when.
// The lock is advisory: nothing here reads a lock file or refuses a drawing
// because of one.
#pragma once

#include <afx.h>

class CDocumentLock {
public:
    // The default value of a map entry: no drawing.
    CDocumentLock();
    // The lock of the drawing sFileName (full path); nothing is written yet.
    explicit CDocumentLock(LPCTSTR sFileName);

    // Writes the lock file (replacing one another user left) and tells the
    // document manager. When the docinfo folder cannot be made (the user has
    // been told) no lock is written. The file is replaced in one step: throws
    // the class library's file exception (CFileException*) when it cannot be
    // written, and then the lock path holds what it held before (another
    // user's whole lock, or nothing), never a half-written lock.
    void create();
    // Deletes the lock file and tells the document manager.
    void release();

    CString getFileName() const { return m_sFileName; }
    CString getLockFileName() const { return m_sLockFileName; }
    bool isLockCreated() const { return m_bLockCreated; }

    // The lock file of a drawing in the folder sDocInfoFolder (ending in a
    // backslash): title, "-", extension (letter case kept), ".lok".
    static CString lockFileName(LPCTSTR sDocInfoFolder, LPCTSTR sDrawing);

    // The lines of a lock file begin with these, in this order; the time is
    // local time in the form of kTimeFormat (3 Dec 2026 09:00).
    static const LPCTSTR kLockedAt;
    static const LPCTSTR kBy;
    static const LPCTSTR kFrom;
    static const LPCTSTR kTimeFormat;

private:
    CString m_sFileName;
    CString m_sLockFileName;
    bool m_bLockCreated;
};
