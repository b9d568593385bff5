// The title-block mapping: which title-block definition of the settings files
// applies to a drawing, and the translation of the system's own names for
// title-block values (map tags such as "DOCTITLE[1]") into the attribute tags
// of the block the drawing actually uses. Finding the block in the drawing
// and reading or writing its attributes belong to the subclass bound to the
// drawing database.
#pragma once

#include <afx.h>

#include <map>
#include <set>

class CTitleBlock {
public:
    explicit CTitleBlock(LPCTSTR sDrawingPath);
    virtual ~CTitleBlock();

    // Looks for the reference of borderName in the drawing; sets the instance
    // flag and the handle text when one is found.
    virtual void findBorder(LPCTSTR sBorderName) = 0;
    // Whether the drawing defines a block of the name; kept in m_bDefinition.
    virtual bool isBlockDefined(LPCTSTR sBlockName) = 0;
    // Reads the attributes of the reference found.
    virtual void readAttributes() = 0;
    virtual CString getAttribute(LPCTSTR sAttributeTag) = 0;
    virtual bool setAttribute(LPCTSTR sAttributeTag, LPCTSTR sValue) = 0;
    virtual bool hasAttribute(LPCTSTR sAttributeTag) = 0;

    // Maps the drawing's title block and looks for its reference.
    void search();
    // Whether a reference of the matched title block is in the drawing; while
    // none is found every question searches again.
    bool isInstance();
    // Whether a project settings file was found and read for the drawing.
    bool isProject() const;
    CString getProjectLabel() const;
    // The handle of the title-block reference, hexadecimal text.
    CString getHandle() const;

    // The project settings file that applies to the drawing: the nearest
    // folder upwards that holds one, or the bare file name when none does.
    static CString findProjectSettings(LPCTSTR sDrawingPath);
    // Tries the project, domain and standard settings files in turn.
    bool getMapping();
    bool getMappingFromFile(LPCTSTR sFile, bool bFromProject);

    // The value of a map tag ("" when unmapped), and setting it.
    CString get(LPCTSTR sMapTag);
    bool set(LPCTSTR sMapTag, LPCTSTR sValue);
    // Every map tag of the matched definition, in byte order.
    std::set<CString> getMapKeys();

protected:
    bool m_bSearch;
    bool m_bProject;
    bool m_bDefinition;
    bool m_bInstance;
    CString m_sHandle;
    CString m_sDrawingPath;
    CString m_sProjectLabel;
    // Map tag to attribute tag, copied from the matched definition.
    std::map<CString, CString> m_mapAttributes;
};
