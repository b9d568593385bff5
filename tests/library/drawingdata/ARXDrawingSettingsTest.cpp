// The settings store in the named-objects dictionary: records by their keys,
// records that are not a single text, writing over a store, and the entry
// point that falls back on the earlier product's records.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "../configuration/CommandLine.h"
#include "ARXDrawingSettings.h"
#include "FailedChecks.h"
#include "SettingsDrawing.h"
#include "TempDir.h"
#include "adslib.h"
#include "dbapserv.h"
#include "dbdict.h"
#include "dbxrecrd.h"

using brevant::test::FailedChecks;
using brevant::test::kSettingsApplication;
using brevant::test::settingsDrawingText;
using brevant::test::settingsXData;
using brevant::test::takeCommandLine;
using brevant::test::traceLine;
using brevant::test::WorkingDrawing;
using brevant::test::XData;

namespace {

// One entry of a test store: its key and its data (code, value); code 0 puts
// a dictionary under the key instead of a record.
struct StoredRecord {
    std::string sKey;
    XData data;
};

const XData kDictionaryInstead = {{0, ""}};

resbuf* chainOf(const XData& data) {
    resbuf* rbHead = nullptr;
    resbuf** pTail = &rbHead;
    for (const auto& item : data) {
        resbuf* rb = acutNewRb(item.first);
        if (acdbGroupCodeToType(item.first) == RTSTR) {
            rb->resval.rstring = strdup(item.second.c_str());
        } else {
            rb->resval.rint = (short)std::stoi(item.second);
        }
        *pTail = rb;
        pTail = &rb->rbnext;
    }
    return rbHead;
}

// Puts a new object under a key of the named-objects dictionary; it stays
// open for write.
void addToNamedObjects(AcDbDatabase* pDb, const char* sKey, AcDbObject* pObject) {
    AcDbDictionary* pNamedObjects = nullptr;
    ASSERT_EQ(pDb->getNamedObjectsDictionary(pNamedObjects, AcDb::kForWrite), Acad::eOk);
    AcDbObjectId id;
    ASSERT_EQ(pNamedObjects->setAt(sKey, pObject, id), Acad::eOk);
    pNamedObjects->close();
}

void addStore(AcDbDatabase* pDb, const std::vector<StoredRecord>& vectorRecords) {
    auto* pStore = new AcDbDictionary;
    addToNamedObjects(pDb, kSettingsApplication, pStore);
    for (const StoredRecord& record : vectorRecords) {
        AcDbObjectId id;
        if (record.data == kDictionaryInstead) {
            auto* pOther = new AcDbDictionary;
            ASSERT_EQ(pStore->setAt(record.sKey.c_str(), pOther, id), Acad::eOk);
            pOther->close();
            continue;
        }
        auto* pRecord = new AcDbXrecord;
        ASSERT_EQ(pStore->setAt(record.sKey.c_str(), pRecord, id), Acad::eOk);
        if (!record.data.empty()) {
            resbuf* rbData = chainOf(record.data);
            EXPECT_EQ(pRecord->setFromRbChain(*rbData), Acad::eOk);
            acutRelRb(rbData);
        }
        pRecord->close();
    }
    pStore->close();
}

StoredRecord text(const std::string& sKey) {
    return {sKey, {{1, "r" + sKey}}};
}

std::vector<std::string> entriesOf(const CDrawingSettings& settings) {
    std::vector<std::string> vectorEntries;
    for (const CString& sEntry : settings.getEntries()) {
        vectorEntries.push_back((LPCTSTR)sEntry);
    }
    return vectorEntries;
}

std::vector<std::string> readStore(AcDbDatabase* pDb) {
    CARXDrawingSettings settings(pDb, kSettingsApplication);
    settings.read();
    return entriesOf(settings);
}

}  // namespace

TEST(ARXDrawingSettings, RecordsByTheirKeys) {
    struct Case {
        const char* sWhat;
        std::vector<StoredRecord> vectorRecords;
        std::vector<std::string> vectorEntries;
        std::vector<std::string> vectorChecks;
    } cases[] = {
        {"keys 0, 1 and 3: the record keyed 3 lies outside 0 to 2",
         {text("0"), text("1"), text("3")},
         {"r0", "r1", ""},
         {"iIDX < iNumberOfEntries"}},
        {"a key that is a word counts but is not read",
         {text("0"), text("1"), text("word")},
         {"r0", "r1", ""},
         {}},
        {"keys read as numbers are: \"00\" is 0, \"-1\" is far outside, \"-\" no number",
         {text("00"), text("-1"), text("-")},
         {"r00", "", ""},
         {"iIDX < iNumberOfEntries"}},
        {"an empty store", {}, {}, {}},
        {"records that are not a single text",
         {{"0", {{1, "first"}, {1, "second"}}},
          {"1", {{70, "5"}}},
          {"2", {}},
          {"3", kDictionaryInstead},
          text("4")},
         {"first", "", "", "", "r4"},
         {"bTerminated", "bTextRecord", "bTextRecord", "pXRecord != NULL"}},
    };
    FailedChecks checks;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sWhat);
        AcDbDatabase db;
        addStore(&db, c.vectorRecords);
        EXPECT_EQ(readStore(&db), c.vectorEntries);
        EXPECT_EQ(checks.take(), c.vectorChecks);
    }
}

TEST(ARXDrawingSettings, WithoutAStoreTheEntriesStay) {
    FailedChecks checks;
    AcDbDatabase db;
    CARXDrawingSettings settings(&db, kSettingsApplication);
    settings.setEntries({"kept"});
    settings.read();
    EXPECT_EQ(entriesOf(settings), std::vector<std::string>{"kept"});
    // Something that is not a store under the application's name.
    auto* pRecord = new AcDbXrecord;
    addToNamedObjects(&db, kSettingsApplication, pRecord);
    pRecord->close();
    settings.read();
    EXPECT_EQ(entriesOf(settings), std::vector<std::string>{"kept"});
    EXPECT_EQ(checks.take(), std::vector<std::string>{"pDictionary != NULL"});

    // No drawing at all.
    CARXDrawingSettings nowhere(NULL, kSettingsApplication);
    nowhere.read();
    EXPECT_TRUE(nowhere.getEntries().empty());
    EXPECT_EQ(checks.take(), std::vector<std::string>{"m_pDatabase != NULL"});

    // Asked before reading, and made without an application name.
    CARXDrawingSettings unnamed(&db, "");
    EXPECT_TRUE(unnamed.getEntries().empty());
    EXPECT_EQ(checks.take(),
              (std::vector<std::string>{"!m_sApplication.IsEmpty()", "m_bEntriesValid"}));
}

TEST(ARXDrawingSettings, WritingOverAStoreLeavesLaterKeys) {
    brevant::test::TempDir dir;
    FailedChecks checks;
    AcDbDatabase db;
    {
        CARXDrawingSettings settings(&db, kSettingsApplication);
        settings.setEntries({"a", "b", "c"});
        settings.write();
    }
    EXPECT_EQ(readStore(&db), (std::vector<std::string>{"a", "b", "c"}));
    {
        CARXDrawingSettings settings(&db, kSettingsApplication);
        settings.setEntries({"x"});
        settings.write();
    }
    EXPECT_EQ(readStore(&db), (std::vector<std::string>{"x", "b", "c"}));
    EXPECT_TRUE(checks.take().empty());

    // The records are part of the drawing file.
    const std::string sPath = dir.file("store.dwg");
    ASSERT_EQ(db.saveAs(sPath.c_str()), Acad::eOk);
    AcDbDatabase again(false);
    ASSERT_EQ(again.readDwgFile(sPath.c_str()), Acad::eOk);
    EXPECT_EQ(readStore(&again), (std::vector<std::string>{"x", "b", "c"}));

    // A text that the drawing cannot hold (a line break) is reported.
    {
        CARXDrawingSettings settings(&db, kSettingsApplication);
        settings.setEntries({"one\ntwo"});
        settings.write();
    }
    EXPECT_EQ(checks.take(),
              std::vector<std::string>{"pXRecord->setFromRbChain(*rbXRecord) == Acad::eOk"});

    // Something else under the application's name is not written over.
    AcDbDatabase other;
    auto* pRecord = new AcDbXrecord;
    addToNamedObjects(&other, kSettingsApplication, pRecord);
    pRecord->close();
    {
        CARXDrawingSettings settings(&other, kSettingsApplication);
        settings.setEntries({"a"});
        settings.write();
    }
    EXPECT_EQ(checks.take(), std::vector<std::string>{"pDictionary != NULL"});
}

TEST(ARXDrawingSettings, ReadingForTheCallerFallsBackOnOldRecords) {
    const std::vector<std::string> vectorOld = {"_PellamDIszDwgTitle1 Old title"};
    std::vector<std::string> vector513;
    for (int i = 0; i < 513; ++i) {
        vector513.push_back("_Record" + std::to_string(i) + " " + std::to_string(i));
    }
    const std::string sStart = traceLine("OlReadDrawingSettings(\"Pellam-Ternis-1\", ..., 512)\n") +
                               traceLine("\t-\treading settings from dictionary (new) ...\n");
    const std::string sFallBack = traceLine("\t-\tno records available ...\n") +
                                  traceLine("\t-\treading settings from XDATA (old) ...\n");
    struct Case {
        const char* sWhat;
        std::vector<std::string> vectorNew;  // in a store, when bStore
        bool bStore;
        int iResult;
        std::vector<std::string> vectorRecords;
        bool bOldRead;
    } cases[] = {
        {"records in the store", {"a b", "c d", "e f"}, true, 0, {"a b", "c d", "e f"}, false},
        {"513 records with a limit of 512", vector513, true, -1, {}, false},
        {"an empty store: the old records", {}, true, 0, vectorOld, true},
        {"no store: the old records", {}, false, 0, vectorOld, true},
    };
    FailedChecks checks;
    std::vector<std::unique_ptr<WorkingDrawing>> vectorDrawings;  // apart in memory
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sWhat);
        vectorDrawings.emplace_back(
            new WorkingDrawing(settingsDrawingText({{"LINE", "100", settingsXData(vectorOld)}})));
        AcDbDatabase* pDb = vectorDrawings.back()->database();
        if (c.bStore) {
            CARXDrawingSettings settings(pDb, kSettingsApplication);
            std::vector<CString> vectorEntries;
            for (const std::string& sEntry : c.vectorNew) {
                vectorEntries.push_back(sEntry.c_str());
            }
            settings.setEntries(vectorEntries);
            settings.write();
        }
        std::vector<LPTSTR> vectorTable(600, NULL);
        int iRecords = -7;
        takeCommandLine();
        EXPECT_EQ(OlReadDrawingSettings(kSettingsApplication, vectorTable.data(), iRecords, 512),
                  c.iResult);
        const std::string sTraces = takeCommandLine();
        EXPECT_EQ(sTraces.find(sStart), 0u);
        EXPECT_EQ(sTraces.find(sFallBack) != std::string::npos, c.bOldRead);
        EXPECT_EQ(sTraces.find(traceLine("\t-\ttoo many records ...\n")) != std::string::npos,
                  c.iResult != 0);
        EXPECT_EQ(iRecords, c.iResult == 0 ? (int)c.vectorRecords.size() : -7);
        std::vector<std::string> vectorRecords;
        for (int i = 0; i < (int)vectorTable.size(); ++i) {
            if (i < iRecords) {
                vectorRecords.push_back(vectorTable[i]);
                free(vectorTable[i]);
            } else {
                EXPECT_EQ(vectorTable[i], nullptr);
            }
        }
        EXPECT_EQ(vectorRecords, c.vectorRecords);
        EXPECT_TRUE(checks.take().empty());
    }

    // Without a working database nothing is read.
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    std::vector<LPTSTR> vectorTable(4, NULL);
    int iRecords = -7;
    EXPECT_EQ(OlReadDrawingSettings(kSettingsApplication, vectorTable.data(), iRecords, 4), -1);
    EXPECT_EQ(iRecords, -7);
    EXPECT_EQ(checks.take(), std::vector<std::string>{"m_pDatabase != NULL"});
}
