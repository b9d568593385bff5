#include "ReplacementFile.h"

namespace Pellam {

CReplacementFile::~CReplacementFile() {
    discard();
}

void CReplacementFile::open(LPCTSTR sFileName) {
    discard();
    m_sFileName = sFileName;
    m_sTemporary.Format(_T("%s.%lu.tmp"), sFileName, (unsigned long)::GetCurrentProcessId());
    CFileException* pError = new CFileException;
    if (!m_file.Open(m_sTemporary, CFile::modeCreate | CFile::modeWrite | CFile::typeText,
                     pError)) {
        ::DeleteFileA(m_sTemporary);
        m_sTemporary.Empty();
        pError->m_strFileName = m_sFileName;
        throw pError;
    }
    pError->Delete();
}

void CReplacementFile::commit() {
    try {
        // The text file's buffer, then the file's data to disk before it
        // takes the name, so that the name never stands for lost data.
        m_file.Flush();
        m_file.CFile::Flush();
        m_file.Close();
    } catch (CException*) {
        discard();
        throw;
    }
    if (!::MoveFileExA(m_sTemporary, m_sFileName,
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const LONG lError = (LONG)::GetLastError();
        discard();
        CFileException::ThrowOsError(lError != 0 ? lError : (LONG)ERROR_GEN_FAILURE, m_sFileName);
    }
    m_sTemporary.Empty();
}

void CReplacementFile::discard() {
    if (m_sTemporary.IsEmpty()) {
        return;
    }
    m_file.Abort();
    ::DeleteFileA(m_sTemporary);
    m_sTemporary.Empty();
}

}  // namespace Pellam
