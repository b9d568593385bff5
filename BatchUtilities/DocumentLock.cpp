// Writing and deleting a drawing's lock file.
#include "DocumentLock.h"

#include "DocumentData.h"
#include "FileUtil.h"
#include "Identity.h"
#include "Messages.h"
#include "ReplacementFile.h"

const LPCTSTR CDocumentLock::kLockedAt = _T("Locked At: ");
const LPCTSTR CDocumentLock::kBy = _T("By: ");
const LPCTSTR CDocumentLock::kFrom = _T("From: ");
const LPCTSTR CDocumentLock::kTimeFormat = _T("%#d %b %Y %H:%M");

CDocumentLock::CDocumentLock() : m_bLockCreated(false) {}

CDocumentLock::CDocumentLock(LPCTSTR sFileName) : m_sFileName(sFileName), m_bLockCreated(false) {}

CString CDocumentLock::lockFileName(LPCTSTR sDocInfoFolder, LPCTSTR sDrawing) {
    return CString(sDocInfoFolder) + PellamFile::Title(sDrawing) + _T("-") +
           PellamFile::Extension(sDrawing) + _T(".lok");
}

void CDocumentLock::create() {
    Pellam::Messages::traceFormat(_T("CDocumentLock::create() - \"%s\"."), (LPCTSTR)m_sFileName);
    PELLAM_VERIFY(!m_sFileName.IsEmpty());
    PELLAM_VERIFY(m_sLockFileName.IsEmpty());
    PELLAM_VERIFY(!m_bLockCreated);

    const CString sFolder = Pellam::getDocInfoDirectory(m_sFileName);
    if (sFolder.IsEmpty()) {
        return;
    }
    m_sLockFileName = lockFileName(sFolder, m_sFileName);

    const CString sLockedAt = kLockedAt + CTime::GetCurrentTime().Format(kTimeFormat);
    const CString sBy = kBy + Pellam::Util::getUserName();
    const CString sFrom = kFrom + Pellam::Util::getComputerName();

    // The lock is replaced whole or not at all: a failure leaves the lock
    // that stood there (another user's) as it was, never half of this one.
    try {
        Pellam::CReplacementFile fileLock;
        fileLock.open(m_sLockFileName);
        fileLock.file().WriteString(sLockedAt + _T("\n"));
        fileLock.file().WriteString(sBy + _T("\n"));
        fileLock.file().WriteString(sFrom + _T("\n"));
        fileLock.commit();
    } catch (CException*) {
        m_sLockFileName.Empty();
        throw;
    }

    Pellam::refreshDocumentManager();
    m_bLockCreated = true;
}

void CDocumentLock::release() {
    Pellam::Messages::traceFormat(_T("CDocumentLock::release() - \"%s\"."), (LPCTSTR)m_sFileName);
    PELLAM_VERIFY(!m_sFileName.IsEmpty());
    PELLAM_VERIFY(!m_sLockFileName.IsEmpty());
    PELLAM_VERIFY(m_bLockCreated);

    // A lock file already gone, or in use, is reported as a failed check only;
    // the object forgets it all the same and the document manager is told.
    PELLAM_VERIFY(::DeleteFileA(m_sLockFileName));
    m_sLockFileName.Empty();
    Pellam::refreshDocumentManager();
    m_bLockCreated = false;
}
