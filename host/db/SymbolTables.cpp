// Symbol tables, their records and iterators; block table records with their
// external-reference state and references.
#include "DbInternal.h"

#include "acutmem.h"
#include "dbents.h"
#include "dbsymtb.h"

#include <cstring>

using namespace brevant::db;
using brevant::dxf::OwnedTag;

namespace {

AcDbDatabase::Impl* implOfObject(const AcDbObject* obj) {
    AcDbDatabase* db = obj->database();
    return db == nullptr ? nullptr : db->impl();
}

// The table whose head the object is; a missing table gets a stand-in record
// that is never written.
int tableOf(const AcDbObject* obj) {
    AcDbDatabase::Impl* impl = implOfObject(obj);
    if (impl == nullptr) {
        return -1;
    }
    const Record& r = impl->records[obj->hostData()->index];
    return r.table == 0xFF ? -1 : int(r.table);
}

bool isBlockTable(const AcDbObject* obj) {
    return dynamic_cast<const AcDbBlockTable*>(obj) != nullptr;
}

int ensureTable(AcDbDatabase::Impl* impl, const char* name) {
    int t = impl->tableIndex(name);
    if (t >= 0) {
        return t;
    }
    if (impl->tables.size() >= 250) {
        return -1;
    }
    TableInfo info;
    info.name = name;
    Record r;
    r.kind = Kind::Table;
    r.section = Sec::Tables;
    r.flags = kVirtual;
    r.table = uint8_t(impl->tables.size());
    info.head = uint32_t(impl->records.size());
    AcDbObject* obj;
    if (info.name == "BLOCK_RECORD") {
        obj = new AcDbBlockTable;
    } else if (info.name == "LAYER") {
        obj = new AcDbLayerTable;
    } else if (info.name == "APPID") {
        obj = new AcDbRegAppTable;
    } else if (info.name == "STYLE") {
        obj = new AcDbTextStyleTable;
    } else {
        obj = new AcDbOtherTable;
    }
    obj->hostData()->tags = {{0, "TABLE"}, {2, info.name}};
    obj->hostData()->db = impl->self;
    obj->hostData()->index = info.head;
    obj->hostData()->writer = false;
    obj->hostData()->isNew = false;
    r.obj = obj;
    impl->records.push_back(r);  // not linked into the file order
    impl->tables.push_back(info);
    return int(impl->tables.size()) - 1;
}

Acad::ErrorStatus openTable(AcDbDatabase* db, const char* name, AcDbObject*& obj,
                            AcDb::OpenMode mode) {
    AcDbDatabase::Impl* impl = db->impl();
    int t = ensureTable(impl, name);
    if (t < 0) {
        return Acad::eMissingSymbolTable;
    }
    return impl->open(obj, impl->tables[size_t(t)].head, mode, false);
}

template <class T>
Acad::ErrorStatus openTypedTable(AcDbDatabase* db, const char* name, T*& pTable,
                                 AcDb::OpenMode mode) {
    AcDbObject* obj = nullptr;
    pTable = nullptr;
    Acad::ErrorStatus es = openTable(db, name, obj, mode);
    if (es != Acad::eOk) {
        return es;
    }
    pTable = dynamic_cast<T*>(obj);
    if (pTable == nullptr) {
        obj->close();
        return Acad::eNotThatKindOfClass;
    }
    return Acad::eOk;
}

// The records of a table in table order, erased ones included.
void tableRecords(const AcDbObject* table, AcDbObjectIdArray& ids) {
    AcDbDatabase::Impl* impl = implOfObject(table);
    if (impl == nullptr) {
        return;
    }
    if (isBlockTable(table)) {
        for (const BlockInfo& b : impl->blocks) {
            ids.append(impl->idOf(b.primary()));
        }
        return;
    }
    int t = tableOf(table);
    if (t < 0) {
        return;
    }
    for (uint32_t m : impl->tables[size_t(t)].members) {
        ids.append(impl->idOf(m));
    }
}

uint32_t findRecord(const AcDbObject* table, const char* name, bool includeErased) {
    AcDbDatabase::Impl* impl = implOfObject(table);
    if (impl == nullptr || name == nullptr) {
        return kNone;
    }
    if (isBlockTable(table)) {
        const int k = impl->blockByName(name, includeErased);
        return k < 0 ? kNone : impl->blocks[size_t(k)].primary();
    }
    return impl->tableRecordByName(tableOf(table), name, includeErased);
}

}  // namespace

// The database's tables.

Acad::ErrorStatus AcDbDatabase::getSymbolTable(AcDbBlockTable*& pTable, AcDb::OpenMode mode) {
    return openTypedTable(this, "BLOCK_RECORD", pTable, mode);
}
Acad::ErrorStatus AcDbDatabase::getSymbolTable(AcDbLayerTable*& pTable, AcDb::OpenMode mode) {
    return openTypedTable(this, "LAYER", pTable, mode);
}
Acad::ErrorStatus AcDbDatabase::getSymbolTable(AcDbRegAppTable*& pTable, AcDb::OpenMode mode) {
    return openTypedTable(this, "APPID", pTable, mode);
}
Acad::ErrorStatus AcDbDatabase::getSymbolTable(AcDbTextStyleTable*& pTable, AcDb::OpenMode mode) {
    return openTypedTable(this, "STYLE", pTable, mode);
}
Acad::ErrorStatus AcDbDatabase::getBlockTable(AcDbBlockTable*& pTable, AcDb::OpenMode mode) {
    return getSymbolTable(pTable, mode);
}
Acad::ErrorStatus AcDbDatabase::getLayerTable(AcDbLayerTable*& pTable, AcDb::OpenMode mode) {
    return getSymbolTable(pTable, mode);
}
Acad::ErrorStatus AcDbDatabase::getRegAppTable(AcDbRegAppTable*& pTable, AcDb::OpenMode mode) {
    return getSymbolTable(pTable, mode);
}
Acad::ErrorStatus AcDbDatabase::getTextStyleTable(AcDbTextStyleTable*& pTable,
                                                  AcDb::OpenMode mode) {
    return getSymbolTable(pTable, mode);
}

static AcDbObjectId tableId(AcDbDatabase* db, const char* name) {
    int t = ensureTable(db->impl(), name);
    return t < 0 ? AcDbObjectId::kNull : db->impl()->idOf(db->impl()->tables[size_t(t)].head);
}
AcDbObjectId AcDbDatabase::blockTableId() const {
    return tableId(const_cast<AcDbDatabase*>(this), "BLOCK_RECORD");
}
AcDbObjectId AcDbDatabase::layerTableId() const {
    return tableId(const_cast<AcDbDatabase*>(this), "LAYER");
}
AcDbObjectId AcDbDatabase::regAppTableId() const {
    return tableId(const_cast<AcDbDatabase*>(this), "APPID");
}
AcDbObjectId AcDbDatabase::textStyleTableId() const {
    return tableId(const_cast<AcDbDatabase*>(this), "STYLE");
}

// AcDbSymbolTable

const char* AcDbSymbolTable::className() const {
    return "AcDbSymbolTable";
}

Acad::ErrorStatus AcDbSymbolTable::getAt(const char* entryName, AcDbSymbolTableRecord*& pRec,
                                         AcDb::OpenMode openMode, bool openErasedRec) const {
    pRec = nullptr;
    if (!isReadEnabled()) {
        return Acad::eNotOpenForRead;
    }
    uint32_t index = findRecord(this, entryName, openErasedRec);
    if (index == kNone) {
        return Acad::eKeyNotFound;
    }
    AcDbObject* obj = nullptr;
    Acad::ErrorStatus es = implOfObject(this)->open(obj, index, openMode, openErasedRec);
    if (es != Acad::eOk) {
        return es;
    }
    pRec = AcDbSymbolTableRecord::cast(obj);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTable::getAt(const char* entryName, AcDbObjectId& recordId,
                                         bool getErasedRecord) const {
    recordId = AcDbObjectId::kNull;
    if (!isReadEnabled()) {
        return Acad::eNotOpenForRead;
    }
    uint32_t index = findRecord(this, entryName, getErasedRecord);
    if (index == kNone) {
        return Acad::eKeyNotFound;
    }
    recordId = implOfObject(this)->idOf(index);
    return Acad::eOk;
}

bool AcDbSymbolTable::has(const char* name) const {
    return findRecord(this, name, false) != kNone;
}

bool AcDbSymbolTable::has(AcDbObjectId id) const {
    AcDbObjectIdArray ids;
    tableRecords(this, ids);
    return ids.contains(id) && !id.isErased();
}

Acad::ErrorStatus AcDbSymbolTable::newIterator(AcDbSymbolTableIterator*& pIterator,
                                               bool atBeginning, bool skipDeleted) const {
    pIterator = nullptr;
    if (!isReadEnabled()) {
        return Acad::eNotOpenForRead;
    }
    AcDbObjectIdArray ids;
    tableRecords(this, ids);
    pIterator = new AcDbSymbolTableIterator(ids, atBeginning, skipDeleted);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTable::add(AcDbSymbolTableRecord* pRecord) {
    AcDbObjectId id;
    return add(id, pRecord);
}

Acad::ErrorStatus AcDbSymbolTable::add(AcDbObjectId& recordId, AcDbSymbolTableRecord* pRecord) {
    recordId = AcDbObjectId::kNull;
    if (!isWriteEnabled()) {
        return Acad::eNotOpenForWrite;
    }
    if (pRecord == nullptr) {
        return Acad::eNullObjectPointer;
    }
    if (pRecord->database() != nullptr) {
        return Acad::eAlreadyInDb;
    }
    AcDbDatabase::Impl* impl = implOfObject(this);
    ObjectData* rd = pRecord->hostData();
    std::string name(rd->get(2));
    if (name.empty()) {
        return Acad::eInvalidInput;
    }
    if (findRecord(this, name.c_str(), false) != kNone) {
        return Acad::eDuplicateRecord;
    }
    const uint32_t tableHead = hostData()->index;
    // Copies: adding records moves the record list.
    const Record head = impl->records[tableHead];
    const uint64_t tableHandle = head.handle;

    if (isBlockTable(this)) {
        auto* btr = dynamic_cast<AcDbBlockTableRecord*>(pRecord);
        if (btr == nullptr) {
            return Acad::eNotThatKindOfClass;
        }
        if ((head.flags & kVirtual) || impl->blocksEnd == kNone) {
            return Acad::eNotApplicable;
        }
        const std::string path = rd->pathCache;
        uint32_t index =
            impl->addRecord(pRecord, Kind::TableRecord, Sec::Tables, impl->tables[head.table].end);
        impl->records[index].table = head.table;
        impl->tables[head.table].members.push_back(index);
        rd->setOwner(tableHandle);
        const uint64_t brHandle = impl->records[index].handle;
        const std::string owner = brevant::dxf::formatHandle(brHandle);
        const int flags = path.empty() ? 0 : 4;
        AcDbEntity* begin = new AcDbEntity;
        begin->hostData()->tags = {{0, "BLOCK"}, {5, "0"},
                                   {330, owner}, {100, "AcDbEntity"},
                                   {8, "0"},     {100, "AcDbBlockBegin"},
                                   {2, name},    {70, std::to_string(flags)},
                                   {10, "0.0"},  {20, "0.0"},
                                   {30, "0.0"},  {3, name},
                                   {1, path}};
        uint32_t blockIndex = impl->addRecord(begin, Kind::Block, Sec::Blocks, impl->blocksEnd);
        begin->close();
        AcDbEntity* end = new AcDbEntity;
        end->hostData()->tags = {{0, "ENDBLK"},       {5, "0"}, {330, owner},
                                 {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbBlockEnd"}};
        uint32_t endIndex = impl->addRecord(end, Kind::EndBlk, Sec::Blocks, impl->blocksEnd);
        end->close();
        BlockInfo b;
        b.blockRecord = index;
        b.block = blockIndex;
        b.endBlock = endIndex;
        impl->blocks.push_back(b);
        impl->blockOfRecord[index] = uint32_t(impl->blocks.size() - 1);
        impl->blockOfRecord[blockIndex] = uint32_t(impl->blocks.size() - 1);
        impl->noteName(index);
        rd->pathCache.clear();
        recordId = impl->idOf(index);
        return Acad::eOk;
    }
    if (head.flags & kVirtual) {
        return Acad::eNotApplicable;
    }
    uint32_t index =
        impl->addRecord(pRecord, Kind::TableRecord, Sec::Tables, impl->tables[head.table].end);
    impl->records[index].table = head.table;
    impl->tables[head.table].members.push_back(index);
    impl->noteName(index);
    rd->setOwner(tableHandle);
    recordId = impl->idOf(index);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTable::getAt(const char* entryName, AcDbBlockTableRecord*& pRec,
                                        AcDb::OpenMode openMode, bool openErasedRec) const {
    AcDbSymbolTableRecord* rec = nullptr;
    pRec = nullptr;
    Acad::ErrorStatus es = AcDbSymbolTable::getAt(entryName, rec, openMode, openErasedRec);
    if (es == Acad::eOk) {
        pRec = AcDbBlockTableRecord::cast(rec);
    }
    return es;
}

Acad::ErrorStatus AcDbBlockTable::newIterator(AcDbBlockTableIterator*& pIterator, bool atBeginning,
                                              bool skipDeleted) const {
    pIterator = nullptr;
    if (!isReadEnabled()) {
        return Acad::eNotOpenForRead;
    }
    AcDbObjectIdArray ids;
    tableRecords(this, ids);
    pIterator = new AcDbBlockTableIterator(ids, atBeginning, skipDeleted);
    return Acad::eOk;
}

const char* AcDbBlockTable::className() const {
    return "AcDbBlockTable";
}

Acad::ErrorStatus AcDbBlockTableIterator::getRecord(AcDbBlockTableRecord*& pRecord,
                                                    AcDb::OpenMode openMode,
                                                    bool openErasedRec) const {
    AcDbSymbolTableRecord* rec = nullptr;
    pRecord = nullptr;
    Acad::ErrorStatus es = AcDbSymbolTableIterator::getRecord(rec, openMode, openErasedRec);
    if (es == Acad::eOk) {
        pRecord = AcDbBlockTableRecord::cast(rec);
    }
    return es;
}

#define BREVANT_DEFINE_TABLE(TABLE, ITERATOR, RECORD)                                              \
    const char* TABLE::className() const {                                                         \
        return #TABLE;                                                                             \
    }                                                                                              \
    Acad::ErrorStatus TABLE::getAt(const char* entryName, RECORD*& pRec, AcDb::OpenMode openMode,  \
                                   bool openErasedRec) const {                                     \
        AcDbSymbolTableRecord* rec = nullptr;                                                      \
        pRec = nullptr;                                                                            \
        Acad::ErrorStatus es = AcDbSymbolTable::getAt(entryName, rec, openMode, openErasedRec);    \
        if (es == Acad::eOk)                                                                       \
            pRec = RECORD::cast(rec);                                                              \
        return es;                                                                                 \
    }                                                                                              \
    Acad::ErrorStatus TABLE::newIterator(ITERATOR*& pIterator, bool atBeginning, bool skipDeleted) \
        const {                                                                                    \
        pIterator = nullptr;                                                                       \
        if (!isReadEnabled())                                                                      \
            return Acad::eNotOpenForRead;                                                          \
        AcDbObjectIdArray ids;                                                                     \
        tableRecords(this, ids);                                                                   \
        pIterator = new ITERATOR(ids, atBeginning, skipDeleted);                                   \
        return Acad::eOk;                                                                          \
    }                                                                                              \
    Acad::ErrorStatus ITERATOR::getRecord(RECORD*& pRecord, AcDb::OpenMode openMode,               \
                                          bool openErasedRec) const {                              \
        AcDbSymbolTableRecord* rec = nullptr;                                                      \
        pRecord = nullptr;                                                                         \
        Acad::ErrorStatus es = AcDbSymbolTableIterator::getRecord(rec, openMode, openErasedRec);   \
        if (es == Acad::eOk)                                                                       \
            pRecord = RECORD::cast(rec);                                                           \
        return es;                                                                                 \
    }

BREVANT_DEFINE_TABLE(AcDbLayerTable, AcDbLayerTableIterator, AcDbLayerTableRecord)
BREVANT_DEFINE_TABLE(AcDbRegAppTable, AcDbRegAppTableIterator, AcDbRegAppTableRecord)
BREVANT_DEFINE_TABLE(AcDbTextStyleTable, AcDbTextStyleTableIterator, AcDbTextStyleTableRecord)

// Iterators

AcDbSymbolTableIterator::AcDbSymbolTableIterator(const AcDbObjectIdArray& ids, bool atBeginning,
                                                 bool skipDeleted)
    : m_ids(ids), m_pos(0), m_skipDeleted(skipDeleted) {
    start(atBeginning, skipDeleted);
}

AcDbSymbolTableIterator::~AcDbSymbolTableIterator() = default;

void AcDbSymbolTableIterator::skip(bool forward) {
    if (!m_skipDeleted) {
        return;
    }
    while (m_pos >= 0 && m_pos < m_ids.length() && m_ids[m_pos].isErased()) {
        m_pos += forward ? 1 : -1;
    }
}

void AcDbSymbolTableIterator::start(bool atBeginning, bool skipDeleted) {
    m_skipDeleted = skipDeleted;
    m_pos = atBeginning ? 0 : m_ids.length() - 1;
    skip(atBeginning);
}

bool AcDbSymbolTableIterator::done() const {
    return m_pos < 0 || m_pos >= m_ids.length();
}

Acad::ErrorStatus AcDbSymbolTableIterator::getRecordId(AcDbObjectId& id) const {
    id = AcDbObjectId::kNull;
    if (done()) {
        return Acad::eInvalidIndex;
    }
    id = m_ids[m_pos];
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableIterator::getRecord(AcDbSymbolTableRecord*& pRecord,
                                                     AcDb::OpenMode openMode,
                                                     bool openErasedRec) const {
    pRecord = nullptr;
    if (done()) {
        return Acad::eInvalidIndex;
    }
    AcDbObject* obj = nullptr;
    Acad::ErrorStatus es = acdbOpenAcDbObject(obj, m_ids[m_pos], openMode, openErasedRec);
    if (es != Acad::eOk) {
        return es;
    }
    pRecord = AcDbSymbolTableRecord::cast(obj);
    return Acad::eOk;
}

void AcDbSymbolTableIterator::step(bool forward, bool skipDeleted) {
    if (done()) {
        return;
    }
    m_skipDeleted = skipDeleted;
    m_pos += forward ? 1 : -1;
    skip(forward);
}

Acad::ErrorStatus AcDbSymbolTableIterator::seek(AcDbObjectId id) {
    int k = m_ids.find(id);
    if (k < 0) {
        return Acad::eInvalidInput;
    }
    m_pos = k;
    return Acad::eOk;
}

// Records

AcDbSymbolTableRecord::AcDbSymbolTableRecord(const char* dxfName, const char* const* markers)
    : AcDbObject(dxfName, markers) {
    hostData()->tags.push_back(OwnedTag{2, ""});
    hostData()->tags.push_back(OwnedTag{70, "0"});
}

const char* AcDbSymbolTableRecord::className() const {
    return "AcDbSymbolTableRecord";
}

// A view of the name in the record's tags or the loaded file.
static std::string_view recordNameOf(const AcDbSymbolTableRecord* rec) {
    ObjectData* d = rec->hostData();
    AcDbDatabase::Impl* impl = d->db == nullptr ? nullptr : d->db->impl();
    if (impl != nullptr) {
        const BlockInfo* b = impl->blockOf(d->index);
        if (b != nullptr) {
            return impl->valueOf(b->primary(), 2);
        }
    }
    return d->get(2);
}

Acad::ErrorStatus AcDbSymbolTableRecord::getName(char*& pName) const {
    pName = copyText(recordNameOf(this));
    return pName == nullptr ? Acad::eOutOfMemory : Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableRecord::getName(const char*& pName) const {
    hostData()->nameCache.assign(recordNameOf(this));
    pName = hostData()->nameCache.c_str();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableRecord::setName(const char* pName) {
    if (!isWriteEnabled()) {
        return Acad::eNotOpenForWrite;
    }
    if (pName == nullptr || *pName == '\0' || strpbrk(pName, "\r\n") != nullptr) {
        return Acad::eInvalidInput;
    }
    ObjectData* d = hostData();
    AcDbDatabase::Impl* impl = d->db == nullptr ? nullptr : d->db->impl();
    const BlockInfo* b = impl ? impl->blockOf(d->index) : nullptr;
    if (b != nullptr && b->block != kNone && b->block != d->index) {
        ObjectData* bd = impl->materialize(b->block)->hostData();
        bd->set(2, pName);
        bd->set(3, pName);
    }
    d->set(2, pName);
    if (impl != nullptr) {
        impl->markModified();
    }
    return Acad::eOk;
}

static int64_t recordFlags(const AcDbSymbolTableRecord* rec) {
    ObjectData* d = rec->hostData();
    AcDbDatabase::Impl* impl = d->db == nullptr ? nullptr : d->db->impl();
    const BlockInfo* b = impl ? impl->blockOf(d->index) : nullptr;
    if (b != nullptr) {
        return impl->blockFlags(*b);
    }
    return d->getInt(70, 0);
}

bool AcDbSymbolTableRecord::isDependent() const {
    return (recordFlags(this) & 16) != 0;
}

bool AcDbSymbolTableRecord::isResolved() const {
    return (recordFlags(this) & 32) != 0;
}

namespace {
const char* const kLayerMarkers[] = {"AcDbSymbolTableRecord", "AcDbLayerTableRecord", nullptr};
const char* const kRegAppMarkers[] = {"AcDbSymbolTableRecord", "AcDbRegAppTableRecord", nullptr};
const char* const kStyleMarkers[] = {"AcDbSymbolTableRecord", "AcDbTextStyleTableRecord", nullptr};
const char* const kBlockMarkers[] = {"AcDbSymbolTableRecord", "AcDbBlockTableRecord", nullptr};
const char* const kOtherMarkers[] = {"AcDbSymbolTableRecord", nullptr};
}  // namespace

AcDbLayerTableRecord::AcDbLayerTableRecord() : AcDbSymbolTableRecord("LAYER", kLayerMarkers) {
    hostData()->tags.push_back(OwnedTag{62, "7"});
    hostData()->tags.push_back(OwnedTag{6, "Continuous"});
}
const char* AcDbLayerTableRecord::className() const {
    return "AcDbLayerTableRecord";
}
bool AcDbLayerTableRecord::isFrozen() const {
    return (hostData()->getInt(70, 0) & 1) != 0;
}
bool AcDbLayerTableRecord::isOff() const {
    return hostData()->getInt(62, 7) < 0;
}
bool AcDbLayerTableRecord::isLocked() const {
    return (hostData()->getInt(70, 0) & 4) != 0;
}

AcDbRegAppTableRecord::AcDbRegAppTableRecord() : AcDbSymbolTableRecord("APPID", kRegAppMarkers) {}
const char* AcDbRegAppTableRecord::className() const {
    return "AcDbRegAppTableRecord";
}

AcDbTextStyleTableRecord::AcDbTextStyleTableRecord()
    : AcDbSymbolTableRecord("STYLE", kStyleMarkers) {}
const char* AcDbTextStyleTableRecord::className() const {
    return "AcDbTextStyleTableRecord";
}

AcDbOtherTableRecord::AcDbOtherTableRecord() : AcDbSymbolTableRecord("", kOtherMarkers) {}

// Block table records

AcDbBlockTableRecord::AcDbBlockTableRecord()
    : AcDbSymbolTableRecord("BLOCK_RECORD", kBlockMarkers) {
    auto& tags = hostData()->tags;
    tags.pop_back();  // block records carry no flags; the BLOCK entity does
    tags.push_back(OwnedTag{340, "0"});
}

const char* AcDbBlockTableRecord::className() const {
    return "AcDbBlockTableRecord";
}

static const BlockInfo* blockInfoOf(const AcDbBlockTableRecord* btr, AcDbDatabase::Impl*& impl) {
    ObjectData* d = btr->hostData();
    impl = d->db == nullptr ? nullptr : d->db->impl();
    return impl == nullptr ? nullptr : impl->blockOf(d->index);
}

static int btrFlags(const AcDbBlockTableRecord* btr) {
    AcDbDatabase::Impl* impl = nullptr;
    const BlockInfo* b = blockInfoOf(btr, impl);
    if (b == nullptr) {
        return btr->hostData()->pathCache.empty() ? 0 : 4;
    }
    return impl->blockFlags(*b);
}

bool AcDbBlockTableRecord::isAnonymous() const {
    return (btrFlags(this) & 1) != 0;
}

bool AcDbBlockTableRecord::isLayout() const {
    AcDbDatabase::Impl* impl = nullptr;
    const BlockInfo* b = blockInfoOf(this, impl);
    const std::string_view name = b ? impl->valueOf(b->primary(), 2) : hostData()->get(2);
    return startsWithNoCase(name, "*MODEL_SPACE") || startsWithNoCase(name, "*PAPER_SPACE") ||
           sameText(name, "$MODEL_SPACE") || sameText(name, "$PAPER_SPACE");
}

bool AcDbBlockTableRecord::hasAttributeDefinitions() const {
    return (btrFlags(this) & 2) != 0;
}

bool AcDbBlockTableRecord::isFromExternalReference() const {
    return (btrFlags(this) & 4) != 0;
}

bool AcDbBlockTableRecord::isFromOverlayReference() const {
    return (btrFlags(this) & 8) != 0;
}

Acad::ErrorStatus AcDbBlockTableRecord::pathName(const char*& pPath) const {
    AcDbDatabase::Impl* impl = nullptr;
    const BlockInfo* b = blockInfoOf(this, impl);
    if (b != nullptr) {
        hostData()->pathCache = std::string(impl->valueOf(b->block, 1));
    }
    pPath = hostData()->pathCache.c_str();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecord::pathName(char*& pPath) const {
    const char* p = nullptr;
    pathName(p);
    pPath = copyText(p);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecord::setPathName(const char* pathStr) {
    if (!isWriteEnabled()) {
        return Acad::eNotOpenForWrite;
    }
    if (pathStr == nullptr || strpbrk(pathStr, "\r\n") != nullptr) {
        return Acad::eInvalidInput;
    }
    AcDbDatabase::Impl* impl = nullptr;
    const BlockInfo* b = blockInfoOf(this, impl);
    if (b == nullptr) {
        hostData()->pathCache = pathStr;  // kept until the record is added
        return Acad::eOk;
    }
    if (b->block == kNone) {
        return Acad::eNotApplicable;
    }
    ObjectData* bd = impl->materialize(b->block)->hostData();
    bd->set(1, pathStr);
    int64_t flags = bd->getInt(70, 0);
    if (*pathStr != '\0' && !(flags & 4)) {
        bd->set(70, std::to_string(flags | 4));
    }
    impl->markModified();
    return Acad::eOk;
}

AcDb::XrefStatus AcDbBlockTableRecord::xrefStatus() const {
    AcDbDatabase::Impl* impl = nullptr;
    const BlockInfo* b = blockInfoOf(this, impl);
    if (b == nullptr || !(impl->blockFlags(*b) & 4)) {
        return AcDb::kXrfNotAnXref;
    }
    return b->status;
}

Acad::ErrorStatus AcDbBlockTableRecord::getBlockReferenceIds(AcDbObjectIdArray& ids,
                                                             bool /*bDirectOnly*/,
                                                             bool /*bForceValidity*/) const {
    AcDbDatabase::Impl* impl = nullptr;
    const BlockInfo* b = blockInfoOf(this, impl);
    if (b == nullptr) {
        return Acad::eNotInDatabase;
    }
    const std::string name = impl->blockName(*b);
    for (uint32_t i : impl->inserts) {
        if (!impl->isErased(i) && sameText(impl->valueOf(i, 2), name)) {
            ids.append(impl->idOf(i));
        }
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecord::appendAcDbEntity(AcDbEntity* pEntity) {
    AcDbObjectId id;
    return appendAcDbEntity(id, pEntity);
}

Acad::ErrorStatus AcDbBlockTableRecord::appendAcDbEntity(AcDbObjectId& pOutputId,
                                                         AcDbEntity* pEntity) {
    pOutputId = AcDbObjectId::kNull;
    if (!isWriteEnabled()) {
        return Acad::eNotOpenForWrite;
    }
    if (pEntity == nullptr) {
        return Acad::eNullObjectPointer;
    }
    if (pEntity->database() != nullptr) {
        return Acad::eAlreadyInDb;
    }
    AcDbDatabase::Impl* impl = nullptr;
    const BlockInfo* b = blockInfoOf(this, impl);
    if (b == nullptr) {
        return Acad::eNotInDatabase;
    }
    const std::string name = upper(impl->blockName(*b));
    const bool model = name == "*MODEL_SPACE" || name == "$MODEL_SPACE";
    const bool paper = name == "*PAPER_SPACE" || name == "$PAPER_SPACE";
    uint32_t before;
    Sec sec;
    if (model || paper) {
        if (impl->entitiesEnd == kNone) {
            return Acad::eNotApplicable;
        }
        before = impl->entitiesEnd;
        sec = Sec::Entities;
    } else {
        if (b->endBlock == kNone) {
            return Acad::eNotApplicable;
        }
        before = b->endBlock;
        sec = Sec::Blocks;
    }
    ObjectData* ed = pEntity->hostData();
    std::string type = ed->tags.empty() ? std::string() : ed->tags[0].value;
    const Kind kind = brevant::dxf::entityKind(type);
    uint32_t index = impl->addRecord(pEntity, kind, sec, before);
    const uint64_t owner = impl->records[b->primary()].handle;
    if (owner != 0) {
        ed->setOwner(owner);
    }
    if (paper) {
        ed->set(67, "1", ed->find(8) >= 0 ? ed->find(8) : -1);
    }
    if (kind == Kind::AttDef && b->block != kNone) {
        // A block with attribute definitions says so in its flags.
        ObjectData* bd = impl->materialize(b->block)->hostData();
        int64_t flags = bd->getInt(70, 0);
        if (!(flags & 2)) {
            bd->set(70, std::to_string(flags | 2));
        }
    }
    pOutputId = impl->idOf(index);
    return Acad::eOk;
}
