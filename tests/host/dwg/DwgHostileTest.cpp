// Damaged and hostile binary drawings: each is refused with a text that names
// the section and the file offset, and nothing is given for the drawing. The
// files are the smallest sample (24 028 bytes, six section locators), cut,
// changed byte by byte, or with records of the test's own making in place of
// its own; offsets in the expected texts come from the sample's locators.
// Sound records of the test's own making show what no sample holds: an
// external reference, a project name, a text with a line break.
#include "DwgSample.h"

#include "dwg/DwgLoad.h"
#include "dwg/DwgReader.h"

#include "acutmem.h"
#include "dbsymtb.h"
#include "summinfo.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace brevant::test::dwg;

namespace {

const char* const kSample = "libredwg_2000_entities-2d.dwg";

// Handles in the sample.
const uint64_t kRootDictionary = 0xC;
const uint64_t kLayerControl = 0x2;
const uint64_t kLayerZero = 0x10;
const uint64_t kAcadApp = 0x12;
const uint64_t kModelSpace = 0x1F;
const uint64_t kFirstEntity = 0x2B;  // the first entity of model space
const uint64_t kPlaceholder = 0xF;   // an object nothing in the test needs
const uint64_t kPlotStyles = 0xE;    // its owner

uint16_t le16(const Bytes& b, size_t at) {
    return uint16_t(b[at] | (b[at + 1] << 8));
}

std::string crcText(uint16_t stored, uint16_t computed) {
    return "the CRC does not match (stored " + hex(stored) + ", computed " + hex(computed) + ")";
}

Bytes cut(const Bytes& b, size_t size) {
    return Bytes(b.begin(), b.begin() + long(size));
}

std::string beyond(const Locator& l, const char* name, size_t fileSize) {
    return "file header, offset " + hex(l.recordAt) + ": the " + name + " section at " +
           hex(l.seeker) + " of " + std::to_string(l.size) +
           " bytes runs beyond the end of the file (" + std::to_string(fileSize) + " bytes)";
}

// A framed section's data size and the offset of its stored CRC.
size_t dataSize(const Bytes& b, const Locator& l) {
    return get32(b, l.seeker + 16);
}

std::string sectionCrcError(const Bytes& b, const Locator& l, const char* name) {
    const size_t size = dataSize(b, l);
    const size_t at = l.seeker + 20 + size;
    const uint16_t computed = brevant::dwg::crc16(0xC0C1, b.data() + l.seeker + 16, 4 + size);
    return std::string(name) + ", offset " + hex(at) + ": " + crcText(le16(b, at), computed);
}

std::string objectError(size_t offset, uint64_t handle, const char* type, const std::string& what) {
    return "objects, offset " + hex(offset) + ": object " + hex(handle) +
           (*type ? std::string(" (") + type + ")" : "") + ": " + what;
}

// Packed pairs of an xrecord.
void putCode(Bytes& x, uint16_t code) {
    x.push_back(uint8_t(code));
    x.push_back(uint8_t(code >> 8));
}

void putString(Bytes& x, uint16_t code, const std::string& s, size_t length) {
    putCode(x, code);
    x.push_back(uint8_t(length));
    x.push_back(uint8_t(length >> 8));
    x.push_back(30);  // code page
    x.insert(x.end(), s.begin(), s.end());
}

void putString(Bytes& x, uint16_t code, const std::string& s) {
    putString(x, code, s, s.size());
}

// An xrecord with the given data and extended data blocks, owned by `owner`.
Bytes xrecord(uint64_t handle, uint64_t owner, const Bytes& data, uint32_t byteCount,
              const Bytes& extended = {}) {
    BitWriter d;
    d.handle(0, handle);
    if (!extended.empty()) {
        d.bs(uint16_t(extended.size()));
        d.handle(5, kAcadApp);
        for (uint8_t c : extended)
            d.rc(c);
    }
    d.bs(0);
    d.bl(0);  // reactors
    d.bl(byteCount);
    for (uint8_t c : data)
        d.rc(c);
    d.bs(1);  // cloning
    BitWriter h;
    h.handle(4, owner);
    h.handle(3, 0);
    return record(0x4F, d, h);
}

// A dictionary of the given entries.
Bytes dictionary(uint64_t handle, uint32_t reactors, uint32_t count,
                 const std::vector<std::pair<std::string, uint64_t>>& entries, uint64_t owner = 0) {
    BitWriter d = objectStart(handle, reactors);
    d.bl(count);
    d.bs(1);  // cloning
    d.rc(1);  // hard owner
    for (const auto& e : entries)
        d.text(e.first);
    BitWriter h;
    h.handle(4, owner);
    h.handle(3, 0);
    for (const auto& e : entries)
        h.handle(2, e.second);
    return record(0x2A, d, h);
}

// The first model-space entity again, linked on to `next`.
Bytes entityLinkedTo(uint64_t next) {
    BitWriter d = entityStart(kFirstEntity);
    BitWriter h;
    h.handle(3, 0);  // no extension dictionary
    h.handle(4, 0);  // previous
    h.handle(4, next);
    h.handle(5, kLayerZero);
    return record(0x1B, d, h);
}

struct Case {
    const char* what;
    // Damages the sample; returns the error it must give.
    std::function<std::string(Bytes&)> damage;
};

}  // namespace

TEST(DwgHostile, DamagedFilesAreRefusedWithTheSectionAndOffset) {
    const Bytes sample = readSample(kSample);
    ASSERT_EQ(sample.size(), 24028u);
    const Locator header = locator(sample, 0);
    const Locator classes = locator(sample, 1);
    const Locator map = locator(sample, 2);
    const Locator measurement = locator(sample, 4);
    const auto objects = objectMap(sample);
    const size_t crcAt = headerCrcAt(sample);

    const Case cases[] = {
        {"not a drawing",
         [](Bytes& b) {
             b = Bytes{'H', 'e', 'l', 'l', 'o', '!', 0, 0};
             return "file header, offset 0x0: not a drawing file (no release mark)";
         }},
        {"an empty file",
         [](Bytes& b) {
             b.clear();
             return "file header, offset 0x0: not a drawing file (no release mark)";
         }},
        {"release 18",
         [](Bytes& b) {
             b[4] = '1';
             b[5] = '8';
             return "file header, offset 0x0: a release AC1018 drawing; only release-15 (AC1015) "
                    "drawings can be read";
         }},
        {"release 14",
         [](Bytes& b) {
             b[5] = '4';
             return "file header, offset 0x0: a release AC1014 drawing; only release-15 (AC1015) "
                    "drawings can be read";
         }},
        {"cut in the file header",
         [](Bytes& b) {
             b = cut(b, 20);
             return "file header, offset 0x14: the file ends after 20 bytes, inside the file "
                    "header";
         }},
        {"cut among the locators",
         [](Bytes& b) {
             b = cut(b, 64);
             return "file header, offset 0x40: the file ends after 64 bytes, inside the file "
                    "header";
         }},
        {"cut in the preview",
         [&](Bytes& b) {
             b = cut(b, 0x1000);
             return beyond(header, "header variables", b.size());
         }},
        {"cut in the header variables",
         [&](Bytes& b) {
             b = cut(b, header.seeker + 100);
             return beyond(header, "header variables", b.size());
         }},
        {"cut in the classes",
         [&](Bytes& b) {
             b = cut(b, classes.seeker + 50);
             return beyond(classes, "classes", b.size());
         }},
        {"cut in the objects",
         [&](Bytes& b) {
             b = cut(b, map.seeker - 500);
             return beyond(map, "object map", b.size());
         }},
        {"cut in the object map",
         [&](Bytes& b) {
             b = cut(b, map.seeker + 100);
             return beyond(map, "object map", b.size());
         }},
        {"cut in the last section",
         [&](Bytes& b) {
             b = cut(b, b.size() - 2);
             return beyond(measurement, "measurement", b.size());
         }},
        {"2^32 - 1 section locators",
         [](Bytes& b) {
             put32(b, 0x15, 0xFFFFFFFF);
             return "file header, offset 0x15: 4294967295 section locators; a release-15 file "
                    "has 3 to 6";
         }},
        {"the file header's CRC",
         [&](Bytes& b) {
             const uint16_t good = le16(b, crcAt);
             b[crcAt] ^= 0xFF;
             return "file header, offset " + hex(crcAt) + ": " + crcText(le16(b, crcAt), good);
         }},
        {"the file header's end mark",
         [&](Bytes& b) {
             b[crcAt + 2] ^= 1;
             return "file header, offset " + hex(crcAt + 2) +
                    ": the end mark of the file header is missing";
         }},
        {"a section beyond the file",
         [&](Bytes& b) {
             setLocator(b, 1, 0x7FFFFFF0, classes.size);
             Locator moved = classes;
             moved.seeker = 0x7FFFFFF0;
             return beyond(moved, "classes", b.size());
         }},
        {"no locator for the object map",
         [&](Bytes& b) {
             b[map.recordAt] = 7;
             fixHeaderCrc(b);
             return "file header, offset 0x15: no section locator for the object map";
         }},
        {"the header variables' start mark",
         [&](Bytes& b) {
             b[header.seeker + 3] ^= 1;
             return "header variables, offset " + hex(header.seeker) +
                    ": the start mark of the section is missing";
         }},
        {"a header data size of 2^32 - 1",
         [&](Bytes& b) {
             put32(b, header.seeker + 16, 0xFFFFFFFF);
             return "header variables, offset " + hex(header.seeker + 16) +
                    ": a data size of 4294967295 bytes runs beyond the section (" +
                    std::to_string(header.size) + " bytes)";
         }},
        {"the header variables' CRC",
         [&](Bytes& b) {
             b[header.seeker + 30] ^= 0x10;
             return sectionCrcError(b, header, "header variables");
         }},
        {"the classes' CRC",
         [&](Bytes& b) {
             b[classes.seeker + 40] ^= 0x01;
             return sectionCrcError(b, classes, "classes");
         }},
        {"the classes' end mark",
         [&](Bytes& b) {
             const size_t at = classes.seeker + 20 + dataSize(b, classes) + 2;
             b[at + 15] ^= 1;
             return "classes, offset " + hex(at) + ": the end mark of the section is missing";
         }},
        {"a map section beyond the map",
         [&](Bytes& b) {
             b[map.seeker] = 0xFF;
             b[map.seeker + 1] = 0xFF;
             return "object map, offset " + hex(map.seeker) +
                    ": a section of 65535 bytes runs beyond the end of the map";
         }},
        {"the object map's CRC",
         [&](Bytes& b) {
             b[map.seeker + 5] ^= 0x40;
             const size_t size = size_t(b[map.seeker] << 8 | b[map.seeker + 1]);
             const uint16_t stored = uint16_t(b[map.seeker + size] << 8 | b[map.seeker + size + 1]);
             return "object map, offset " + hex(map.seeker + size) + ": " +
                    crcText(stored, brevant::dwg::crc16(0xC0C1, b.data() + map.seeker, size));
         }},
        {"an object map pointing at itself",
         [&](Bytes& b) {
             auto m = objects;
             const size_t start = b.size();
             m[kRootDictionary] = int64_t(start);
             writeMap(b, m);
             return objectError(start, kRootDictionary, "",
                                "the object map places it inside the object map");
         }},
        {"an object beyond the end of the file",
         [&](Bytes& b) {
             auto m = objects;
             m[kRootDictionary] = 1 << 20;
             const auto at = writeMap(b, m);
             const size_t index = size_t(std::distance(m.begin(), m.find(kRootDictionary)));
             return "object map, offset " + hex(at[index]) + ": object " + hex(kRootDictionary) +
                    " lies at offset 1048576, outside the file (" + std::to_string(b.size()) +
                    " bytes)";
         }},
        {"a handle listed twice",
         [&](Bytes& b) {
             std::vector<std::pair<uint64_t, int64_t>> m(objects.begin(), objects.end());
             m.insert(m.begin() + 1, m[0]);
             const auto at = writeMap(b, m);
             return "object map, offset " + hex(at[1]) + ": handle " + hex(m[0].first) +
                    " follows handle " + hex(m[0].first) + "; the map's handles must ascend";
         }},
        {"an object's CRC",
         [&](Bytes& b) {
             const size_t at = size_t(objects.at(kLayerZero));
             const size_t size = le16(b, at) & 0x7FFF;
             b[at + 6] ^= 0x20;
             return objectError(at, kLayerZero, "",
                                crcText(le16(b, at + 2 + size),
                                        brevant::dwg::crc16(0xC0C1, b.data() + at, 2 + size)));
         }},
        {"an object's size beyond the file",
         [&](Bytes& b) {
             return objectError(replaceObject(b, kLayerZero, Bytes{0xFF, 0x7F}), kLayerZero, "",
                                "its size of 32767 bytes runs beyond the end of the file");
         }},
        {"the map giving another object's record",
         [&](Bytes& b) {
             auto m = objects;
             m[kLayerZero] = objects.at(kLayerControl);
             writeMap(b, m);
             return objectError(size_t(objects.at(kLayerControl)), kLayerZero, "",
                                "the record says it is object " + hex(kLayerControl));
         }},
        {"a dictionary of 2^32 - 1 entries",
         [&](Bytes& b) {
             const size_t at =
                 replaceObject(b, kRootDictionary, dictionary(kRootDictionary, 0, 0xFFFFFFFF, {}));
             return objectError(at, kRootDictionary, "DICTIONARY",
                                "a count of 4294967295 cannot fit in its remaining 0 bits");
         }},
        {"2^32 - 1 reactors",
         [&](Bytes& b) {
             const size_t at =
                 replaceObject(b, kRootDictionary, dictionary(kRootDictionary, 0xFFFFFFFF, 0, {}));
             // Two handle references and the padding of the record's last byte.
             return objectError(at, kRootDictionary, "DICTIONARY",
                                "a count of 4294967295 cannot fit in its remaining 22 bits");
         }},
        {"an xrecord of 2^32 - 1 bytes",
         [&](Bytes& b) {
             const size_t at =
                 replaceObject(b, kPlaceholder, xrecord(kPlaceholder, kPlotStyles, {}, 0xFFFFFFFF));
             return objectError(at, kPlaceholder, "XRECORD",
                                "a count of 4294967295 cannot fit in its remaining 18 bits");
         }},
        {"an xrecord with group code 0",
         [&](Bytes& b) {
             Bytes x;
             putString(x, 0, "ENDSEC");
             const size_t at = replaceObject(
                 b, kPlaceholder, xrecord(kPlaceholder, kPlotStyles, x, uint32_t(x.size())));
             return objectError(at, kPlaceholder, "XRECORD",
                                "its data holds group code 0, which ends a record in DXF");
         }},
        {"an xrecord text longer than its data",
         [&](Bytes& b) {
             Bytes x;
             putString(x, 1, "abc", 10);
             const size_t at = replaceObject(
                 b, kPlaceholder, xrecord(kPlaceholder, kPlotStyles, x, uint32_t(x.size())));
             return objectError(at, kPlaceholder, "XRECORD",
                                "its data ends inside the value of group code 1");
         }},
        {"an xrecord with a group code of no type",
         [&](Bytes& b) {
             Bytes x;
             putCode(x, 85);
             const size_t at = replaceObject(
                 b, kPlaceholder, xrecord(kPlaceholder, kPlotStyles, x, uint32_t(x.size())));
             return objectError(at, kPlaceholder, "XRECORD",
                                "its data holds group code 85, which has no value type (at byte 0 "
                                "of the data)");
         }},
        {"extended data with an unknown code",
         [&](Bytes& b) {
             const size_t at = replaceObject(
                 b, kPlaceholder, xrecord(kPlaceholder, kPlotStyles, {}, 0, Bytes{99, 0}));
             return objectError(at, kPlaceholder, "XRECORD",
                                "its extended data holds the unknown code 99");
         }},
        {"a handle reference of a code the format does not have",
         [&](Bytes& b) {
             BitWriter d = entityStart(kFirstEntity);
             BitWriter h;
             h.handle(7, 1);
             const size_t at = replaceObject(b, kFirstEntity, record(0x1B, d, h));
             return objectError(at, kFirstEntity, "POINT",
                                "its handle references hold a code the format does not use");
         }},
        {"an entity list that loops",
         [&](Bytes& b) {
             replaceObject(b, kFirstEntity, entityLinkedTo(kFirstEntity));
             return objectError(size_t(objects.at(kModelSpace)), kModelSpace, "BLOCK_RECORD",
                                "the entities of block \"*Model_Space\" reach " +
                                    hex(kFirstEntity) + " a second time");
         }},
        {"an entity list that leads out of the file",
         [&](Bytes& b) {
             replaceObject(b, kFirstEntity, entityLinkedTo(0x7777));
             return objectError(size_t(objects.at(kModelSpace)), kModelSpace, "BLOCK_RECORD",
                                "the entities of block \"*Model_Space\" lead to 0x7777, which is "
                                "no entity of the file");
         }},
    };
    int row = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(++row) + ": " + c.what);
        Bytes b = sample;
        const std::string expected = c.damage(b);
        std::vector<char> dxf{'x'};
        std::string error = "(not set)";
        EXPECT_FALSE(brevant::dwg::readDwg(b.data(), b.size(), dxf, error));
        EXPECT_EQ(error, expected);
        EXPECT_EQ(dxf, std::vector<char>{'x'});  // nothing given for the drawing
    }
}

TEST(DwgCrafted, SummaryInformationWithALineBreak) {
    // The records the hostile cases are built from load when they are sound:
    // a root dictionary that lists summary information, kept in an xrecord
    // whose title holds a line break (written in the DXF caret form), and a
    // model-space entity linked to the next one.
    Bytes b = readSample(kSample);
    const auto objects = objectMap(b);
    Bytes x;
    putString(x, 1, "DWGPROPS COOKIE");
    putString(x, 2, "Plan\r\nLevel 2");
    putString(x, 8, "tester");
    putString(x, 300, "Client=Tarvex");
    replaceObject(b, kPlaceholder, xrecord(kPlaceholder, kRootDictionary, x, uint32_t(x.size())));
    replaceObject(b, kRootDictionary,
                  dictionary(kRootDictionary, 0, 6,
                             {{"ACAD_GROUP", 0xD},
                              {"ACAD_PLOTSTYLENAME", 0xE},
                              {"ACAD_MLINESTYLE", 0x17},
                              {"ACAD_PLOTSETTINGS", 0x19},
                              {"ACAD_LAYOUT", 0x1A},
                              {"DWGPROPS", kPlaceholder}}));
    replaceObject(b, kFirstEntity, entityLinkedTo(kFirstEntity + 1));
    AcDbDatabase db(false);
    std::string error;
    ASSERT_TRUE(brevant::dwg::loadDwg(*db.impl(), std::vector<char>(b.begin(), b.end()), error))
        << error;
    AcDbDatabaseSummaryInfo* info = nullptr;
    ASSERT_EQ(acdbGetSummaryInfo(&db, info), Acad::eOk);
    char* text = nullptr;
    info->getTitle(text);
    EXPECT_STREQ(text, "Plan^M^JLevel 2");
    acutDelString(text);
    info->getLastSavedBy(text);
    EXPECT_STREQ(text, "tester");
    acutDelString(text);
    char* key = nullptr;
    ASSERT_EQ(info->numCustomInfo(), 1);
    ASSERT_EQ(info->getCustomSummaryInfo(0, key, text), Acad::eOk);
    EXPECT_STREQ(key, "Client");
    EXPECT_STREQ(text, "Tarvex");
    acutDelString(key);
    acutDelString(text);
    delete info;
}

TEST(DwgCrafted, AnExternalReferenceBlockKeepsItsPath) {
    // No sample holds an external reference: the block record of BLOCK1 is
    // made one, as the format describes it (flag, path, no entity list).
    const uint64_t record = 0x32, blockBegin = 0x33, blockEnd = 0x35, blockControl = 0x1;
    BitWriter d = objectStart(record);
    d.text("site");
    d.bit(false);  // referenced
    d.bs(0);       // xref index
    d.bit(false);  // xref dependent
    d.bit(false);  // anonymous
    d.bit(false);  // has attribute definitions
    d.bit(true);   // external reference
    d.bit(false);  // overlaid
    d.bit(true);   // loaded
    d.bdZero();
    d.bdZero();
    d.bdZero();
    d.text("C:\\Jobs\\A100\\site.dwg");
    d.rc(0);  // no references listed
    d.text("");
    d.bl(0);  // no preview
    BitWriter h;
    h.handle(4, blockControl);
    h.handle(3, 0);
    h.handle(5, 0);  // xref block
    h.handle(3, blockBegin);
    h.handle(3, blockEnd);
    h.handle(5, 0);  // layout
    Bytes b = readSample(kSample);
    replaceObject(b, record, brevant::test::dwg::record(0x31, d, h));
    AcDbDatabase db(false);
    std::string error;
    ASSERT_TRUE(brevant::dwg::loadDwg(*db.impl(), std::vector<char>(b.begin(), b.end()), error))
        << error;
    AcDbBlockTable* blocks = nullptr;
    ASSERT_EQ(db.getBlockTable(blocks, AcDb::kForRead), Acad::eOk);
    AcDbBlockTableRecord* site = nullptr;
    ASSERT_EQ(blocks->getAt("site", site, AcDb::kForRead), Acad::eOk);
    blocks->close();
    EXPECT_TRUE(site->isFromExternalReference());
    EXPECT_FALSE(site->isFromOverlayReference());
    const char* path = nullptr;
    site->pathName(path);
    EXPECT_STREQ(path, "C:\\Jobs\\A100\\site.dwg");
    AcDbObjectIdArray refs;
    site->getBlockReferenceIds(refs);
    EXPECT_EQ(refs.length(), 1);  // the reference to BLOCK1 now names the xref
    site->close();
}

TEST(DwgCrafted, TheProjectNameIsADictionaryVariable) {
    // In the example drawing: the variables' dictionary (0x5E) is made to
    // hold PROJECTNAME, the variable 0x5F (DIMASSOC before) to hold its value.
    const uint64_t variables = 0x5E, variable = 0x5F;
    Bytes b = readSample("libredwg_example_2000.dwg");
    // The file's own type number of dictionary variables, from the record.
    const auto objects = objectMap(b);
    size_t at = size_t(objects.at(variable));
    uint32_t size = 0;
    ASSERT_TRUE(brevant::dwg::modularShort(b.data(), at, b.size(), size));
    brevant::dwg::BitReader r(b.data(), at * 8, (at + size) * 8);
    const uint16_t type = r.bitShort();
    ASSERT_GE(type, 500);
    BitWriter d = objectStart(variable);
    d.rc(0);
    d.text("P-100");
    BitWriter h;
    h.handle(4, variables);
    h.handle(3, 0);
    replaceObject(b, variable, record(type, d, h));
    replaceObject(b, variables,
                  dictionary(variables, 0, 1, {{"PROJECTNAME", variable}}, kRootDictionary));
    AcDbDatabase db(false);
    std::string error;
    ASSERT_TRUE(brevant::dwg::loadDwg(*db.impl(), std::vector<char>(b.begin(), b.end()), error))
        << error;
    char* name = nullptr;
    ASSERT_EQ(db.getProjectName(name), Acad::eOk);
    EXPECT_STREQ(name, "P-100");
    acutDelString(name);
}
