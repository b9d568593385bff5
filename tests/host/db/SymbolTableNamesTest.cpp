// Finding table records and blocks by name (getAt, has, block references'
// blocks) stays right while records are added, renamed, erased, added again
// under a name an erased or renamed record had, and read from a file that
// holds a name twice: always the first record in table order whose present
// name matches without regard to case.
#include "TempDir.h"

#include "dbapserv.h"
#include "dbents.h"
#include "dbsymtb.h"
#include "hostdb.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

using brevant::test::TempDir;
using brevant::test::writeFile;
using namespace brevant::host;

namespace {

AcDbObjectId addLayer(AcDbDatabase& db, const char* name) {
    AcDbLayerTable* pTable = nullptr;
    EXPECT_EQ(db.getLayerTable(pTable, AcDb::kForWrite), Acad::eOk);
    auto* pLayer = new AcDbLayerTableRecord;
    EXPECT_EQ(pLayer->setName(name), Acad::eOk);
    AcDbObjectId id;
    const Acad::ErrorStatus es = pTable->add(id, pLayer);
    if (es == Acad::eOk) {
        pLayer->close();
    } else {
        delete pLayer;
    }
    pTable->close();
    return id;
}

// The layer found under the name, as getAt finds it; null when none.
AcDbObjectId layerNamed(AcDbDatabase& db, const char* name, bool erasedToo = false) {
    AcDbLayerTable* pTable = nullptr;
    EXPECT_EQ(db.getLayerTable(pTable, AcDb::kForRead), Acad::eOk);
    AcDbObjectId id, live;
    pTable->getAt(name, id, erasedToo);
    pTable->getAt(name, live);
    EXPECT_EQ(pTable->has(name), !live.isNull());
    pTable->close();
    return id;
}

AcDbObjectId blockNamed(AcDbDatabase& db, const char* name) {
    AcDbBlockTable* pTable = nullptr;
    EXPECT_EQ(db.getBlockTable(pTable, AcDb::kForRead), Acad::eOk);
    AcDbObjectId id;
    pTable->getAt(name, id);
    EXPECT_EQ(pTable->has(name), !id.isNull());
    pTable->close();
    return id;
}

template <typename T>
void change(AcDbObjectId id, const std::function<void(T*)>& what) {
    T* pObject = nullptr;
    ASSERT_EQ(acdbOpenObject(pObject, id, AcDb::kForWrite, true), Acad::eOk);
    what(pObject);
    pObject->close();
}

}  // namespace

TEST(SymbolTableNames, RecordsAddedRenamedErasedAndAddedAgain) {
    AcDbDatabase db;
    const AcDbObjectId walls = addLayer(db, "Walls");
    EXPECT_EQ(layerNamed(db, "walls"), walls);
    EXPECT_EQ(layerNamed(db, "WALLS"), walls);
    EXPECT_TRUE(layerNamed(db, "Wall").isNull());
    EXPECT_TRUE(addLayer(db, "wALLS").isNull());  // taken, whatever the case

    // Renamed: found under the new name only; the old name is free again.
    change<AcDbLayerTableRecord>(walls, [](auto* p) { EXPECT_EQ(p->setName("Doors"), Acad::eOk); });
    EXPECT_EQ(layerNamed(db, "DOORS"), walls);
    EXPECT_TRUE(layerNamed(db, "Walls").isNull());
    const AcDbObjectId walls2 = addLayer(db, "walls");
    ASSERT_FALSE(walls2.isNull());
    EXPECT_EQ(layerNamed(db, "Walls"), walls2);

    // Renamed back and forth: the name leads to the one record that has it.
    change<AcDbLayerTableRecord>(walls, [](auto* p) { p->setName("Windows"); });
    change<AcDbLayerTableRecord>(walls, [](auto* p) { p->setName("Doors"); });
    EXPECT_EQ(layerNamed(db, "doors"), walls);
    EXPECT_TRUE(layerNamed(db, "Windows").isNull());

    // Erased: not found, unless erased records are asked for; its name can
    // be taken by a new record, which the name then finds first among the
    // records that are not erased, and the erased one first among all.
    change<AcDbLayerTableRecord>(walls, [](auto* p) { EXPECT_EQ(p->erase(), Acad::eOk); });
    EXPECT_TRUE(layerNamed(db, "Doors").isNull());
    EXPECT_EQ(layerNamed(db, "Doors", true), walls);
    const AcDbObjectId doors2 = addLayer(db, "DOORS");
    ASSERT_FALSE(doors2.isNull());
    EXPECT_EQ(layerNamed(db, "doors"), doors2);
    EXPECT_EQ(layerNamed(db, "doors", true), walls);
    change<AcDbLayerTableRecord>(walls, [](auto* p) { EXPECT_EQ(p->erase(false), Acad::eOk); });
    EXPECT_EQ(layerNamed(db, "doors"), walls);

    // Many records: each is found, and a name none has is not.
    for (int k = 0; k < 3000; ++k) {
        ASSERT_FALSE(addLayer(db, ("L" + std::to_string(k)).c_str()).isNull()) << k;
    }
    for (int k = 0; k < 3000; k += 7) {
        EXPECT_FALSE(layerNamed(db, ("l" + std::to_string(k)).c_str()).isNull()) << k;
    }
    EXPECT_TRUE(layerNamed(db, "L3000").isNull());
}

TEST(SymbolTableNames, BlocksRenamedAreFoundByTheirReferences) {
    AcDbDatabase db;
    AcDbObjectId title, reference;
    ASSERT_EQ(defineBlock(&db, "TITLE", {{"DOCTITLE1", ""}}, title), Acad::eOk);
    ASSERT_EQ(insertBlock(&db, "title", AcGePoint3d(), {}, reference), Acad::eOk);
    EXPECT_EQ(blockNamed(db, "Title"), title);
    EXPECT_EQ(blockNamed(db, "*model_space").isNull(), false);

    change<AcDbBlockTableRecord>(title,
                                 [](auto* p) { EXPECT_EQ(p->setName("BORDER"), Acad::eOk); });
    EXPECT_TRUE(blockNamed(db, "TITLE").isNull());
    EXPECT_EQ(blockNamed(db, "border"), title);
    AcDbObjectId again;
    EXPECT_EQ(defineBlock(&db, "Border", {}, again), Acad::eDuplicateRecord);
    ASSERT_EQ(defineBlock(&db, "Title", {}, again), Acad::eOk);
    EXPECT_EQ(blockNamed(db, "TITLE"), again);

    // The reference still names the old block, which is now the new one.
    AcDbBlockReference* pReference = nullptr;
    ASSERT_EQ(acdbOpenObject(pReference, reference, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(pReference->blockTableRecord(), again);
    pReference->close();
    AcDbObjectId bordered;
    ASSERT_EQ(insertBlock(&db, "BORDER", AcGePoint3d(), {}, bordered), Acad::eOk);
    ASSERT_EQ(acdbOpenObject(pReference, bordered, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(pReference->blockTableRecord(), title);
    pReference->close();
}

// A file may hold a name twice (other writers do it): the first record in
// the table's order is the one found, before and after a rename.
TEST(SymbolTableNames, ANameHeldTwiceFindsTheFirstRecord) {
    const std::string layer =
        "0\nLAYER\n5\n%s\n330\n2\n100\nAcDbSymbolTableRecord\n"
        "100\nAcDbLayerTableRecord\n2\n%s\n70\n0\n62\n7\n6\nContinuous\n";
    auto record = [&layer](const char* handle, const char* name) {
        char text[256];
        snprintf(text, sizeof text, layer.c_str(), handle, name);
        return std::string(text);
    };
    const std::string text =
        "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n9\n$HANDSEED\n5\n100\n0\nENDSEC\n"
        "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n5\n2\n330\n0\n100\nAcDbSymbolTable\n70\n3\n" +
        record("10", "0") + record("11", "Plan") + record("12", "PLAN") +
        "0\nENDTAB\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n0\nENDSEC\n0\nEOF\n";
    TempDir dir;
    writeFile(dir.file("twice.dxf"), text);
    AcDbDatabase db(false);
    ASSERT_EQ(db.readDwgFile(dir.file("twice.dxf").c_str()), Acad::eOk) << db.lastErrorText();
    AcDbObjectId first, second;
    ASSERT_EQ(db.getAcDbObjectId(first, false, AcDbHandle(0x11u)), Acad::eOk);
    ASSERT_EQ(db.getAcDbObjectId(second, false, AcDbHandle(0x12u)), Acad::eOk);
    EXPECT_EQ(layerNamed(db, "plan"), first);
    change<AcDbLayerTableRecord>(first, [](auto* p) { p->setName("Old plan"); });
    EXPECT_EQ(layerNamed(db, "plan"), second);
    change<AcDbLayerTableRecord>(first, [](auto* p) { p->setName("plan"); });
    EXPECT_EQ(layerNamed(db, "Plan"), first);
    change<AcDbLayerTableRecord>(first, [](auto* p) { p->erase(); });
    EXPECT_EQ(layerNamed(db, "Plan"), second);
    EXPECT_EQ(layerNamed(db, "Plan", true), first);
}
