// The title block of a drawing: which settings file's definition applies
// (project, then the office's domain settings, then the standard settings;
// within a file the first definition and the first BORDER entry whose block
// the drawing defines), the first reference of the block, its attributes,
// and reading and writing values by their map tags.
#include <gtest/gtest.h>

#include "ARXBlockDefinition.h"
#include "ARXTitleBlock.h"
#include "TitleBlockMachine.h"
#include "dbapserv.h"

#include <set>
#include <string>
#include <vector>

using brevant::test::TagValues;

namespace {

const char kProject[] =
    "PROJECTLABEL\n{\nJ1 Label\n}\n"
    "TITLEBLOCKS\n{\n"
    "BORDER \"first\" \"PRJ-A.dwg\"\n"
    "BORDER \"second\" \"PRJ-B.old.dwg\"\n"
    "DOCTITLE[1] TITLE\n"
    "REVISION REV\n"
    "}\n"
    "TITLEBLOCKS\n{\nBORDER \"third\" \"PRJ-C\"\nDOCTITLE[1] TITLE\n}\n";
const char kDomain[] = "TITLEBLOCKS\n{\nBORDER \"office\" \"DOM-TB.dwg\"\nDOCTITLE[1] TITLE\n}\n";
const char kStandard[] = "TITLEBLOCKS\n{\nBORDER \"iso\" \"STD-TB.dwg\"\nDOCTITLE[1] TITLE\n}\n";

class TitleBlock : public brevant::test::TitleBlockMachine {
protected:
    void SetUp() override {
        TitleBlockMachine::SetUp();
        writeProjectSettings("X:\\Jobs\\J1", kProject);
        writeDomainSettings(kDomain);
        writeStandardSettings(kStandard);
        newDrawing();
    }
    // A title block whose attribute TITLE says which block it is.
    void defineAndInsert(const std::string& sBlock) {
        defineBlock(sBlock, {"TITLE", "REV"});
        insert(sBlock, {{"TITLE", "from " + sBlock}});
    }
};

}  // namespace

TEST_F(TitleBlock, TheProjectThenTheDomainThenTheStandardSettingsDecide) {
    struct Case {
        const char* sDrawing;
        std::vector<std::string> vectorBlocks;  // each defined and inserted
        const char* sTitle;                     // "" when there is no title block
        bool bProject;
    } cases[] = {
        {"X:\\Jobs\\J1\\sheet.dwg", {"STD-TB", "DOM-TB", "PRJ-A"}, "from PRJ-A", true},
        // Definitions in file order: the first definition's second BORDER
        // beats the second definition; ".old.dwg" is cut at the first dot.
        {"X:\\Jobs\\J1\\sheet.dwg", {"PRJ-C", "PRJ-B"}, "from PRJ-B", true},
        {"X:\\Jobs\\J1\\sub\\sheet.dwg", {"STD-TB", "DOM-TB"}, "from DOM-TB", true},
        {"X:\\Jobs\\J1\\sheet.dwg", {"STD-TB"}, "from STD-TB", true},
        {"X:\\Jobs\\None\\sheet.dwg", {"DOM-TB", "PRJ-A"}, "from DOM-TB", false},
        {"X:\\Jobs\\J1\\sheet.dwg", {"ANOTHER"}, "", true},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(i);
        newDrawing();
        for (const std::string& sBlock : cases[i].vectorBlocks) {
            defineAndInsert(sBlock);
        }
        CARXTitleBlock titleBlock(m_pDb, cases[i].sDrawing);
        EXPECT_EQ(titleBlock.isInstance(), *cases[i].sTitle != 0);
        if (titleBlock.isInstance()) {
            EXPECT_STREQ(titleBlock.get("DOCTITLE[1]"), cases[i].sTitle);
        }
        EXPECT_EQ(titleBlock.isProject(), cases[i].bProject);
        if (cases[i].bProject) {
            // The label comes from the project file even when another file's
            // title block applies.
            EXPECT_STREQ(titleBlock.getProjectLabel(), "J1 Label");
        }
        takeFailedChecks();
    }
}

TEST_F(TitleBlock, ADefinedBlockWithoutReferenceIsSearchedAgainUntilOneIsInserted) {
    defineBlock("PRJ-A", {"TITLE"});
    CARXTitleBlock titleBlock(m_pDb, "X:\\Jobs\\J1\\sheet.dwg");
    EXPECT_FALSE(titleBlock.isInstance());
    insert("PRJ-A", {{"TITLE", "late"}});
    EXPECT_TRUE(titleBlock.isInstance());
    EXPECT_STREQ(titleBlock.get("DOCTITLE[1]"), "late");
}

TEST_F(TitleBlock, OnlyTheFirstReferenceCounts) {
    defineBlock("PRJ-A", {"TITLE"});
    const std::string sFirst = insert("PRJ-A", {{"TITLE", "one"}});
    const std::string sSecond = insert("PRJ-A", {{"TITLE", "two"}});
    CARXTitleBlock titleBlock(m_pDb, "X:\\Jobs\\J1\\sheet.dwg");
    ASSERT_TRUE(titleBlock.isInstance());
    EXPECT_EQ(std::string(titleBlock.getHandle()), sFirst);
    EXPECT_STREQ(titleBlock.get("DOCTITLE[1]"), "one");

    EXPECT_TRUE(titleBlock.set("DOCTITLE[1]", "changed"));
    EXPECT_STREQ(Pellam::getAttributesOfHandle(sFirst.c_str())["TITLE"].m_sText, "changed");
    EXPECT_STREQ(Pellam::getAttributesOfHandle(sSecond.c_str())["TITLE"].m_sText, "two");
    EXPECT_TRUE(takeFailedChecks().empty());
}

TEST_F(TitleBlock, AttributesOfTheReference) {
    struct Case {
        std::vector<std::string> vectorDefined;
        TagValues values;
        const char* sTitle;
    } cases[] = {
        // A tag carried twice: the later attribute wins.
        {{"TITLE"}, {{"TITLE", "earlier"}, {"TITLE", "later"}}, "later"},
        // A reference without attributes is a title block all the same.
        {{}, {}, ""},
        // Tags compare exactly: an attribute "title" is not "TITLE".
        {{"title"}, {{"title", "lower"}}, ""},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(i);
        newDrawing();
        defineBlock("PRJ-A", cases[i].vectorDefined);
        insert("PRJ-A", cases[i].values);
        CARXTitleBlock titleBlock(m_pDb, "X:\\Jobs\\J1\\sheet.dwg");
        EXPECT_TRUE(titleBlock.isInstance());
        EXPECT_STREQ(titleBlock.get("DOCTITLE[1]"), cases[i].sTitle);
    }
}

TEST_F(TitleBlock, ValuesByMapTag) {
    defineBlock("PRJ-A", {"TITLE", "REV"});
    insert("PRJ-A", {{"TITLE", "Quay Wall"}, {"REV", "B"}});
    CARXTitleBlock titleBlock(m_pDb, "X:\\Jobs\\J1\\sheet.dwg");
    ASSERT_TRUE(titleBlock.isInstance());
    takeFailedChecks();

    const std::set<CString> setKeys = titleBlock.getMapKeys();
    EXPECT_EQ(std::vector<CString>(setKeys.begin(), setKeys.end()),
              (std::vector<CString>{"DOCTITLE[1]", "REVISION"}));
    EXPECT_STREQ(titleBlock.get("doctitle[1]"), "");  // map tags compare exactly
    EXPECT_STREQ(titleBlock.get("JOBNUMBER"), "");    // not mapped

    struct Case {
        const char* sMapTag;
        const char* sValue;
        bool bResult;
        const char* sReadBack;
        std::vector<std::string> vectorFailed;
    } cases[] = {
        {"REVISION", "C", true, "C", {}},
        {"REVISION", "", true, "", {}},
        {"JOBNUMBER", "A100", false, "", {}},
        // The editor refuses a text with a line break: set still reports the
        // write, and the read-back check says the value did not arrive.
        {"REVISION",
         "D\nE",
         true,
         "",
         {"pAttribute->setTextString(sValue) == Acad::eOk", "get(sMapTag) == sValue"}},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(titleBlock.set(cases[i].sMapTag, cases[i].sValue), cases[i].bResult);
        EXPECT_STREQ(titleBlock.get(cases[i].sMapTag), cases[i].sReadBack);
        EXPECT_EQ(takeFailedChecks(), cases[i].vectorFailed);
    }
}

TEST_F(TitleBlock, AttributesAreReadInTheWorkingDatabase) {
    defineBlock("PRJ-A", {"TITLE"});
    insert("PRJ-A", {{"TITLE", "elsewhere"}});
    AcDbDatabase* pOther = new AcDbDatabase(true, true);
    acdbHostApplicationServices()->setWorkingDatabase(pOther);
    {
        CARXTitleBlock titleBlock(m_pDb, "X:\\Jobs\\J1\\sheet.dwg");
        EXPECT_TRUE(titleBlock.isInstance());
        EXPECT_STREQ(titleBlock.get("DOCTITLE[1]"), "elsewhere");
        // The drawing was made the working one for the read and set back.
        EXPECT_EQ(acdbHostApplicationServices()->workingDatabase(), pOther);
    }
    EXPECT_EQ(takeFailedChecks(), std::vector<std::string>{"bValidDB"});
    acdbHostApplicationServices()->setWorkingDatabase(m_pDb);
    delete pOther;
}

// Thousands of title-block candidates in the settings and thousands of
// attributes on the reference: the last candidate matches, every attribute
// is read, the last of a repeated tag wins.
TEST_F(TitleBlock, ThousandsOfCandidatesAndAttributes) {
    std::string sSettings = "TITLEBLOCKS\n{\n";
    for (int i = 0; i < 3000; ++i) {
        sSettings +=
            "BORDER \"b" + std::to_string(i) + "\" \"MISSING-" + std::to_string(i) + ".dwg\"\n";
    }
    sSettings += "BORDER \"found\" \"MANY.dwg\"\nDOCTITLE[1] T2999\nREVISION R\n}\n";
    writeProjectSettings("X:\\Jobs\\Many", sSettings);
    std::vector<std::string> vectorTags;
    TagValues values;
    for (int i = 0; i < 3000; ++i) {
        vectorTags.push_back("T" + std::to_string(i));
        values.emplace_back("T" + std::to_string(i), "value " + std::to_string(i));
    }
    values.emplace_back("T2999", "the later one");
    defineBlock("MANY", vectorTags);
    insert("MANY", values);
    CARXTitleBlock titleBlock(m_pDb, "X:\\Jobs\\Many\\sheet.dwg");
    ASSERT_TRUE(titleBlock.isInstance());
    EXPECT_STREQ(titleBlock.get("DOCTITLE[1]"), "the later one");
    EXPECT_STREQ(titleBlock.get("REVISION"), "");
}
