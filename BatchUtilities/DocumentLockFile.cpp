#include "DocumentLockFile.h"

#include "DocumentLock.h"
#include "FileUtil.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool startsWith(const CString& sText, LPCTSTR sStart) {
    const int iLength = (int)strlen(sStart);
    return sText.GetLength() >= iLength && strncmp(sText, sStart, iLength) == 0;
}

}  // namespace

bool CDocumentLockFile::read(LPCTSTR sLockFile) {
    *this = CDocumentLockFile();
    std::string sBytes;
    DWORD dwLength = 0;
    switch (PellamFile::ReadWholeFile(sLockFile, kMaxFileSize, sBytes, dwLength, m_sError)) {
        case PellamFile::READ_FAILED:
            return false;
        case PellamFile::READ_TOO_LARGE:
            m_sError.Format("not a lock file: %lu bytes, where a lock file has three short lines",
                            (unsigned long)dwLength);
            return false;
        case PellamFile::READ_WHOLE:
            break;
    }
    return parse(sBytes.data(), sBytes.size());
}

bool CDocumentLockFile::parse(const char* pData, size_t iSize) {
    *this = CDocumentLockFile();
    if (iSize > kMaxFileSize) {
        m_sError = "not a lock file: too large";
        return false;
    }
    for (size_t i = 0; i < iSize; ++i) {
        const unsigned char ch = (unsigned char)pData[i];
        if (ch == 0 || (ch < 0x20 && ch != '\r' && ch != '\n' && ch != '\t')) {
            m_sError = "not a lock file: it holds binary data";
            return false;
        }
    }
    // Lines end in carriage return and line feed (text mode).
    std::vector<CString> vectorLines;
    size_t iStart = 0;
    while (iStart < iSize) {
        const void* pEnd = memchr(pData + iStart, '\n', iSize - iStart);
        const size_t iEnd = pEnd ? (size_t)((const char*)pEnd - pData) : iSize;
        size_t iStop = iEnd;
        while (iStop > iStart && pData[iStop - 1] == '\r') {
            --iStop;
        }
        vectorLines.push_back(CString(pData + iStart, (int)(iStop - iStart)));
        iStart = iEnd + 1;
    }
    while (!vectorLines.empty() && vectorLines.back().IsEmpty()) {
        vectorLines.pop_back();
    }
    if (vectorLines.size() != 3) {
        m_sError.Format(
            "not a lock file: %d line%s, where a lock file has 3 (\"%s\", \"%s\", "
            "\"%s\")",
            (int)vectorLines.size(), vectorLines.size() == 1 ? "" : "s", CDocumentLock::kLockedAt,
            CDocumentLock::kBy, CDocumentLock::kFrom);
        return false;
    }
    const LPCTSTR asPrefixes[] = {CDocumentLock::kLockedAt, CDocumentLock::kBy,
                                  CDocumentLock::kFrom};
    for (int i = 0; i < 3; ++i) {
        if (!startsWith(vectorLines[i], asPrefixes[i])) {
            m_sError.Format("not a lock file: line %d does not begin with \"%s\"", i + 1,
                            asPrefixes[i]);
            return false;
        }
    }
    const CString sLockedAt = vectorLines[0].Mid((int)strlen(CDocumentLock::kLockedAt));
    if (!parseLockTime(sLockedAt, m_timeLockedAt)) {
        m_sError.Format("not a lock file: \"%s\" is no time of the form 3 Dec 2026 09:00",
                        (LPCTSTR)sLockedAt);
        return false;
    }
    m_sLockedAt = sLockedAt;
    m_sUser = vectorLines[1].Mid((int)strlen(CDocumentLock::kBy));
    m_sComputer = vectorLines[2].Mid((int)strlen(CDocumentLock::kFrom));
    return true;
}

bool CDocumentLockFile::parseLockTime(const CString& sText, CTime& time) {
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    int iDay = 0;
    int iYear = 0;
    int iHour = 0;
    int iMinute = 0;
    char szMonth[4] = {0};
    char chExtra = 0;
    if (sscanf(sText, "%2d %3s %4d %2d:%2d%c", &iDay, szMonth, &iYear, &iHour, &iMinute,
               &chExtra) != 5) {
        return false;
    }
    int iMonth = 0;
    for (int i = 0; i < 12; ++i) {
        if (strcmp(szMonth, kMonths[i]) == 0) {
            iMonth = i + 1;
        }
    }
    if (iMonth == 0 || iDay < 1 || iDay > 31 || iYear < 1971 || iHour > 23 || iHour < 0 ||
        iMinute < 0 || iMinute > 59) {
        return false;
    }
    // The time written back must be the text itself: 30 Feb would come back
    // as 2 Mar, and a form with extra blanks or zeros is not the module's.
    const CTime candidate(iYear, iMonth, iDay, iHour, iMinute, 0);
    if (candidate.GetTime() == 0 || candidate.Format(CDocumentLock::kTimeFormat) != sText) {
        return false;
    }
    time = candidate;
    return true;
}

CString CDocumentLockFile::drawingOf(LPCTSTR sLockFile) {
    CString sDocInfo = PellamFile::Directory(sLockFile);
    if (sDocInfo.GetLength() > 1) {
        sDocInfo = sDocInfo.Left(sDocInfo.GetLength() - 1);  // the trailing backslash
    }
    const CString sFolder = PellamFile::Directory(sDocInfo);
    const CString sName = PellamFile::Title(sLockFile);
    const int iDash = sName.ReverseFind('-');
    if (iDash < 0) {
        return sFolder + sName;
    }
    const CString sExtension = sName.Mid(iDash + 1);
    return sFolder + sName.Left(iDash) + (sExtension.IsEmpty() ? CString() : "." + sExtension);
}
