// The title block in the drawing: its definition, its first reference and
// that reference's attributes.
#include "ARXTitleBlock.h"

#include "Messages.h"
#include "acutmem.h"
#include "dbapserv.h"
#include "dbents.h"
#include "dbsymtb.h"

using Pellam::Messages::trace;
using Pellam::Messages::traceFormat;

CARXTitleBlock::CARXTitleBlock(AcDbDatabase* pDatabase, LPCTSTR sDrawingPath)
    : CTitleBlock(sDrawingPath), m_pDatabase(pDatabase), m_sDrawingPath(sDrawingPath) {
    traceFormat(_T("CARXTitleBlock::CARXTitleBlock(\"%s\")\n"), sDrawingPath);
    PELLAM_VERIFY(m_pDatabase != NULL);
    search();
}

CARXTitleBlock::~CARXTitleBlock() {
    trace(_T("CARXTitleBlock::~CARXTitleBlock()\n"));
}

bool CARXTitleBlock::isBlockDefined(LPCTSTR sBlockName) {
    PELLAM_VERIFY(sBlockName != NULL);
    PELLAM_VERIFY(_tcslen(sBlockName) > 0);
    m_bDefinition = false;
    AcDbBlockTable* pBlockTable = NULL;
    if (m_pDatabase != NULL &&
        PELLAM_VERIFY(m_pDatabase->getBlockTable(pBlockTable, AcDb::kForRead) == Acad::eOk) &&
        PELLAM_VERIFY(pBlockTable != NULL)) {
        m_bDefinition = sBlockName != NULL && pBlockTable->has(sBlockName);
        PELLAM_VERIFY(pBlockTable->close() == Acad::eOk);
    }
    traceFormat(_T("isBlockDefined(\"%s\") - %d"), sBlockName != NULL ? sBlockName : _T(""),
                m_bDefinition ? 1 : 0);
    return m_bDefinition;
}

void CARXTitleBlock::findBorder(LPCTSTR sBorder) {
    traceFormat(_T("CARXTitleBlock::findBorder(\"%s\")\n"), sBorder);
    PELLAM_VERIFY(m_bDefinition);
    m_bInstance = false;

    AcDbBlockTable* pBlockTable = NULL;
    if (m_pDatabase == NULL ||
        m_pDatabase->getBlockTable(pBlockTable, AcDb::kForRead) != Acad::eOk) {
        pBlockTable = NULL;
    }
    if (!PELLAM_VERIFY(pBlockTable != NULL)) {
        return;
    }
    AcDbBlockTableRecord* pBlockTableRecord = NULL;
    PELLAM_VERIFY(pBlockTable->getAt(sBorder, pBlockTableRecord, AcDb::kForRead) == Acad::eOk);
    pBlockTable->close();
    if (!PELLAM_VERIFY(pBlockTableRecord != NULL)) {
        return;
    }

    AcDbObjectIdArray arrayBlockReferenceIDs;
    // Direct references only, without forcing validity (the call's defaults).
    PELLAM_VERIFY(pBlockTableRecord->getBlockReferenceIds(arrayBlockReferenceIDs) == Acad::eOk);
    // Only the first reference counts, in whatever space or block it stands.
    AcDbEntity* pEntity = NULL;
    if (!arrayBlockReferenceIDs.isEmpty() &&
        acdbOpenAcDbEntity(pEntity, arrayBlockReferenceIDs[0], AcDb::kForRead) == Acad::eOk) {
        const AcDbBlockReference* pBlockReference = AcDbBlockReference::cast(pEntity);
        if (PELLAM_VERIFY(pBlockReference != NULL)) {
            AcDbHandle handleBorder;
            pBlockReference->getAcDbHandle(handleBorder);
            PELLAM_VERIFY(!handleBorder.isNull());
            char szHandle[17] = {0};
            handleBorder.getIntoAsciiBuffer(szHandle);
            m_sHandle = szHandle;
            m_bInstance = true;
            PELLAM_VERIFY(pEntity->close() == Acad::eOk);
        } else {
            Pellam::closeUnexpectedObject(pEntity);
        }
    }
    PELLAM_VERIFY(pBlockTableRecord->close() == Acad::eOk);
}

void CARXTitleBlock::readAttributes() {
    PELLAM_VERIFY(m_bInstance);
    // The handle is looked up in the working database: a drawing that is not
    // the working one is made so for the time of the read.
    AcDbHostApplicationServices* pServices = acdbHostApplicationServices();
    AcDbDatabase* pWorkingDatabase = pServices->workingDatabase();
    const bool bValidDB = (pWorkingDatabase == m_pDatabase);
    if (!PELLAM_VERIFY(bValidDB)) {
        pServices->setWorkingDatabase(m_pDatabase);
    }
    m_mapAttributeData = Pellam::getAttributesOfHandle(m_sHandle);
    if (!bValidDB) {
        pServices->setWorkingDatabase(pWorkingDatabase);
    }
}

CString CARXTitleBlock::getAttribute(LPCTSTR sAttributeTag) {
    PELLAM_VERIFY(m_bInstance);
    const auto it = m_mapAttributeData.find(CString(sAttributeTag));
    if (it == m_mapAttributeData.end()) {
        return CString();
    }
    AcDbObject* pObject = NULL;
    if (acdbOpenAcDbObject(pObject, it->second.m_idObject, AcDb::kForRead) != Acad::eOk) {
        return CString();
    }
    const AcDbAttribute* pAttribute = AcDbAttribute::cast(pObject);
    if (!PELLAM_VERIFY(pAttribute != 0)) {
        Pellam::closeUnexpectedObject(pObject);
        return CString();
    }
    char* szText = pAttribute->textString();
    const CString sText(szText);
    acutDelString(szText);
    PELLAM_VERIFY(pObject->close() == Acad::eOk);
    return sText;
}

bool CARXTitleBlock::setAttribute(LPCTSTR sAttributeTag, LPCTSTR sValue) {
    PELLAM_VERIFY(m_bInstance);
    const auto it = m_mapAttributeData.find(CString(sAttributeTag));
    if (it == m_mapAttributeData.end()) {
        return false;
    }
    AcDbObject* pObject = NULL;
    if (acdbOpenAcDbObject(pObject, it->second.m_idObject, AcDb::kForWrite) != Acad::eOk) {
        return false;
    }
    AcDbAttribute* pAttribute = AcDbAttribute::cast(pObject);
    if (!PELLAM_VERIFY(pAttribute != 0)) {
        Pellam::closeUnexpectedObject(pObject);
        return false;
    }
    PELLAM_VERIFY(pAttribute->setTextString(sValue) == Acad::eOk);
    PELLAM_VERIFY(pObject->close() == Acad::eOk);
    return true;
}

bool CARXTitleBlock::hasAttribute(LPCTSTR sAttributeTag) {
    PELLAM_VERIFY(m_bInstance);
    return m_mapAttributeData.find(CString(sAttributeTag)) != m_mapAttributeData.end();
}
