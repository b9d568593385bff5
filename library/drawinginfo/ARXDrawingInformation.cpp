// Collecting the drawing's tables and revision marks from the database.
#include "ARXDrawingInformation.h"

#include "ARXBlockDefinition.h"
#include "ARXDrawingData.h"
#include "Messages.h"
#include "dbsymtb.h"

using Pellam::Messages::trace;
using Pellam::Messages::traceFormat;

CARXDrawingInformation::CARXDrawingInformation() : m_pDatabase(NULL) {
    trace(_T("CARXDrawingInformation::CARXDrawingInformation()\n"));
    PELLAM_VERIFY(!m_bValid);
}

CARXDrawingInformation::CARXDrawingInformation(AcDbDatabase* pDatabase, LPCTSTR sDrawingName)
    : Pellam::CDrawingInformation(new Pellam::CARXDrawingData(pDatabase, sDrawingName)),
      m_pDatabase(pDatabase),
      m_sDrawingName(sDrawingName) {
    traceFormat(_T("CARXDrawingInformation::CARXDrawingInformation(\"%s\")\n"), sDrawingName);
    PELLAM_VERIFY(m_bValid);
}

CARXDrawingInformation::CARXDrawingInformation(const CARXDrawingInformation& other)
    : Pellam::CDrawingInformation(),
      m_pDatabase(other.m_pDatabase),
      m_sDrawingName(other.m_sDrawingName) {
    trace(_T("CARXDrawingInformation - copy constructor\n"));
    m_bValid = other.m_bValid;
    if (m_pDatabase != NULL) {
        PELLAM_VERIFY(m_bValid);
        m_pDwgData = new Pellam::CARXDrawingData(m_pDatabase, m_sDrawingName);
        m_bValid = true;
    } else {
        PELLAM_VERIFY(!m_bValid);
        m_bValid = false;
    }
}

CARXDrawingInformation& CARXDrawingInformation::operator=(const CARXDrawingInformation& other) {
    trace(_T("CARXDrawingInformation - operator =\n"));
    if (this == &other) {
        return *this;
    }
    m_pDatabase = other.m_pDatabase;
    m_sDrawingName = other.m_sDrawingName;
    if (m_bValid) {
        PELLAM_VERIFY(m_pDwgData != NULL);
    }
    delete m_pDwgData;
    m_pDwgData = NULL;
    if (m_pDatabase != NULL) {
        m_pDwgData = new Pellam::CARXDrawingData(m_pDatabase, m_sDrawingName);
        m_bValid = true;
    } else {
        m_bValid = false;
    }
    return *this;
}

CARXDrawingInformation::~CARXDrawingInformation() {
    trace(_T("CARXDrawingInformation::~CARXDrawingInformation()\n"));
}

void CARXDrawingInformation::buildBlocks() {
    trace(_T("CARXDrawingInformation::buildBlocks()\n"));
    PELLAM_VERIFY(m_vectorXREF.empty());
    PELLAM_VERIFY(m_vectorXREF_UNREFERENCED.empty());
    PELLAM_VERIFY(m_vectorBlocks.empty());
    AcDbBlockTable* pBlockTable = NULL;
    if (m_pDatabase == NULL ||
        !PELLAM_VERIFY(m_pDatabase->getBlockTable(pBlockTable, AcDb::kForRead) == Acad::eOk) ||
        !PELLAM_VERIFY(pBlockTable != NULL)) {
        return;
    }
    AcDbBlockTableIterator* pBlockTableIter = NULL;
    if (PELLAM_VERIFY(pBlockTable->newIterator(pBlockTableIter) == Acad::eOk) &&
        pBlockTableIter != NULL) {
        for (; !pBlockTableIter->done(); pBlockTableIter->step()) {
            AcDbBlockTableRecord* pBTR = NULL;
            if (!PELLAM_VERIFY(pBlockTableIter->getRecord(pBTR, AcDb::kForRead) == Acad::eOk) ||
                pBTR == NULL) {
                continue;
            }
            const bool bAnonymous = pBTR->isAnonymous();
            const bool bLayout = pBTR->isLayout();
            if (!bAnonymous && !bLayout) {
                const char* szName = NULL;
                if (PELLAM_VERIFY(pBTR->getName(szName) == Acad::eOk) && szName != NULL) {
                    const CString sName(szName);
                    if (pBTR->isFromExternalReference()) {
                        const char* szXREFPath = NULL;
                        PELLAM_VERIFY(pBTR->pathName(szXREFPath) == Acad::eOk);
                        const XrefRecord record = {sName, CString(szXREFPath)};
                        if (pBTR->xrefStatus() == AcDb::kXrfUnreferenced) {
                            m_vectorXREF_UNREFERENCED.push_back(record);
                        } else {
                            m_vectorXREF.push_back(record);
                        }
                    } else {
                        m_vectorBlocks.push_back(sName);
                    }
                }
            }
            PELLAM_VERIFY(pBTR->close() == Acad::eOk);
        }
        delete pBlockTableIter;
    }
    PELLAM_VERIFY(pBlockTable->close() == Acad::eOk);
}

void CARXDrawingInformation::buildLayers() {
    trace(_T("CARXDrawingInformation::buildLayers()\n"));
    PELLAM_VERIFY(m_vectorLayers.empty());
    AcDbLayerTable* pLayerTable = NULL;
    if (m_pDatabase == NULL ||
        !PELLAM_VERIFY(m_pDatabase->getLayerTable(pLayerTable, AcDb::kForRead) == Acad::eOk) ||
        !PELLAM_VERIFY(pLayerTable != NULL)) {
        return;
    }
    AcDbLayerTableIterator* pLayerTableIter = NULL;
    if (PELLAM_VERIFY(pLayerTable->newIterator(pLayerTableIter) == Acad::eOk) &&
        pLayerTableIter != NULL) {
        for (; !pLayerTableIter->done(); pLayerTableIter->step()) {
            AcDbLayerTableRecord* pLTR = NULL;
            if (!PELLAM_VERIFY(pLayerTableIter->getRecord(pLTR, AcDb::kForRead) == Acad::eOk) ||
                pLTR == NULL) {
                continue;
            }
            const char* szName = NULL;
            if (PELLAM_VERIFY(pLTR->getName(szName) == Acad::eOk) && szName != NULL) {
                m_vectorLayers.push_back(CString(szName));
            }
            PELLAM_VERIFY(pLTR->close() == Acad::eOk);
        }
        delete pLayerTableIter;
    }
    PELLAM_VERIFY(pLayerTable->close() == Acad::eOk);
}

void CARXDrawingInformation::buildRegisteredApplications() {
    trace(_T("CARXDrawingInformation::buildRegisteredApplications()\n"));
    PELLAM_VERIFY(m_vectorApplications.empty());
    AcDbRegAppTable* pRegAppTable = NULL;
    if (m_pDatabase == NULL ||
        !PELLAM_VERIFY(m_pDatabase->getRegAppTable(pRegAppTable, AcDb::kForRead) == Acad::eOk) ||
        !PELLAM_VERIFY(pRegAppTable != NULL)) {
        return;
    }
    AcDbRegAppTableIterator* pRegAppTableIter = NULL;
    if (PELLAM_VERIFY(pRegAppTable->newIterator(pRegAppTableIter) == Acad::eOk) &&
        pRegAppTableIter != NULL) {
        for (; !pRegAppTableIter->done(); pRegAppTableIter->step()) {
            AcDbRegAppTableRecord* pRATR = NULL;
            if (!PELLAM_VERIFY(pRegAppTableIter->getRecord(pRATR, AcDb::kForRead) == Acad::eOk) ||
                pRATR == NULL) {
                continue;
            }
            const char* szName = NULL;
            if (PELLAM_VERIFY(pRATR->getName(szName) == Acad::eOk) && szName != NULL) {
                m_vectorApplications.push_back(CString(szName));
            }
            PELLAM_VERIFY(pRATR->close() == Acad::eOk);
        }
        delete pRegAppTableIter;
    }
    PELLAM_VERIFY(pRegAppTable->close() == Acad::eOk);
}

void CARXDrawingInformation::buildGREVBlocks() {
    trace(_T("CARXDrawingInformation::buildGREVBlocks()\n"));
    PELLAM_VERIFY(m_bValid);
    PELLAM_VERIFY(m_vectorGREV.empty());
    const CString sName = getGREVBlockName();
    if (sName.IsEmpty() || m_pDatabase == NULL) {
        return;
    }
    AcDbBlockTable* pBlockTable = NULL;
    if (!PELLAM_VERIFY(m_pDatabase->getBlockTable(pBlockTable, AcDb::kForRead) == Acad::eOk) ||
        !PELLAM_VERIFY(pBlockTable != NULL)) {
        return;
    }
    AcDbBlockTableRecord* pBlockTableRecord = NULL;
    if (pBlockTable->getAt(sName, pBlockTableRecord, AcDb::kForRead) == Acad::eOk &&
        pBlockTableRecord != NULL) {
        AcDbObjectIdArray arrayBlockReferenceIDs;
        PELLAM_VERIFY(pBlockTableRecord->getBlockReferenceIds(arrayBlockReferenceIDs) == Acad::eOk);
        for (int i = 0; i < arrayBlockReferenceIDs.length(); ++i) {
            const AttributeMap mapAttributes =
                Pellam::getAttributesOfObjectId(arrayBlockReferenceIDs[i]);
            RevisionMarks mapMarks;
            for (const auto& attribute : mapAttributes) {
                mapMarks[attribute.first] = attribute.second.m_sText;
            }
            m_vectorGREV.push_back(mapMarks);
        }
        PELLAM_VERIFY(pBlockTableRecord->close() == Acad::eOk);
    }
    PELLAM_VERIFY(pBlockTable->close() == Acad::eOk);
}
