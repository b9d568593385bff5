// The drawing database as the module uses it: tables and their iterators,
// block references and attributes, open and close discipline, dictionaries and
// xrecords, extended data through entity lists and selection sets, summary
// information, project name and external references.
#include "TempDir.h"

#include "acedxref.h"
#include "acutmem.h"
#include "adslib.h"
#include "dbapserv.h"
#include "dbdict.h"
#include "dbents.h"
#include "dbsymtb.h"
#include "dbxrecrd.h"
#include "hostdb.h"
#include "summinfo.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using brevant::test::TempDir;
using namespace brevant::host;

namespace {

struct Names {
    std::vector<std::string> blocks, layers, apps, xrefs, unreferenced;
};

// What the module's table collection reads: every record the iterators give,
// blocks split as it splits them.
Names collect(AcDbDatabase* db) {
    Names n;
    AcDbBlockTable* pBlockTable = nullptr;
    EXPECT_EQ(db->getBlockTable(pBlockTable, AcDb::kForRead), Acad::eOk);
    AcDbBlockTableIterator* pIter = nullptr;
    EXPECT_EQ(pBlockTable->newIterator(pIter), Acad::eOk);
    for (; !pIter->done(); pIter->step()) {
        AcDbBlockTableRecord* pBTR = nullptr;
        EXPECT_EQ(pIter->getRecord(pBTR, AcDb::kForRead), Acad::eOk);
        if (!pBTR->isAnonymous() && !pBTR->isLayout()) {
            const char* name = nullptr;
            EXPECT_EQ(pBTR->getName(name), Acad::eOk);
            if (pBTR->isFromExternalReference()) {
                const char* path = nullptr;
                EXPECT_EQ(pBTR->pathName(path), Acad::eOk);
                (pBTR->xrefStatus() == AcDb::kXrfUnreferenced ? n.unreferenced : n.xrefs)
                    .push_back(std::string(name) + "=" + path);
            } else {
                n.blocks.push_back(name);
            }
        }
        EXPECT_EQ(pBTR->close(), Acad::eOk);
    }
    delete pIter;
    EXPECT_EQ(pBlockTable->close(), Acad::eOk);
    AcDbLayerTable* pLayers = nullptr;
    EXPECT_EQ(db->getLayerTable(pLayers, AcDb::kForRead), Acad::eOk);
    AcDbLayerTableIterator* pLayerIter = nullptr;
    pLayers->newIterator(pLayerIter);
    for (; !pLayerIter->done(); pLayerIter->step()) {
        AcDbLayerTableRecord* pRec = nullptr;
        EXPECT_EQ(pLayerIter->getRecord(pRec, AcDb::kForRead), Acad::eOk);
        char* name = nullptr;
        pRec->getName(name);
        n.layers.push_back(name);
        acutDelString(name);
        pRec->close();
    }
    delete pLayerIter;
    pLayers->close();
    AcDbRegAppTable* pApps = nullptr;
    EXPECT_EQ(db->getRegAppTable(pApps, AcDb::kForRead), Acad::eOk);
    AcDbRegAppTableIterator* pAppIter = nullptr;
    pApps->newIterator(pAppIter);
    for (; !pAppIter->done(); pAppIter->step()) {
        AcDbRegAppTableRecord* pRec = nullptr;
        pAppIter->getRecord(pRec, AcDb::kForRead);
        const char* name = nullptr;
        pRec->getName(name);
        n.apps.push_back(name);
        pRec->close();
    }
    delete pAppIter;
    pApps->close();
    return n;
}

// Tag -> text of the attributes of a block reference, in attribute order.
std::vector<std::pair<std::string, std::string>> attributesOf(AcDbObjectId refId) {
    std::vector<std::pair<std::string, std::string>> out;
    AcDbEntity* pEntity = nullptr;
    EXPECT_EQ(acdbOpenAcDbEntity(pEntity, refId, AcDb::kForRead), Acad::eOk);
    AcDbBlockReference* pRef = AcDbBlockReference::cast(pEntity);
    EXPECT_NE(pRef, nullptr);
    AcDbObjectIterator* it = pRef->attributeIterator();
    for (; !it->done(); it->step()) {
        AcDbObject* pObj = nullptr;
        EXPECT_EQ(acdbOpenAcDbObject(pObj, it->objectId(), AcDb::kForRead), Acad::eOk);
        AcDbAttribute* pAttr = AcDbAttribute::cast(pObj);
        char* tag = pAttr->tag();
        char* text = pAttr->textString();
        out.emplace_back(tag, text);
        acutDelString(tag);
        acutDelString(text);
        pObj->close();
    }
    delete it;
    pEntity->close();
    return out;
}

std::string handleOf(AcDbObjectId id) {
    char buffer[20];
    id.handle().getIntoAsciiBuffer(buffer);
    return buffer;
}

}  // namespace

TEST(Database, NewDrawingHasTheDefaultContent) {
    AcDbDatabase db;
    EXPECT_STREQ(db.dxfVersion(), "AC1015");
    const char* name = nullptr;
    EXPECT_EQ(db.getFilename(name), Acad::eNoFileName);
    Names n = collect(&db);
    EXPECT_TRUE(n.blocks.empty());  // model and paper space are layouts
    EXPECT_EQ(n.layers, std::vector<std::string>{"0"});
    EXPECT_EQ(n.apps, std::vector<std::string>{"ACAD"});
    AcDbDictionary* pNod = nullptr;
    ASSERT_EQ(db.getNamedObjectsDictionary(pNod, AcDb::kForRead), Acad::eOk);
    for (const char* key : {"ACAD_GROUP", "ACAD_LAYOUT", "ACAD_MLINESTYLE", "ACAD_PLOTSETTINGS",
                            "ACAD_PLOTSTYLENAME", "AcDbVariableDictionary"}) {
        EXPECT_TRUE(pNod->has(key)) << key;
    }
    pNod->close();
    char* project = nullptr;
    ASSERT_EQ(db.getProjectName(project), Acad::eOk);
    EXPECT_STREQ(project, "");
    acutDelString(project);
    EXPECT_EQ(project, nullptr);
}

TEST(Database, BlockReferencesAndAttributes) {
    TempDir dir;
    AcDbDatabase db;
    AcDbObjectId titleId, revId;
    ASSERT_EQ(defineBlock(&db, "TITLE", {{"DOCTITLE1", "default"}, {"SCALE", "1:1"}}, titleId),
              Acad::eOk);
    ASSERT_EQ(defineBlock(&db, "grevn", {{"REVMARK_REV", ""}}, revId), Acad::eOk);
    EXPECT_EQ(defineBlock(&db, "title", {}, titleId), Acad::eDuplicateRecord);
    AcDbObjectId ref1, ref2, rev1, rev2;
    // Two values for DOCTITLE1: the second becomes a second attribute of that tag.
    ASSERT_EQ(insertBlock(&db, "TITLE", AcGePoint3d(1, 2, 0),
                          {{"DOCTITLE1", "Plan"}, {"DOCTITLE1", "Level 2"}}, ref1),
              Acad::eOk);
    ASSERT_EQ(insertBlock(&db, "TITLE", AcGePoint3d(5, 5, 0), {}, ref2, true), Acad::eOk);
    ASSERT_EQ(insertBlock(&db, "grevn", AcGePoint3d(), {{"REVMARK_REV", "A"}}, rev1), Acad::eOk);
    ASSERT_EQ(insertBlock(&db, "grevn", AcGePoint3d(), {{"REVMARK_REV", "B"}}, rev2), Acad::eOk);
    AcDbObjectId none;
    EXPECT_EQ(insertBlock(&db, "NOPE", AcGePoint3d(), {}, none), Acad::eKeyNotFound);
    EXPECT_TRUE(none.isNull());

    using Attrs = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(attributesOf(ref1),
              (Attrs{{"DOCTITLE1", "Plan"}, {"SCALE", "1:1"}, {"DOCTITLE1", "Level 2"}}));
    EXPECT_EQ(attributesOf(ref2), (Attrs{{"DOCTITLE1", "default"}, {"SCALE", "1:1"}}));

    // Erasing a reference: the block stays in the table, the reference leaves the list.
    ASSERT_EQ(eraseByHandle(&db, handleOf(rev1).c_str()), Acad::eOk);
    EXPECT_EQ(eraseByHandle(&db, handleOf(rev1).c_str()), Acad::eWasErased);
    EXPECT_EQ(eraseByHandle(&db, "FFFFF"), Acad::eUnknownHandle);
    AcDbBlockTable* pTable = nullptr;
    ASSERT_EQ(db.getBlockTable(pTable, AcDb::kForRead), Acad::eOk);
    EXPECT_TRUE(pTable->has("GREVN"));
    AcDbBlockTableRecord* pRev = nullptr;
    ASSERT_EQ(pTable->getAt("grevn", pRev, AcDb::kForRead), Acad::eOk);
    pTable->close();
    AcDbObjectIdArray ids;
    ASSERT_EQ(pRev->getBlockReferenceIds(ids), Acad::eOk);
    pRev->close();
    ASSERT_EQ(ids.length(), 1);
    EXPECT_EQ(ids[0], rev2);
    EXPECT_EQ(collect(&db).blocks, (std::vector<std::string>{"TITLE", "grevn"}));
    AcDbObject* pObj = nullptr;
    EXPECT_EQ(acdbOpenAcDbObject(pObj, rev1, AcDb::kForRead), Acad::eWasErased);
    ASSERT_EQ(acdbOpenAcDbObject(pObj, rev1, AcDb::kForRead, true), Acad::eOk);
    EXPECT_TRUE(pObj->isErased());
    pObj->close();

    // An attribute edit, saved and read back: every property of the record.
    ASSERT_EQ(setAttributeValue(&db, handleOf(ref1).c_str(), "SCALE", "1:50"), Acad::eOk);
    EXPECT_EQ(setAttributeValue(&db, handleOf(ref1).c_str(), "NOTAG", "x"), Acad::eKeyNotFound);
    const std::string path = dir.file("refs.dxf");
    ASSERT_EQ(db.saveAs(path.c_str()), Acad::eOk);
    AcDbDatabase again(false);
    ASSERT_EQ(again.readDwgFile(path.c_str()), Acad::eOk) << again.lastErrorText();
    AcDbObjectId ref1Again;
    ASSERT_EQ(again.getAcDbObjectId(ref1Again, false, ref1.handle()), Acad::eOk);
    EXPECT_EQ(attributesOf(ref1Again),
              (Attrs{{"DOCTITLE1", "Plan"}, {"SCALE", "1:50"}, {"DOCTITLE1", "Level 2"}}));
    AcDbObjectId rev1Again;
    ASSERT_EQ(again.getAcDbObjectId(rev1Again, false, rev1.handle()), Acad::eUnknownHandle);
    EXPECT_GT(again.handseed().value(), rev2.handle().value());

    AcDbBlockReference* pRef = nullptr;
    ASSERT_EQ(acdbOpenObject(pRef, ref1Again, AcDb::kForRead), Acad::eOk);
    AcDbObjectIterator* it = pRef->attributeIterator();
    AcDbAttribute* pAttr = nullptr;
    ASSERT_EQ(acdbOpenObject(pAttr, it->objectId(), AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(pAttr->position(), AcGePoint3d(1, 2, 0));
    EXPECT_EQ(pAttr->normal(), AcGeVector3d(0, 0, 1));
    EXPECT_DOUBLE_EQ(pAttr->height(), 2.5);
    EXPECT_DOUBLE_EQ(pAttr->widthFactor(), 1.0);
    EXPECT_DOUBLE_EQ(pAttr->rotation(), 0.0);
    EXPECT_FALSE(pAttr->isInvisible() || pAttr->isConstant() || pAttr->isVerifiable() ||
                 pAttr->isPreset());
    EXPECT_EQ(pAttr->horizontalMode(), AcDb::kTextLeft);
    EXPECT_EQ(pAttr->verticalMode(), AcDb::kTextBase);
    EXPECT_EQ(pAttr->ownerId(), ref1Again);
    pAttr->close();
    delete it;
    pRef->close();
}

TEST(Database, OpenAndCloseDiscipline) {
    AcDbDatabase db;
    AcDbObjectId textId;
    ASSERT_EQ(addText(&db, "note", AcGePoint3d(), textId), Acad::eOk);
    AcDbObject* a = nullptr;
    AcDbObject* b = nullptr;
    ASSERT_EQ(acdbOpenAcDbObject(a, textId, AcDb::kForRead), Acad::eOk);
    ASSERT_EQ(acdbOpenAcDbObject(b, textId, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(acdbOpenAcDbObject(b, textId, AcDb::kForWrite), Acad::eWasOpenForRead);
    EXPECT_EQ(b, nullptr);
    AcDbText::cast(a)->close();
    a->close();
    EXPECT_EQ(a->close(), Acad::eNotOpenForRead);  // a close too many is an error, not a crash
    ASSERT_EQ(acdbOpenAcDbObject(a, textId, AcDb::kForWrite), Acad::eOk);
    EXPECT_EQ(acdbOpenAcDbObject(b, textId, AcDb::kForRead), Acad::eWasOpenForWrite);
    EXPECT_EQ(AcDbText::cast(a)->setTextString("two\nlines"), Acad::eInvalidInput);
    a->close();
    EXPECT_EQ(AcDbText::cast(a)->setTextString("closed"), Acad::eNotOpenForWrite);
    AcDbEntity* pEnt = nullptr;
    EXPECT_EQ(acdbOpenAcDbEntity(pEnt, db.namedObjectsDictionaryId(), AcDb::kForRead),
              Acad::eNotAnEntity);
    EXPECT_EQ(acdbOpenAcDbObject(a, AcDbObjectId::kNull, AcDb::kForRead), Acad::eNullObjectId);
    AcDbDictionary* pDict = nullptr;
    EXPECT_EQ(acdbOpenObject(pDict, textId, AcDb::kForRead), Acad::eNotThatKindOfClass);
    EXPECT_EQ(acdbOpenAcDbObject(a, textId, AcDb::kForRead), Acad::eOk);  // closed again on the way
    a->close();

    struct Row {
        Acad::ErrorStatus status;
        const char* text;
    } rows[] = {{Acad::eOk, "eOk"},
                {Acad::eKeyNotFound, "eKeyNotFound"},
                {Acad::eWasErased, "eWasErased"},
                {Acad::ErrorStatus(120), "Unknown error status"}};
    for (const Row& r : rows) {
        EXPECT_STREQ(acadErrorStatusText(r.status), r.text);
    }
}

TEST(Database, SettingsDictionaryWithXrecords) {
    TempDir dir;
    AcDbDatabase db;
    AcDbDictionary* pNod = nullptr;
    ASSERT_EQ(db.getNamedObjectsDictionary(pNod, AcDb::kForWrite), Acad::eOk);
    auto* pDict = new AcDbDictionary;
    AcDbObjectId dictId;
    ASSERT_EQ(pNod->setAt("Pellam-Ternis-1", pDict, dictId), Acad::eOk);
    pNod->close();
    for (const char* key : {"3", "0", "1", "word"}) {
        auto* pRec = new AcDbXrecord;
        AcDbObjectId id;
        ASSERT_EQ(pDict->setAt(key, pRec, id), Acad::eOk);
        std::string text = std::string("record ") + key;
        resbuf* rb = acutBuildList(1, text.c_str(), 0);
        ASSERT_EQ(pRec->setFromRbChain(*rb), Acad::eOk);
        acutRelRb(rb);
        pRec->close();
    }
    pDict->close();
    const std::string path = dir.file("settings.dxf");
    ASSERT_EQ(db.saveAs(path.c_str()), Acad::eOk);

    AcDbDatabase again(false);
    ASSERT_EQ(again.readDwgFile(path.c_str()), Acad::eOk) << again.lastErrorText();
    ASSERT_EQ(again.getNamedObjectsDictionary(pNod, AcDb::kForRead), Acad::eOk);
    AcDbObject* pObj = nullptr;
    ASSERT_EQ(pNod->getAt("PELLAM-TERNIS-1", pObj, AcDb::kForRead), Acad::eOk);
    pNod->close();
    AcDbDictionary* pRead = AcDbDictionary::cast(pObj);
    ASSERT_NE(pRead, nullptr);
    EXPECT_EQ(pRead->numEntries(), 4u);
    std::vector<std::string> seen;
    AcDbDictionaryIterator* it = pRead->newIterator();
    for (; !it->done(); it->next()) {
        AcDbXrecord* pRec = nullptr;
        ASSERT_EQ(it->getObject((AcDbObject*&)pRec, AcDb::kForRead), Acad::eOk);
        resbuf* rb = nullptr;
        ASSERT_EQ(pRec->rbChain(&rb), Acad::eOk);
        ASSERT_NE(rb, nullptr);
        EXPECT_EQ(rb->restype, 1);
        EXPECT_EQ(rb->rbnext, nullptr);
        seen.push_back(std::string(it->name()) + ":" + rb->resval.rstring);
        acutRelRb(rb);
        pRec->close();
    }
    delete it;
    EXPECT_EQ(seen, (std::vector<std::string>{"0:record 0", "1:record 1", "3:record 3",
                                              "word:record word"}));
    pRead->close();
}

TEST(Database, ExtendedDataThroughEntityLists) {
    AcDbDatabase db;
    acdbHostApplicationServices()->setWorkingDatabase(&db);
    ASSERT_EQ(registerApplication(&db, "Pellam-Ternis-1"), Acad::eOk);
    AcDbObjectId first, second, third;
    ASSERT_EQ(addText(&db, "first", AcGePoint3d(), first), Acad::eOk);
    ASSERT_EQ(addText(&db, "second", AcGePoint3d(), second), Acad::eOk);
    ASSERT_EQ(addText(&db, "third", AcGePoint3d(), third), Acad::eOk);
    // The old settings markers on the second entity: cache marker, then data.
    AcDbObject* pObj = nullptr;
    ASSERT_EQ(acdbOpenAcDbObject(pObj, second, AcDb::kForWrite), Acad::eOk);
    resbuf* xd = acutBuildList(1001, "Pellam-Ternis-1", 1000, "v1", 1000, "TERNISSETTINGS", 1070, 2,
                               1000, "_PellamDIszDwgTitle1 Ground floor", 1000, "other value", 0);
    ASSERT_EQ(pObj->setXData(xd), Acad::eOk);
    acutRelRb(xd);
    resbuf* unknown = acutBuildList(1001, "NOT-REGISTERED", 1000, "x", 0);
    EXPECT_EQ(pObj->setXData(unknown), Acad::eRegappIdNotFound);
    acutRelRb(unknown);
    pObj->close();

    ads_name e1, e2, e3, none;
    ASSERT_EQ(acdbEntNext(nullptr, e1), RTNORM);
    ASSERT_EQ(acdbEntNext(e1, e2), RTNORM);
    ASSERT_EQ(acdbEntNext(e2, e3), RTNORM);
    EXPECT_EQ(acdbEntNext(e3, none), RTERROR);
    AcDbObjectId id;
    ASSERT_EQ(acdbGetObjectId(id, e2), Acad::eOk);
    EXPECT_EQ(id, second);

    resbuf* app = acutBuildList(RTSTR, "Pellam-Ternis-1", 0);
    resbuf* data = acdbEntGetX(e2, app);
    ASSERT_NE(data, nullptr);
    std::vector<int> codes;
    const resbuf* afterApp = nullptr;
    for (const resbuf* rb = data; rb != nullptr; rb = rb->rbnext) {
        codes.push_back(rb->restype);
        if (rb->restype == 1001) {
            afterApp = rb->rbnext;
        }
    }
    EXPECT_EQ(codes.front(), -1);
    EXPECT_EQ(codes[1], 0);
    ASSERT_NE(afterApp, nullptr);
    EXPECT_STREQ(afterApp->rbnext->resval.rstring, "TERNISSETTINGS");
    EXPECT_EQ(afterApp->rbnext->rbnext->restype, 1070);
    EXPECT_EQ(afterApp->rbnext->rbnext->resval.rint, 2);
    acutRelRb(data);
    resbuf* plain = acdbEntGet(e2);
    bool hasHandle = false, hasXdata = false;
    for (const resbuf* rb = plain; rb != nullptr; rb = rb->rbnext) {
        hasHandle |= rb->restype == 5 && handleOf(second) == rb->resval.rstring;
        hasXdata |= rb->restype == -3 || rb->restype == 1001;
    }
    EXPECT_TRUE(hasHandle);
    EXPECT_FALSE(hasXdata);
    acutRelRb(plain);

    ads_name byHandle;
    ASSERT_EQ(acdbHandEnt(handleOf(second).c_str(), byHandle), RTNORM);
    EXPECT_TRUE(byHandle[0] == e2[0] && byHandle[1] == e2[1]);
    EXPECT_EQ(acdbHandEnt("ZZ", byHandle), RTERROR);

    resbuf* filter = acutBuildList(-3, 1001, "Pellam-Ternis-1", 0);
    ads_name ss;
    const size_t openSets = openSelectionSetCount();
    ASSERT_EQ(acedSSGet("X", nullptr, nullptr, filter, ss), RTNORM);
    EXPECT_EQ(openSelectionSetCount(), openSets + 1);
    int32_t length = 0;
    ASSERT_EQ(acedSSLength(ss, &length), RTNORM);
    EXPECT_EQ(length, 1);
    ads_name member;
    ASSERT_EQ(acedSSName(ss, 0, member), RTNORM);
    EXPECT_TRUE(member[0] == e2[0] && member[1] == e2[1]);
    EXPECT_EQ(acedSSName(ss, 1, member), RTERROR);
    EXPECT_EQ(acedSSFree(ss), RTNORM);
    EXPECT_EQ(openSelectionSetCount(), openSets);
    EXPECT_EQ(acedSSLength(ss, &length), RTERROR);
    acutRelRb(filter);
    filter = acutBuildList(-3, 1001, "ACAD", 0);
    EXPECT_EQ(acedSSGet("X", nullptr, nullptr, filter, ss), RTERROR);
    acutRelRb(filter);

    resbuf* found = acdbTblSearch("APPID", "pellam-ternis-1", 0);
    ASSERT_NE(found, nullptr);
    EXPECT_STREQ(found->rbnext->resval.rstring, "Pellam-Ternis-1");
    acutRelRb(found);
    EXPECT_EQ(acdbTblSearch("APPID", "Unknown", 0), nullptr);
    acutRelRb(app);
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    EXPECT_EQ(acdbEntNext(nullptr, e1), RTERROR);
}

TEST(Database, SummaryInformationAndProjectNameSurviveSaveAndReopen) {
    TempDir dir;
    AcDbDatabase db;
    ASSERT_EQ(db.setProjectName("P-100"), Acad::eOk);
    AcDbDatabaseSummaryInfo* pInfo = nullptr;
    ASSERT_EQ(acdbGetSummaryInfo(&db, pInfo), Acad::eOk);
    EXPECT_EQ(pInfo->setTitle("Ground floor"), Acad::eOk);
    EXPECT_EQ(pInfo->setHyperlinkBase("http://x/"), Acad::eOk);
    for (int i = 0; i < 10; ++i) {
        std::string key = "K" + std::to_string(9 - i);
        EXPECT_EQ(pInfo->addCustomSummaryInfo(key.c_str(), ("v" + std::to_string(i)).c_str()),
                  Acad::eOk);
    }
    // The drawing holds ten custom entries; more are refused, not lost later.
    EXPECT_EQ(pInfo->addCustomSummaryInfo("K10", "v"), Acad::eOutOfRange);
    EXPECT_EQ(pInfo->addCustomSummaryInfo("K0", "again"), Acad::eDuplicateKey);
    EXPECT_EQ(pInfo->addCustomSummaryInfo("a=b", "v"), Acad::eInvalidInput);
    ASSERT_EQ(acdbPutSummaryInfo(pInfo), Acad::eOk);
    delete pInfo;
    const std::string path = dir.file("props.dxf");
    ASSERT_EQ(db.saveAs(path.c_str()), Acad::eOk);

    AcDbDatabase again(false);
    ASSERT_EQ(again.readDwgFile(path.c_str()), Acad::eOk) << again.lastErrorText();
    char* project = nullptr;
    again.getProjectName(project);
    EXPECT_STREQ(project, "P-100");
    acutDelString(project);
    ASSERT_EQ(acdbGetSummaryInfo(&again, pInfo), Acad::eOk);
    char* text = nullptr;
    pInfo->getTitle(text);
    EXPECT_STREQ(text, "Ground floor");
    acdbFree(text);
    pInfo->getHyperlinkBase(text);
    EXPECT_STREQ(text, "http://x/");
    acdbFree(text);
    ASSERT_EQ(pInfo->numCustomInfo(), 10);
    char* key = nullptr;
    char* value = nullptr;
    ASSERT_EQ(pInfo->getCustomSummaryInfo(0, key, value), Acad::eOk);
    EXPECT_STREQ(key, "K9");
    EXPECT_STREQ(value, "v0");
    acdbFree(key);
    acdbFree(value);
    delete pInfo;
    // Setting the project again changes the one record, adds none.
    ASSERT_EQ(again.setProjectName(""), Acad::eOk);
    again.getProjectName(project);
    EXPECT_STREQ(project, "");
    acutDelString(project);
}

TEST(Database, ExternalReferences) {
    TempDir dir;
    // The referenced drawing: a layer and a block of its own.
    AcDbDatabase site;
    AcDbObjectId id;
    ASSERT_EQ(defineBlock(&site, "TREE", {}, id), Acad::eOk);
    {
        AcDbLayerTable* pLayers = nullptr;
        ASSERT_EQ(site.getLayerTable(pLayers, AcDb::kForWrite), Acad::eOk);
        auto* pLayer = new AcDbLayerTableRecord;
        pLayer->setName("Walls");
        ASSERT_EQ(pLayers->add(pLayer), Acad::eOk);
        pLayer->close();
        pLayers->close();
    }
    ASSERT_EQ(site.saveAs(dir.file("site.dxf").c_str()), Acad::eOk);

    static std::vector<std::string> events;
    events.clear();
    SideDatabaseHook old =
        setSideDatabaseHook([](AcDbDatabase* pDb, const char* name, SideDatabaseEvent e) {
            events.push_back(
                std::string(e == SideDatabaseEvent::Read ? "read " : "gone ") +
                (pDb != nullptr ? std::string(name).substr(std::string(name).rfind('/') + 1) : ""));
        });
    AcDbDatabase db;
    ASSERT_EQ(db.saveAs(dir.file("plan.dxf").c_str()), Acad::eOk);
    AcDbObjectId siteId, missingId, spareId, laterId;
    ASSERT_EQ(attachXref(&db, "SITE", "site.dxf", AcGePoint3d(), siteId), Acad::eOk);
    ASSERT_EQ(attachXref(&db, "MISSING", "C:\\nowhere\\gone.dwg", AcGePoint3d(), missingId),
              Acad::eOk);
    ASSERT_EQ(attachXref(&db, "SPARE", "site.dxf", AcGePoint3d(), spareId, false), Acad::eOk);
    ASSERT_EQ(attachXref(&db, "LATER", "later.dxf", AcGePoint3d(), laterId), Acad::eOk);
    EXPECT_EQ(events, (std::vector<std::string>{"read site.dxf", "gone site.dxf"}));

    auto status = [](AcDbObjectId btrId) {
        AcDbBlockTableRecord* p = nullptr;
        EXPECT_EQ(acdbOpenObject(p, btrId, AcDb::kForRead), Acad::eOk);
        AcDb::XrefStatus s = p->xrefStatus();
        p->close();
        return s;
    };
    EXPECT_EQ(status(siteId), AcDb::kXrfResolved);
    EXPECT_EQ(status(missingId), AcDb::kXrfFileNotFound);
    EXPECT_EQ(status(spareId), AcDb::kXrfUnreferenced);
    EXPECT_EQ(status(laterId), AcDb::kXrfFileNotFound);
    EXPECT_EQ(int(AcDb::kXrfUnreferenced), 3);
    EXPECT_EQ(int(AcDb::kXrfFileNotFound), 4);
    Names n = collect(&db);
    EXPECT_EQ(n.xrefs, (std::vector<std::string>{"SITE=site.dxf", "MISSING=C:\\nowhere\\gone.dwg",
                                                 "LATER=later.dxf"}));
    EXPECT_EQ(n.unreferenced, std::vector<std::string>{"SPARE=site.dxf"});
    EXPECT_EQ(n.layers, (std::vector<std::string>{"0", "SITE|Walls"}));
    EXPECT_EQ(n.blocks, std::vector<std::string>{"SITE|TREE"});

    // The missing drawing appears; reloading finds it. Unloading sticks.
    ASSERT_EQ(site.saveAs(dir.file("later.dxf").c_str()), Acad::eOk);
    AcDbObjectIdArray ids;
    ids.append(laterId);
    EXPECT_EQ(acedXrefReload(AcDbObjectIdArray(), false, &db), Acad::eOk);
    EXPECT_EQ(acedXrefReload(ids, false, &db), Acad::eOk);
    EXPECT_EQ(status(laterId), AcDb::kXrfResolved);
    ASSERT_EQ(unloadXref(&db, "SITE"), Acad::eOk);
    ASSERT_EQ(db.saveAs(dir.file("plan.dxf").c_str()), Acad::eOk);
    AcDbDatabase again(false);
    ASSERT_EQ(again.readDwgFile(dir.file("plan.dxf").c_str()), Acad::eOk) << again.lastErrorText();
    AcDbBlockTable* pTable = nullptr;
    ASSERT_EQ(again.getBlockTable(pTable, AcDb::kForRead), Acad::eOk);
    AcDbObjectId siteAgain, missingAgain, spareAgain;
    pTable->getAt("SITE", siteAgain);
    pTable->getAt("MISSING", missingAgain);
    pTable->getAt("SPARE", spareAgain);
    pTable->close();
    EXPECT_EQ(status(siteAgain), AcDb::kXrfUnloaded);
    EXPECT_EQ(status(missingAgain), AcDb::kXrfFileNotFound);
    EXPECT_EQ(status(spareAgain), AcDb::kXrfUnreferenced);
    EXPECT_EQ(collect(&again).layers, (std::vector<std::string>{"0", "SITE|Walls", "LATER|Walls"}));
    setSideDatabaseHook(old);
}

TEST(Database, SampleDrawingsAnswerAsTheModuleExpects) {
    const std::string folder = std::string(BREVANT_SOURCE_DIR) + "/tests/data/dxf/";
    struct Row {
        const char* file;
        std::vector<std::string> blocks;
        size_t layers;
        size_t apps;
    } rows[] = {
        {"libredwg_example_2000.dxf", {"bloko", "CIRKLO_PUNKTOJ"}, 5, 9},
        {"qcad_flange.dxf", {"Border", "Revision", "Title"}, 13, 2},
        {"acadsharp_sample_AC1009_ascii.dxf", {}, 21, 38},
        {"libredwg_example_r14.dxf", {"BLOKO", "CIRKLO_PUNKTOJ"}, 5, 11},
    };
    int row = 0;
    for (const Row& r : rows) {
        SCOPED_TRACE(++row);
        AcDbDatabase db(false);
        ASSERT_EQ(db.readDwgFile((folder + r.file).c_str()), Acad::eOk) << db.lastErrorText();
        Names n = collect(&db);
        if (!r.blocks.empty()) {
            std::vector<std::string> sorted = n.blocks;
            std::sort(sorted.begin(), sorted.end());
            std::vector<std::string> expected = r.blocks;
            std::sort(expected.begin(), expected.end());
            EXPECT_EQ(sorted, expected);
        }
        EXPECT_EQ(n.layers.size(), r.layers);
        EXPECT_EQ(n.apps.size(), r.apps);
    }
    // The title block of the flange drawing, with its attribute values.
    AcDbDatabase db(false);
    ASSERT_EQ(db.readDwgFile((folder + "qcad_flange.dxf").c_str()), Acad::eOk);
    AcDbBlockTable* pTable = nullptr;
    db.getBlockTable(pTable, AcDb::kForRead);
    AcDbBlockTableRecord* pTitle = nullptr;
    ASSERT_EQ(pTable->getAt("Title", pTitle, AcDb::kForRead), Acad::eOk);
    pTable->close();
    AcDbObjectIdArray ids;
    pTitle->getBlockReferenceIds(ids);
    pTitle->close();
    ASSERT_EQ(ids.length(), 1);
    auto attrs = attributesOf(ids[0]);
    std::map<std::string, std::string> byTag(attrs.begin(), attrs.end());
    EXPECT_EQ(byTag["Title"], "Flange");
    EXPECT_EQ(byTag["Scale"], "1:1");
}
