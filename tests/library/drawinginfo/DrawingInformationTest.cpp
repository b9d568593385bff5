// The drawing information file: the drawing's folder as the document manager
// knows it, quoting of names, lines of external references, and the file
// written whole or not at all, whatever fails on the way.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "../drawingdata/TitleBlockMachine.h"
#include "ARXDrawingData.h"
#include "ARXDrawingInformation.h"
#include "Messages.h"
#include "brevant/editor.h"

using brevant::platform::Operation;
using brevant::test::readFile;
using brevant::test::writeFile;

namespace {

// Drawing information with collections given by the test.
class GivenInformation : public Pellam::CDrawingInformation {
public:
    GivenInformation(AcDbDatabase* pDb, const char* sDrawing)
        : Pellam::CDrawingInformation(new Pellam::CARXDrawingData(pDb, sDrawing)) {}
    void buildGREVBlocks() override {}
    void buildBlocks() override {
        m_vectorXREF = m_xrefs;
        m_vectorBlocks = {"plain", "with blank", "with\ttab"};
    }
    void buildLayers() override { m_vectorLayers = {"0"}; }
    void buildRegisteredApplications() override { m_vectorApplications = {"ACAD"}; }
    std::vector<XrefRecord> m_xrefs;
};

class DrawingInformation : public brevant::test::TitleBlockMachine {
protected:
    void SetUp() override {
        TitleBlockMachine::SetUp();
        int iPrevious = 0;
        Pellam::Messages::setDebugLevel(0, iPrevious);
        writeProjectSettings("X:\\Jobs\\J1", "JOBNUMBER\n{\nJ1\n}\n");
        newDrawing();
    }
    void TearDown() override {
        for (Operation op : brevant::platform::kEveryOperation) {
            brevant::platform::failAfter(op, 0);
        }
        TitleBlockMachine::TearDown();
    }
    // The names in the docinfo folder.
    std::vector<std::string> docinfo() const {
        std::vector<std::string> vectorNames;
        for (const auto& entry :
             std::filesystem::directory_iterator(m_dir.file("X/Jobs/J1/docinfo"))) {
            vectorNames.push_back(entry.path().filename().string());
        }
        std::sort(vectorNames.begin(), vectorNames.end());
        return vectorNames;
    }
};

}  // namespace

TEST_F(DrawingInformation, DrawingFolderForms) {
    std::filesystem::create_directories(m_dir.file("N"));
    brevant::platform::mapDrive("N", m_dir.file("N"), "\\\\srv\\jobs");
    struct Case {
        const char* sPath;
        const char* sForm;
    } cases[] = {
        {"X:\\Jobs\\J1\\sheet.dwg", "\\\\LOCAL:X:\\Jobs\\J1\\"},
        {"x:\\Jobs\\sheet.dwg", "\\\\LOCAL:x:\\Jobs\\"},
        {"N:\\A100\\plan01.dwg", "\\\\srv\\jobs\\A100\\"},
        {"N:\\plan01.dwg", "\\\\srv\\jobs\\"},
        {"\\\\srv\\jobs\\A100\\plan01.dwg", "\\\\srv\\jobs\\A100\\"},
        {"Q:\\unmapped\\plan01.dwg", "\\\\LOCAL:Q:\\unmapped\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sPath);
        EXPECT_STREQ(Pellam::CDrawingInformation::drawingFolderForm(c.sPath), c.sForm);
    }
}

TEST_F(DrawingInformation, NamesWithBlanksOrTabsAreQuoted) {
    struct Case {
        const char* sName;
        const char* sWritten;
    } cases[] = {
        {"north arrow", "\"north arrow\""},
        {"key\tplan", "\"key\tplan\""},
        {"plain", "plain"},
        {"", ""},
        {"say \"hi\" now", "\"say \"hi\" now\""},  // nothing inside is escaped
        {"A|B", "A|B"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sName);
        EXPECT_STREQ(Pellam::CDrawingInformation::quoteIfBlank(c.sName), c.sWritten);
    }
}

TEST_F(DrawingInformation, ReferenceLines) {
    GivenInformation information(m_pDb, "X:\\Jobs\\J1\\sheet.dwg");
    information.m_xrefs = {{"site", "X:\\site.dwg"},
                           {"grid", "X:\\ref files\\grid.dwg"},
                           {"lonely"},  // not two strings: left out
                           {"a", "b", "c"},
                           {"key\tplan", "kp.dwg"}};
    information.build();
    ASSERT_TRUE(information.WriteDinFile("X:\\Jobs\\J1\\sheet.dwg"));
    const std::string sFile = readFile(m_dir.file("X/Jobs/J1/docinfo/sheet-dwg.din"));
    EXPECT_NE(sFile.find("\r\n\r\n# xrefs follow, listing xref name + filename ..."
                         "\r\nXREF site X:\\site.dwg"
                         "\r\nXREF \"grid\" \"X:\\ref files\\grid.dwg\""
                         "\r\nXREF \"key\tplan\" \"kp.dwg\""
                         "\r\n\r\n# block table follows... (excludes anonymous blocks and xrefs)"
                         "\r\nBLOCK plain\r\nBLOCK \"with blank\"\r\nBLOCK \"with\ttab\""),
              std::string::npos)
        << sFile;
    // The file ends with the last piece, without a line end, when the
    // drawing has no preview.
    EXPECT_EQ(sFile.substr(sFile.size() - 12), "\r\nAPPID ACAD");
}

// Every create, write, flush and rename on the way fails in turn:
// the previous file stays whole, no temporary file stays behind, and once
// nothing fails the new file stands whole.
TEST_F(DrawingInformation, WrittenWholeOrNotAtAll) {
    const std::string sTarget = m_dir.file("X/Jobs/J1/docinfo/sheet-dwg.din");
    std::filesystem::create_directories(m_dir.file("X/Jobs/J1/docinfo"));
    const std::string sPrevious = "previous file\r\n";
    int iWalked = 0;
    for (Operation op :
         {Operation::FileCreate, Operation::FileWrite, Operation::FileFlush, Operation::Rename}) {
        for (int n = 1;; ++n) {
            SCOPED_TRACE(n);
            writeFile(sTarget, sPrevious);
            GivenInformation information(m_pDb, "X:\\Jobs\\J1\\sheet.dwg");
            information.build();
            brevant::platform::failAfter(op, n);
            bool bWritten = false;
            bool bThrown = false;
            try {
                bWritten = information.WriteDinFile("X:\\Jobs\\J1\\sheet.dwg");
            } catch (CException* pException) {
                pException->Delete();
                bThrown = true;
            }
            brevant::platform::failAfter(op, 0);
            ++iWalked;
            EXPECT_EQ(docinfo(), std::vector<std::string>{"sheet-dwg.din"});
            if (bThrown || !bWritten) {
                EXPECT_EQ(readFile(sTarget), sPrevious);
                continue;
            }
            EXPECT_EQ(readFile(sTarget).rfind("# This file was automatically generated", 0), 0u);
            EXPECT_EQ(readFile(sTarget).substr(readFile(sTarget).size() - 12), "\r\nAPPID ACAD");
            break;
        }
    }
    EXPECT_GE(iWalked, 7);
}

TEST_F(DrawingInformation, NoDocinfoFolderNoFile) {
    std::filesystem::create_directories(m_dir.file("R/Jobs"));
    brevant::platform::mapDrive("R", m_dir.file("R"), "\\\\srv\\archive", true);
    GivenInformation information(m_pDb, "R:\\Jobs\\sheet.dwg");
    information.build();
    brevant::host::clearTranscript();
    EXPECT_FALSE(information.WriteDinFile("R:\\Jobs\\sheet.dwg"));
    EXPECT_EQ(brevant::host::transcript(),
              "Brevant AutoCAD error : 0 (eOk) - Failed to create \"R:\\Jobs\\docinfo\\\", check "
              "permissions.\n");
    EXPECT_FALSE(std::filesystem::exists(m_dir.file("R/Jobs/docinfo")));
}
