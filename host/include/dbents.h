// Entities the editor models: text, attributes, attribute definitions and block
// references. Every other entity of a drawing is an AcDbEntity that keeps its
// data as read.
#pragma once

#include "dbidar.h"
#include "dbmain.h"
#include "gept3d.h"
#include "gevec3d.h"

class AcDbText : public AcDbEntity {
public:
    AcDbText();
    const char* className() const override;
    static AcDbText* cast(const AcRxObject* p) {
        return dynamic_cast<AcDbText*>(const_cast<AcRxObject*>(p));
    }

    AcGePoint3d position() const;
    Acad::ErrorStatus setPosition(const AcGePoint3d& p);
    AcGePoint3d alignmentPoint() const;
    AcGeVector3d normal() const;
    double thickness() const;
    double oblique() const;
    double rotation() const;
    double height() const;
    Acad::ErrorStatus setHeight(double h);
    double widthFactor() const;
    // The text as a copy that the caller releases with acutDelString.
    char* textString() const;
    Acad::ErrorStatus setTextString(const char* text);
    bool isMirroredInX() const;
    bool isMirroredInY() const;
    AcDb::TextHorzMode horizontalMode() const;
    AcDb::TextVertMode verticalMode() const;

protected:
    AcDbText(const char* dxfName, const char* const* subclassMarkers);
    // The group code of the vertical mode: 73 in text, 74 in attributes.
    virtual int verticalModeCode() const { return 73; }
};

class AcDbAttribute : public AcDbText {
public:
    AcDbAttribute();
    const char* className() const override;
    static AcDbAttribute* cast(const AcRxObject* p) {
        return dynamic_cast<AcDbAttribute*>(const_cast<AcRxObject*>(p));
    }

    // The tag as a copy that the caller releases with acutDelString.
    char* tag() const;
    Acad::ErrorStatus setTag(const char* newTag);
    bool isInvisible() const;
    bool isConstant() const;
    bool isVerifiable() const;
    bool isPreset() const;
    Adesk::UInt16 fieldLength() const;

protected:
    int verticalModeCode() const override { return 74; }
};

class AcDbAttributeDefinition : public AcDbText {
public:
    AcDbAttributeDefinition();
    const char* className() const override;
    static AcDbAttributeDefinition* cast(const AcRxObject* p) {
        return dynamic_cast<AcDbAttributeDefinition*>(const_cast<AcRxObject*>(p));
    }
    char* tag() const;
    char* prompt() const;
    bool isConstant() const;

protected:
    int verticalModeCode() const override { return 74; }
};

// Walks the entities that belong to another (the attributes of a block reference).
class AcDbObjectIterator {
public:
    virtual ~AcDbObjectIterator();
    bool done() const;
    void step(bool backwards = false, bool skipErasedEntity = true);
    void start(bool atEnd = false);
    AcDbObjectId objectId() const;
    // The entity itself, when it is open; otherwise NULL.
    AcDbEntity* entity();

    // Host side: an iterator over the given ids.
    explicit AcDbObjectIterator(const AcDbObjectIdArray& ids);

private:
    void skipErased(bool backwards);
    AcDbObjectIdArray m_ids;
    int m_pos = 0;
};

class AcDbBlockReference : public AcDbEntity {
public:
    AcDbBlockReference();
    AcDbBlockReference(const AcGePoint3d& position, AcDbObjectId blockTableRec);
    const char* className() const override;
    static AcDbBlockReference* cast(const AcRxObject* p) {
        return dynamic_cast<AcDbBlockReference*>(const_cast<AcRxObject*>(p));
    }

    // The block table record of the referenced block.
    AcDbObjectId blockTableRecord() const;
    Acad::ErrorStatus setBlockTableRecord(AcDbObjectId id);
    AcGePoint3d position() const;
    Acad::ErrorStatus setPosition(const AcGePoint3d& p);
    // The reference's attributes in drawing order; the caller deletes it.
    AcDbObjectIterator* attributeIterator() const;
    // Adds a new attribute to the reference (open for write, in a database);
    // the attribute then belongs to the database and stays open for write.
    Acad::ErrorStatus appendAttribute(AcDbAttribute* pAttr);
    Acad::ErrorStatus appendAttribute(AcDbObjectId& id, AcDbAttribute* pAttr);
};
