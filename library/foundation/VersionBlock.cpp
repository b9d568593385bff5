// The module's own version resource, loaded once at start-up.
#include "VersionBlock.h"

#include "Locator.h"
#include "Messages.h"

namespace Pellam {

bool CVersionBlock::m_bInitialised = false;
LPBYTE CVersionBlock::m_pVersionData = NULL;
VersionValueCache CVersionBlock::m_mapValues;

bool CVersionBlock::initialise() {
    PELLAM_VERIFY(!m_bInitialised);
    if (m_pVersionData != NULL) {
        freeVersionData(m_pVersionData);  // a second start-up replaces the data
        m_pVersionData = NULL;
        m_mapValues.clear();
    }
    CString sModuleFile = Pellam::Locator::Locate(LOCATION_MODULE_FILE);
    m_pVersionData = readVersionData(sModuleFile);
    m_bInitialised = (m_pVersionData != NULL);
    return m_bInitialised;
}

void CVersionBlock::terminate() {
    PELLAM_VERIFY(m_bInitialised);
    freeVersionData(m_pVersionData);
    m_pVersionData = NULL;
    m_mapValues.clear();
    m_bInitialised = false;
}

CString CVersionBlock::getValue(LPCTSTR sName) {
    if (!PELLAM_VERIFY(m_bInitialised)) {
        return CString();
    }
    return queryVersionString(sName, m_pVersionData, m_mapValues);
}

}  // namespace Pellam
