// The structure pass: records, sections, tables, blocks and handles.
#include "DxfStructure.h"

#include <brevant/text.h>

#include <algorithm>

namespace brevant::dxf {

RecordKind entityKind(std::string_view type) {
    if (type == "INSERT") {
        return RecordKind::Insert;
    }
    if (type == "ATTRIB") {
        return RecordKind::Attrib;
    }
    if (type == "ATTDEF") {
        return RecordKind::AttDef;
    }
    if (type == "TEXT") {
        return RecordKind::Text;
    }
    if (type == "SEQEND") {
        return RecordKind::SeqEnd;
    }
    if (type == "VERTEX") {
        return RecordKind::Vertex;
    }
    return RecordKind::Entity;
}

RecordKind objectKind(std::string_view type) {
    if (type == "DICTIONARY" || type == "ACDBDICTIONARYWDFLT") {
        return RecordKind::Dictionary;
    }
    if (type == "XRECORD") {
        return RecordKind::Xrecord;
    }
    if (type == "DICTIONARYVAR") {
        return RecordKind::DictionaryVar;
    }
    return RecordKind::Object;
}

namespace {

Section sectionNamed(std::string_view name) {
    if (name == "HEADER") {
        return Section::Header;
    }
    if (name == "CLASSES") {
        return Section::Classes;
    }
    if (name == "TABLES") {
        return Section::Tables;
    }
    if (name == "BLOCKS") {
        return Section::Blocks;
    }
    if (name == "ENTITIES") {
        return Section::Entities;
    }
    if (name == "OBJECTS") {
        return Section::Objects;
    }
    return Section::Other;
}

// The first value of a code in a record's own data: extended data (1001) and
// embedded objects (101) end it, application groups (102) are passed over.
std::string_view valueOf(const TagSource& tags, const StructureRecord& record, int code) {
    bool inGroup = false;
    for (uint32_t k = record.firstTag + 1; k < record.firstTag + record.numTags; ++k) {
        const TagRef tag = tags.tag(k);
        if (tag.code == 1001 || tag.code == 101) {
            break;
        }
        if (tag.code == 102) {
            inGroup = !tag.value.empty() && tag.value[0] == '{';
            continue;
        }
        if (!inGroup && tag.code == code) {
            return tag.value;
        }
    }
    return {};
}

// Sorts a list that is made of a few ascending runs, as a drawing's handles
// are (each section counts up from where it began), by merging the runs.
template <typename T>
void sortRuns(std::vector<T>& items) {
    std::vector<size_t> bounds{0};
    for (size_t k = 1; k < items.size(); ++k) {
        if (items[k] < items[k - 1]) {
            bounds.push_back(k);
        }
    }
    bounds.push_back(items.size());
    while (bounds.size() > 2) {
        std::vector<size_t> merged{0};
        for (size_t r = 0; r + 2 < bounds.size(); r += 2) {
            std::inplace_merge(items.begin() + long(bounds[r]), items.begin() + long(bounds[r + 1]),
                               items.begin() + long(bounds[r + 2]));
            merged.push_back(bounds[r + 2]);
        }
        if (merged.back() != items.size()) {
            merged.push_back(items.size());
        }
        bounds = std::move(merged);
    }
}

class Pass {
public:
    Pass(const TagSource& tags, DrawingStructure& out, std::string& error)
        : m_tags(tags), m_out(out), m_error(error) {}

    bool run() {
        m_out = DrawingStructure();
        return readRecords() && checkHandles() && matchBlocks();
    }

private:
    bool fail(uint32_t tagIndex, const std::string& what) {
        m_error = m_tags.where(tagIndex) + ": " + what;
        return false;
    }

    bool readRecords();
    bool classify(StructureRecord& r, uint32_t index, std::string_view type);
    void findHandle(StructureRecord& r, std::string_view type);
    bool checkHandles();
    bool matchBlocks();

    const TagSource& m_tags;
    DrawingStructure& m_out;
    std::string& m_error;
    Section m_section = Section::None;
    int m_table = -1;  // the table being read
    int m_block = -1;  // the block definition being read
    std::vector<StructureBlock> m_definitions;
};

bool Pass::readRecords() {
    const uint32_t count = m_tags.tagCount();
    // Comments (999) may stand before the first section; they are kept as a
    // record of their own.
    uint32_t first = 0;
    while (first < count && m_tags.tag(first).code == 999) {
        ++first;
    }
    if (first >= count || m_tags.tag(first).code != 0) {
        const uint32_t at = first < count ? first : 0;
        return fail(at, "a drawing file starts with group code 0, not " +
                            std::to_string(count == 0 ? 0 : m_tags.tag(at).code));
    }
    size_t zeros = 0;
    for (uint32_t k = first; k < count; ++k) {
        zeros += m_tags.tag(k).code == 0;
    }
    m_out.records.reserve(zeros + (first > 0 ? 1 : 0));
    if (first > 0) {
        StructureRecord prelude;
        prelude.numTags = first;
        m_out.records.push_back(prelude);
    }
    for (uint32_t i = first; i < count;) {
        StructureRecord r;
        r.firstTag = i;
        uint32_t j = i + 1;
        while (j < count && m_tags.tag(j).code != 0) {
            ++j;
        }
        r.numTags = j - i;
        const uint32_t index = uint32_t(m_out.records.size());
        const std::string_view type = m_tags.tag(i).value;
        if (!classify(r, index, type)) {
            return false;
        }
        m_out.records.push_back(r);
        i = j;
    }
    if (m_out.eof == kNoRecord) {
        return fail(count - 1, "no EOF record");
    }
    return true;
}

// Sets the record's kind, section and table, and its handle when it is an
// object; follows sections, tables and blocks as they open and close.
bool Pass::classify(StructureRecord& r, uint32_t index, std::string_view type) {
    const uint32_t i = r.firstTag;
    bool object = true;
    if (type == "SECTION") {
        if (m_section != Section::None) {
            return fail(i, "a section starts inside another section");
        }
        if (r.numTags < 2 || m_tags.tag(i + 1).code != 2) {
            return fail(i + 1, "a section without a name (group code 2)");
        }
        m_section = sectionNamed(m_tags.tag(i + 1).value);
        r.kind = RecordKind::Section;
        r.section = m_section;
        object = false;
        if (m_section == Section::Header) {
            m_out.header = index;
        }
    } else if (type == "ENDSEC") {
        if (m_section == Section::None) {
            return fail(i, "ENDSEC outside a section");
        }
        if (m_table >= 0) {
            return fail(i, "the section ends inside a table (no ENDTAB)");
        }
        if (m_block >= 0) {
            return fail(i, "the section ends inside a block (no ENDBLK)");
        }
        r.kind = RecordKind::EndSec;
        r.section = m_section;
        if (m_section == Section::Entities) {
            m_out.entitiesEnd = index;
        } else if (m_section == Section::Objects) {
            m_out.objectsEnd = index;
        } else if (m_section == Section::Blocks) {
            m_out.blocksEnd = index;
        }
        m_section = Section::None;
        object = false;
    } else if (type == "EOF") {
        if (m_section != Section::None) {
            return fail(i, "the file ends inside a section (no ENDSEC)");
        }
        r.kind = RecordKind::Eof;
        m_out.eof = index;
        object = false;
    } else if (m_section == Section::None) {
        return fail(i, "\"" + shown(type) + "\" outside a section");
    } else if (m_section == Section::Tables) {
        r.section = m_section;
        if (type == "TABLE") {
            if (m_table >= 0) {
                return fail(i, "a table starts inside another table");
            }
            if (m_out.tables.size() >= size_t(kMaxTables)) {
                return fail(i, "too many tables");
            }
            StructureTable table;
            for (uint32_t k = i + 1; k < i + r.numTags; ++k) {
                if (m_tags.tag(k).code == 2) {
                    table.name = brevant::text::upper(m_tags.tag(k).value);
                    break;
                }
            }
            table.head = index;
            m_table = int(m_out.tables.size());
            m_out.tables.push_back(std::move(table));
            r.kind = RecordKind::Table;
            r.table = uint8_t(m_table);
        } else if (type == "ENDTAB") {
            if (m_table < 0) {
                return fail(i, "ENDTAB outside a table");
            }
            m_out.tables[size_t(m_table)].end = index;
            r.kind = RecordKind::EndTab;
            r.table = uint8_t(m_table);
            m_table = -1;
            object = false;
        } else {
            if (m_table < 0) {
                return fail(i, "a table record outside a table");
            }
            r.kind = RecordKind::TableRecord;
            r.table = uint8_t(m_table);
            m_out.tables[size_t(m_table)].members.push_back(index);
        }
    } else if (m_section == Section::Blocks) {
        r.section = m_section;
        if (type == "BLOCK") {
            if (m_block >= 0) {
                return fail(i, "a block starts inside another block");
            }
            StructureBlock block;
            block.block = index;
            m_block = int(m_definitions.size());
            m_definitions.push_back(block);
            r.kind = RecordKind::Block;
        } else if (type == "ENDBLK") {
            if (m_block < 0) {
                return fail(i, "ENDBLK outside a block");
            }
            m_definitions[size_t(m_block)].endBlock = index;
            m_block = -1;
            r.kind = RecordKind::EndBlk;
        } else {
            if (m_block < 0) {
                return fail(i, "an entity outside a block definition");
            }
            r.kind = entityKind(type);
        }
    } else if (m_section == Section::Entities) {
        r.section = m_section;
        r.kind = entityKind(type);
    } else if (m_section == Section::Objects) {
        r.section = m_section;
        r.kind = objectKind(type);
        if (m_out.firstDictionary == kNoRecord && r.kind == RecordKind::Dictionary) {
            m_out.firstDictionary = index;
        }
    } else {
        r.section = m_section;
        r.kind = RecordKind::Other;
        object = false;
    }
    if (object) {
        findHandle(r, type);
    }
    return true;
}

// The handle of an object: group 5 (105 in a dimension style), before any
// extended data.
void Pass::findHandle(StructureRecord& r, std::string_view type) {
    const int handleCode = type == "DIMSTYLE" ? 105 : 5;
    for (uint32_t k = r.firstTag + 1; k < r.firstTag + r.numTags; ++k) {
        const TagRef tag = m_tags.tag(k);
        if (tag.code == handleCode) {
            uint64_t handle = 0;
            if (parseHandle(tag.value, handle) && handle != 0) {
                r.handle = handle;
            }
            return;
        }
        if (tag.code == 1001) {
            return;
        }
    }
}

// Handles must be unique. A record whose handle an earlier record has is
// listed as a duplicate and loses the handle here; the loader gives it a new
// one.
bool Pass::checkHandles() {
    auto& handles = m_out.handles;
    handles.reserve(m_out.records.size());
    for (uint32_t k = 0; k < m_out.records.size(); ++k) {
        if (m_out.records[k].handle != 0) {
            handles.emplace_back(m_out.records[k].handle, k);
        }
    }
    sortRuns(handles);
    size_t kept = 0;
    for (size_t k = 0; k < handles.size(); ++k) {
        if (kept > 0 && handles[k].first == handles[kept - 1].first) {
            m_out.duplicates.push_back(handles[k].second);
            m_out.records[handles[k].second].handle = 0;
        } else {
            handles[kept++] = handles[k];
        }
    }
    handles.resize(kept);
    std::sort(m_out.duplicates.begin(), m_out.duplicates.end());
    return true;
}

// Block table records (release 13 on) name every block; each definition is
// matched to its record by owner handle, else by name.
bool Pass::matchBlocks() {
    const auto table =
        std::find_if(m_out.tables.begin(), m_out.tables.end(),
                     [](const StructureTable& t) { return t.name == "BLOCK_RECORD"; });
    if (table == m_out.tables.end()) {
        m_out.blocks = std::move(m_definitions);
        return true;
    }
    auto& blocks = m_out.blocks;
    for (uint32_t member : table->members) {
        StructureBlock block;
        block.blockRecord = member;
        blocks.push_back(block);
    }
    const auto recordOf = [this](uint64_t handle) {
        const auto it = std::lower_bound(m_out.handles.begin(), m_out.handles.end(),
                                         std::make_pair(handle, uint32_t(0)));
        return it != m_out.handles.end() && it->first == handle ? it->second : kNoRecord;
    };
    for (const StructureBlock& definition : m_definitions) {
        int match = -1;
        uint64_t owner = 0;
        const StructureRecord& begin = m_out.records[definition.block];
        if (parseHandle(valueOf(m_tags, begin, 330), owner)) {
            const uint32_t ownerRecord = recordOf(owner);
            for (size_t k = 0; k < blocks.size() && ownerRecord != kNoRecord; ++k) {
                if (blocks[k].blockRecord == ownerRecord && blocks[k].block == kNoRecord) {
                    match = int(k);
                }
            }
        }
        if (match < 0) {
            const std::string_view name = valueOf(m_tags, begin, 2);
            for (size_t k = 0; k < blocks.size(); ++k) {
                if (blocks[k].block == kNoRecord &&
                    brevant::text::sameText(
                        valueOf(m_tags, m_out.records[blocks[k].blockRecord], 2), name)) {
                    match = int(k);
                    break;
                }
            }
        }
        if (match >= 0) {
            blocks[size_t(match)].block = definition.block;
            blocks[size_t(match)].endBlock = definition.endBlock;
        } else {
            blocks.push_back(definition);  // a block without a table record: listed all the same
        }
    }
    return true;
}

}  // namespace

bool readStructure(const TagSource& tags, DrawingStructure& structure, std::string& error) {
    return Pass(tags, structure, error).run();
}

}  // namespace brevant::dxf
