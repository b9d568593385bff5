// Collecting the attributes of block references.
#include "ARXBlockDefinition.h"

#include "Messages.h"
#include "acutmem.h"
#include "adslib.h"
#include "dbents.h"
#include "rxregsvc.h"

CAttributeData::CAttributeData()
    : m_bValid(false),
      m_dwFlags(0),
      m_iFieldLength(0),
      m_dHeight(0.0),
      m_dRotation(0.0),
      m_dWidthFactor(1.0),
      m_dOblique(0.0),
      m_dThickness(0.0),
      m_horizontalMode(AcDb::kTextLeft),
      m_verticalMode(AcDb::kTextBase),
      m_dwMirror(0) {}

CAttributeData::CAttributeData(AcDbObjectId idObject) : CAttributeData() {
    m_idObject = idObject;
    readFromObject();
}

CAttributeData::CAttributeData(AcDbObjectId idObject, const AcDbAttribute* pAttribute)
    : CAttributeData() {
    m_idObject = idObject;
    readFields(pAttribute);
}

void CAttributeData::readFields(const AcDbAttribute* pAttribute) {
    m_iFieldLength = pAttribute->fieldLength();
    m_dwFlags = 0;
    if (pAttribute->isConstant()) {
        m_dwFlags |= kConstant;
    }
    if (pAttribute->isInvisible()) {
        m_dwFlags |= kInvisible;
    }
    if (pAttribute->isPreset()) {
        m_dwFlags |= kPreset;
    }
    if (pAttribute->isVerifiable()) {
        m_dwFlags |= kVerifiable;
    }
    char* szTag = pAttribute->tag();
    m_sTag = szTag;
    acutDelString(szTag);
    m_ptAlignment = pAttribute->alignmentPoint();
    m_dHeight = pAttribute->height();
    m_horizontalMode = pAttribute->horizontalMode();
    m_dwMirror = 0;
    if (pAttribute->isMirroredInX()) {
        m_dwMirror |= kMirroredInX;
    }
    if (pAttribute->isMirroredInY()) {
        m_dwMirror |= kMirroredInY;
    }
    m_vecNormal = pAttribute->normal();
    m_dOblique = pAttribute->oblique();
    m_ptPosition = pAttribute->position();
    m_dRotation = pAttribute->rotation();
    char* szText = pAttribute->textString();
    m_sText = szText;
    acutDelString(szText);
    m_dThickness = pAttribute->thickness();
    m_verticalMode = pAttribute->verticalMode();
    m_dWidthFactor = pAttribute->widthFactor();

    m_bValid = true;
}

Acad::ErrorStatus CAttributeData::readFromObject() {
    m_bValid = false;
    AcDbObject* pObject = NULL;
    const Acad::ErrorStatus esOpen = acdbOpenAcDbObject(pObject, m_idObject, AcDb::kForRead);
    if (esOpen != Acad::eOk) {
        return esOpen;
    }
    const AcDbAttribute* pAttribute = AcDbAttribute::cast(pObject);
    if (pAttribute == NULL) {
        Pellam::closeUnexpectedObject(pObject);
        return Acad::eOk;
    }

    readFields(pAttribute);
    return pObject->close();
}

namespace Pellam {

AttributeMap getAttributesOfHandle(LPCTSTR hBlockReference) {
    ads_name eBlockReference = {0, 0};
    if (!PELLAM_VERIFY(acdbHandEnt(hBlockReference, eBlockReference) == 5100)) {
        return AttributeMap();
    }
    return getAttributesOfEntityName(eBlockReference);
}

AttributeMap getAttributesOfEntityName(const ads_name eBlockReference) {
    AcDbObjectId idBlockReference;
    if (!PELLAM_VERIFY(acdbGetObjectId(idBlockReference, eBlockReference) == Acad::eOk)) {
        return AttributeMap();
    }
    return getAttributesOfObjectId(idBlockReference);
}

AttributeMap getAttributesOfObjectId(AcDbObjectId idBlockReference) {
    AcDbObject* pObject = NULL;
    if (acdbOpenAcDbObject(pObject, idBlockReference, AcDb::kForRead) != Acad::eOk) {
        return AttributeMap();
    }
    const AcDbBlockReference* pBlockReference = AcDbBlockReference::cast(pObject);
    if (pBlockReference == NULL) {
        closeUnexpectedObject(pObject);
        return AttributeMap();
    }
    AttributeMap mapAttributes = getAttributesOfReference(pBlockReference);
    pObject->close();
    return mapAttributes;
}

AttributeMap getAttributesOfReference(const AcDbBlockReference* pBlockReference) {
    AttributeMap mapAttributes;
    if (pBlockReference == NULL) {
        return mapAttributes;
    }
    AcDbObjectIterator* pIterator = pBlockReference->attributeIterator();
    if (pIterator == NULL) {
        return mapAttributes;
    }
    for (; !pIterator->done(); pIterator->step(false, true)) {
        const AcDbObjectId idAttribute = pIterator->objectId();
        AcDbObject* pObject = NULL;
        if (acdbOpenAcDbObject(pObject, idAttribute, AcDb::kForRead) != Acad::eOk) {
            continue;
        }
        const AcDbAttribute* pAttribute = AcDbAttribute::cast(pObject);
        if (pAttribute == NULL) {
            closeUnexpectedObject(pObject);
            continue;
        }
        const CAttributeData attribute(idAttribute, pAttribute);
        mapAttributes[attribute.m_sTag] = attribute;
        pObject->close();
    }
    delete pIterator;
    return mapAttributes;
}

void closeUnexpectedObject(AcDbObject* pObject) {
    if (pObject->close() != Acad::eOk) {
        acrx_abort("%s", "Failed AcDbObject::close()");
    }
}

}  // namespace Pellam
