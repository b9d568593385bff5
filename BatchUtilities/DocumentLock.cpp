// Writing and deleting a drawing's lock file.
#include "DocumentLock.h"

#include "DocumentData.h"
#include "FileUtil.h"
#include "Identity.h"
#include "Messages.h"

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

    CStdioFile fileLock;
    CFileException* pError = new CFileException;
    if (!fileLock.Open(m_sLockFileName, CFile::modeCreate | CFile::modeWrite | CFile::typeText,
                       pError)) {
        m_sLockFileName.Empty();
        throw pError;
    }
    pError->Delete();
    try {
        fileLock.WriteString(sLockedAt + _T("\n"));
        fileLock.WriteString(sBy + _T("\n"));
        fileLock.WriteString(sFrom + _T("\n"));
        fileLock.Close();
    } catch (CFileException*) {
        // The file was emptied or made: remove what was started rather than
        // leave a lock that does not say who holds the drawing.
        fileLock.Abort();
        ::DeleteFileA(m_sLockFileName);
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
