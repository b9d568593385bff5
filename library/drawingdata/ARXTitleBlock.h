// The title block bound to one drawing database: which blocks the drawing
// defines, the reference of the matched title block, and its attributes.
#pragma once

#include <afx.h>

#include "ARXBlockDefinition.h"
#include "TitleBlock.h"

class AcDbDatabase;

class CARXTitleBlock : public CTitleBlock {
public:
    // Searches for the title block at once.
    CARXTitleBlock(AcDbDatabase* pDatabase, LPCTSTR sDrawingPath);
    ~CARXTitleBlock() override;

    void findBorder(LPCTSTR sBorder) override;
    bool isBlockDefined(LPCTSTR sBlockName) override;
    void readAttributes() override;
    // The attribute's text, read fresh from the drawing; "" when the tag is
    // not on the reference or its attribute no longer opens.
    CString getAttribute(LPCTSTR sAttributeTag) override;
    // True once the attribute was opened for write, whether or not the
    // editor took the text.
    bool setAttribute(LPCTSTR sAttributeTag, LPCTSTR sValue) override;
    bool hasAttribute(LPCTSTR sAttributeTag) override;

private:
    AcDbDatabase* m_pDatabase;
    CString m_sDrawingPath;
    AttributeMap m_mapAttributeData;
};
