// The structure pass of the drawing store: from a drawing's tags in file
// order it finds the records (a record is the run of tags from one group-0
// tag to the next) and what each one is: section marks, tables and their
// records, block definitions and their entities, entities, objects; the
// handle of each; and which block definition belongs to which block table
// record. It checks that the sections, tables and blocks nest, naming where a
// fault lies, and lists the records whose handle an earlier record has.
//
// The pass does not care where the tags come from: it reads them through
// TagSource (DxfTags.h), which the ASCII DXF reader's TagFile implements and
// which a binary DXF or DWG reader can implement in the same way.
#pragma once

#include "DxfTags.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brevant::dxf {

constexpr uint32_t kNoRecord = 0xFFFFFFFFu;
// The most tables a drawing may have: a table's index fits in a byte.
constexpr int kMaxTables = 250;

// What a record is.
enum class RecordKind : uint8_t {
    Other,  // classes, header and anything that is not an object
    Section,
    EndSec,
    Table,
    EndTab,
    Eof,
    TableRecord,
    Block,
    EndBlk,
    Insert,
    Attrib,
    AttDef,
    Text,
    SeqEnd,
    Vertex,
    Entity,
    Dictionary,
    Xrecord,
    DictionaryVar,
    Object,
};

// The section a record stands in.
enum class Section : uint8_t { None, Header, Classes, Tables, Blocks, Entities, Objects, Other };

// The kind of an entity and of an object, by the type of its record ("INSERT",
// "DICTIONARY", ...).
RecordKind entityKind(std::string_view type);
RecordKind objectKind(std::string_view type);

struct StructureRecord {
    uint32_t firstTag = 0;
    uint32_t numTags = 0;
    uint64_t handle = 0;  // 0: none
    RecordKind kind = RecordKind::Other;
    Section section = Section::None;
    uint8_t table = 0xFF;  // for table heads and records: index into the tables
};

struct StructureTable {
    std::string name;  // upper case: "LAYER", "BLOCK_RECORD", ...
    uint32_t head = kNoRecord;
    uint32_t end = kNoRecord;
    std::vector<uint32_t> members;  // its records, in file order
};

// A block: its BLOCK_RECORD table record (release 13 on), and its BLOCK and
// ENDBLK records; kNoRecord for what the file does not have.
struct StructureBlock {
    uint32_t blockRecord = kNoRecord;
    uint32_t block = kNoRecord;
    uint32_t endBlock = kNoRecord;
};

struct DrawingStructure {
    std::vector<StructureRecord> records;  // in file order
    std::vector<StructureTable> tables;
    // Every block table record in table order, each with its definition
    // (matched by owner handle, else by name); then any definition that has
    // no table record. Without a BLOCK_RECORD table: the definitions in order.
    std::vector<StructureBlock> blocks;
    std::vector<std::pair<uint64_t, uint32_t>> handles;  // handle and record, sorted
    // Records whose handle an earlier record has, in file order; their
    // `handle` is 0 and they are not in `handles`.
    std::vector<uint32_t> duplicates;
    uint32_t header = kNoRecord;           // the HEADER section mark
    uint32_t firstDictionary = kNoRecord;  // the named-objects dictionary
    uint32_t entitiesEnd = kNoRecord;      // ENDSEC of ENTITIES
    uint32_t objectsEnd = kNoRecord;       // ENDSEC of OBJECTS
    uint32_t blocksEnd = kNoRecord;        // ENDSEC of BLOCKS
    uint32_t eof = kNoRecord;
};

// Reads the structure of the drawing whose tags the source gives. On failure
// returns false and sets error to "<where>: <what>", for example "line 9: the
// section ends inside a table (no ENDTAB)".
bool readStructure(const TagSource& tags, DrawingStructure& structure, std::string& error);

}  // namespace brevant::dxf
