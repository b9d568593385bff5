// The drawing data record bound to an open drawing database: it creates the
// drawing's title block and, when the drawing has no recognised title block,
// takes the drawing title from the drawing's summary information or from the
// settings records of the earlier product (copying such an old title into the
// summary information once, so that later saves find it there).
#pragma once

#include <afx.h>

#include <map>

#include "DrawingData.h"

class AcDbDatabase;

namespace Pellam {

class CARXDrawingData : public CDrawingData {
public:
    CARXDrawingData(AcDbDatabase* pDatabase, LPCTSTR sDrawingPath);
    ~CARXDrawingData() override;

    void fill() override;

    CString readTitleFromSummaryInfo();
    void writeTitleIntoSummaryInfo(LPCTSTR sTitle);
    // The earlier product's settings records of the drawing, name to value.
    std::map<CString, CString> readR14XDATA();
    CString readR14TitleFromXDATA();
    void hackDwgTitleFromSummaryAndXDATA();

    // Whether sPath (a full path or a bare file name) is a drawing with a name
    // of its own: its extension is "dwg" in any letter case, and its title is
    // not one of the editor's default names ("drawing" with or without
    // digits, "unnamed drawing", in any letter case).
    static bool isValidFileName(LPCTSTR sPath);

private:
    AcDbDatabase* m_pDatabase;
    CString m_sDrawingPath;
};

}  // namespace Pellam
