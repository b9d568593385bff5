#include "DrawingSettings.h"

#include "Messages.h"

CDrawingSettings::CDrawingSettings(LPCTSTR sApplication)
    : m_sApplication(sApplication), m_bEntriesValid(false) {
    PELLAM_VERIFY(!m_sApplication.IsEmpty());
}

CDrawingSettings::~CDrawingSettings() {}

const std::vector<CString>& CDrawingSettings::getEntries() const {
    PELLAM_VERIFY(m_bEntriesValid);
    return m_vectorEntries;
}

void CDrawingSettings::setEntries(const std::vector<CString>& vectorEntries) {
    m_vectorEntries = vectorEntries;
}
