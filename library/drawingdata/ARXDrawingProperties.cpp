// Drawing properties through the editor's summary-information interface.
#include "ARXDrawingProperties.h"

#include "Messages.h"
#include "acutmem.h"
#include "rxregsvc.h"
#include "summinfo.h"

// The checks compare the map's size with the editor's int counts as written.
#pragma GCC diagnostic ignored "-Wsign-compare"

using Pellam::Messages::trace;

namespace {

const char* const G_szSummaryInfoArx = "acsiobj.arx";
const char* const G_szSummaryInfoDbx = "acsiobj.dbx";

// A copy of a text that the summary information handed out; the text is
// released. NULL (a failed call) gives an empty text.
CString takeText(char*& szText) {
    const CString sText(szText);
    if (szText != NULL) {
        acdbFree(szText);
        szText = NULL;
    }
    return sText;
}

}  // namespace

CDrawingProperties::CDrawingProperties() : m_bValid(false), m_iNumberOfCustomEntries(0) {}

CDrawingProperties::~CDrawingProperties() {}

CString CDrawingProperties::getTitle() {
    read();
    PELLAM_VERIFY(m_bValid);
    return m_sTitle;
}

void CDrawingProperties::setTitle(const CString& sTitle) {
    m_sTitle = sTitle;
}

CARXDrawingProperties::CARXDrawingProperties(AcDbDatabase* pDatabase)
    : m_pDatabase(pDatabase), m_bLoadedArx(false), m_bLoadedDbx(false) {
    PELLAM_VERIFY(m_pDatabase != NULL);
    PELLAM_VERIFY(initialise());
    read();
}

CARXDrawingProperties::~CARXDrawingProperties() {
    AcRxDynamicLinker* pLinker = acrxDynamicLinker;
    if (pLinker == NULL) {
        return;
    }
    if (m_bLoadedArx) {
        pLinker->unloadModule(G_szSummaryInfoArx, false);
    }
    if (m_bLoadedDbx) {
        pLinker->unloadModule(G_szSummaryInfoDbx, false);
    }
}

bool CARXDrawingProperties::initialise() {
    AcRxDynamicLinker* pLinker = acrxDynamicLinker;
    if (pLinker == NULL) {
        return false;
    }
    const bool bPrint = (Pellam::Messages::getDebugLevel() == 2);
    // Each module is loaded once per object, so that it is unloaded as often.
    if (!m_bLoadedArx) {
        m_bLoadedArx = pLinker->loadModule(G_szSummaryInfoArx, bPrint, false);
    }
    if (!m_bLoadedDbx) {
        m_bLoadedDbx = pLinker->loadModule(G_szSummaryInfoDbx, bPrint, false);
    }
    return m_bLoadedArx || m_bLoadedDbx;
}

void CARXDrawingProperties::read() {
    PELLAM_VERIFY(m_pDatabase != NULL);
    AcDbDatabaseSummaryInfo* pInfo = NULL;
    const bool bSummaryInfo = (m_pDatabase != NULL) &&
                              (::acdbGetSummaryInfo(m_pDatabase, pInfo) == Acad::eOk) &&
                              (pInfo != NULL);
    if (PELLAM_VERIFY(bSummaryInfo)) {
        char* szHyperlinkBase = NULL;
        PELLAM_VERIFY(pInfo->getHyperlinkBase(szHyperlinkBase) == Acad::eOk);
        m_sHyperLink = takeText(szHyperlinkBase);
        char* szTitle = NULL;
        PELLAM_VERIFY(pInfo->getTitle(szTitle) == Acad::eOk);
        m_sTitle = takeText(szTitle);
        char* szSubject = NULL;
        PELLAM_VERIFY(pInfo->getSubject(szSubject) == Acad::eOk);
        m_sSubject = takeText(szSubject);
        char* szAuthor = NULL;
        PELLAM_VERIFY(pInfo->getAuthor(szAuthor) == Acad::eOk);
        m_sAuthor = takeText(szAuthor);
        char* szComments = NULL;
        PELLAM_VERIFY(pInfo->getComments(szComments) == Acad::eOk);
        m_sComments = takeText(szComments);
        char* szKeywords = NULL;
        PELLAM_VERIFY(pInfo->getKeywords(szKeywords) == Acad::eOk);
        m_sKeywords = takeText(szKeywords);
        char* szLastSavedBy = NULL;
        PELLAM_VERIFY(pInfo->getLastSavedBy(szLastSavedBy) == Acad::eOk);
        m_sLastSavedBy = takeText(szLastSavedBy);
        char* szRevisionNumber = NULL;
        PELLAM_VERIFY(pInfo->getRevisionNumber(szRevisionNumber) == Acad::eOk);
        m_sRevisionNumber = takeText(szRevisionNumber);

        // The map is not cleared: a second read adds to what is there.
        PELLAM_VERIFY(m_mapCustomEntries.empty());
        m_iNumberOfCustomEntries = pInfo->numCustomInfo();
        for (int i = 0; i < m_iNumberOfCustomEntries; ++i) {
            char* szKey = NULL;
            char* szValue = NULL;
            if (PELLAM_VERIFY(pInfo->getCustomSummaryInfo(i, szKey, szValue) == Acad::eOk) &&
                szKey != NULL) {
                m_mapCustomEntries[CString(szKey)] = CString(szValue);
            }
            takeText(szKey);
            takeText(szValue);
        }
        PELLAM_VERIFY(m_mapCustomEntries.size() == m_iNumberOfCustomEntries);
        delete pInfo;
    }
    m_bValid = true;
}

void CARXDrawingProperties::write() {
    trace(_T("CARXDrawingProperties::write()\n"));
    PELLAM_VERIFY(m_pDatabase != NULL);
    PELLAM_VERIFY(m_bValid);
    AcDbDatabaseSummaryInfo* pInfo = NULL;
    const bool bSummaryInfo = (m_pDatabase != NULL) &&
                              (::acdbGetSummaryInfo(m_pDatabase, pInfo) == Acad::eOk) &&
                              (pInfo != NULL);
    if (!PELLAM_VERIFY(bSummaryInfo)) {
        return;
    }
    PELLAM_VERIFY(pInfo->setHyperlinkBase(m_sHyperLink) == Acad::eOk);
    PELLAM_VERIFY(pInfo->setTitle(m_sTitle) == Acad::eOk);
    PELLAM_VERIFY(pInfo->setSubject(m_sSubject) == Acad::eOk);
    PELLAM_VERIFY(pInfo->setAuthor(m_sAuthor) == Acad::eOk);
    PELLAM_VERIFY(pInfo->setComments(m_sComments) == Acad::eOk);
    PELLAM_VERIFY(pInfo->setKeywords(m_sKeywords) == Acad::eOk);
    PELLAM_VERIFY(pInfo->setLastSavedBy(m_sLastSavedBy) == Acad::eOk);
    PELLAM_VERIFY(pInfo->setRevisionNumber(m_sRevisionNumber) == Acad::eOk);

    for (int i = pInfo->numCustomInfo() - 1; i >= 0; --i) {
        PELLAM_VERIFY(pInfo->deleteCustomSummaryInfo(i) == Acad::eOk);
    }
    std::map<CString, CString>::const_iterator iterEntry;
    for (iterEntry = m_mapCustomEntries.begin(); iterEntry != m_mapCustomEntries.end();
         ++iterEntry) {
        PELLAM_VERIFY(pInfo->addCustomSummaryInfo((*iterEntry).first, (*iterEntry).second) ==
                      Acad::eOk);
    }
    PELLAM_VERIFY(m_mapCustomEntries.size() == pInfo->numCustomInfo());

    PELLAM_VERIFY(::acdbPutSummaryInfo(pInfo) == Acad::eOk);
    delete pInfo;
}
