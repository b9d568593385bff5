// The earlier product's settings records: the carrier found through the cache,
// through the first suitable entity and through the whole-drawing scan; the
// records read only as far as the carrier's data goes; every list and
// selection set released.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "../configuration/CommandLine.h"
#include "FailedChecks.h"
#include "OlOldDrawingSettings.h"
#include "SettingsDrawing.h"
#include "hostdb.h"

using brevant::test::cacheXData;
using brevant::test::FailedChecks;
using brevant::test::kSettingsApplication;
using brevant::test::settingsDrawingText;
using brevant::test::settingsXData;
using brevant::test::takeCommandLine;
using brevant::test::TestEntity;
using brevant::test::WorkingDrawing;
using brevant::test::XData;

namespace {

const std::string kTracePrefix = "Brevant (high) : ";

// What one ReadDrawingSettingsEnt call did.
struct Reading {
    int iResult = 0;
    int iRecords = -7;                       // -7: left as it was
    std::vector<std::string> vectorRecords;  // the copies handed out
    bool bTableUntouched = true;             // entries past the records as they were
    std::string sShown;                      // the command line without trace lines
    std::string sTraces;

    bool traced(const std::string& sText) const { return sTraces.find(sText) != std::string::npos; }
    size_t scans() const {
        size_t iScans = 0;
        for (size_t i = sTraces.find("NOW scanning"); i != std::string::npos;
             i = sTraces.find("NOW scanning", i + 1)) {
            ++iScans;
        }
        return iScans;
    }
    // How the carrier was found: "cache", "first", "scan" or "none".
    std::string foundBy() const {
        if (traced("FOUND CACHE in szCacheHandle")) {
            return "cache";
        }
        if (traced("First Entity is for data settings!")) {
            return "first";
        }
        return traced("{FindDrawingSettingsEnt} Finished OK") ? "scan" : "none";
    }
};

// Splits the command line into trace lines and what the user sees.
void splitCommandLine(const std::string& sText, std::string& sShown, std::string& sTraces) {
    size_t iStart = 0;
    for (size_t i = sText.find(kTracePrefix); i != std::string::npos;
         i = sText.find(kTracePrefix, iStart)) {
        sShown += sText.substr(iStart, i - iStart);
        const size_t iEnd = sText.find('\n', i);
        sTraces += sText.substr(i, iEnd == std::string::npos ? std::string::npos : iEnd + 1 - i);
        iStart = iEnd == std::string::npos ? sText.size() : iEnd + 1;
    }
    sShown += sText.substr(iStart);
}

char G_szSentinel[] = "sentinel";
const int kTableSize = 600;

Reading readOldSettings(int iLimit = 512) {
    Reading reading;
    std::vector<LPTSTR> vectorTable(kTableSize, G_szSentinel);
    takeCommandLine();
    reading.iResult =
        ReadDrawingSettingsEnt(kSettingsApplication, vectorTable.data(), reading.iRecords, iLimit);
    splitCommandLine(takeCommandLine(), reading.sShown, reading.sTraces);
    const int iCopied = (reading.iResult == 0 && reading.iRecords > 0) ? reading.iRecords : 0;
    for (int i = 0; i < kTableSize; ++i) {
        if (i < iCopied) {
            reading.vectorRecords.push_back(vectorTable[i]);
            free(vectorTable[i]);
        } else if (vectorTable[i] != G_szSentinel) {
            reading.bTableUntouched = false;
        }
    }
    EXPECT_EQ(brevant::host::openSelectionSetCount(), 0u);
    return reading;
}

const std::vector<std::string> G_vectorRecords = {"_PellamDIszDwgTitle1 Ground floor",
                                                  "_PellamDIszDwgTitle2  two  blanks"};

}  // namespace

TEST(OlOldDrawingSettings, CarrierFoundThroughCacheFirstEntityOrScan) {
    struct Case {
        const char* sWhat;
        std::vector<TestEntity> vectorEntities;
        std::string sFirstFoundBy;
        size_t iFirstScans;
        std::string sCacheAfter;  // the cached handle after the first read
        std::string sSecondFoundBy;
        std::string sShownEachTime;
    } cases[] = {
        {"the first entity carries the settings: never examined, so scanned, then cached",
         {{"LINE", "100", settingsXData(G_vectorRecords)}, {"CIRCLE", "101", {}}},
         "scan",
         1,
         "100",
         "cache",
         ""},
        {"the first suitable entity holds the cache marker: found in the second pass",
         {{"LWPOLYLINE", "100", {}},
          {"MTEXT", "101", {}},
          {"TEXT", "102", cacheXData("104")},
          {"LINE", "103", {}},
          {"CIRCLE", "104", settingsXData(G_vectorRecords)}},
         "cache",
         0,
         "104",
         "cache",
         ""},
        {"the first suitable entity is the carrier",
         {{"LINE", "100", {}}, {"POINT", "101", settingsXData(G_vectorRecords)}},
         "first",
         0,
         "",
         "first",
         ""},
        {"no handles: found by the scan each time, and the user is told",
         {{"LINE", "", settingsXData(G_vectorRecords)}, {"MTEXT", "", {}}},
         "scan",
         1,
         "",
         "scan",
         "\nWARNING: Turn HANDLES ON to speed up Ternis! (type HANDLES)"},
        {"a cache marker naming a missing entity: the stale handle stays, every read scans",
         {{"LINE", "100", {}},
          {"TEXT", "101", cacheXData("FF")},
          {"ARC", "102", settingsXData(G_vectorRecords)}},
         "scan",
         1,
         "FF",
         "scan",
         ""},
    };
    FailedChecks checks;
    std::vector<std::unique_ptr<WorkingDrawing>> vectorDrawings;  // apart in memory
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sWhat);
        vectorDrawings.emplace_back(new WorkingDrawing(settingsDrawingText(c.vectorEntities)));
        ASSERT_TRUE(vectorDrawings.back()->valid());
        const Reading first = readOldSettings();
        EXPECT_EQ(first.iResult, 0);
        EXPECT_EQ(first.vectorRecords, G_vectorRecords);
        EXPECT_EQ(first.iRecords, 2);
        EXPECT_EQ(first.foundBy(), c.sFirstFoundBy);
        EXPECT_EQ(first.scans(), c.iFirstScans);
        EXPECT_EQ(first.sShown, c.sShownEachTime);
        EXPECT_STREQ(getCacheHandle(), c.sCacheAfter.c_str());

        const Reading second = readOldSettings();
        EXPECT_EQ(second.iResult, 0);
        EXPECT_EQ(second.vectorRecords, G_vectorRecords);
        EXPECT_EQ(second.foundBy(), c.sSecondFoundBy);
        EXPECT_EQ(second.sShown, c.sShownEachTime);
        EXPECT_TRUE(checks.take().empty());
    }
}

TEST(OlOldDrawingSettings, RecordsReadOnlyAsFarAsTheCarrierGoes) {
    std::vector<std::string> vector512;
    for (int i = 0; i < 512; ++i) {
        vector512.push_back("_Record" + std::to_string(i) + " value " + std::to_string(i));
    }
    struct Case {
        const char* sWhat;
        XData xdata;
        int iLimit;
        int iResult;
        std::vector<std::string> vectorRecords;
        std::string sShown;
    } cases[] = {
        {"a count of 0", settingsXData({}), 512, 0, {}, ""},
        {"two records", settingsXData(G_vectorRecords), 512, 0, G_vectorRecords, ""},
        {"512 records with a limit of 512", settingsXData(vector512), 512, 0, vector512, ""},
        {"more records than the limit",
         settingsXData(G_vectorRecords),
         1,
         -1,
         {},
         "\nNumber Of Records Exceeds Maximum User Limit\n"},
        {"a count of 513 with a limit of 512",
         settingsXData({}, 513),
         512,
         -1,
         {},
         "\nNumber Of Records Exceeds Maximum User Limit\n"},
        {"a count that claims more records than there are",
         settingsXData(G_vectorRecords, 3),
         512,
         -1,
         {},
         ""},
        {"a negative count", settingsXData(G_vectorRecords, -2), 512, -1, {}, ""},
        {"data that ends before the count",
         {{1000, "v1"}, {1000, "TERNISSETTINGS"}},
         512,
         -1,
         {},
         ""},
        {"a count that is not an integer",
         {{1000, "v1"}, {1000, "TERNISSETTINGS"}, {1000, "2"}, {1000, "a b"}, {1000, "c d"}},
         512,
         -1,
         {},
         ""},
        {"a record that is not a text",
         {{1000, "v1"}, {1000, "TERNISSETTINGS"}, {1070, "2"}, {1000, "a b"}, {1070, "7"}},
         512,
         -1,
         {},
         ""},
        {"fewer records claimed than there are: the count wins",
         settingsXData(G_vectorRecords, 1),
         512,
         0,
         {G_vectorRecords[0]},
         ""},
    };
    FailedChecks checks;
    std::vector<std::unique_ptr<WorkingDrawing>> vectorDrawings;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sWhat);
        // The carrier first, so that the scan finds it.
        vectorDrawings.emplace_back(
            new WorkingDrawing(settingsDrawingText({{"LINE", "100", c.xdata}})));
        ASSERT_TRUE(vectorDrawings.back()->valid());
        const Reading reading = readOldSettings(c.iLimit);
        EXPECT_EQ(reading.iResult, c.iResult);
        EXPECT_EQ(reading.vectorRecords, c.vectorRecords);
        EXPECT_EQ(reading.sShown, c.sShown);
        EXPECT_TRUE(reading.bTableUntouched);
        if (c.iResult != 0) {
            EXPECT_EQ(reading.iRecords, -7);
        }
        EXPECT_TRUE(checks.take().empty());
    }
}

TEST(OlOldDrawingSettings, NoCarrier) {
    const XData tooShort = {{1000, "v1"}};
    struct Case {
        const char* sWhat;
        std::vector<TestEntity> vectorEntities;
        bool bRegistered;
        int iResult;
        std::string sTrace;
        std::string sShown;
    } cases[] = {
        {"the application is not registered",
         {{"LINE", "100", {}}, {"TEXT", "101", {}}},
         false,
         -1,
         "IsApplicationRegistered()==FALSE ~ returning",
         ""},
        {"no entity has data of the application",
         {{"LINE", "100", {}}, {"TEXT", "101", {}}},
         true,
         -1,
         "Finished - didn't ssget any",
         ""},
        {"only a cache marker naming a missing entity",
         {{"LINE", "100", {}}, {"TEXT", "101", cacheXData("FF")}},
         true,
         -1,
         "Finished - didn't find Ent",
         ""},
        {"an empty drawing", {}, true, -1, "(looked at 1 ents.)", ""},
        {"the scan gives up at an entity whose data is too short",
         {{"LINE", "100", tooShort}, {"MTEXT", "101", settingsXData(G_vectorRecords)}},
         true,
         -1,
         "looping...",
         "\nReadDrawingSetting: xeditem"},
        {"a cache marker without its handle is passed over",
         {{"LINE", "100", {}},
          {"TEXT", "101", {{1000, "v1"}, {1000, "TERNISSETTINGS-CACHE"}}},
          {"MTEXT", "102", settingsXData(G_vectorRecords)}},
         true,
         0,
         "Cache now=102",
         ""},
    };
    FailedChecks checks;
    std::vector<std::unique_ptr<WorkingDrawing>> vectorDrawings;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sWhat);
        vectorDrawings.emplace_back(
            new WorkingDrawing(settingsDrawingText(c.vectorEntities, c.bRegistered)));
        ASSERT_TRUE(vectorDrawings.back()->valid());
        const Reading reading = readOldSettings();
        EXPECT_EQ(reading.iResult, c.iResult);
        EXPECT_TRUE(reading.traced(c.sTrace)) << reading.sTraces;
        EXPECT_EQ(reading.sShown, c.sShown);
        EXPECT_TRUE(reading.bTableUntouched);
        EXPECT_TRUE(checks.take().empty());
    }
}

TEST(OlOldDrawingSettings, FirstSuitableEntityAndCache) {
    FailedChecks checks;
    WorkingDrawing drawing(settingsDrawingText({{"ARC", "100", {}},
                                                {"MTEXT", "101", {}},
                                                {"ELLIPSE", "", {}},
                                                {"Line", "103", {}},
                                                {"3DFACE", "104", {}}}));
    ASSERT_TRUE(drawing.valid());
    takeCommandLine();
    // The first ARC is never examined; the type is compared exactly.
    ads_name eEntity = {0, 0};
    EXPECT_EQ(FindFirstSuitableEnt(eEntity), RTNORM);
    EXPECT_EQ(takeCommandLine(),
              brevant::test::traceLine("{FindFirstSuitableEnt} begin function") +
                  brevant::test::traceLine(
                      "{FindFirstSuitableEnt} entity no. 4 (3DFACE  104) is a suitable cache"));

    // The cache: nothing for this drawing yet; the first handle stays.
    EXPECT_STREQ(getCacheHandle(), "");
    EXPECT_TRUE(takeCommandLine().find("getCacheHandle() - invalid settings cache request.") !=
                std::string::npos);
    setCacheHandle("1A");
    setCacheHandle("2B");
    EXPECT_STREQ(getCacheHandle(), "1A");
    EXPECT_TRUE(checks.take().empty());
}
