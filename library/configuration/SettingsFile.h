// Settings files: the project, domain and standard settings that carry the
// project's label and path, the job's number and title, the issue table and
// the title-block and mock-border definitions. A file is read completely when
// the object is made and never written.
#pragma once

#include <afx.h>

#include <map>
#include <utility>
#include <vector>

// One title-block or mock-border definition of a settings file.
struct CTitleBlockDefinition {
    // Each BORDER line: the border's name and the block's name (the second
    // quoted text up to its first ".").
    std::vector<std::pair<CString, CString>> m_vectorBorders;
    // Every other key of the definition (upper case) with its value.
    std::map<CString, CString> m_mapAttributes;
    CString m_sCategory;
    CString m_sDefaultLayer = "Z010LX000";
    bool m_bInsertable = false;  // INSERTABLE YES
    bool m_bModelSpace = false;  // DEFAULTSPACE MODEL
};

class CSettingsFile {
public:
    // Reads the file at once when it exists; a file that exists but cannot be
    // read is still valid and holds the values of an empty file.
    explicit CSettingsFile(LPCTSTR sPath);

    bool isValid() const { return m_bValid; }
    CString getPath() const { return m_sPath; }
    CString getProjectLabel() const { return m_sProjectLabel; }
    // Every PROJECTPATH entry, each preceded by ";".
    CString getProjectPath() const { return m_sProjectPath; }
    CString getIssueDirectory() const { return m_sIssueDirectory; }
    CString getJobNumber() const { return m_sJobNumber; }
    // The job title line with the zero-based index; "" beyond the last.
    CString getJobTitle(int iIndex) const;
    const std::vector<CString>& getJobTitleLines() const { return m_vectorJobTitle; }
    const std::vector<CString>& getClientTitleLines() const { return m_vectorClientTitle; }
    const std::vector<CString>& getDrawingStatusLines() const { return m_vectorDrawingStatus; }
    // Issue entries by upper-case key.
    const std::map<CString, CString>& getIssueTable() const { return m_mapIssue; }

    // The title-block definitions, or with bMockBorders the mock borders.
    int getRecordCount(bool bMockBorders) const;
    // The number of BORDER pairs of record iRecord; 0 when it is out of range.
    int getBorderCount(int iRecord, bool bMockBorders) const;
    // BORDER pair iBorder of record iRecord; two empty texts when out of range.
    std::pair<CString, CString> getBorder(int iRecord, int iBorder, bool bMockBorders) const;
    // Record iRecord, or NULL when it is out of range.
    const CTitleBlockDefinition* getRecord(int iRecord, bool bMockBorders) const;

    // The process-wide current selection, one for the title blocks and one for
    // the mock borders: the border block found in the drawing and a copy of
    // the definition it belongs to.
    static void resetCurrent(bool bMockBorders);
    static void setCurrentBorderName(const CString& sBorderName, bool bMockBorders);
    static CString getCurrentBorderName(bool bMockBorders);
    // Copies record iRecord of this file into the current selection; false
    // (and nothing changed) when iRecord is out of range.
    bool copyToCurrent(int iRecord, bool bMockBorders) const;
    static const CTitleBlockDefinition& getCurrentRecord(bool bMockBorders);

    // Settings files are small; a larger file is not used (a message says so).
    static const DWORD kMaximumFileSize = 4u * 1024u * 1024u;

private:
    struct ReadState;
    void clearValues();
    void read();
    void readLine(ReadState& state, const CString& sLine);
    CString resolveProjectPathEntry(const CString& sEntry) const;
    const std::vector<CTitleBlockDefinition>& records(bool bMockBorders) const {
        return bMockBorders ? m_vectorMockBorders : m_vectorTitleBlocks;
    }

    CString m_sPath;
    CString m_sProjectLabel;
    CString m_sProjectPath;
    CString m_sIssueDirectory;
    CString m_sJobNumber;
    std::vector<CString> m_vectorJobTitle;
    std::vector<CString> m_vectorClientTitle;
    std::vector<CString> m_vectorDrawingStatus;
    std::map<CString, CString> m_mapIssue;
    bool m_bValid;
    std::vector<CTitleBlockDefinition> m_vectorTitleBlocks;
    std::vector<CTitleBlockDefinition> m_vectorMockBorders;
};
