// The title-block mapping from the project, domain and standard settings.
#include "TitleBlock.h"

#include "FileUtil.h"
#include "Locator.h"
#include "Messages.h"
#include "SettingsFile.h"

using Pellam::Messages::trace;
using Pellam::Messages::traceFormat;

namespace {

const LPCTSTR kProjectSettingsFile = _T("ProjectSettings.txt");
// The current selection kept by the settings module: title blocks, not mock borders.
const bool kTitleBlocks = false;

}  // namespace

CTitleBlock::CTitleBlock(LPCTSTR sDrawingPath)
    : m_bSearch(false),
      m_bProject(false),
      m_bDefinition(false),
      m_bInstance(false),
      m_sDrawingPath(sDrawingPath) {
    traceFormat(_T("CTitleBlock::CTitleBlock(\"%s\")\n"), sDrawingPath);
}

CTitleBlock::~CTitleBlock() {
    trace(_T("CTitleBlock::~CTitleBlock()\n"));
}

void CTitleBlock::search() {
    trace(_T("CTitleBlock::search()\n"));
    m_bSearch = true;
    if (!getMapping()) {
        return;
    }
    const CString sBorder = CSettingsFile::getCurrentBorderName(kTitleBlocks);
    if (sBorder.IsEmpty()) {
        return;
    }
    findBorder(sBorder);
    if (m_bInstance) {
        readAttributes();
    }
}

bool CTitleBlock::isInstance() {
    PELLAM_VERIFY(m_bSearch);
    if (!m_bInstance) {
        search();
    }
    return m_bInstance;
}

bool CTitleBlock::isProject() const {
    PELLAM_VERIFY(m_bSearch);
    return m_bProject;
}

CString CTitleBlock::getProjectLabel() const {
    PELLAM_VERIFY(m_bProject);
    return m_sProjectLabel;
}

CString CTitleBlock::getHandle() const {
    PELLAM_VERIFY(m_bInstance);
    return m_sHandle;
}

CString CTitleBlock::findProjectSettings(LPCTSTR sDrawingPath) {
    traceFormat(_T("CTitleBlock::findProjectSettings(\"%s\")\n"), sDrawingPath);
    return Pellam::Locator::findFileUpwards(kProjectSettingsFile,
                                            PellamFile::Directory(sDrawingPath)) +
           kProjectSettingsFile;
}

bool CTitleBlock::getMapping() {
    trace(_T("CTitleBlock::getMapping()\n"));
    CSettingsFile::resetCurrent(kTitleBlocks);
    if (getMappingFromFile(findProjectSettings(m_sDrawingPath), true)) {
        return true;
    }
    if (getMappingFromFile(Pellam::Locator::Locate(LOCATION_DOMAIN_SETTINGS_FILE), false)) {
        return true;
    }
    return getMappingFromFile(Pellam::Locator::Locate(LOCATION_STANDARD_SETTINGS_FILE), false);
}

bool CTitleBlock::getMappingFromFile(LPCTSTR sFile, bool bFromProject) {
    traceFormat(_T("CTitleBlock::getMappingFromFile(\"%s\", %s)\n"), sFile,
                bFromProject ? _T("true") : _T("false"));
    const CSettingsFile settings(sFile);
    if (!settings.isValid()) {
        return false;
    }
    if (bFromProject) {
        m_sProjectLabel = settings.getProjectLabel();
        m_bProject = true;
    }
    const int iRecords = settings.getRecordCount(kTitleBlocks);
    for (int iRecord = 0; iRecord < iRecords; ++iRecord) {
        const int iBorders = settings.getBorderCount(iRecord, kTitleBlocks);
        for (int iBorder = 0; iBorder < iBorders; ++iBorder) {
            const CString sBlockName = settings.getBorder(iRecord, iBorder, kTitleBlocks).second;
            if (!isBlockDefined(sBlockName)) {
                continue;
            }
            CSettingsFile::setCurrentBorderName(sBlockName, kTitleBlocks);
            settings.copyToCurrent(iRecord, kTitleBlocks);
            m_mapAttributes = settings.getRecord(iRecord, kTitleBlocks)->m_mapAttributes;
            return true;
        }
    }
    return false;
}

CString CTitleBlock::get(LPCTSTR sMapTag) {
    traceFormat(_T("CTitleBlock::get(\"%s\")\n"), sMapTag);
    PELLAM_VERIFY(m_bInstance);
    const auto it = m_mapAttributes.find(CString(sMapTag));
    if (it == m_mapAttributes.end()) {
        return CString();
    }
    return getAttribute(it->second);
}

bool CTitleBlock::set(LPCTSTR sMapTag, LPCTSTR sValue) {
    traceFormat(_T("CTitleBlock::set(\"%s\", \"%s\")\n"), sMapTag, sValue);
    PELLAM_VERIFY(m_bInstance);
    const auto it = m_mapAttributes.find(CString(sMapTag));
    if (it == m_mapAttributes.end()) {
        return false;
    }
    const bool bSet = setAttribute(it->second, sValue);
    // The value is read back from the drawing: a text the editor refused
    // shows here.
    PELLAM_VERIFY(get(sMapTag) == sValue);
    return bSet;
}

std::set<CString> CTitleBlock::getMapKeys() {
    trace(_T("CTitleBlock::getMapKeys()\n"));
    PELLAM_VERIFY(m_bInstance);
    std::set<CString> setKeys;
    for (const auto& entry : m_mapAttributes) {
        setKeys.insert(entry.first);
    }
    PELLAM_VERIFY(setKeys.size() == m_mapAttributes.size());
    return setKeys;
}
