// The structure pass reads tags from any source: here a plain list whose
// places are "tag <n>", as a binary reader would number them. It finds the
// records and their kinds, tables, blocks matched to their table records, and
// handles; faults name the source's place.
#include "../../../host/dxf/DxfStructure.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

using namespace brevant::dxf;

namespace {

class TagList : public TagSource {
public:
    TagList(std::initializer_list<std::pair<int, const char*>> tags) {
        for (const auto& [code, value] : tags) {
            m_tags.push_back({int16_t(code), value});
        }
    }
    uint32_t tagCount() const override { return uint32_t(m_tags.size()); }
    TagRef tag(uint32_t index) const override { return {m_tags[index].code, m_tags[index].value}; }
    std::string where(uint32_t index) const override { return "tag " + std::to_string(index); }

private:
    struct Owned {
        int16_t code;
        std::string value;
    };
    std::vector<Owned> m_tags;
};

// A drawing with a layer table, a block table of two records, three block
// definitions (one matched by owner, one by name, one without a record),
// entities and objects.
// One record a line:
// clang-format off
const TagList kDrawing = {
    {999, "made by hand"},
    {0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, "AC1015"}, {0, "ENDSEC"},
    {0, "SECTION"}, {2, "TABLES"},
    {0, "TABLE"}, {2, "layer"}, {5, "2"},
    {0, "LAYER"}, {5, "10"}, {2, "0"},
    {0, "ENDTAB"},
    {0, "TABLE"}, {2, "BLOCK_RECORD"}, {5, "1"},
    {0, "BLOCK_RECORD"}, {5, "1F"}, {2, "*Model_Space"},
    {0, "BLOCK_RECORD"}, {5, "20"}, {2, "Title"},
    {0, "ENDTAB"},
    {0, "ENDSEC"},
    {0, "SECTION"}, {2, "BLOCKS"},
    {0, "BLOCK"}, {5, "21"}, {330, "1F"}, {2, "*Model_Space"},
    {0, "ENDBLK"}, {5, "22"},
    {0, "BLOCK"}, {5, "23"}, {102, "{ACAD_REACTORS"}, {2, "inside a group"}, {102, "}"},
        {2, "TITLE"},
    {0, "ATTDEF"}, {5, "24"},
    {0, "ENDBLK"}, {5, "25"},
    {0, "BLOCK"}, {5, "26"}, {2, "LOOSE"},
    {0, "ENDBLK"}, {5, "27"},
    {0, "ENDSEC"},
    {0, "SECTION"}, {2, "ENTITIES"},
    {0, "INSERT"}, {5, "30"}, {2, "TITLE"},
    {0, "ATTRIB"}, {5, "31"},
    {0, "SEQEND"}, {5, "32"},
    {0, "LINE"}, {1001, "APP"}, {5, "99"},
    {0, "ENDSEC"},
    {0, "SECTION"}, {2, "OBJECTS"},
    {0, "DICTIONARY"}, {5, "C"},
    {0, "XRECORD"}, {5, "40"},
    {0, "ACDBDICTIONARYWDFLT"}, {5, "41"},
    {0, "LAYOUT"}, {5, "42"},
    {0, "ENDSEC"},
    {0, "SECTION"}, {2, "THUMBNAILIMAGE"}, {90, "0"},
    {0, "ENDSEC"},
    {0, "EOF"},
};
// clang-format on

TEST(DxfStructure, RecordsTablesBlocksAndHandles) {
    DrawingStructure s;
    std::string error;
    ASSERT_TRUE(readStructure(kDrawing, s, error)) << error;

    using K = RecordKind;
    // clang-format off
    const std::vector<RecordKind> kinds = {
        K::Other,  // the comment before the first section
        K::Section, K::EndSec,
        K::Section, K::Table, K::TableRecord, K::EndTab,
            K::Table, K::TableRecord, K::TableRecord, K::EndTab, K::EndSec,
        K::Section, K::Block, K::EndBlk, K::Block, K::AttDef, K::EndBlk, K::Block, K::EndBlk,
            K::EndSec,
        K::Section, K::Insert, K::Attrib, K::SeqEnd, K::Entity, K::EndSec,
        K::Section, K::Dictionary, K::Xrecord, K::Dictionary, K::Object, K::EndSec,
        K::Section, K::EndSec,
        K::Eof,
    };
    // clang-format on
    ASSERT_EQ(s.records.size(), kinds.size());
    for (size_t k = 0; k < kinds.size(); ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(s.records[k].kind, kinds[k]);
    }
    EXPECT_EQ(s.records[0].numTags, 1u);
    EXPECT_EQ(s.records[1].firstTag, 1u);
    EXPECT_EQ(s.records[1].section, Section::Header);
    EXPECT_EQ(s.records[22].section, Section::Entities);
    EXPECT_EQ(s.records[34].section, Section::Other);
    EXPECT_EQ(s.header, 1u);
    EXPECT_EQ(s.blocksEnd, 20u);
    EXPECT_EQ(s.entitiesEnd, 26u);
    EXPECT_EQ(s.firstDictionary, 28u);
    EXPECT_EQ(s.objectsEnd, 32u);
    EXPECT_EQ(s.eof, 35u);

    ASSERT_EQ(s.tables.size(), 2u);
    EXPECT_EQ(s.tables[0].name, "LAYER");
    EXPECT_EQ(s.tables[0].head, 4u);
    EXPECT_EQ(s.tables[0].end, 6u);
    EXPECT_EQ(s.tables[0].members, std::vector<uint32_t>{5});
    EXPECT_EQ(s.tables[1].members, (std::vector<uint32_t>{8, 9}));
    EXPECT_EQ(s.records[9].table, 1u);

    // By owner handle, by name (a name inside an application group does not
    // count), and a definition without a record listed last.
    ASSERT_EQ(s.blocks.size(), 3u);
    EXPECT_EQ(s.blocks[0].blockRecord, 8u);
    EXPECT_EQ(s.blocks[0].block, 13u);
    EXPECT_EQ(s.blocks[0].endBlock, 14u);
    EXPECT_EQ(s.blocks[1].blockRecord, 9u);
    EXPECT_EQ(s.blocks[1].block, 15u);
    EXPECT_EQ(s.blocks[2].blockRecord, kNoRecord);
    EXPECT_EQ(s.blocks[2].block, 18u);

    // Objects have handles, section marks do not; a handle after extended
    // data is no handle.
    EXPECT_EQ(s.records[1].handle, 0u);
    EXPECT_EQ(s.records[5].handle, 0x10u);
    EXPECT_EQ(s.records[25].handle, 0u);
    ASSERT_FALSE(s.handles.empty());
    EXPECT_TRUE(std::is_sorted(s.handles.begin(), s.handles.end()));
    EXPECT_EQ(s.handles.front(), std::make_pair(uint64_t(1), uint32_t(7)));
}

TEST(DxfStructure, FaultsNameTheSourcesPlace) {
    const struct {
        TagList tags;
        const char* error;
    } cases[] = {
        {{}, "tag 0: a drawing file starts with group code 0, not 0"},
        {{{9, "$ACADVER"}, {0, "EOF"}}, "tag 0: a drawing file starts with group code 0, not 9"},
        {{{0, "LINE"}, {0, "EOF"}}, "tag 0: \"LINE\" outside a section"},
        {{{0, "SECTION"}, {0, "EOF"}}, "tag 1: a section without a name (group code 2)"},
        {{{0, "SECTION"}, {2, "A"}, {0, "SECTION"}, {2, "B"}},
         "tag 2: a section starts inside another section"},
        {{{0, "ENDSEC"}}, "tag 0: ENDSEC outside a section"},
        {{{0, "SECTION"}, {2, "ENTITIES"}, {0, "EOF"}},
         "tag 2: the file ends inside a section (no ENDSEC)"},
        {{{0, "SECTION"}, {2, "TABLES"}, {0, "TABLE"}, {2, "LAYER"}, {0, "ENDSEC"}},
         "tag 4: the section ends inside a table (no ENDTAB)"},
        {{{0, "SECTION"}, {2, "TABLES"}, {0, "TABLE"}, {0, "TABLE"}},
         "tag 3: a table starts inside another table"},
        {{{0, "SECTION"}, {2, "TABLES"}, {0, "ENDTAB"}}, "tag 2: ENDTAB outside a table"},
        {{{0, "SECTION"}, {2, "TABLES"}, {0, "LAYER"}}, "tag 2: a table record outside a table"},
        {{{0, "SECTION"}, {2, "BLOCKS"}, {0, "BLOCK"}, {0, "ENDSEC"}},
         "tag 3: the section ends inside a block (no ENDBLK)"},
        {{{0, "SECTION"}, {2, "BLOCKS"}, {0, "BLOCK"}, {0, "BLOCK"}},
         "tag 3: a block starts inside another block"},
        {{{0, "SECTION"}, {2, "BLOCKS"}, {0, "ENDBLK"}}, "tag 2: ENDBLK outside a block"},
        {{{0, "SECTION"}, {2, "BLOCKS"}, {0, "LINE"}},
         "tag 2: an entity outside a block definition"},
        {{{0, "SECTION"}, {2, "ENTITIES"}, {0, "ENDSEC"}}, "tag 2: no EOF record"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        DrawingStructure s;
        std::string error;
        EXPECT_FALSE(readStructure(cases[i].tags, s, error));
        EXPECT_EQ(error, cases[i].error);
    }
}

// A handle that an earlier record has (in any letter case) is no fault here:
// the later record is listed, without the handle, for the loader to renumber.
TEST(DxfStructure, LaterRecordsOfAHandleAreListedWithoutIt) {
    const TagList tags = {{0, "SECTION"}, {2, "ENTITIES"}, {0, "LINE"},   {5, "2F"},
                          {0, "TEXT"},    {5, "2f"},       {0, "LINE"},   {5, "30"},
                          {0, "TEXT"},    {5, "2F"},       {0, "ENDSEC"}, {0, "EOF"}};
    DrawingStructure s;
    std::string error;
    ASSERT_TRUE(readStructure(tags, s, error)) << error;
    EXPECT_EQ(s.duplicates, (std::vector<uint32_t>{2, 4}));
    EXPECT_EQ(s.records[1].handle, 0x2Fu);
    EXPECT_EQ(s.records[2].handle, 0u);
    EXPECT_EQ(s.records[4].handle, 0u);
    EXPECT_EQ(s.handles, (std::vector<std::pair<uint64_t, uint32_t>>{{0x2F, 1}, {0x30, 3}}));
}

}  // namespace
