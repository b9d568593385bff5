// Inside the drawing database: the record store that holds a loaded drawing,
// and the state each opened object carries.
//
// A drawing is kept as the records of its file in file order (a record is the
// run of tags from one "0" tag to the next), each referring to its tags in the
// loaded file. A record becomes an AcDbObject only when it is opened; from then
// on the object's own tags are the record's content. Saving writes every
// record that is not erased, in order, so whatever the editor does not model
// comes back as it was read.
#pragma once

#include "../dxf/DxfStructure.h"
#include "../dxf/DxfTags.h"
#include "TagList.h"
#include "acdb.h"
#include "dbmain.h"

#include <brevant/text.h>

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace brevant::db {

constexpr uint32_t kNone = dxf::kNoRecord;

// What a record is and the section it stands in, as the structure pass found
// them (or as the editor made them).
using Kind = dxf::RecordKind;
using Sec = dxf::Section;

enum RecordFlags : uint8_t {
    kErased = 1,
    kNew = 2,
    kVirtual = 4,  // stands for a missing table; never written
};

struct Record {
    uint32_t firstTag = 0;
    uint32_t numTags = 0;
    uint32_t prev = kNone;
    uint32_t next = kNone;
    uint64_t handle = 0;
    AcDbObject* obj = nullptr;
    Kind kind = Kind::Other;
    Sec section = Sec::None;
    uint8_t flags = 0;
    uint8_t table = 0xFF;  // for table heads and records: index into tables
};

using TableInfo = dxf::StructureTable;

struct BlockInfo {
    uint32_t blockRecord = kNone;  // the BLOCK_RECORD table record (R13 on)
    uint32_t block = kNone;        // the BLOCK entity
    uint32_t endBlock = kNone;
    AcDb::XrefStatus status = AcDb::kXrfNotAnXref;
    uint32_t primary() const { return blockRecord != kNone ? blockRecord : block; }
};

// State of an AcDbObject: where it lives, how it is open, and its tags.
struct ObjectData final : TagList::Watcher {
    AcDbDatabase* db = nullptr;
    uint32_t index = kNone;
    TagList tags;
    int readers = 0;
    bool writer = false;
    bool isNew = true;
    mutable std::string nameCache;
    mutable std::string pathCache;

    ObjectData() { tags.setWatcher(this); }
    ObjectData(const ObjectData&) = delete;
    ObjectData& operator=(const ObjectData&) = delete;

    // Tag helpers. The main data ends where extended data (1001) or an
    // embedded object (101) begins; 102 application groups are skipped.
    size_t mainEnd() const { return tags.mainEnd(); }
    int find(int code) const { return tags.find(code); }  // -1 when absent
    std::string_view get(int code, std::string_view fallback = {}) const {
        const int k = find(code);
        return k < 0 ? fallback : std::string_view(tags[size_t(k)].value);
    }
    double getDouble(int code, double fallback) const;
    int64_t getInt(int code, int64_t fallback) const;
    // Sets the first tag of the code in the main data, or inserts it before the
    // position (end of the main data by default) when absent.
    void set(int code, std::string_view value, int insertBefore = -1);
    uint64_t handle() const;
    uint64_t ownerHandle() const;
    void setHandle(uint64_t h);
    void setOwner(uint64_t owner);

    // A record's name is found through its table's name index: a new name
    // must be in it.
    void nameMayHaveChanged() override;
};

}  // namespace brevant::db

struct AcDbDatabase::Impl {
    AcDbDatabase* self = nullptr;
    brevant::dxf::TagFile file;
    std::vector<brevant::db::Record> records;
    uint32_t head = brevant::db::kNone;
    uint32_t tail = brevant::db::kNone;
    std::vector<brevant::db::TableInfo> tables;
    std::vector<brevant::db::BlockInfo> blocks;
    std::unordered_map<uint32_t, uint32_t> blockOfRecord;  // BLOCK_RECORD/BLOCK -> blocks index
    std::vector<uint32_t> inserts;                         // INSERT records, in index order
    std::vector<std::pair<uint64_t, uint32_t>> handles;    // sorted by handle
    uint32_t headerRecord = brevant::db::kNone;
    uint32_t nod = brevant::db::kNone;
    uint32_t entitiesEnd = brevant::db::kNone;  // ENDSEC of ENTITIES
    uint32_t objectsEnd = brevant::db::kNone;   // ENDSEC of OBJECTS
    uint32_t blocksEnd = brevant::db::kNone;    // ENDSEC of BLOCKS
    uint32_t eof = brevant::db::kNone;
    uint64_t handseed = 1;
    std::string version = "AC1015";
    std::string fileName;
    std::string originalFileName;
    std::string lastError;
    unsigned long lastFileError = 0;  // ERROR_SUCCESS
    brevant::dxf::TagFormat format;   // the form saving writes: the file's own
    // What loading changed to make the drawing sound, one line each: handles
    // renumbered, and the mending of a recovered file.
    std::vector<std::string> repairs;
    // A release-15 binary drawing: read through its DXF form, never saved.
    bool fromDwg = false;
    bool hasFileName = false;
    bool modified = false;
    bool resolveXrefs = true;
    std::vector<std::unique_ptr<AcDbDatabase>> sideDatabases;

    // Finding records by name: for each table, and for the blocks, the
    // records under a hash of their upper-case names, made on the first
    // lookup. A record is entered when it joins and again when its name
    // changes; the entry of an old name stays behind, as a lookup checks the
    // present name of every record it finds under the hash.
    struct NameIndex {
        bool built = false;
        std::unordered_multimap<size_t, uint32_t> entries;  // record, or index into blocks
    };
    mutable std::vector<NameIndex> tableNames;  // by table
    mutable NameIndex blockNames;
    NameIndex& tableNamesOf(int table) const;
    NameIndex& blockNamesOf() const;

    ~Impl();

    // Loading: replaces everything with the drawing in the buffer.
    bool load(std::vector<char>&& buffer, std::string& error);
    // Gives the records that the structure pass found sharing a handle with
    // an earlier record new handles from the seed, and notes it in repairs.
    void renumberDuplicates(const std::vector<uint32_t>& duplicates);
    void clear();

    // Tags of a record, whichever store holds them.
    void tagsOf(uint32_t index, std::vector<brevant::dxf::TagRef>& out) const;
    std::string_view recordType(uint32_t index) const;
    // The first value of a code in a record's main data.
    std::string_view valueOf(uint32_t index, int code) const;

    // Records.
    uint32_t findHandle(uint64_t handle) const;
    AcDbObjectId idOf(uint32_t index) const { return AcDbObjectId(self, index); }
    bool isErased(uint32_t index) const {
        return (records[index].flags & brevant::db::kErased) != 0;
    }
    // Adds a new record holding the object, before the record `before`.
    uint32_t addRecord(AcDbObject* obj, brevant::db::Kind kind, brevant::db::Sec sec,
                       uint32_t before);
    uint64_t nextHandle();
    void markModified() { modified = true; }

    // Objects: the record's object, made on first use.
    AcDbObject* materialize(uint32_t index);
    Acad::ErrorStatus open(AcDbObject*& obj, uint32_t index, AcDb::OpenMode mode, bool openErased);

    // Tables and blocks.
    int tableIndex(std::string_view name) const;
    // The first record of the table (in table order) with the name, without
    // regard to case.
    uint32_t tableRecordByName(int table, std::string_view name, bool includeErased) const;
    std::string recordName(uint32_t index) const;
    // The first block (index into blocks) with the name, without regard to
    // case; -1 when there is none.
    int blockByName(std::string_view name, bool includeErased) const;
    int blockIndexByName(std::string_view name) const { return blockByName(name, false); }
    // The record's name may be new (it joined a table, or was renamed): the
    // name indexes learn it. `data` is the record's object, whose tags changed.
    void noteName(uint32_t index, const brevant::db::ObjectData* data = nullptr);
    const brevant::db::BlockInfo* blockOf(uint32_t index) const;
    std::string blockName(const brevant::db::BlockInfo& b) const;
    int blockFlags(const brevant::db::BlockInfo& b) const;
    uint32_t modelSpace() const;
    uint32_t paperSpace() const;

    // The named-objects dictionary, made when the drawing has none.
    uint32_t namedObjects();
    // Entries of a dictionary record in file order: key and record index.
    void dictionaryEntries(uint32_t dict, std::vector<std::pair<std::string, uint32_t>>& out) const;

    // External references.
    void resolveAllXrefs();
    void resolveXref(brevant::db::BlockInfo& b);
    bool xrefReferenced(const brevant::db::BlockInfo& b) const;
    bool xrefUnloadedMark(const brevant::db::BlockInfo& b) const;

    // Header variables.
    std::string_view headerValue(std::string_view name) const;
    void setHeaderValue(std::string_view name, int code, std::string_view value);

    // Streams every record that is not erased into the file being replaced;
    // the Windows error code of the first write that failed, or ERROR_SUCCESS.
    unsigned long write(brevant::platform::AtomicFileWriter& out);
};

namespace brevant::db {

// Names compare as the editor compares symbols: without regard to case.
using brevant::text::sameText;
using brevant::text::startsWithNoCase;
using brevant::text::upper;
// Copies a text into memory that the caller releases with acutDelString/acdbFree.
char* copyText(std::string_view s);
// Every database that is open, so that stale ids and names are refused.
bool isLiveDatabase(const AcDbDatabase* db);
void registerDatabase(AcDbDatabase* db, bool live);
// Host-side helpers of the database operations.
AcDbDatabase::Impl* implOf(const AcDbObjectId& id);

// Value lists from tags [begin, end): points gather their X, Y and Z groups,
// handles of pointer groups become entity names. NULL for an empty range.
resbuf* tagsToList(const std::vector<dxf::TagRef>& tags, size_t begin, size_t end,
                   AcDbDatabase* db);
// Tags from a value list; false (with the offending code) for a value that has
// no tag form.
bool listToTags(const resbuf* rb, std::vector<dxf::OwnedTag>& out, int& badCode);
// Entity names of the entity-list interface.
void setName(intptr_t* name, AcDbDatabase* db, uint32_t index);
AcDbDatabase::Impl* nameToRecord(const intptr_t* name, uint32_t& index);

}  // namespace brevant::db
