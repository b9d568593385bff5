// The drawing data record: filled from the title block or the project
// settings, written as the title-block lines of the drawing information file.
#include "DrawingData.h"

#include "FileUtil.h"
#include "Locator.h"
#include "Messages.h"
#include "SettingsFile.h"

using Pellam::Messages::trace;
using Pellam::Messages::traceFormat;

namespace Pellam {

CDrawingData::CDrawingData(LPCTSTR sDrawingPath)
    : m_bProjectDefaults(false),
      m_bDataFilled(false),
      m_sDrawingPath(sDrawingPath),
      m_pTitle(NULL),
      m_bValid(true) {
    traceFormat(_T("Pellam::CDrawingData::CDrawingData(\"%s\")\n"), sDrawingPath);
}

CDrawingData::~CDrawingData() {
    trace(_T("Pellam::CDrawingData::~CDrawingData()\n"));
    if (m_bValid) {
        PELLAM_VERIFY(m_pTitle != NULL);
        delete m_pTitle;
        m_pTitle = NULL;
    }
}

CTitleBlock* CDrawingData::getTitleBlock() const {
    PELLAM_VERIFY(m_bValid);
    PELLAM_VERIFY(m_pTitle != NULL);
    return m_pTitle;
}

CString CDrawingData::getDrawingTitle(int iLine) const {
    return (iLine >= 1 && iLine <= 4) ? m_asDrawingTitle[iLine - 1] : CString();
}

CString CDrawingData::getJobTitle(int iLine) const {
    return (iLine >= 1 && iLine <= 4) ? m_asJobTitle[iLine - 1] : CString();
}

void CDrawingData::fill() {
    trace(_T("Pellam::CDrawingData::fill().\n"));
    PELLAM_VERIFY(m_bValid);
    PELLAM_VERIFY(m_pTitle != NULL);
    fillFromTitleBlock();
    if (m_pTitle == NULL || !m_pTitle->isInstance()) {
        readProjectDefaults();
    }
    m_bDataFilled = true;
}

void CDrawingData::fillFromTitleBlock() {
    PELLAM_VERIFY(m_bValid);
    PELLAM_VERIFY(m_pTitle != NULL);
    if (m_pTitle == NULL || !m_pTitle->isInstance()) {
        return;
    }
    m_sTitleBlockHandle = m_pTitle->getHandle();
    m_asDrawingTitle[0] = m_pTitle->get(_T("DOCTITLE[1]"));
    m_asDrawingTitle[1] = m_pTitle->get(_T("DOCTITLE[2]"));
    m_asDrawingTitle[2] = m_pTitle->get(_T("DOCTITLE[3]"));
    m_asDrawingTitle[3] = m_pTitle->get(_T("DOCTITLE[4]"));
    m_asJobTitle[0] = m_pTitle->get(_T("JOBTITLE[1]"));
    m_asJobTitle[1] = m_pTitle->get(_T("JOBTITLE[2]"));
    m_asJobTitle[2] = m_pTitle->get(_T("JOBTITLE[3]"));
    m_asJobTitle[3] = m_pTitle->get(_T("JOBTITLE[4]"));
    m_sRevision = m_pTitle->get(_T("REVISION"));
    m_sJobNumber = m_pTitle->get(_T("JOBNUMBER"));
    m_sTitleBlockScale = m_pTitle->get(_T("SCALE"));
    m_sOriginator = m_pTitle->get(_T("ORIGINATOR"));
    m_sIssueDate = m_pTitle->get(_T("ISSUEDATE"));
    m_sDrawingStatus = m_pTitle->get(_T("STATUS"));
    m_sDrawingNumber = m_pTitle->get(_T("DOCNUMBER"));
}

CString CDrawingData::getProjectSettingsFile() const {
    return Pellam::Locator::findFileUpwards(_T("ProjectSettings.txt"),
                                            PellamFile::Directory(m_sDrawingPath)) +
           _T("ProjectSettings.txt");
}

void CDrawingData::readProjectDefaults() {
    PELLAM_VERIFY(m_bValid);
    m_sTitleBlockHandle.Empty();
    const CString sProjectSettings = getProjectSettingsFile();
    m_bProjectDefaults = !sProjectSettings.IsEmpty();
    if (!m_bProjectDefaults) {
        return;
    }
    traceFormat(_T("Reading Project defaults from \"%s\".\n"), (LPCTSTR)sProjectSettings);
    const CSettingsFile settingsProject(sProjectSettings);
    m_bProjectDefaults = settingsProject.isValid();
    if (!m_bProjectDefaults) {
        return;
    }
    m_sJobNumber = settingsProject.getJobNumber();
    for (int i = 0; i < 4; ++i) {
        m_asJobTitle[i] = settingsProject.getJobTitle(i);
    }
}

void CDrawingData::write(CStdioFile& file) const {
    PELLAM_VERIFY(m_bValid);
    PELLAM_VERIFY(m_bDataFilled);
    trace(_T("Pellam::CDrawingData::write().\n"));
    // Each line: a line feed, the key padded to 12 characters, the raw value.
    const struct {
        LPCTSTR sPrefix;
        const CString& sValue;
    } lines[] = {
        {_T("\nTBHANDLE    "), m_sTitleBlockHandle}, {_T("\nDWGTITLE1   "), m_asDrawingTitle[0]},
        {_T("\nDWGTITLE2   "), m_asDrawingTitle[1]}, {_T("\nDWGTITLE3   "), m_asDrawingTitle[2]},
        {_T("\nDWGTITLE4   "), m_asDrawingTitle[3]}, {_T("\nJOBTITLE1   "), m_asJobTitle[0]},
        {_T("\nJOBTITLE2   "), m_asJobTitle[1]},     {_T("\nJOBTITLE3   "), m_asJobTitle[2]},
        {_T("\nJOBTITLE4   "), m_asJobTitle[3]},     {_T("\nDWGSTATUS   "), m_sDrawingStatus},
        {_T("\nJOBNUMBER   "), m_sJobNumber},        {_T("\nJOBSUFFIX   "), m_sJobSuffix},
        {_T("\nTBSCALE     "), m_sTitleBlockScale},  {_T("\nORIGINATOR  "), m_sOriginator},
        {_T("\nISSUEDATE   "), m_sIssueDate},        {_T("\nREVISION    "), m_sRevision},
        {_T("\nDWGNUMBER   "), m_sDrawingNumber},    {_T("\nDESCRIPTION "), m_sDescription},
    };
    for (const auto& line : lines) {
        file.WriteString(CString(line.sPrefix) + line.sValue);
    }
}

}  // namespace Pellam
