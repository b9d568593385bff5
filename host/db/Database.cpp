// The drawing database: loading a drawing file into records, saving it back,
// and the database's own calls.
#include "DbInternal.h"
#include "NewDrawing.h"

#include "../dwg/DwgLoad.h"
#include "../dwg/DwgReader.h"
#include "../dxf/DxfRecover.h"

#include "acutmem.h"
#include "dbapserv.h"
#include "dbdict.h"
#include "dbents.h"
#include "dbsymtb.h"
#include "dbxrecrd.h"
#include "hostdb.h"

#include <brevant/files.h>
#include <brevant/platform.h>
#include <win/files.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>

namespace brevant::db {

namespace {

std::set<const AcDbDatabase*>& liveDatabases() {
    static std::set<const AcDbDatabase*> s;
    return s;
}

// The status of a drawing file that cannot be read, by its Windows error.
Acad::ErrorStatus readErrorStatus(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_BAD_NETPATH:
            return Acad::eFileNotFound;
        case ERROR_ACCESS_DENIED:
            return Acad::eFileAccessErr;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return Acad::eFileSharingViolation;
        case ERROR_INVALID_NAME:
        case ERROR_FILENAME_EXCED_RANGE:
            return Acad::eInvalidFileName;
        case ERROR_FILE_TOO_LARGE:
            return Acad::eDwgNotRecognized;
        default:
            return Acad::eCannotOpenFile;
    }
}

// The status of a save that failed, by its Windows error.
Acad::ErrorStatus writeErrorStatus(DWORD error) {
    switch (error) {
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return Acad::eDiskFull;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
            return Acad::eFileAccessErr;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return Acad::eFileSharingViolation;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_BAD_NETPATH:
        case ERROR_INVALID_NAME:
        case ERROR_FILENAME_EXCED_RANGE:
            return Acad::eInvalidFileName;
        default:
            return Acad::eFileWriteError;
    }
}

// The whole file through the platform's file calls. A drawing larger than the
// tag store can address (4 GB) is refused with ERROR_FILE_TOO_LARGE.
DWORD readWholeFile(const char* fileName, std::vector<char>& buffer) {
    HANDLE file = CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return GetLastError();
    }
    DWORD high = 0;
    const DWORD low = GetFileSize(file, &high);
    if (high != 0 || low > 0xFFFFFFF0u) {
        CloseHandle(file);
        return ERROR_FILE_TOO_LARGE;
    }
    // The size it has now, in one read; then whatever it grew by meanwhile.
    buffer.assign(low, '\0');
    DWORD got = 0;
    DWORD error =
        ReadFile(file, buffer.data(), low, &got, nullptr) ? ERROR_SUCCESS : GetLastError();
    buffer.resize(got);
    char more[1 << 16];
    while (error == ERROR_SUCCESS && got == low) {
        DWORD extra = 0;
        if (!ReadFile(file, more, sizeof more, &extra, nullptr)) {
            error = GetLastError();
        } else if (extra == 0) {
            break;
        } else if (buffer.size() + extra > 0xFFFFFFF0u) {
            error = ERROR_FILE_TOO_LARGE;
        } else {
            buffer.insert(buffer.end(), more, more + extra);
        }
    }
    CloseHandle(file);
    return error;
}

const char* const kDwgNotSaved =
    "the drawing was read from a DWG file, which the editor opens read-only (it writes no DWG "
    "files)";

}  // namespace

char* copyText(std::string_view s) {
    char* p = static_cast<char*>(malloc(s.size() + 1));
    if (p != nullptr) {
        if (!s.empty()) {
            memcpy(p, s.data(), s.size());
        }
        p[s.size()] = '\0';
    }
    return p;
}

bool isLiveDatabase(const AcDbDatabase* db) {
    return db != nullptr && liveDatabases().count(db) != 0;
}

void registerDatabase(AcDbDatabase* db, bool live) {
    if (live) {
        liveDatabases().insert(db);
    } else {
        liveDatabases().erase(db);
    }
}

AcDbDatabase::Impl* implOf(const AcDbObjectId& id) {
    if (id.isNull() || !isLiveDatabase(id.database())) {
        return nullptr;
    }
    AcDbDatabase::Impl* impl = id.database()->impl();
    return id.recordIndex() < impl->records.size() ? impl : nullptr;
}

}  // namespace brevant::db

using namespace brevant::db;
using brevant::dxf::OwnedTag;
using brevant::dxf::TagRef;

AcDbDatabase::Impl::~Impl() {
    clear();
}

void AcDbDatabase::Impl::clear() {
    for (Record& r : records) {
        delete r.obj;
        r.obj = nullptr;
    }
    records.clear();
    tables.clear();
    blocks.clear();
    blockOfRecord.clear();
    inserts.clear();
    handles.clear();
    tableNames.clear();
    blockNames = NameIndex();
    head = tail = headerRecord = nod = entitiesEnd = objectsEnd = blocksEnd = eof = kNone;
    sideDatabases.clear();
}

bool AcDbDatabase::Impl::load(std::vector<char>&& buffer, std::string& error) {
    clear();
    if (!file.parse(std::move(buffer), error)) {
        return false;
    }
    format = file.format();
    repairs.clear();
    brevant::dxf::DrawingStructure structure;
    if (!brevant::dxf::readStructure(file, structure, error)) {
        return false;
    }
    // Room for what the editor adds, the layers and blocks that references
    // bring in first: growing a drawing's record list copies it whole.
    const size_t room = structure.records.size() / 16 + 256;
    records.reserve(structure.records.size() + room);
    for (const brevant::dxf::StructureRecord& found : structure.records) {
        Record r;
        r.firstTag = found.firstTag;
        r.numTags = found.numTags;
        r.handle = found.handle;
        r.kind = found.kind;
        r.section = found.section;
        r.table = found.table;
        const uint32_t index = uint32_t(records.size());
        r.prev = index == 0 ? kNone : index - 1;
        r.next = index + 1 < structure.records.size() ? index + 1 : kNone;
        records.push_back(r);
        if (r.kind == Kind::Insert) {
            inserts.push_back(index);
        }
    }
    structure.records = {};
    tables = std::move(structure.tables);
    handles = std::move(structure.handles);
    handles.reserve(handles.size() + room);
    for (const brevant::dxf::StructureBlock& found : structure.blocks) {
        BlockInfo b;
        b.blockRecord = found.blockRecord;
        b.block = found.block;
        b.endBlock = found.endBlock;
        blocks.push_back(b);
    }
    headerRecord = structure.header;
    nod = structure.firstDictionary;
    entitiesEnd = structure.entitiesEnd;
    objectsEnd = structure.objectsEnd;
    blocksEnd = structure.blocksEnd;
    eof = structure.eof;
    head = 0;
    tail = uint32_t(records.size() - 1);

    handseed = handles.empty() ? 1 : handles.back().first + 1;
    uint64_t fileSeed = 0;
    if (brevant::dxf::parseHandle(headerValue("$HANDSEED"), fileSeed) && fileSeed > handseed) {
        handseed = fileSeed;
    }
    version = std::string(headerValue("$ACADVER"));
    for (uint32_t k = 0; k < blocks.size(); ++k) {
        if (blocks[k].blockRecord != kNone) {
            blockOfRecord[blocks[k].blockRecord] = k;
        }
        if (blocks[k].block != kNone) {
            blockOfRecord[blocks[k].block] = k;
        }
    }
    modified = false;
    renumberDuplicates(structure.duplicates);
    return true;
}

void AcDbDatabase::Impl::renumberDuplicates(const std::vector<uint32_t>& duplicates) {
    if (duplicates.empty()) {
        return;
    }
    std::string text = "Handles used twice were renumbered:";
    for (size_t k = 0; k < duplicates.size(); ++k) {
        const uint32_t index = duplicates[k];
        ObjectData* d = materialize(index)->hostData();
        const uint64_t old = d->handle();
        const uint64_t fresh = nextHandle();
        d->setHandle(fresh);
        records[index].handle = fresh;
        handles.insert(
            std::upper_bound(handles.begin(), handles.end(), std::make_pair(fresh, uint32_t(0))),
            std::make_pair(fresh, index));
        text += std::string(k == 0 ? " " : ", ") + brevant::dxf::formatHandle(old) + " (" +
                file.where(records[index].firstTag) + ") is now " +
                brevant::dxf::formatHandle(fresh);
    }
    repairs.push_back(text + ".");
    modified = true;
}

void AcDbDatabase::Impl::tagsOf(uint32_t index, std::vector<TagRef>& out) const {
    out.clear();
    const Record& r = records[index];
    if (r.obj != nullptr) {
        for (const OwnedTag& t : r.obj->hostData()->tags) {
            out.push_back(TagRef{t.code, t.value});
        }
        return;
    }
    const auto& tags = file.tags();
    for (uint32_t k = r.firstTag; k < r.firstTag + r.numTags; ++k) {
        out.push_back(TagRef{tags[k].code, file.value(tags[k])});
    }
}

std::string_view AcDbDatabase::Impl::recordType(uint32_t index) const {
    const Record& r = records[index];
    if (r.obj != nullptr) {
        const auto& t = r.obj->hostData()->tags;
        return t.empty() ? std::string_view() : std::string_view(t[0].value);
    }
    return file.value(file.tags()[r.firstTag]);
}

std::string_view AcDbDatabase::Impl::valueOf(uint32_t index, int code) const {
    if (index == kNone) {
        return {};
    }
    const Record& r = records[index];
    if (r.obj != nullptr) {
        return r.obj->hostData()->get(code);
    }
    const auto& tags = file.tags();
    bool inGroup = false;
    for (uint32_t k = r.firstTag + 1; k < r.firstTag + r.numTags; ++k) {
        const int c = tags[k].code;
        if (c == 1001 || c == 101) {
            break;
        }
        if (c == 102) {
            std::string_view v = file.value(tags[k]);
            inGroup = !v.empty() && v[0] == '{';
            continue;
        }
        if (!inGroup && c == code) {
            return file.value(tags[k]);
        }
    }
    return {};
}

uint32_t AcDbDatabase::Impl::findHandle(uint64_t handle) const {
    auto it = std::lower_bound(handles.begin(), handles.end(), std::make_pair(handle, uint32_t(0)));
    return (it != handles.end() && it->first == handle) ? it->second : kNone;
}

uint64_t AcDbDatabase::Impl::nextHandle() {
    return handseed++;
}

uint32_t AcDbDatabase::Impl::addRecord(AcDbObject* obj, Kind kind, Sec sec, uint32_t before) {
    const uint32_t index = uint32_t(records.size());
    Record r;
    r.kind = kind;
    r.section = sec;
    r.flags = kNew;
    r.obj = obj;
    ObjectData* d = obj->hostData();
    d->db = self;
    d->index = index;
    d->isNew = true;
    if (kind != Kind::Other && kind != Kind::Section && kind != Kind::EndSec) {
        r.handle = nextHandle();
        d->setHandle(r.handle);
        handles.emplace_back(r.handle, index);
    }
    // Link before `before` (at the end when there is none).
    if (before == kNone) {
        r.prev = tail;
        r.next = kNone;
    } else {
        r.prev = records[before].prev;
        r.next = before;
    }
    records.push_back(r);
    if (records[index].prev != kNone) {
        records[records[index].prev].next = index;
    } else {
        head = index;
    }
    if (records[index].next != kNone) {
        records[records[index].next].prev = index;
    } else {
        tail = index;
    }
    if (kind == Kind::Insert) {
        inserts.push_back(index);
    }
    modified = true;
    return index;
}

int AcDbDatabase::Impl::tableIndex(std::string_view name) const {
    for (size_t k = 0; k < tables.size(); ++k) {
        if (tables[k].name == name) {
            return int(k);
        }
    }
    return -1;
}

std::string AcDbDatabase::Impl::recordName(uint32_t index) const {
    return std::string(valueOf(index, 2));
}

namespace {

size_t nameKey(std::string_view name) {
    return std::hash<std::string>()(upper(name));
}

// Adds the entry unless the index has it.
void enter(std::unordered_multimap<size_t, uint32_t>& entries, size_t key, uint32_t value) {
    const auto range = entries.equal_range(key);
    for (auto it = range.first; it != range.second; ++it) {
        if (it->second == value) {
            return;
        }
    }
    entries.emplace(key, value);
}

// The one candidate under the name's hash that the test accepts, kNone when
// there is none; `several` when more than one does, so that the caller can
// pick the first in its own order.
template <typename Accept>
uint32_t onlyCandidate(const std::unordered_multimap<size_t, uint32_t>& entries,
                       std::string_view name, Accept accept, bool& several) {
    uint32_t found = kNone;
    several = false;
    const auto range = entries.equal_range(nameKey(name));
    for (auto it = range.first; it != range.second; ++it) {
        if (accept(it->second)) {
            if (found == kNone) {
                found = it->second;
            } else {
                several = true;
            }
        }
    }
    return found;
}

}  // namespace

AcDbDatabase::Impl::NameIndex& AcDbDatabase::Impl::tableNamesOf(int table) const {
    if (tableNames.size() < tables.size()) {
        tableNames.resize(tables.size());
    }
    NameIndex& names = tableNames[size_t(table)];
    if (!names.built) {
        const auto& members = tables[size_t(table)].members;
        names.entries.reserve(members.size());
        for (uint32_t m : members) {
            names.entries.emplace(nameKey(valueOf(m, 2)), m);
        }
        names.built = true;
    }
    return names;
}

AcDbDatabase::Impl::NameIndex& AcDbDatabase::Impl::blockNamesOf() const {
    if (!blockNames.built) {
        blockNames.entries.reserve(blocks.size());
        for (size_t k = 0; k < blocks.size(); ++k) {
            blockNames.entries.emplace(nameKey(valueOf(blocks[k].primary(), 2)), uint32_t(k));
        }
        blockNames.built = true;
    }
    return blockNames;
}

void AcDbDatabase::Impl::noteName(uint32_t index, const ObjectData* data) {
    // While a record is being added, or when the object belongs to a store
    // that is being loaded, the record list does not hold it yet.
    if (index >= records.size() || (data != nullptr && (records[index].obj == nullptr ||
                                                        records[index].obj->hostData() != data))) {
        return;
    }
    const Record& r = records[index];
    const size_t key = nameKey(valueOf(index, 2));
    if (r.kind == Kind::TableRecord && r.table < tableNames.size() && tableNames[r.table].built) {
        enter(tableNames[r.table].entries, key, index);
    }
    const BlockInfo* b = blockNames.built ? blockOf(index) : nullptr;
    if (b != nullptr && b->primary() == index) {
        enter(blockNames.entries, key, uint32_t(b - blocks.data()));
    }
}

uint32_t AcDbDatabase::Impl::tableRecordByName(int table, std::string_view name,
                                               bool includeErased) const {
    if (table < 0) {
        return kNone;
    }
    auto accept = [&](uint32_t m) {
        return (includeErased || !isErased(m)) && sameText(valueOf(m, 2), name);
    };
    bool several = false;
    const uint32_t found = onlyCandidate(tableNamesOf(table).entries, name, accept, several);
    if (!several) {
        return found;
    }
    for (uint32_t m : tables[size_t(table)].members) {
        if (accept(m)) {
            return m;
        }
    }
    return kNone;
}

const BlockInfo* AcDbDatabase::Impl::blockOf(uint32_t index) const {
    auto it = blockOfRecord.find(index);
    return it == blockOfRecord.end() ? nullptr : &blocks[it->second];
}

std::string AcDbDatabase::Impl::blockName(const BlockInfo& b) const {
    return recordName(b.primary());
}

int AcDbDatabase::Impl::blockFlags(const BlockInfo& b) const {
    int64_t flags = 0;
    if (b.block != kNone) {
        brevant::dxf::parseInt(valueOf(b.block, 70), flags);
    }
    return int(flags);
}

int AcDbDatabase::Impl::blockByName(std::string_view name, bool includeErased) const {
    auto accept = [&](uint32_t k) {
        const uint32_t primary = blocks[k].primary();
        return (includeErased || !isErased(primary)) && sameText(valueOf(primary, 2), name);
    };
    bool several = false;
    const uint32_t found = onlyCandidate(blockNamesOf().entries, name, accept, several);
    if (!several) {
        return found == kNone ? -1 : int(found);
    }
    for (uint32_t k = 0; k < blocks.size(); ++k) {
        if (accept(k)) {
            return int(k);
        }
    }
    return -1;
}

namespace {

// The first of two blocks, either of which may be missing.
int firstOf(int a, int b) {
    return a < 0 ? b : (b < 0 ? a : std::min(a, b));
}

}  // namespace

uint32_t AcDbDatabase::Impl::modelSpace() const {
    const int k = firstOf(blockByName("*Model_Space", true), blockByName("$MODEL_SPACE", true));
    return k < 0 ? kNone : blocks[size_t(k)].primary();
}

uint32_t AcDbDatabase::Impl::paperSpace() const {
    const int k = firstOf(blockByName("*Paper_Space", true), blockByName("$PAPER_SPACE", true));
    return k < 0 ? kNone : blocks[size_t(k)].primary();
}

std::string_view AcDbDatabase::Impl::headerValue(std::string_view name) const {
    if (headerRecord == kNone) {
        return {};
    }
    std::vector<TagRef> tags;
    tagsOf(headerRecord, tags);
    for (size_t k = 0; k + 1 < tags.size(); ++k) {
        if (tags[k].code == 9 && tags[k].value == name) {
            // Values are views into the file or the header object: both outlive this call.
            return tags[k + 1].value;
        }
    }
    return {};
}

void AcDbDatabase::Impl::setHeaderValue(std::string_view name, int code, std::string_view value) {
    if (headerRecord == kNone) {
        return;
    }
    AcDbObject* obj = materialize(headerRecord);
    auto& tags = obj->hostData()->tags;
    for (size_t k = 0; k + 1 < tags.size(); ++k) {
        if (tags[k].code == 9 && tags[k].value == name) {
            tags.setValue(k + 1, value);
            return;
        }
    }
    tags.push_back(OwnedTag{9, std::string(name)});
    tags.push_back(OwnedTag{int16_t(code), std::string(value)});
}

unsigned long AcDbDatabase::Impl::write(brevant::platform::AtomicFileWriter& out) {
    brevant::dxf::TagWriter w(out, format);
    const auto& tags = file.tags();
    for (uint32_t i = head; i != kNone && w.ok(); i = records[i].next) {
        const Record& r = records[i];
        if (r.flags & (kErased | kVirtual)) {
            continue;
        }
        if (r.obj != nullptr) {
            for (const OwnedTag& t : r.obj->hostData()->tags) {
                w.write(t.code, t.value);
            }
        } else {
            for (uint32_t k = r.firstTag; k < r.firstTag + r.numTags; ++k) {
                w.write(tags[k].code, file.value(tags[k]));
            }
        }
    }
    return w.flush();
}

// The host's database calls.

const std::vector<std::string>& brevant::host::loadRepairs(const AcDbDatabase* pDb) {
    static const std::vector<std::string> none;
    return pDb != nullptr ? pDb->impl()->repairs : none;
}

const char* brevant::host::whyNotSavable(const AcDbDatabase* pDb) {
    return pDb != nullptr && pDb->impl()->fromDwg ? kDwgNotSaved : nullptr;
}

std::vector<std::string> brevant::host::headerVariable(const AcDbDatabase* pDb, const char* name) {
    std::vector<std::string> values;
    if (pDb == nullptr || name == nullptr || pDb->impl()->headerRecord == kNone) {
        return values;
    }
    std::vector<TagRef> tags;
    pDb->impl()->tagsOf(pDb->impl()->headerRecord, tags);
    for (size_t k = 0; k < tags.size(); ++k) {
        if (tags[k].code == 9 && tags[k].value == name) {
            for (size_t v = k + 1; v < tags.size() && tags[v].code != 9 && tags[v].code != 0; ++v) {
                values.emplace_back(brevant::dxf::trimmed(tags[v].value));
            }
            break;
        }
    }
    return values;
}

Acad::ErrorStatus brevant::host::setHeaderVariable(
    AcDbDatabase* pDb, const char* name, const std::vector<std::pair<int, std::string>>& values) {
    if (pDb == nullptr || name == nullptr || *name != '$') {
        return Acad::eInvalidInput;
    }
    AcDbDatabase::Impl* impl = pDb->impl();
    if (impl->headerRecord == kNone) {
        // A drawing without a header (release 12 files may lack one) gets
        // one at its start, after any comments.
        auto* pSection = new AcDbObject;
        pSection->hostData()->tags = {OwnedTag{0, "SECTION"}, OwnedTag{2, "HEADER"}};
        auto* pEnd = new AcDbObject;
        pEnd->hostData()->tags = {OwnedTag{0, "ENDSEC"}};
        uint32_t first = impl->head;
        if (first != kNone && impl->records[first].kind == Kind::Other) {
            first = impl->records[first].next;
        }
        impl->headerRecord = impl->addRecord(pSection, Kind::Section, Sec::Header, first);
        impl->addRecord(pEnd, Kind::EndSec, Sec::Header, first);
    }
    auto& tags = impl->materialize(impl->headerRecord)->hostData()->tags;
    size_t at = tags.size();
    for (size_t k = 0; k < tags.size(); ++k) {
        if (tags[k].code == 9 && tags[k].value == name) {
            size_t end = k + 1;
            while (end < tags.size() && tags[end].code != 9) {
                ++end;
            }
            tags.erase(k, end);
            at = k;
            break;
        }
    }
    std::vector<OwnedTag> fresh{OwnedTag{9, name}};
    for (const auto& value : values) {
        fresh.push_back(OwnedTag{int16_t(value.first), value.second});
    }
    tags.insert(at, fresh.begin(), fresh.end());
    impl->modified = true;
    return Acad::eOk;
}

// The editor's database calls.

AcDbDatabase::AcDbDatabase(bool buildDefaultDrawing, bool /*noDocument*/) : m_pImpl(new Impl) {
    m_pImpl->self = this;
    registerDatabase(this, true);
    if (buildDefaultDrawing) {
        const std::string_view content = newDrawingTemplate();
        std::string error;
        if (!m_pImpl->load(std::vector<char>(content.begin(), content.end()), error)) {
            // A fault of the build, which the store's tests catch first.
            std::fprintf(stderr, "The template of a new drawing does not load: %s\n",
                         error.c_str());
        }
        m_pImpl->format = brevant::dxf::TagFormat();
    }
}

AcDbDatabase::~AcDbDatabase() {
    if (acdbHostApplicationServices()->workingDatabase() == this) {
        acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    }
    registerDatabase(this, false);
    delete m_pImpl;
}

const char* AcDbDatabase::className() const {
    return "AcDbDatabase";
}

namespace {

// Reads a drawing file into the database, strictly (OPEN) or recovering what
// it can (RECOVER); on failure the database keeps what it held.
Acad::ErrorStatus readDrawing(AcDbDatabase* pDb, const char* fileName, bool recover) {
    AcDbDatabase::Impl* impl = pDb->impl();
    impl->lastFileError = ERROR_SUCCESS;
    if (fileName == nullptr || *fileName == '\0') {
        impl->lastError = "no file name given";
        return Acad::eInvalidInput;
    }
    std::vector<char> buffer;
    const DWORD readError = readWholeFile(fileName, buffer);
    if (readError != ERROR_SUCCESS) {
        impl->lastFileError = readError;
        impl->lastError =
            std::string(fileName) + ": " +
            (readError == ERROR_FILE_TOO_LARGE ? "the file is larger than 4 GB"
                                               : brevant::platform::errorText(readError));
        return readErrorStatus(readError);
    }
    auto fresh = std::make_unique<AcDbDatabase::Impl>();
    fresh->self = pDb;
    std::string error;
    if (brevant::dwg::looksLikeDwg(reinterpret_cast<const uint8_t*>(buffer.data()),
                                   buffer.size())) {
        if (!brevant::dwg::loadDwg(*fresh, std::move(buffer), error)) {
            impl->lastError = std::string(fileName) + ": " + error;
            return Acad::eDwgNotRecognized;
        }
        fresh->fromDwg = true;
    } else if (recover) {
        std::vector<std::string> changes;
        std::vector<char> mended;
        if (!brevant::dxf::recoverTags(std::move(buffer), mended, changes, error) ||
            !fresh->load(std::move(mended), error)) {
            impl->lastError = std::string(fileName) + ", " + error;
            return Acad::eBadDxfSequence;
        }
        fresh->repairs.insert(fresh->repairs.begin(), changes.begin(), changes.end());
        fresh->modified = !fresh->repairs.empty();
    } else if (!fresh->load(std::move(buffer), error)) {
        impl->lastError = std::string(fileName) + ", " + error;
        return Acad::eBadDxfSequence;
    }
    fresh->fileName = fileName;
    fresh->originalFileName = fileName;
    fresh->hasFileName = true;
    const bool repaired = !fresh->repairs.empty();
    pDb->replaceImpl(fresh.release());
    impl = pDb->impl();
    if (impl->resolveXrefs) {
        impl->resolveAllXrefs();
    }
    // A drawing that loading had to mend differs from its file.
    impl->modified = repaired;
    return Acad::eOk;
}

}  // namespace

void AcDbDatabase::replaceImpl(Impl* pImpl) {
    Impl* old = m_pImpl;
    m_pImpl = pImpl;
    delete old;
}

Acad::ErrorStatus AcDbDatabase::readDwgFile(const char* fileName) {
    return readDrawing(this, fileName, false);
}

Acad::ErrorStatus brevant::host::recoverDrawing(AcDbDatabase* pDb, const char* fileName) {
    return pDb == nullptr ? Acad::eNullObjectPointer : readDrawing(pDb, fileName, true);
}

Acad::ErrorStatus AcDbDatabase::saveAs(const char* fileName) {
    m_pImpl->lastFileError = ERROR_SUCCESS;
    if (fileName == nullptr || *fileName == '\0') {
        m_pImpl->lastError = "no file name given";
        return Acad::eInvalidInput;
    }
    if (m_pImpl->fromDwg) {
        m_pImpl->lastError = std::string(fileName) + ": " + kDwgNotSaved;
        return Acad::eNotImplementedYet;
    }
    // $HANDSEED: above every handle, new ones included.
    uint64_t fileSeed = 0;
    brevant::dxf::parseHandle(m_pImpl->headerValue("$HANDSEED"), fileSeed);
    if (fileSeed != 0 && fileSeed != m_pImpl->handseed) {
        m_pImpl->setHeaderValue("$HANDSEED", 5, brevant::dxf::formatHandle(m_pImpl->handseed));
    }
    brevant::platform::AtomicFileWriter out;
    DWORD error = out.begin(fileName);
    if (error == ERROR_SUCCESS) {
        error = m_pImpl->write(out);
    }
    if (error == ERROR_SUCCESS) {
        error = out.commit();
    }
    if (error != ERROR_SUCCESS) {
        m_pImpl->lastFileError = error;
        m_pImpl->lastError = std::string(fileName) + ": " + brevant::platform::errorText(error);
        return writeErrorStatus(error);
    }
    m_pImpl->fileName = fileName;
    if (!m_pImpl->hasFileName) {
        m_pImpl->originalFileName = fileName;
    }
    m_pImpl->hasFileName = true;
    m_pImpl->modified = false;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDatabase::getFilename(const char*& pOutput) const {
    pOutput = m_pImpl->fileName.c_str();
    return m_pImpl->hasFileName ? Acad::eOk : Acad::eNoFileName;
}

const char* AcDbDatabase::originalFileName() const {
    return m_pImpl->originalFileName.c_str();
}

const char* AcDbDatabase::lastErrorText() const {
    return m_pImpl->lastError.c_str();
}

unsigned long AcDbDatabase::lastFileError() const {
    return m_pImpl->lastFileError;
}

const char* AcDbDatabase::dxfVersion() const {
    return m_pImpl->version.c_str();
}

bool AcDbDatabase::isModified() const {
    return m_pImpl->modified;
}

AcDbHandle AcDbDatabase::handseed() const {
    return AcDbHandle(Adesk::UInt64(m_pImpl->handseed));
}

Acad::ErrorStatus AcDbDatabase::getAcDbObjectId(AcDbObjectId& retId, bool /*createIfNotFound*/,
                                                const AcDbHandle& objHandle, Adesk::UInt32) {
    retId = AcDbObjectId::kNull;
    uint32_t index = m_pImpl->findHandle(objHandle.value());
    if (index == kNone) {
        return Acad::eUnknownHandle;
    }
    retId = m_pImpl->idOf(index);
    return Acad::eOk;
}

// Open objects.

AcDbObject* AcDbDatabase::Impl::materialize(uint32_t index) {
    Record& r = records[index];
    if (r.obj != nullptr) {
        return r.obj;
    }
    AcDbObject* obj = nullptr;
    const BlockInfo* block = blockOf(index);
    if (block != nullptr && block->primary() == index) {
        obj = new AcDbBlockTableRecord;
    } else {
        switch (r.kind) {
            case Kind::Table: {
                const std::string& name = tables[r.table].name;
                if (name == "BLOCK_RECORD") {
                    obj = new AcDbBlockTable;
                } else if (name == "LAYER") {
                    obj = new AcDbLayerTable;
                } else if (name == "APPID") {
                    obj = new AcDbRegAppTable;
                } else if (name == "STYLE") {
                    obj = new AcDbTextStyleTable;
                } else {
                    obj = new AcDbOtherTable;
                }
                break;
            }
            case Kind::TableRecord: {
                const std::string& name = tables[r.table].name;
                if (name == "LAYER") {
                    obj = new AcDbLayerTableRecord;
                } else if (name == "APPID") {
                    obj = new AcDbRegAppTableRecord;
                } else if (name == "STYLE") {
                    obj = new AcDbTextStyleTableRecord;
                } else {
                    obj = new AcDbOtherTableRecord;
                }
                break;
            }
            case Kind::Insert:
                obj = new AcDbBlockReference;
                break;
            case Kind::Attrib:
                obj = new AcDbAttribute;
                break;
            case Kind::AttDef:
                obj = new AcDbAttributeDefinition;
                break;
            case Kind::Text:
                obj = new AcDbText;
                break;
            case Kind::Block:
            case Kind::EndBlk:
            case Kind::SeqEnd:
            case Kind::Vertex:
            case Kind::Entity:
                obj = new AcDbEntity;
                break;
            case Kind::Dictionary:
                obj = new AcDbDictionary;
                break;
            case Kind::Xrecord:
                obj = new AcDbXrecord;
                break;
            default:
                obj = new AcDbObject;
                break;
        }
    }
    ObjectData* d = obj->hostData();
    std::vector<OwnedTag> owned;
    owned.reserve(r.numTags);
    const auto& fileTags = file.tags();
    for (uint32_t k = r.firstTag; k < r.firstTag + r.numTags; ++k) {
        owned.push_back(OwnedTag{fileTags[k].code, std::string(file.value(fileTags[k]))});
    }
    d->tags.assign(std::move(owned));
    d->db = self;
    d->index = index;
    d->isNew = false;
    d->writer = false;
    d->readers = 0;
    r.obj = obj;
    return obj;
}

Acad::ErrorStatus AcDbDatabase::Impl::open(AcDbObject*& obj, uint32_t index, AcDb::OpenMode mode,
                                           bool openErased) {
    obj = nullptr;
    if (index >= records.size()) {
        return Acad::eInvalidInput;
    }
    const Record& r = records[index];
    switch (r.kind) {
        case Kind::Other:
        case Kind::Section:
        case Kind::EndSec:
        case Kind::EndTab:
        case Kind::Eof:
            return Acad::eNotApplicable;
        default:
            break;
    }
    if ((r.flags & kErased) && !openErased) {
        return Acad::eWasErased;
    }
    AcDbObject* o = materialize(index);
    ObjectData* d = o->hostData();
    if (d->writer) {
        return Acad::eWasOpenForWrite;
    }
    if (mode == AcDb::kForWrite) {
        if (d->readers > 0) {
            return Acad::eWasOpenForRead;
        }
        d->writer = true;
        modified = true;
    } else if (mode == AcDb::kForRead || mode == AcDb::kForNotify) {
        if (d->readers >= 256) {
            return Acad::eHadMultipleReaders;
        }
        ++d->readers;
    } else {
        return Acad::eInvalidOpenState;
    }
    obj = o;
    return Acad::eOk;
}

Acad::ErrorStatus acdbOpenAcDbObject(AcDbObject*& pObj, AcDbObjectId id, AcDb::OpenMode mode,
                                     bool openErasedObject) {
    pObj = nullptr;
    if (id.isNull()) {
        return Acad::eNullObjectId;
    }
    AcDbDatabase::Impl* impl = implOf(id);
    if (impl == nullptr) {
        return Acad::eNoDatabase;
    }
    return impl->open(pObj, id.recordIndex(), mode, openErasedObject);
}

Acad::ErrorStatus acdbOpenAcDbEntity(AcDbEntity*& pEnt, AcDbObjectId id, AcDb::OpenMode mode,
                                     bool openErasedEntity) {
    pEnt = nullptr;
    if (id.isNull()) {
        return Acad::eNullObjectId;
    }
    AcDbDatabase::Impl* impl = implOf(id);
    if (impl == nullptr) {
        return Acad::eNoDatabase;
    }
    const Kind k = impl->records[id.recordIndex()].kind;
    const BlockInfo* b = impl->blockOf(id.recordIndex());
    const bool entity = (k == Kind::Insert || k == Kind::Attrib || k == Kind::AttDef ||
                         k == Kind::Text || k == Kind::SeqEnd || k == Kind::Vertex ||
                         k == Kind::Entity || k == Kind::Block || k == Kind::EndBlk) &&
                        !(b != nullptr && b->primary() == id.recordIndex());
    if (!entity) {
        return Acad::eNotAnEntity;
    }
    AcDbObject* obj = nullptr;
    Acad::ErrorStatus es = impl->open(obj, id.recordIndex(), mode, openErasedEntity);
    if (es != Acad::eOk) {
        return es;
    }
    pEnt = AcDbEntity::cast(obj);
    return Acad::eOk;
}
