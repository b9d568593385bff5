// The drawing data record of an open drawing, with the drawing title's other
// sources, and the test for a drawing's own name.
#include "ARXDrawingData.h"

#include <cstdlib>

#include "ARXDrawingProperties.h"
#include "ARXDrawingSettings.h"
#include "ARXLockDocument.h"
#include "ARXTitleBlock.h"
#include "FileUtil.h"
#include "Messages.h"
#include "RegExp.h"
#include "dbapserv.h"

using Pellam::Messages::trace;
using Pellam::Messages::traceFormat;

namespace {

// The earlier product's settings records and the drawing title among them.
const LPCTSTR kOldSettingsApplication = _T("Pellam-Ternis-1");
const LPCTSTR kOldTitleRecord = _T("_PellamDIszDwgTitle1");
const int kOldRecordLimit = 512;

}  // namespace

namespace Pellam {

CARXDrawingData::CARXDrawingData(AcDbDatabase* pDatabase, LPCTSTR sDrawingPath)
    : CDrawingData(sDrawingPath), m_pDatabase(pDatabase), m_sDrawingPath(sDrawingPath) {
    traceFormat(_T("CARXDrawingData::CARXDrawingData(\"%s\")\n"), sDrawingPath);
    m_pTitle = new CARXTitleBlock(pDatabase, sDrawingPath);
}

CARXDrawingData::~CARXDrawingData() {
    trace(_T("CARXDrawingData::~CARXDrawingData()\n"));
}

void CARXDrawingData::fill() {
    trace(_T("CARXDrawingData::fill().\n"));
    PELLAM_VERIFY(m_bValid);
    PELLAM_VERIFY(m_pTitle != NULL);
    CDrawingData::fill();
    if (m_pTitle != NULL && !m_pTitle->isInstance()) {
        hackDwgTitleFromSummaryAndXDATA();
    }
}

void CARXDrawingData::hackDwgTitleFromSummaryAndXDATA() {
    trace(_T("CARXDrawingData::hackDwgTitleFromSummaryAndXDATA()\n"));
    PELLAM_VERIFY(m_bValid);
    CString sTitle = readTitleFromSummaryInfo();
    if (sTitle.IsEmpty()) {
        if (acdbHostApplicationServices()->workingDatabase() == m_pDatabase) {
            const CString sOldTitle = readR14TitleFromXDATA();
            if (!sOldTitle.IsEmpty()) {
                // Migrated once: the title used is what the summary now holds.
                writeTitleIntoSummaryInfo(sOldTitle);
                sTitle = readTitleFromSummaryInfo();
            }
        } else {
            // Another drawing is the working one: this one is being edited as
            // a reference in place, and its old records are not its own now.
            trace(_T("Ignoring Ternis R14 settings during refedit."));
        }
    }
    const CString sJoined =
        m_asDrawingTitle[0] + m_asDrawingTitle[1] + m_asDrawingTitle[2] + m_asDrawingTitle[3];
    if (sJoined.IsEmpty()) {
        m_asDrawingTitle[0] = sTitle;
        m_asDrawingTitle[1].Empty();
        m_asDrawingTitle[2].Empty();
        m_asDrawingTitle[3].Empty();
    }
}

CString CARXDrawingData::readTitleFromSummaryInfo() {
    trace(_T("CARXDrawingData::readTitleFromSummaryInfo()\n"));
    PELLAM_VERIFY(m_bValid);
    CARXDrawingProperties properties(m_pDatabase);
    return properties.getTitle();
}

void CARXDrawingData::writeTitleIntoSummaryInfo(LPCTSTR sTitle) {
    traceFormat(_T("CARXDrawingData::writeTitleIntoSummaryInfo(\"%s\")\n"), sTitle);
    PELLAM_VERIFY(m_bValid);
    CARXLockDocument lockDocument;
    CARXDrawingProperties properties(m_pDatabase);
    properties.read();
    properties.setTitle(sTitle);
    properties.write();
}

CString CARXDrawingData::readR14TitleFromXDATA() {
    trace(_T("CARXDrawingData::readR14TitleFromXDATA()\n"));
    PELLAM_VERIFY(m_bValid);
    const std::map<CString, CString> mapRecords = readR14XDATA();
    const auto it = mapRecords.find(CString(kOldTitleRecord));
    if (it == mapRecords.end()) {
        return CString();
    }
    traceFormat(_T("Title read from old XDATA (\"%s\")."), (LPCTSTR)it->second);
    return it->second;
}

std::map<CString, CString> CARXDrawingData::readR14XDATA() {
    trace(_T("CARXDrawingData::readR14XDATA()\n"));
    PELLAM_VERIFY(m_bValid);
    PELLAM_VERIFY(acdbHostApplicationServices()->workingDatabase() == m_pDatabase);

    std::map<CString, CString> mapRecords;
    LPTSTR aszRecords[kOldRecordLimit] = {NULL};
    int iRecords = 0;
    if (OlReadDrawingSettings(kOldSettingsApplication, aszRecords, iRecords, kOldRecordLimit) !=
        0) {
        return mapRecords;
    }
    if (iRecords < 0 || iRecords > kOldRecordLimit) {
        iRecords = 0;
    }
    for (int i = 0; i < iRecords; ++i) {
        if (aszRecords[i] == NULL) {
            continue;
        }
        CString sRecord(aszRecords[i]);
        free(aszRecords[i]);
        aszRecords[i] = NULL;
        sRecord.TrimLeft(' ');
        const int iBlank = sRecord.Find(' ');
        if (iBlank < 0) {
            continue;
        }
        mapRecords[sRecord.Left(iBlank)] = sRecord.Mid(iBlank + 1);
    }
    return mapRecords;
}

bool CARXDrawingData::isValidFileName(LPCTSTR sPath) {
    const CString sExtension = PellamFile::Extension(sPath);
    if (sExtension.CompareNoCase("dwg") != 0) {
        return false;
    }
    CString sTitle = PellamFile::BaseName(sPath, "." + sExtension);
    sTitle.MakeLower();
    CRegExp regexpDefaultName;
    if (regexpDefaultName.compile("^drawing[0-9]*$|^unnamed drawing$") == NULL) {
        return true;
    }
    return !regexpDefaultName.matches(sTitle);
}

}  // namespace Pellam
