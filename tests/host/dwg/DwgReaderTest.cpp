// The binary drawing reader on real release-15 drawings: every sample loads
// into the drawing store with its tables, references, attributes, summary
// information and extended data; the DXF form has the sections and records
// of a DXF file of that release; each sample's preview directory lies where
// the module reads it.
#include "DwgSample.h"

#include "../../../host/dxf/DxfTags.h"
#include "dwg/DwgLoad.h"
#include "dwg/DwgReader.h"
#include "hostdb.h"

#include "acutmem.h"
#include "adslib.h"
#include "dbents.h"
#include "dbsymtb.h"
#include "summinfo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using namespace brevant::test::dwg;

namespace {

bool load(AcDbDatabase& db, const Bytes& file, std::string& error) {
    return brevant::dwg::loadDwg(*db.impl(), std::vector<char>(file.begin(), file.end()), error);
}

// The names of a table's records, in table order.
template <typename Table, typename Iterator, typename Record>
std::vector<std::string> recordNames(Table* table) {
    std::vector<std::string> out;
    Iterator* it = nullptr;
    table->newIterator(it);
    for (; !it->done(); it->step()) {
        Record* rec = nullptr;
        if (it->getRecord(rec, AcDb::kForRead) != Acad::eOk)
            continue;
        const char* name = nullptr;
        rec->getName(name);
        out.emplace_back(name);
        rec->close();
    }
    delete it;
    return out;
}

struct Content {
    std::vector<std::string> layers, blocks, apps;
    int inserts = 0;
    std::vector<std::string> attributes;  // "TAG=value"
};

Content contentOf(AcDbDatabase& db) {
    Content c;
    AcDbLayerTable* layers = nullptr;
    if (db.getLayerTable(layers, AcDb::kForRead) == Acad::eOk) {
        c.layers =
            recordNames<AcDbLayerTable, AcDbLayerTableIterator, AcDbLayerTableRecord>(layers);
        layers->close();
    }
    AcDbRegAppTable* apps = nullptr;
    if (db.getRegAppTable(apps, AcDb::kForRead) == Acad::eOk) {
        c.apps = recordNames<AcDbRegAppTable, AcDbRegAppTableIterator, AcDbRegAppTableRecord>(apps);
        apps->close();
    }
    AcDbBlockTable* blocks = nullptr;
    if (db.getBlockTable(blocks, AcDb::kForRead) != Acad::eOk)
        return c;
    AcDbBlockTableIterator* it = nullptr;
    blocks->newIterator(it);
    for (; !it->done(); it->step()) {
        AcDbBlockTableRecord* rec = nullptr;
        if (it->getRecord(rec, AcDb::kForRead) != Acad::eOk)
            continue;
        const char* name = nullptr;
        rec->getName(name);
        c.blocks.emplace_back(name);
        AcDbObjectIdArray ids;
        rec->getBlockReferenceIds(ids);
        for (const AcDbObjectId& id : ids) {
            AcDbBlockReference* ref = nullptr;
            if (acdbOpenObject(ref, id, AcDb::kForRead) != Acad::eOk)
                continue;
            ++c.inserts;
            AcDbObjectIterator* attrs = ref->attributeIterator();
            for (; !attrs->done(); attrs->step()) {
                AcDbAttribute* attr = nullptr;
                if (acdbOpenObject(attr, attrs->objectId(), AcDb::kForRead) != Acad::eOk)
                    continue;
                char* tag = attr->tag();
                char* text = attr->textString();
                c.attributes.push_back(std::string(tag) + "=" + text);
                acutDelString(tag);
                acutDelString(text);
                attr->close();
            }
            delete attrs;
            ref->close();
        }
        rec->close();
    }
    delete it;
    blocks->close();
    return c;
}

std::string lastSavedBy(AcDbDatabase& db) {
    AcDbDatabaseSummaryInfo* info = nullptr;
    if (acdbGetSummaryInfo(&db, info) != Acad::eOk)
        return "(none)";
    char* text = nullptr;
    info->getLastSavedBy(text);
    std::string s = text ? text : "";
    acutDelString(text);
    delete info;
    return s;
}

}  // namespace

TEST(DwgReader, EverySampleLoadsWithItsTables) {
    // Counts as the store reads them; for the first three they equal the DXF
    // versions' (see also dwg_pairs_check.py), the others were checked against
    // their sources' descriptions.
    struct Case {
        const char* file;
        size_t layers, blocks, apps;
        int inserts;
        const char* firstAttribute;
        const char* savedBy;
        const char* someLayer;
        const char* someBlock;
    } cases[] = {
        {"libredwg_example_2000.dwg", 5, 16, 9, 10, "ETIKEDO=valoro de la teksto en bloko",
         "rurban", "Tavolo 2", "CIRKLO_PUNKTOJ"},
        {"libredwg_2000_TS1.dwg", 3, 11, 12, 1, "ATTRIBUTE2=some prompt data", "Guruprasad",
         "some layer", "some block"},
        {"libredwg_2000_entities-2d.dwg", 2, 6, 1, 2, "ATTR2=4", "", "Defpoints", "BLOCK2"},
        {"libredwg_2000_PolyLine2D.dwg", 2, 11, 18, 0, nullptr, "Autodesk", "0", "_ARCHTICK"},
        {"ezdxf_807_1.dwg", 1, 3, 3, 0, nullptr, "manfred", "0", "*Paper_Space0"},
        {"acadsharp_sample_AC1015.dwg", 21, 27, 42, 14, "ATTINFO=17", "alber", "0 @ 1",
         "my_block_v2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const Bytes file = readSample(c.file);
        ASSERT_FALSE(file.empty());
        AcDbDatabase db(false);
        std::string error;
        ASSERT_TRUE(load(db, file, error)) << error;
        EXPECT_STREQ(db.dxfVersion(), "AC1015");
        const Content got = contentOf(db);
        EXPECT_EQ(got.layers.size(), c.layers);
        EXPECT_EQ(got.blocks.size(), c.blocks);
        EXPECT_EQ(got.apps.size(), c.apps);
        EXPECT_EQ(got.inserts, c.inserts);
        ASSERT_FALSE(got.blocks.empty());
        EXPECT_EQ(got.blocks[0], "*Model_Space");
        EXPECT_EQ(got.layers.at(0), "0");
        EXPECT_EQ(got.apps.at(0), "ACAD");
        EXPECT_NE(std::find(got.layers.begin(), got.layers.end(), c.someLayer), got.layers.end());
        EXPECT_NE(std::find(got.blocks.begin(), got.blocks.end(), c.someBlock), got.blocks.end());
        if (c.firstAttribute != nullptr) {
            EXPECT_NE(std::find(got.attributes.begin(), got.attributes.end(), c.firstAttribute),
                      got.attributes.end());
        } else {
            EXPECT_TRUE(got.attributes.empty());
        }
        EXPECT_EQ(lastSavedBy(db), c.savedBy);
    }
}

TEST(DwgReader, TheDxfFormHasTheSectionsOfARelease15File) {
    const Bytes file = readSample("libredwg_2000_entities-2d.dwg");
    std::vector<char> text;
    std::string error;
    ASSERT_TRUE(brevant::dwg::readDwg(file.data(), file.size(), text, error)) << error;
    brevant::dxf::TagFile tags;
    ASSERT_TRUE(tags.parse(std::move(text), error)) << error;
    std::vector<std::string> sections;
    const auto& all = tags.tags();
    for (size_t k = 0; k + 1 < all.size(); ++k) {
        if (all[k].code == 0 && tags.value(all[k]) == "SECTION")
            sections.emplace_back(tags.value(all[k + 1]));
    }
    EXPECT_EQ(sections, (std::vector<std::string>{"HEADER", "CLASSES", "TABLES", "BLOCKS",
                                                  "ENTITIES", "OBJECTS"}));
    EXPECT_EQ(tags.value(all.back()), "EOF");
    EXPECT_EQ(tags.format().lineEnding, "\r\n");
    // The reference with its attribute and end mark, as a DXF file keeps them.
    std::vector<std::string> records;
    for (const auto& t : all) {
        if (t.code == 0)
            records.emplace_back(tags.value(t));
    }
    auto at = std::find(records.begin(), records.end(), "ATTRIB");
    ASSERT_NE(at, records.end());
    EXPECT_EQ(*(at - 1), "INSERT");
    EXPECT_EQ(*(at + 1), "SEQEND");
}

TEST(DwgReader, LayerStatesAndExtendedDataAreKept) {
    AcDbDatabase db(false);
    std::string error;
    ASSERT_TRUE(load(db, readSample("acadsharp_sample_AC1015.dwg"), error)) << error;
    AcDbLayerTable* layers = nullptr;
    ASSERT_EQ(db.getLayerTable(layers, AcDb::kForRead), Acad::eOk);
    struct Case {
        const char* name;
        bool off, frozen, locked;
    } cases[] = {
        {"0", false, false, false},
        {"Layer_Off", true, false, false},
        {"Layer_Freeze", false, true, false},
        {"Layer_Lock", false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AcDbLayerTableRecord* rec = nullptr;
        ASSERT_EQ(layers->getAt(c.name, rec, AcDb::kForRead), Acad::eOk);
        EXPECT_EQ(rec->isOff(), c.off);
        EXPECT_EQ(rec->isFrozen(), c.frozen);
        EXPECT_EQ(rec->isLocked(), c.locked);
        rec->close();
    }
    layers->close();

    // A block record's extended data, and a handle in an entity's extended
    // data, which the file stores most significant byte first.
    AcDbDatabase example(false);
    ASSERT_TRUE(load(example, readSample("libredwg_example_2000.dwg"), error)) << error;
    AcDbBlockTable* blocks = nullptr;
    ASSERT_EQ(example.getBlockTable(blocks, AcDb::kForRead), Acad::eOk);
    AcDbBlockTableRecord* bloko = nullptr;
    ASSERT_EQ(blocks->getAt("bloko", bloko, AcDb::kForRead), Acad::eOk);
    blocks->close();
    resbuf* xd = bloko->xData("ACAD");
    bloko->close();
    std::vector<std::string> items;
    for (resbuf* rb = xd; rb != nullptr; rb = rb->rbnext) {
        items.push_back(std::to_string(rb->restype) + " " +
                        (rb->restype == 1070 ? std::to_string(rb->resval.rint)
                                             : std::string(rb->resval.rstring)));
    }
    acutRelRb(xd);
    EXPECT_EQ(items, (std::vector<std::string>{"1001 ACAD", "1000 DesignCenter Data", "1002 {",
                                               "1070 1", "1070 4", "1002 }"}));
    AcDbObjectId id;
    ASSERT_EQ(example.getAcDbObjectId(id, false, AcDbHandle("8F")), Acad::eOk);
    AcDbObject* polyline = nullptr;
    ASSERT_EQ(acdbOpenAcDbObject(polyline, id, AcDb::kForRead), Acad::eOk);
    xd = polyline->xData("ACAD");
    polyline->close();
    std::string material;
    for (resbuf* rb = xd; rb != nullptr; rb = rb->rbnext) {
        if (rb->restype == 1005)
            material = rb->resval.rstring;
    }
    acutRelRb(xd);
    EXPECT_EQ(material, "765");
    EXPECT_EQ(example.getAcDbObjectId(id, false, AcDbHandle("765")), Acad::eOk);
}

TEST(DwgReader, PreviewDirectoryLiesAtTheSeekerInOffset13) {
    // Entries (code, start, size) as the samples' manifest lists them.
    struct Case {
        const char* file;
        std::vector<std::vector<uint32_t>> entries;
    } cases[] = {
        {"libredwg_example_2000.dwg", {{1, 259, 80}, {2, 339, 24248}}},
        {"libredwg_2000_TS1.dwg", {{1, 259, 80}, {2, 339, 17264}}},
        {"libredwg_2000_entities-2d.dwg", {{1, 259, 80}, {2, 339, 17624}}},
        {"libredwg_2000_PolyLine2D.dwg", {}},
        {"ezdxf_807_1.dwg", {{1, 259, 80}, {2, 339, 407080}}},
        {"acadsharp_sample_AC1015.dwg", {{1, 259, 80}, {2, 339, 13208}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const Bytes b = readSample(c.file);
        ASSERT_GT(b.size(), 300u);
        const uint32_t seeker = get32(b, 13);
        EXPECT_EQ(seeker, 220u);
        EXPECT_EQ(memcmp(b.data() + seeker, brevant::dwg::kPreviewStart, 16), 0);
        const uint32_t overall = get32(b, seeker + 16);
        ASSERT_EQ(b[seeker + 20], c.entries.size());
        EXPECT_EQ(overall,
                  c.entries.empty() ? 1u : 1 + 9 * c.entries.size() + 80 + c.entries[1][2]);
        for (size_t k = 0; k < c.entries.size(); ++k) {
            const size_t at = seeker + 21 + 9 * k;
            EXPECT_EQ(b[at], c.entries[k][0]);
            EXPECT_EQ(get32(b, at + 1), c.entries[k][1]);
            EXPECT_EQ(get32(b, at + 5), c.entries[k][2]);
            EXPECT_LE(size_t(c.entries[k][1]) + c.entries[k][2], b.size());
        }
        ASSERT_LE(seeker + 20 + overall + 16, b.size());
        EXPECT_EQ(memcmp(b.data() + seeker + 20 + overall, brevant::dwg::kPreviewEnd, 16), 0);
        if (!c.entries.empty()) {
            // The bitmap has no file header: it starts with its 40-byte info header.
            EXPECT_EQ(get32(b, c.entries[1][1]), 40u);
        }
    }
}

// Opened by name, a binary drawing reads through the same store as a DXF
// file and is never saved: the editor writes no DWG files, so a save would
// put DXF text in place of the drawing.
TEST(DwgReader, ADwgFileOpensByNameAndIsNeverSaved) {
    const std::string path = sampleDir() + "libredwg_2000_entities-2d.dwg";
    AcDbDatabase db(false);
    ASSERT_EQ(db.readDwgFile(path.c_str()), Acad::eOk) << db.lastErrorText();
    EXPECT_STREQ(db.dxfVersion(), "AC1015");
    EXPECT_FALSE(db.isModified());
    const char* why = brevant::host::whyNotSavable(&db);
    ASSERT_NE(why, nullptr);
    EXPECT_EQ(db.saveAs("/nonexistent-folder/copy.dxf"), Acad::eNotImplementedYet);
    EXPECT_EQ(std::string(db.lastErrorText()), "/nonexistent-folder/copy.dxf: " + std::string(why));

    AcDbDatabase text(false);
    ASSERT_EQ(text.readDwgFile((sampleDir() + "../dxf/libredwg_2000_entities-2d.dxf").c_str()),
              Acad::eOk);
    EXPECT_EQ(brevant::host::whyNotSavable(&text), nullptr);
}
