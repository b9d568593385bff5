// The drawing's summary information read whole and written back whole: every
// property, custom entries re-created in key order, the summary-information
// modules loaded for the object's life, and what happens without a drawing or
// when the editor refuses a property.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "../configuration/CommandLine.h"
#include "ARXDrawingProperties.h"
#include "FailedChecks.h"
#include "acutmem.h"
#include "dbmain.h"
#include "rxregsvc.h"
#include "summinfo.h"

using brevant::test::FailedChecks;
using brevant::test::takeCommandLine;

namespace {

typedef std::vector<std::pair<std::string, std::string>> Entries;

struct Summary {
    std::string sHyperLink, sTitle, sSubject, sAuthor, sComments, sKeywords, sLastSavedBy,
        sRevisionNumber;
    Entries vectorCustom;  // in the drawing's order
};

std::string take(char* szText) {
    std::string sText = szText != nullptr ? szText : "<null>";
    acdbFree(szText);
    return sText;
}

Summary readSummary(AcDbDatabase* pDb) {
    Summary summary;
    AcDbDatabaseSummaryInfo* pInfo = nullptr;
    EXPECT_EQ(acdbGetSummaryInfo(pDb, pInfo), Acad::eOk);
    char* sz = nullptr;
    pInfo->getHyperlinkBase(sz), summary.sHyperLink = take(sz);
    pInfo->getTitle(sz), summary.sTitle = take(sz);
    pInfo->getSubject(sz), summary.sSubject = take(sz);
    pInfo->getAuthor(sz), summary.sAuthor = take(sz);
    pInfo->getComments(sz), summary.sComments = take(sz);
    pInfo->getKeywords(sz), summary.sKeywords = take(sz);
    pInfo->getLastSavedBy(sz), summary.sLastSavedBy = take(sz);
    pInfo->getRevisionNumber(sz), summary.sRevisionNumber = take(sz);
    for (int i = 0; i < pInfo->numCustomInfo(); ++i) {
        char* szKey = nullptr;
        char* szValue = nullptr;
        EXPECT_EQ(pInfo->getCustomSummaryInfo(i, szKey, szValue), Acad::eOk);
        const std::string sKey = take(szKey);
        summary.vectorCustom.emplace_back(sKey, take(szValue));
    }
    delete pInfo;
    return summary;
}

void writeSummary(AcDbDatabase* pDb, const Summary& summary) {
    AcDbDatabaseSummaryInfo* pInfo = nullptr;
    ASSERT_EQ(acdbGetSummaryInfo(pDb, pInfo), Acad::eOk);
    EXPECT_EQ(pInfo->setHyperlinkBase(summary.sHyperLink.c_str()), Acad::eOk);
    EXPECT_EQ(pInfo->setTitle(summary.sTitle.c_str()), Acad::eOk);
    EXPECT_EQ(pInfo->setSubject(summary.sSubject.c_str()), Acad::eOk);
    EXPECT_EQ(pInfo->setAuthor(summary.sAuthor.c_str()), Acad::eOk);
    EXPECT_EQ(pInfo->setComments(summary.sComments.c_str()), Acad::eOk);
    EXPECT_EQ(pInfo->setKeywords(summary.sKeywords.c_str()), Acad::eOk);
    EXPECT_EQ(pInfo->setLastSavedBy(summary.sLastSavedBy.c_str()), Acad::eOk);
    EXPECT_EQ(pInfo->setRevisionNumber(summary.sRevisionNumber.c_str()), Acad::eOk);
    for (const auto& entry : summary.vectorCustom) {
        EXPECT_EQ(pInfo->addCustomSummaryInfo(entry.first.c_str(), entry.second.c_str()),
                  Acad::eOk);
    }
    EXPECT_EQ(acdbPutSummaryInfo(pInfo), Acad::eOk);
    delete pInfo;
}

// Odd characters included: quotes, "=", a semicolon, a tab, bytes above 127.
const Summary G_summary = {"http://server/jobs/",
                           "Ground floor \"north\" = 1; plan",
                           "Subject\twith tab",
                           "A. N. Author",
                           "Comments \xE9t\xE9",
                           "one two",
                           "jsmith",
                           "C",
                           {{"Zeta", "last"}, {"Alpha", "first"}, {"Mid", "a=b"}}};

bool isLoaded(const char* sModule) {
    // Loading what is loaded succeeds without a message; give the load back.
    AcRxDynamicLinker* pLinker = acrxDynamicLinker;
    if (!pLinker->unloadModule(sModule, false)) {
        return false;
    }
    return pLinker->loadModule(sModule, false, false);
}

}  // namespace

TEST(ARXDrawingProperties, ReadAndWriteBackRecreatesCustomEntriesInKeyOrder) {
    AcDbDatabase db;
    writeSummary(&db, G_summary);
    FailedChecks checks;
    {
        CARXDrawingProperties properties(&db);
        EXPECT_TRUE(properties.isValid());
        EXPECT_STREQ(properties.getHyperLink(), G_summary.sHyperLink.c_str());
        EXPECT_STREQ(properties.getSubject(), G_summary.sSubject.c_str());
        EXPECT_STREQ(properties.getAuthor(), G_summary.sAuthor.c_str());
        EXPECT_STREQ(properties.getComments(), G_summary.sComments.c_str());
        EXPECT_STREQ(properties.getKeywords(), G_summary.sKeywords.c_str());
        EXPECT_STREQ(properties.getLastSavedBy(), G_summary.sLastSavedBy.c_str());
        EXPECT_STREQ(properties.getRevisionNumber(), G_summary.sRevisionNumber.c_str());
        EXPECT_EQ(properties.getNumberOfCustomEntries(), 3);
        ASSERT_EQ(properties.getCustomEntries().size(), 3u);
        EXPECT_STREQ(properties.getCustomEntries().at("Mid"), "a=b");
        EXPECT_TRUE(checks.take().empty());

        // One changed field: every property is written again, the custom
        // entries in ascending key order.
        properties.setTitle("New title");
        takeCommandLine();
        properties.write();
        EXPECT_EQ(takeCommandLine(), brevant::test::traceLine("CARXDrawingProperties::write()\n"));
        EXPECT_TRUE(checks.take().empty());
    }
    Summary expected = G_summary;
    expected.sTitle = "New title";
    expected.vectorCustom = {{"Alpha", "first"}, {"Mid", "a=b"}, {"Zeta", "last"}};
    const Summary written = readSummary(&db);
    EXPECT_EQ(written.sHyperLink, expected.sHyperLink);
    EXPECT_EQ(written.sTitle, expected.sTitle);
    EXPECT_EQ(written.sSubject, expected.sSubject);
    EXPECT_EQ(written.sAuthor, expected.sAuthor);
    EXPECT_EQ(written.sComments, expected.sComments);
    EXPECT_EQ(written.sKeywords, expected.sKeywords);
    EXPECT_EQ(written.sLastSavedBy, expected.sLastSavedBy);
    EXPECT_EQ(written.sRevisionNumber, expected.sRevisionNumber);
    EXPECT_EQ(written.vectorCustom, expected.vectorCustom);
}

TEST(ARXDrawingProperties, GetTitleReadsAgainAndAddsNothingNew) {
    AcDbDatabase db;
    writeSummary(&db, G_summary);
    FailedChecks checks;
    CARXDrawingProperties properties(&db);
    Summary changed = G_summary;
    changed.sTitle = "Changed since";
    changed.vectorCustom.clear();  // the entries stay as they are
    writeSummary(&db, changed);
    // The title is read again; the second read of the same custom entries
    // reports that the map was not empty and leaves it as it was.
    EXPECT_STREQ(properties.getTitle(), "Changed since");
    EXPECT_EQ(checks.take(), (std::vector<std::string>{"m_mapCustomEntries.empty()"}));
    const std::map<CString, CString> mapExpected = {
        {"Alpha", "first"}, {"Mid", "a=b"}, {"Zeta", "last"}};
    EXPECT_EQ(properties.getCustomEntries(), mapExpected);
    EXPECT_EQ(properties.getNumberOfCustomEntries(), 3);

    // Without custom entries a second read reports nothing.
    AcDbDatabase plain;
    CARXDrawingProperties plainProperties(&plain);
    EXPECT_STREQ(plainProperties.getTitle(), "");
    EXPECT_TRUE(checks.take().empty());
}

TEST(ARXDrawingProperties, ModulesLoadedForTheObjectsLife) {
    AcRxDynamicLinker* pLinker = acrxDynamicLinker;
    AcDbDatabase db;
    FailedChecks checks;
    takeCommandLine();
    {
        // At the highest debug level the editor says what it loads.
        CARXDrawingProperties properties(&db);
        EXPECT_EQ(takeCommandLine(),
                  "acsiobj.arx successfully loaded.\nacsiobj.dbx successfully loaded.\n");
        EXPECT_TRUE(isLoaded("acsiobj.arx"));
        EXPECT_TRUE(isLoaded("acsiobj.dbx"));
        EXPECT_TRUE(properties.initialise());  // no second load to give back
    }
    EXPECT_FALSE(isLoaded("acsiobj.arx"));
    EXPECT_FALSE(isLoaded("acsiobj.dbx"));

    // A module that someone else loaded stays loaded.
    ASSERT_TRUE(pLinker->loadModule("acsiobj.arx", false, false));
    { CARXDrawingProperties properties(&db); }
    EXPECT_TRUE(isLoaded("acsiobj.arx"));
    EXPECT_FALSE(isLoaded("acsiobj.dbx"));
    EXPECT_TRUE(pLinker->unloadModule("acsiobj.arx", false));
    EXPECT_TRUE(checks.take().empty());
}

TEST(ARXDrawingProperties, FailuresAreReportedAndTheRestGoesOn) {
    FailedChecks checks;
    {
        // No drawing: the checks, empty properties, still valid; writing
        // stops at the summary information.
        CARXDrawingProperties properties(NULL);
        EXPECT_TRUE(properties.isValid());
        EXPECT_STREQ(properties.getTitle(), "");
        properties.write();
    }
    EXPECT_EQ(checks.take(),
              (std::vector<std::string>{"m_pDatabase != NULL", "m_pDatabase != NULL",
                                        "bSummaryInfo", "m_pDatabase != NULL", "bSummaryInfo",
                                        "m_pDatabase != NULL", "bSummaryInfo"}));

    // A property that the editor refuses (a line break): reported, and the
    // others are written all the same.
    AcDbDatabase db;
    writeSummary(&db, G_summary);
    CARXDrawingProperties properties(&db);
    properties.setTitle("two\nlines");
    properties.setAuthor("New author");
    properties.write();
    EXPECT_EQ(checks.take(), (std::vector<std::string>{"pInfo->setTitle(m_sTitle) == Acad::eOk"}));
    const Summary written = readSummary(&db);
    EXPECT_EQ(written.sTitle, G_summary.sTitle);
    EXPECT_EQ(written.sAuthor, "New author");
    EXPECT_EQ(written.vectorCustom.size(), 3u);
}
