// The drawing data record: the title-block values of one drawing as text,
// filled from the drawing's title block through the title-block mapping, or
// from the project settings file when the drawing has no recognised title
// block, and written as the title-block lines of the drawing information file.
#pragma once

#include <afx.h>

#include "TitleBlock.h"

namespace Pellam {

class CDrawingData {
public:
    explicit CDrawingData(LPCTSTR sDrawingPath);
    virtual ~CDrawingData();
    CDrawingData(const CDrawingData&) = delete;
    CDrawingData& operator=(const CDrawingData&) = delete;

    // Title-block values, or the project defaults when there is no title block.
    virtual void fill();
    // The title-block lines, each beginning with its line feed.
    void write(CStdioFile& file) const;
    CTitleBlock* getTitleBlock() const;

    // The values, for the subclass and for tests.
    CString getTitleBlockHandle() const { return m_sTitleBlockHandle; }
    CString getDrawingTitle(int iLine) const;  // lines 1 to 4
    CString getJobTitle(int iLine) const;      // lines 1 to 4
    CString getDrawingNumber() const { return m_sDrawingNumber; }
    CString getDrawingStatus() const { return m_sDrawingStatus; }
    CString getJobNumber() const { return m_sJobNumber; }
    CString getTitleBlockScale() const { return m_sTitleBlockScale; }
    CString getOriginator() const { return m_sOriginator; }
    CString getIssueDate() const { return m_sIssueDate; }
    CString getRevision() const { return m_sRevision; }
    bool hasProjectDefaults() const { return m_bProjectDefaults; }

protected:
    void fillFromTitleBlock();
    void readProjectDefaults();
    // The project settings file that applies to the drawing.
    CString getProjectSettingsFile() const;

    CString m_sTitleBlockHandle;
    CString m_sDescription;
    CString m_asDrawingTitle[4];
    CString m_asJobTitle[4];
    CString m_sDrawingNumber;
    CString m_sDrawingStatus;
    CString m_sJobNumber;
    CString m_sJobSuffix;
    CString m_sTitleBlockScale;
    CString m_sOriginator;
    CString m_sIssueDate;
    CString m_sRevision;
    bool m_bProjectDefaults;
    bool m_bDataFilled;
    CString m_sDrawingPath;
    CTitleBlock* m_pTitle;
    bool m_bValid;
};

}  // namespace Pellam
