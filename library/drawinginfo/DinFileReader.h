// The drawing information file read back: its header, the general section's
// keys and values, the revision marks, the tables of external references,
// blocks, layers and registered applications, and the preview decoded into
// the bitmap file it carries. The layout is the one CDrawingInformation
// writes; reading it also checks it (every section closed, the preview's
// sizes in agreement) and lists what is wrong, line by line, without giving
// up on the rest. Every size is capped before anything is allocated, so any
// bytes at all can be given to it.
#pragma once

#include <afx.h>

#include <string>
#include <utility>
#include <vector>

namespace Pellam {

class CDinFileReader {
public:
    // One "KEY value" line of the general section.
    struct Value {
        CString sKey;
        CString sValue;
        int iLine = 0;
    };
    // One <GREV> element: its lines less the element's own tab, the fields
    // written on a line of their own ("<REV>  B </REV>" gives REV and B), and
    // the description lines.
    struct Revision {
        std::vector<CString> vectorLines;
        std::vector<std::pair<CString, CString>> vectorFields;
        std::vector<CString> vectorDescription;
        int iLine = 0;
    };
    // An XREF or XREF_UNREFERENCED line.
    struct Reference {
        CString sName;
        CString sPath;
        bool bReferenced = true;
        int iLine = 0;
    };
    // The DWGTHUMBNAIL section: the declared size, the encoding, and the
    // bytes its Base64 text decodes to (a whole bitmap file).
    struct Thumbnail {
        bool bPresent = false;
        long iDeclaredSize = -1;  // the .SIZE line; -1 without one
        CString sEncoding;
        std::vector<unsigned char> vectorBytes;
        int iLine = 0;
    };

    // The largest file read, in bytes.
    static const size_t kMaxFileSize = 256u << 20;

    // Reads the file through the platform. False (see getError) when it
    // cannot be read, is too large, or is not a drawing information file at
    // all; a file that is one but has faults gives true and its problems.
    bool read(LPCTSTR sPath);
    // The same for bytes already read.
    bool parse(const char* pData, size_t iSize);
    // Lines of the layout without the file's first line: a section on its
    // own, such as the preview section that the module writes for a drawing.
    void parseFragment(const char* pData, size_t iSize);

    const CString& getError() const { return m_sError; }
    // What the check found: "line N: ...", in the order of the file.
    const std::vector<CString>& getProblems() const { return m_vectorProblems; }

    const CString& getWrittenAt() const { return m_sWrittenAt; }
    const CString& getActualName() const { return m_sActualName; }
    const CString& getDataFormat() const { return m_sDataFormat; }
    const CString& getGenerator() const { return m_sGenerator; }
    bool hasGeneral() const { return m_bGeneral; }
    const std::vector<Value>& getGeneral() const { return m_vectorGeneral; }
    // The value of a general key; "" when the file has none.
    CString getGeneralValue(LPCTSTR sKey) const;
    const std::vector<Revision>& getRevisions() const { return m_vectorRevisions; }
    const std::vector<Reference>& getReferences() const { return m_vectorReferences; }
    const std::vector<CString>& getBlocks() const { return m_vectorBlocks; }
    const std::vector<CString>& getLayers() const { return m_vectorLayers; }
    const std::vector<CString>& getApplications() const { return m_vectorApplications; }
    const Thumbnail& getThumbnail() const { return m_thumbnail; }

    // The first line of every drawing information file.
    static const char* const kFirstLine;

private:
    void reset();
    static std::vector<CString> splitLines(const char* pData, size_t iSize);
    void parseLines(const std::vector<CString>& vectorLines, size_t iFirst);
    void problem(int iLine, const CString& sText);
    void parseLine(int iLine, const CString& sLine);
    void parseGeneral(int iLine, const CString& sLine);
    void parseRevisionLine(int iLine, const CString& sLine);
    void parseTableLine(int iLine, const CString& sLine);
    void finishThumbnail();

    CString m_sError;
    std::vector<CString> m_vectorProblems;
    CString m_sWrittenAt;
    CString m_sActualName;
    CString m_sDataFormat;
    CString m_sGenerator;
    bool m_bGeneral = false;
    std::vector<Value> m_vectorGeneral;
    std::vector<Revision> m_vectorRevisions;
    std::vector<Reference> m_vectorReferences;
    std::vector<CString> m_vectorBlocks;
    std::vector<CString> m_vectorLayers;
    std::vector<CString> m_vectorApplications;
    Thumbnail m_thumbnail;

    // While reading: the open section ("" outside), where it began, whether a
    // <GREV> element and its description are open, the preview's text.
    CString m_sSection;
    int m_iSectionLine = 0;
    bool m_bRevisionOpen = false;
    bool m_bDescriptionOpen = false;
    std::string m_sBase64;
};

}  // namespace Pellam
