// Settings files: every section, the project path, the issue table, the
// title-block and mock-border records, the current selection, and files that
// are missing, empty, binary, enormous or badly formed.
#include <gtest/gtest.h>

#include <brevant/platform.h>

#include <string>
#include <tuple>

#include "CommandLine.h"
#include "SettingsFile.h"
#include "TempDir.h"

using brevant::test::TempDir;
using brevant::test::writeFile;

namespace {

std::string describeRecord(const CTitleBlockDefinition& record) {
    std::string sText = "borders(";
    for (size_t i = 0; i < record.m_vectorBorders.size(); ++i) {
        sText += (i ? "," : "") + std::string(record.m_vectorBorders[i].first) + ">" +
                 std::string(record.m_vectorBorders[i].second);
    }
    sText += ") cat=" + std::string(record.m_sCategory) +
             " layer=" + std::string(record.m_sDefaultLayer) +
             " ins=" + (record.m_bInsertable ? "1" : "0") +
             " model=" + (record.m_bModelSpace ? "1" : "0") + " map(";
    bool bFirst = true;
    for (const auto& entry : record.m_mapAttributes) {
        sText += (bFirst ? "" : ",") + std::string(entry.first) + "=" + std::string(entry.second);
        bFirst = false;
    }
    return sText + ")";
}

std::string joinLines(const std::vector<CString>& vectorLines) {
    std::string sText;
    for (size_t i = 0; i < vectorLines.size(); ++i) {
        sText += (i ? "|" : "") + std::string(vectorLines[i]);
    }
    return sText;
}

// Everything a settings file holds, one line per member; lists joined by "|".
std::string describe(const CSettingsFile& settings) {
    std::string sText;
    sText += "valid=" + std::string(settings.isValid() ? "1" : "0") + "\n";
    sText += "label=" + std::string(settings.getProjectLabel()) + "\n";
    sText += "path=" + std::string(settings.getProjectPath()) + "\n";
    sText += "issuedir=" + std::string(settings.getIssueDirectory()) + "\n";
    sText += "job=" + std::string(settings.getJobNumber()) + "\n";
    sText += "title=" + joinLines(settings.getJobTitleLines()) + "\n";
    sText += "client=" + joinLines(settings.getClientTitleLines()) + "\n";
    sText += "status=" + joinLines(settings.getDrawingStatusLines()) + "\n";
    sText += "issue=";
    bool bFirst = true;
    for (const auto& entry : settings.getIssueTable()) {
        sText += (bFirst ? "" : "|") + std::string(entry.first) + "=" + std::string(entry.second);
        bFirst = false;
    }
    sText += "\n";
    for (int iList = 0; iList < 2; ++iList) {
        for (int i = 0; i < settings.getRecordCount(iList == 1); ++i) {
            sText += (iList ? "mb" : "tb") + std::to_string(i) + "=" +
                     describeRecord(*settings.getRecord(i, iList == 1)) + "\n";
        }
    }
    return sText;
}

const char kDefaultIssueDirectory[] = "<PROJECTSETTINGS>\\outgoing\\<DATE:%Y-%m-%d>";

// The description of a file without any section, with the lines that differ.
std::string expected(const std::string& sLabel = "", const std::string& sPath = "",
                     const std::string& sJob = "", const std::string& sTitle = "",
                     const std::string& sIssue = "", const std::string& sRecords = "",
                     const std::string& sIssueDirectory = kDefaultIssueDirectory,
                     const std::string& sClient = "", const std::string& sStatus = "") {
    return "valid=1\nlabel=" + sLabel + "\npath=" + sPath + "\nissuedir=" + sIssueDirectory +
           "\njob=" + sJob + "\ntitle=" + sTitle + "\nclient=" + sClient + "\nstatus=" + sStatus +
           "\nissue=" + sIssue + "\n" + sRecords;
}

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        brevant::platform::clearDriveMap();
        brevant::platform::mapDrive("P", m_dir.path());
    }
    void TearDown() override { brevant::platform::clearDriveMap(); }

    // Writes the file as P:\job\ProjectSettings.txt and reads it.
    std::string read(const std::string& sContent) {
        writeFile(m_dir.file("job/ProjectSettings.txt"), sContent);
        return describe(CSettingsFile("P:\\job\\ProjectSettings.txt"));
    }

    TempDir m_dir;
};

TEST_F(SettingsFileTest, Sections) {
    const std::string sRecordDefaults = " cat= layer=Z010LX000 ins=0 model=0 map()\n";
    struct Case {
        const char* sContent;
        std::string sExpected;
    } cases[] = {
        // 0: empty, then only comments and blank lines: the issue directory
        // takes its default, everything else is empty.
        {"", expected()},
        {"# comment\n\n   \n// another\n\t\n", expected()},
        // 2: every single-value and list section, with and without braces.
        {"PROJECTLABEL\n{\nA100 Harbour\n}\nJOBNUMBER\n{\nA100\n}\n"
         "JOBTITLE\n{\nHarbour Works\nPhase 2\n}\nCLIENTTITLE\n{\nPort Authority\n}\n"
         "DWGSTATUS\n{\nPRELIMINARY\nFOR CONSTRUCTION\n}\nISSUEDIRECTORY\n{\nC:\\Out\n}\n",
         expected("A100 Harbour", "", "A100", "Harbour Works|Phase 2", "", "", "C:\\Out",
                  "Port Authority", "PRELIMINARY|FOR CONSTRUCTION")},
        // 3: the project path: "." is the file's folder with its backslash, a
        // relative entry is joined without one, absolute entries stay.
        {"PROJECTPATH\n{\n.\nxrefs\nC:\\lib\n\\\\srv\\share\n/usr/lib\n}\n",
         expected("", ";P:\\job\\;P:\\job\\xrefs;C:\\lib;\\\\srv\\share;/usr/lib")},
        // 4: comments only at the start of a line; a "#" later is value.
        {"JOBNUMBER\n{\n#A99\n//A98\nA100 # main job\n}\n", expected("", "", "A100 # main job")},
        // 5: the last line wins, across two sections too.
        {"PROJECTLABEL\n{\nFirst\nSecond\n}\nPROJECTLABEL\n{\nThird\n}\n", expected("Third")},
        // 6: a section never closed takes every line up to the end.
        {"JOBTITLE\n{\nLine one\nPROJECTLABEL\n{\nLine two",
         expected("", "", "", "Line one|PROJECTLABEL|Line two")},
        // 7: header and brace on one line; the brace left out; lower-case
        // headers; line ends of CR LF.
        {"projectlabel {\r\nLabel\r\n}\r\nJobNumber\r\nJ1\r\n}\r\n", expected("Label", "", "J1")},
        // 8: an unknown section skips everything up to the next "}",
        // including lines that look like section names.
        {"NOTES\n{\nPROJECTLABEL\nHidden\n}\nPROJECTLABEL\n{\nShown\n}\n", expected("Shown")},
        // 9: stray braces at the top level open a skipped section too.
        {"}\nJOBNUMBER\nLost\n}\n{\n}\nJOBNUMBER\n{\nKept\n}\n", expected("", "", "Kept")},
        // 10: the issue table: "+" starts a new line, "&" continues directly.
        {"ISSUE\n{\nREV A\n+ second\n& tail\nNote B\n}\n",
         expected("", "", "", "", "NOTE=B|REV=A\r\nsecondtail")},
        {"ISSUE\n{\nREV A\nrev B\n}\n", expected("", "", "", "", "REV=B")},
        // 11: "&" and "+" before any key go to the empty key; the last key
        // carries over into a later ISSUE section.
        {"ISSUE\n{\n& x\n+ y\n}\nISSUE\n{\nA 1\n}\nISSUE\n{\n& 2\n}\n",
         expected("", "", "", "", "=x\r\ny|A=12")},
        // 12: an issue key without a value.
        {"ISSUE\n{\nDRAFT\n}\n", expected("", "", "", "", "DRAFT=")},
        // 13: a title block: BORDER cut at the first ".", flags in any case,
        // attribute keys upper case (tabs separate too), the later value wins.
        {"TITLEBLOCKS\n{\nBORDER \"A1 frame\" \"A1-frame.old.dwg\"\nBORDER \"A3\"   \"A3frame\"\n"
         "CATEGORY Office A\nDEFAULTLAYER TB\nINSERTABLE yes\nDEFAULTSPACE Model\n"
         "doctitle[1]\tTITLE1\nREVISION REV\nREVISION REV2\n}\n",
         expected("", "", "", "", "",
                  "tb0=borders(A1 frame>A1-frame,A3>A3frame) cat=Office A layer=TB ins=1 "
                  "model=1 map(DOCTITLE[1]=TITLE1,REVISION=REV2)\n")},
        // 14: BORDER lines without two quoted texts are ignored.
        {"TITLEBLOCKS\n{\nBORDER \"only one\"\nBORDER one two\nBORDER\nBORDER \"\" \"x\"\n}\n",
         expected("", "", "", "", "", "tb0=borders()" + sRecordDefaults)},
        // 15: a second record keeps the first one's category, layer and
        // flags, but starts with no borders and no map; mock borders go to
        // their own list.
        {"TITLEBLOCKS\n{\nBORDER \"a\" \"b\"\nDEFAULTLAYER L1\nINSERTABLE YES\nK V\n}\n"
         "MOCKBORDERS\n{\nBORDER \"c\" \"d\"\nDEFAULTSPACE PAPER\n}\n"
         "TITLEBLOCKS\n{\nCATEGORY C\n}\n",
         expected("", "", "", "", "",
                  "tb0=borders(a>b) cat= layer=L1 ins=1 model=0 map(K=V)\n"
                  "tb1=borders() cat=C layer=L1 ins=1 model=0 map()\n"
                  "mb0=borders(c>d) cat= layer=L1 ins=1 model=0 map()\n")},
        // 16: a record section never closed is not kept.
        {"TITLEBLOCKS\n{\nBORDER \"a\" \"b\"\n", expected()},
        // 17: "{" inside a section is ignored, "}" with more text still closes.
        {"JOBTITLE\n{\n{\nT1\n} trailing\nJOBNUMBER\n{\nN\n}\n", expected("", "", "N", "T1")},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(read(cases[i].sContent), cases[i].sExpected);
    }
}

TEST_F(SettingsFileTest, MissingFileIsInvalidAndEmpty) {
    const CSettingsFile settings("P:\\job\\ProjectSettings.txt");
    EXPECT_FALSE(settings.isValid());
    EXPECT_EQ(describe(settings),
              "valid=0\nlabel=\npath=\nissuedir=\njob=\ntitle=\nclient=\nstatus=\nissue=\n");
    EXPECT_STREQ(settings.getPath(), "P:\\job\\ProjectSettings.txt");
    // A folder of that name is not a settings file either.
    brevant::test::writeFile(m_dir.file("dir/ProjectSettings.txt/x"), "");
    EXPECT_FALSE(CSettingsFile("P:\\dir\\ProjectSettings.txt").isValid());
}

TEST_F(SettingsFileTest, IndexedAccessOutOfRange) {
    writeFile(m_dir.file("job/ProjectSettings.txt"),
              "JOBTITLE\n{\nT0\nT1\n}\nTITLEBLOCKS\n{\nBORDER \"n\" \"b.dwg\"\n}\n");
    const CSettingsFile settings("P:\\job\\ProjectSettings.txt");
    EXPECT_STREQ(settings.getJobTitle(0), "T0");
    EXPECT_STREQ(settings.getJobTitle(1), "T1");
    EXPECT_STREQ(settings.getJobTitle(2), "");
    EXPECT_STREQ(settings.getJobTitle(-1), "");

    EXPECT_EQ(settings.getRecordCount(false), 1);
    EXPECT_EQ(settings.getRecordCount(true), 0);
    EXPECT_EQ(settings.getBorderCount(0, false), 1);
    EXPECT_EQ(settings.getBorderCount(1, false), 0);
    EXPECT_EQ(settings.getBorderCount(0, true), 0);
    EXPECT_STREQ(settings.getBorder(0, 0, false).second, "b");
    for (const auto& [iRecord, iBorder, bMock] :
         {std::tuple{0, 1, false}, std::tuple{1, 0, false}, std::tuple{-1, 0, false},
          std::tuple{0, -1, false}, std::tuple{0, 0, true}}) {
        const auto pair = settings.getBorder(iRecord, iBorder, bMock);
        EXPECT_STREQ(pair.first, "");
        EXPECT_STREQ(pair.second, "");
    }
    EXPECT_EQ(settings.getRecord(1, false), nullptr);
}

TEST_F(SettingsFileTest, CurrentSelection) {
    writeFile(m_dir.file("job/ProjectSettings.txt"),
              "TITLEBLOCKS\n{\nBORDER \"n\" \"TB1\"\nDOCTITLE[1] T1\n}\n"
              "MOCKBORDERS\n{\nBORDER \"m\" \"MB1\"\nDOCTITLE[1] M1\n}\n");
    const CSettingsFile settings("P:\\job\\ProjectSettings.txt");

    EXPECT_STREQ(CSettingsFile::getCurrentBorderName(false), "");
    EXPECT_TRUE(CSettingsFile::getCurrentRecord(false).m_mapAttributes.empty());

    EXPECT_TRUE(settings.copyToCurrent(0, false));
    CSettingsFile::setCurrentBorderName("TB1", false);
    EXPECT_TRUE(settings.copyToCurrent(0, true));
    CSettingsFile::setCurrentBorderName("MB1", true);
    EXPECT_STREQ(CSettingsFile::getCurrentBorderName(false), "TB1");
    EXPECT_STREQ(CSettingsFile::getCurrentBorderName(true), "MB1");
    EXPECT_STREQ(CSettingsFile::getCurrentRecord(false).m_mapAttributes.at("DOCTITLE[1]"), "T1");
    EXPECT_STREQ(CSettingsFile::getCurrentRecord(true).m_mapAttributes.at("DOCTITLE[1]"), "M1");

    // Out of range: refused, the selection unchanged.
    EXPECT_FALSE(settings.copyToCurrent(1, false));
    EXPECT_STREQ(CSettingsFile::getCurrentRecord(false).m_mapAttributes.at("DOCTITLE[1]"), "T1");

    // The selection is a copy: it outlives the file object.
    {
        writeFile(m_dir.file("other.txt"), "TITLEBLOCKS\n{\nX Y\n}\n");
        CSettingsFile other("P:\\other.txt");
        other.copyToCurrent(0, false);
    }
    EXPECT_STREQ(CSettingsFile::getCurrentRecord(false).m_mapAttributes.at("X"), "Y");

    // Resetting one kind leaves the other alone.
    CSettingsFile::resetCurrent(false);
    EXPECT_STREQ(CSettingsFile::getCurrentBorderName(false), "");
    EXPECT_TRUE(CSettingsFile::getCurrentRecord(false).m_mapAttributes.empty());
    EXPECT_TRUE(CSettingsFile::getCurrentRecord(false).m_vectorBorders.empty());
    EXPECT_STREQ(CSettingsFile::getCurrentBorderName(true), "MB1");
}

// Files that are not what a person would write: read as far as they go,
// without a crash and without holding more than the file's own size.
TEST_F(SettingsFileTest, BadInput) {
    // Binary bytes, zero bytes included.
    std::string sBinary;
    for (int i = 0; i < 4096; ++i) {
        sBinary += static_cast<char>((i * 7919) & 0xff);
    }
    EXPECT_NE(read(sBinary).find("valid=1\n"), std::string::npos);

    // A line of a megabyte is taken whole.
    const std::string sLong(1024 * 1024, 'x');
    EXPECT_EQ(read("JOBNUMBER\n{\n" + sLong + "\n}\n"), expected("", "", sLong));
    const std::string sLongBorder =
        "TITLEBLOCKS\n{\nBORDER \"" + sLong + "\" \"" + sLong + ".dwg\"\n}\n";
    EXPECT_EQ(read(sLongBorder), expected("", "", "", "", "",
                                          "tb0=borders(" + sLong + ">" + sLong +
                                              ") cat= layer=Z010LX000 ins=0 model=0 map()\n"));

    // A file beyond the size of any settings file is not read at all, and
    // the user is told why.
    brevant::test::initialiseLibrary(0);
    std::string sHuge = "PROJECTLABEL\n{\nHuge\n}\n";
    sHuge += std::string(CSettingsFile::kMaximumFileSize, '\n');
    EXPECT_EQ(read(sHuge), expected());
    EXPECT_EQ(brevant::test::takeCommandLine(),
              "Settings file \"P:\\job\\ProjectSettings.txt\" is larger than 4194304 bytes and "
              "is not read.\n");
}

}  // namespace
