// The drawing history record and its one-write append to the history file.
#include "DrawingHistory.h"

#include "DocumentData.h"
#include "FileUtil.h"
#include "Identity.h"
#include "Messages.h"

namespace {

// Times of the record: the stamp, the start and end of the period, the last save.
const LPCTSTR kStampFormat = _T("%#d/%b/%Y %H:%M");
const LPCTSTR kPeriodFormat = _T("%#d %b %Y %H:%M");
const LPCTSTR kLastSaveFormat = _T("%H:%M");

// The bytes a text-mode file stores for sText: each line feed as carriage
// return and line feed.
CString textModeBytes(const CString& sText) {
    CString sBytes;
    for (int i = 0; i < sText.GetLength(); ++i) {
        if (sText[i] == '\n') {
            sBytes += '\r';
        }
        sBytes += sText[i];
    }
    return sBytes;
}

// The class library's file exception for a failed call on the history file.
void throwFileError(LONG lOsError, LPCTSTR sFileName) {
    CFileException::ThrowOsError(lOsError != 0 ? lOsError : (LONG)ERROR_GEN_FAILURE, sFileName);
}

}  // namespace

CDrawingHistory::CDrawingHistory()
    : m_timeOpened(CTime::GetCurrentTime()), m_timeLastSave(), m_bSaved(false) {}

CDrawingHistory::CDrawingHistory(LPCTSTR sFileName)
    : m_timeOpened(CTime::GetCurrentTime()),
      m_timeLastSave(),
      m_bSaved(false),
      m_sFileName(sFileName) {
    const CString sFolder = Pellam::getDocInfoDirectory(m_sFileName);
    if (!sFolder.IsEmpty()) {
        m_sHistoryFileName = historyFileName(sFolder, m_sFileName);
    }
}

CString CDrawingHistory::historyFileName(LPCTSTR sDocInfoFolder, LPCTSTR sDrawing) {
    return CString(sDocInfoFolder) + PellamFile::Title(sDrawing) + _T("-") +
           PellamFile::Extension(sDrawing) + _T(".his");
}

void CDrawingHistory::markSaved() {
    PELLAM_VERIFY(!m_sFileName.IsEmpty());
    m_timeLastSave = CTime::GetCurrentTime();
    m_bSaved = true;
}

bool CDrawingHistory::isViewOnly() const {
    PELLAM_VERIFY(!m_sFileName.IsEmpty());
    return !m_bSaved;
}

void CDrawingHistory::close() {
    const CTime timeNow = CTime::GetCurrentTime();
    const CString sStart = m_timeOpened.Format(kPeriodFormat);
    const CString sEnd = timeNow.Format(kPeriodFormat);
    PELLAM_VERIFY(!m_sFileName.IsEmpty());

    CString sAction;
    CString sPeriod;
    if (m_bSaved) {
        sAction = _T("EDIT");
        sPeriod.Format(_T("%s UNTIL %s  (Last Save: %s)"), (LPCTSTR)sStart, (LPCTSTR)sEnd,
                       (LPCTSTR)m_timeLastSave.Format(kLastSaveFormat));
    } else {
        sAction = _T("VIEW");
        sPeriod.Format(_T("%s ->%s"), (LPCTSTR)sStart, (LPCTSTR)sEnd);
    }
    const CString sUserName = Pellam::Util::getUserName();
    const CString sComputerName = Pellam::Util::getComputerName();

    // Without a docinfo folder there is no history file: the record is not
    // written anywhere else (the folder's failure was shown when the period
    // started).
    if (m_sHistoryFileName.IsEmpty()) {
        return;
    }
    writeRecord(m_sHistoryFileName, sUserName, sComputerName, sAction, sPeriod);
}

void CDrawingHistory::writeRecord(LPCTSTR sHistoryFile, LPCTSTR sUserName, LPCTSTR sComputerName,
                                  LPCTSTR sAction, LPCTSTR sPeriod) {
    CString sRecord;
    sRecord.Format(_T("\n%s> %s \"%s\" \"%s\" \"%s\""),
                   (LPCTSTR)CTime::GetCurrentTime().Format(kStampFormat), sAction, sUserName,
                   sComputerName, sPeriod);
    const CString sBytes = textModeBytes(sRecord);

    HANDLE hFile = ::CreateFileA(sHistoryFile, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE) {
        throwFileError((LONG)::GetLastError(), sHistoryFile);
    }
    DWORD dwWritten = 0;
    const BOOL bWritten =
        ::WriteFile(hFile, (LPCTSTR)sBytes, (DWORD)sBytes.GetLength(), &dwWritten, NULL);
    const LONG lWriteError = (LONG)::GetLastError();
    const BOOL bClosed = ::CloseHandle(hFile);
    const LONG lCloseError = (LONG)::GetLastError();
    if (!bWritten) {
        throwFileError(lWriteError, sHistoryFile);
    }
    if (dwWritten != (DWORD)sBytes.GetLength()) {
        AfxThrowFileException(CFileException::diskFull, ERROR_DISK_FULL, sHistoryFile);
    }
    if (!bClosed) {
        throwFileError(lCloseError, sHistoryFile);
    }

    Pellam::Messages::traceFormat(_T("<LOGGED @ %s> %s ."), sHistoryFile, (LPCTSTR)sRecord);
    Pellam::refreshDocumentManager();
}
