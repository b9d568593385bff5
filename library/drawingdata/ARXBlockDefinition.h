// The attributes of a block reference, collected into a map keyed by their
// tags, and the record of one attribute as read from the drawing. The title
// block and the revision marks both read their values through these helpers.
#pragma once

#include <afx.h>

#include <map>

#include "acdb.h"
#include "acadstrc.h"
#include "adscodes.h"
#include "dbid.h"
#include "gept3d.h"
#include "gevec3d.h"

class AcDbAttribute;
class AcDbBlockReference;
class AcDbObject;

// One attribute of a block reference.
class CAttributeData {
public:
    // Attribute flags, as the drawing interchange format numbers them.
    enum {
        kInvisible = 1,
        kConstant = 2,
        kVerifiable = 4,
        kPreset = 8,
    };
    // Text-generation flags.
    enum {
        kMirroredInX = 2,
        kMirroredInY = 4,
    };

    CAttributeData();
    // Reads the attribute with the id at once.
    explicit CAttributeData(AcDbObjectId idObject);
    // Reads the attribute from the object the caller has open.
    CAttributeData(AcDbObjectId idObject, const AcDbAttribute* pAttribute);

    // Reads every field from the attribute in the drawing; the host's status
    // of the open (or of the close). Not an attribute: nothing read, eOk.
    Acad::ErrorStatus readFromObject();

    AcDbObjectId m_idObject;
    bool m_bValid;
    CString m_sTag;
    CString m_sText;
    DWORD m_dwFlags;
    unsigned short m_iFieldLength;
    AcGePoint3d m_ptPosition;
    AcGePoint3d m_ptAlignment;
    AcGeVector3d m_vecNormal;
    double m_dHeight;
    double m_dRotation;
    double m_dWidthFactor;
    double m_dOblique;
    double m_dThickness;
    AcDb::TextHorzMode m_horizontalMode;
    AcDb::TextVertMode m_verticalMode;
    DWORD m_dwMirror;

private:
    // Every field, in the order the editor's attribute gives them.
    void readFields(const AcDbAttribute* pAttribute);
};

// Attribute tag to attribute; a tag occurs once, the later attribute wins.
typedef std::map<CString, CAttributeData> AttributeMap;

namespace Pellam {

// The attributes of the block reference with the handle (hexadecimal text) in
// the working database; an empty map when the handle names no block reference.
AttributeMap getAttributesOfHandle(LPCTSTR hBlockReference);
// The same from an entity name of the working database.
AttributeMap getAttributesOfEntityName(const ads_name eBlockReference);
// The same from an object id; any other object, or one that does not open,
// gives an empty map.
AttributeMap getAttributesOfObjectId(AcDbObjectId idBlockReference);
// The attributes of an open block reference, in the order it holds them.
AttributeMap getAttributesOfReference(const AcDbBlockReference* pBlockReference);

// Closes an object that was opened as one class and turned out to be another.
// A close that fails leaves the drawing in a state nothing can go on from:
// the editor is stopped.
void closeUnexpectedObject(AcDbObject* pObject);

}  // namespace Pellam
