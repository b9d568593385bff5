// The drawing data record: its title-block lines by their bytes, filled from
// the title block, from the project settings without one, and the drawing
// title from the summary information or the earlier product's records.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "../configuration/CommandLine.h"
#include "ARXDrawingData.h"
#include "ARXDrawingProperties.h"
#include "SettingsDrawing.h"
#include "TitleBlockMachine.h"
#include "dbapserv.h"
#include "summinfo.h"

using brevant::test::readFile;

namespace {

const char kProject[] =
    "JOBNUMBER\n{\nJ1\n}\n"
    "JOBTITLE\n{\nJob Line One\nJob Line Two\n}\n"
    "TITLEBLOCKS\n{\nBORDER \"sheet\" \"TB.dwg\"\n"
    "DOCTITLE[1] T1\nDOCTITLE[2] T2\nDOCTITLE[3] T3\nDOCTITLE[4] T4\n"
    "JOBTITLE[1] J1\nJOBTITLE[2] J2\nJOBTITLE[3] J3\nJOBTITLE[4] J4\n"
    "REVISION REV\nJOBNUMBER JOBNO\nSCALE SC\nORIGINATOR BY\nISSUEDATE DATE\n"
    "STATUS ST\nDOCNUMBER NO\n}\n";

class DrawingData : public brevant::test::TitleBlockMachine {
protected:
    void SetUp() override {
        TitleBlockMachine::SetUp();
        writeProjectSettings("X:\\Jobs\\J1", kProject);
        newDrawing();
    }
    // The record filled and written, as the drawing information file holds it.
    std::string written(AcDbDatabase* pDb, const char* sDrawing) {
        Pellam::CARXDrawingData data(pDb, sDrawing);
        data.fill();
        const std::string sFile = m_dir.file("lines.txt");
        CStdioFile file;
        EXPECT_TRUE(
            file.Open(sFile.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeText));
        data.write(file);
        file.Close();
        return readFile(sFile);
    }
    static std::string lines(const std::vector<std::string>& vectorValues) {
        const char* const sKeys[] = {
            "TBHANDLE",  "DWGTITLE1",  "DWGTITLE2", "DWGTITLE3", "DWGTITLE4", "JOBTITLE1",
            "JOBTITLE2", "JOBTITLE3",  "JOBTITLE4", "DWGSTATUS", "JOBNUMBER", "JOBSUFFIX",
            "TBSCALE",   "ORIGINATOR", "ISSUEDATE", "REVISION",  "DWGNUMBER", "DESCRIPTION"};
        std::string sLines;
        for (size_t i = 0; i < 18; ++i) {
            std::string sKey = sKeys[i];
            sKey.resize(12, ' ');
            sLines += "\r\n" + sKey + (i < vectorValues.size() ? vectorValues[i] : "");
        }
        return sLines;
    }
    static void setSummaryTitle(AcDbDatabase* pDb, const char* sTitle) {
        AcDbDatabaseSummaryInfo* pInfo = nullptr;
        ASSERT_EQ(acdbGetSummaryInfo(pDb, pInfo), Acad::eOk);
        EXPECT_EQ(pInfo->setTitle(sTitle), Acad::eOk);
        EXPECT_EQ(acdbPutSummaryInfo(pInfo), Acad::eOk);
        delete pInfo;
    }
    static std::string summaryTitle(AcDbDatabase* pDb) {
        CARXDrawingProperties properties(pDb);
        return std::string(properties.getTitle());
    }
};

}  // namespace

TEST_F(DrawingData, EighteenLinesEvenWhenEmpty) {
    EXPECT_EQ(written(m_pDb, "X:\\Jobs\\None\\sheet.dwg"), lines({}));
    EXPECT_EQ(lines({}).substr(0, 28), "\r\nTBHANDLE    \r\nDWGTITLE1   ");
    EXPECT_EQ(lines({}).substr(lines({}).size() - 14), "\r\nDESCRIPTION ");
}

TEST_F(DrawingData, EveryFieldFromTheTitleBlock) {
    defineBlock("TB", {"T1", "T2", "T3", "J1", "REV", "JOBNO", "SC", "BY", "DATE", "ST", "NO"});
    const std::string sHandle = insert("TB", {{"T1", "Quay Wall"},
                                              {"T2", " two  blanks "},
                                              {"J1", "From Block"},
                                              {"REV", "C"},
                                              {"JOBNO", "J1-B"},
                                              {"SC", "1:50"},
                                              {"BY", "AB"},
                                              {"DATE", "04.12.26"},
                                              {"ST", "FINAL"},
                                              {"NO", "A100 102"}});
    // T4, J2 to J4 are mapped but not on the block: empty, and the job title
    // is not taken from the project settings.
    EXPECT_EQ(written(m_pDb, "X:\\Jobs\\J1\\sheet.dwg"),
              lines({sHandle, "Quay Wall", " two  blanks ", "", "", "From Block", "", "", "",
                     "FINAL", "J1-B", "", "1:50", "AB", "04.12.26", "C", "A100 102", ""}));
}

TEST_F(DrawingData, ProjectDefaultsWithoutTitleBlock) {
    EXPECT_EQ(written(m_pDb, "X:\\Jobs\\J1\\sub\\sheet.dwg"),
              lines({"", "", "", "", "", "Job Line One", "Job Line Two", "", "", "", "J1"}));
}

TEST_F(DrawingData, TitleFromTheSummaryOnlyWithoutTitleBlock) {
    setSummaryTitle(m_pDb, "Summary Title");
    EXPECT_EQ(written(m_pDb, "X:\\Jobs\\None\\sheet.dwg"), lines({"", "Summary Title"}));

    // With a title block whose titles are empty the summary is not asked.
    defineBlock("TB", {"T1"});
    const std::string sHandle = insert("TB", {{"T1", ""}});
    EXPECT_EQ(written(m_pDb, "X:\\Jobs\\J1\\sheet.dwg"), lines({sHandle}));
}

TEST_F(DrawingData, TheOldTitleMovesIntoTheSummaryOnce) {
    using namespace brevant::test;
    WorkingDrawing drawing(
        settingsDrawingText({{"LINE", "1A",
                              settingsXData({"  _PellamDIszDwgTitle1 Old  Survey Plan",
                                             "no-blank-here", "_PellamDIszDwgNumber1 X-9"})},
                             {"CIRCLE", "1B", {}}}));
    ASSERT_TRUE(drawing.valid());
    AcDbDatabase* pDb = drawing.database();
    EXPECT_EQ(summaryTitle(pDb), "");

    Pellam::CARXDrawingData first(pDb, "X:\\Jobs\\None\\old.dwg");
    EXPECT_EQ(first.readR14XDATA(),
              (std::map<CString, CString>{{"_PellamDIszDwgTitle1", "Old  Survey Plan"},
                                          {"_PellamDIszDwgNumber1", "X-9"}}));
    takeCommandLine();
    first.fill();
    EXPECT_STREQ(first.getDrawingTitle(1), "Old  Survey Plan");
    EXPECT_EQ(summaryTitle(pDb), "Old  Survey Plan");
    EXPECT_NE(
        takeCommandLine().find(traceLine("Title read from old XDATA (\"Old  Survey Plan\").")),
        std::string::npos);

    // The next record finds the title in the summary, not in the old records.
    Pellam::CARXDrawingData second(pDb, "X:\\Jobs\\None\\old.dwg");
    second.fill();
    EXPECT_STREQ(second.getDrawingTitle(1), "Old  Survey Plan");
    EXPECT_EQ(takeCommandLine().find("readR14XDATA"), std::string::npos);
}

TEST_F(DrawingData, OldRecordsAreNotReadDuringReferenceEditing) {
    using namespace brevant::test;
    WorkingDrawing drawing(settingsDrawingText(
        {{"LINE", "1A", settingsXData({"_PellamDIszDwgTitle1 Old Title"})}, {"CIRCLE", "1B", {}}}));
    AcDbDatabase* pDb = drawing.database();
    AcDbDatabase* pHost = new AcDbDatabase(true, true);
    acdbHostApplicationServices()->setWorkingDatabase(pHost);
    takeCommandLine();
    {
        Pellam::CARXDrawingData data(pDb, "X:\\Jobs\\None\\old.dwg");
        data.fill();
        EXPECT_STREQ(data.getDrawingTitle(1), "");
    }
    EXPECT_NE(takeCommandLine().find(traceLine("Ignoring Ternis R14 settings during refedit.")),
              std::string::npos);
    acdbHostApplicationServices()->setWorkingDatabase(pDb);
    delete pHost;
    EXPECT_EQ(summaryTitle(pDb), "");
}
