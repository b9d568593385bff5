// The drawing information of one drawing between the start of a save and its
// completion, and its writer: the .din file in the drawing's docinfo folder
// that the document manager reads (general facts, the title-block values, the
// revision marks, the external references, blocks, layers and registered
// applications, and the preview).
#pragma once

#include <afx.h>

#include <map>
#include <vector>

#include "DrawingData.h"

// Anything that writes a drawing information file.
class CDinFileWriter {
public:
    virtual ~CDinFileWriter();
    virtual bool WriteDinFile(LPCTSTR sPath) = 0;
};

namespace Pellam {

class CDrawingInformation : public CDinFileWriter {
public:
    // An external reference: its block name, then the path its definition stores.
    typedef std::vector<CString> XrefRecord;
    // One revision block reference: attribute tag to text, in byte order of the tags.
    typedef std::map<CString, CString> RevisionMarks;

    CDrawingInformation();
    // Owns the record from now on; valid when there is one.
    explicit CDrawingInformation(CDrawingData* pDwgData);
    ~CDrawingInformation() override;
    CDrawingInformation(const CDrawingInformation&) = delete;
    CDrawingInformation& operator=(const CDrawingInformation&) = delete;

    // Writes the .din file of the drawing whose full path is sPath. False (and
    // nothing written) when the docinfo folder cannot be had; a file that
    // cannot be written raises the file exception, and the previous file, if
    // any, stays whole.
    bool WriteDinFile(LPCTSTR sPath) override;
    virtual void buildGREVBlocks() = 0;
    virtual void buildBlocks() = 0;
    virtual void buildLayers() = 0;
    virtual void buildRegisteredApplications() = 0;

    // Fills the drawing data record and every collection, once.
    void build();

    // The name of the revision block definition; "" when revision blocks are
    // not looked for.
    CString getGREVBlockName();
    // The drawing information file of the drawing sPath in the docinfo folder
    // sDocInfoFolder (ending in a backslash): title, "-", extension, ".din".
    static CString dinFileName(LPCTSTR sDocInfoFolder, LPCTSTR sPath);
    // The name in double quotes when it holds a blank or a tab.
    static CString quoteIfBlank(const CString& sName);
    // The drawing's folder as the document manager knows it: a mapped drive as
    // its network share, a local drive as \\LOCAL:<folder>, a UNC path as is.
    static CString drawingFolderForm(LPCTSTR sPath);

    bool isValid() const { return m_bValid; }
    const CDrawingData* getDrawingData() const { return m_pDwgData; }
    const std::vector<XrefRecord>& getXrefs() const { return m_vectorXREF; }
    const std::vector<XrefRecord>& getUnreferencedXrefs() const {
        return m_vectorXREF_UNREFERENCED;
    }
    const std::vector<CString>& getBlocks() const { return m_vectorBlocks; }
    const std::vector<CString>& getLayers() const { return m_vectorLayers; }
    const std::vector<CString>& getApplications() const { return m_vectorApplications; }
    const std::vector<RevisionMarks>& getRevisionMarks() const { return m_vectorGREV; }

protected:
    // Writes the whole file's content into an open text file.
    void writeContent(CStdioFile& file, LPCTSTR sPath);
    // The sections append to the text that the writer then writes.
    void dumpGREVBlocks(CString& sText);
    void dumpXREFBlocks(CString& sText, const std::vector<XrefRecord>& vectorRecords,
                        LPCTSTR sKeyword);
    static void appendNames(CString& sText, LPCTSTR sKeyword,
                            const std::vector<CString>& vectorNames);

    CDrawingData* m_pDwgData;
    bool m_bValid;
    std::vector<XrefRecord> m_vectorXREF;
    std::vector<XrefRecord> m_vectorXREF_UNREFERENCED;
    std::vector<CString> m_vectorBlocks;
    std::vector<CString> m_vectorLayers;
    std::vector<CString> m_vectorApplications;
    std::vector<RevisionMarks> m_vectorGREV;
};

}  // namespace Pellam
