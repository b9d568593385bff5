// Dictionaries, extension records, the named-objects dictionary and the
// drawing's project name (a dictionary variable, as release 15 keeps it).
#include "DbInternal.h"

#include "acutmem.h"
#include "dbdict.h"
#include "dbxrecrd.h"

#include <algorithm>
#include <cstring>

using namespace brevant::db;
using brevant::dxf::OwnedTag;
using brevant::dxf::TagRef;

namespace {

const char* const kDictionaryMarkers[] = {"AcDbDictionary", nullptr};
const char* const kXrecordMarkers[] = {"AcDbXrecord", nullptr};

struct Entry {
    size_t keyTag;
    std::string key;
    uint64_t handle;
};

// The entries of a dictionary's tags: a key (3) followed by its object (350 or 360).
std::vector<Entry> entriesOf(const ObjectData* d) {
    std::vector<Entry> out;
    const size_t end = d->mainEnd();
    const auto& tags = d->tags;
    for (size_t k = 1; k + 1 < end; ++k) {
        if (tags[k].code == 3 && (tags[k + 1].code == 350 || tags[k + 1].code == 360)) {
            uint64_t h = 0;
            brevant::dxf::parseHandle(tags[k + 1].value, h);
            out.push_back(Entry{k, tags[k].value, h});
            ++k;
        }
    }
    return out;
}

}  // namespace

void AcDbDatabase::Impl::dictionaryEntries(
    uint32_t dict, std::vector<std::pair<std::string, uint32_t>>& out) const {
    out.clear();
    std::vector<TagRef> tags;
    tagsOf(dict, tags);
    size_t end = tags.size();
    for (size_t k = 1; k < tags.size(); ++k) {
        if (tags[k].code == 1001) {
            end = k;
            break;
        }
    }
    for (size_t k = 1; k + 1 < end; ++k) {
        if (tags[k].code == 3 && (tags[k + 1].code == 350 || tags[k + 1].code == 360)) {
            uint64_t h = 0;
            brevant::dxf::parseHandle(tags[k + 1].value, h);
            uint32_t i = findHandle(h);
            if (i != kNone) {
                out.emplace_back(std::string(tags[k].value), i);
            }
            ++k;
        }
    }
}

uint32_t AcDbDatabase::Impl::namedObjects() {
    if (nod != kNone) {
        return nod;
    }
    // A drawing without objects (release 12) gets an OBJECTS section holding
    // the dictionary, before the end mark.
    uint32_t before = eof;
    for (uint32_t i = head; i != kNone; i = records[i].next) {
        if (records[i].kind == Kind::Section && records[i].section == Sec::Other) {
            before = i;  // keep a thumbnail or other trailing section last
            break;
        }
    }
    if (before == kNone) {
        return kNone;
    }
    AcDbObject* begin = new AcDbObject;
    begin->hostData()->tags = {{0, "SECTION"}, {2, "OBJECTS"}};
    addRecord(begin, Kind::Section, Sec::Objects, before);
    begin->close();
    AcDbDictionary* dict = new AcDbDictionary;
    nod = addRecord(dict, Kind::Dictionary, Sec::Objects, before);
    dict->hostData()->setOwner(0);
    dict->close();
    AcDbObject* end = new AcDbObject;
    end->hostData()->tags = {{0, "ENDSEC"}};
    objectsEnd = addRecord(end, Kind::EndSec, Sec::Objects, before);
    end->close();
    return nod;
}

Acad::ErrorStatus AcDbDatabase::getNamedObjectsDictionary(AcDbDictionary*& pDict,
                                                          AcDb::OpenMode mode) {
    pDict = nullptr;
    uint32_t index = m_pImpl->namedObjects();
    if (index == kNone) {
        return Acad::eNotApplicable;
    }
    AcDbObject* obj = nullptr;
    Acad::ErrorStatus es = m_pImpl->open(obj, index, mode, false);
    if (es != Acad::eOk) {
        return es;
    }
    pDict = AcDbDictionary::cast(obj);
    if (pDict == nullptr) {
        obj->close();
        return Acad::eNotThatKindOfClass;
    }
    return Acad::eOk;
}

AcDbObjectId AcDbDatabase::namedObjectsDictionaryId() const {
    uint32_t index = m_pImpl->namedObjects();
    return index == kNone ? AcDbObjectId::kNull : m_pImpl->idOf(index);
}

// AcDbDictionary

AcDbDictionary::AcDbDictionary() : AcDbObject("DICTIONARY", kDictionaryMarkers) {
    hostData()->tags.push_back(OwnedTag{281, "1"});
}

const char* AcDbDictionary::className() const {
    return "AcDbDictionary";
}

static uint32_t entryRecord(const AcDbDictionary* dict, const char* key) {
    ObjectData* d = dict->hostData();
    if (d->db == nullptr || key == nullptr) {
        return kNone;
    }
    for (const Entry& e : entriesOf(d)) {
        if (sameText(e.key, key)) {
            uint32_t i = d->db->impl()->findHandle(e.handle);
            if (i != kNone && !d->db->impl()->isErased(i)) {
                return i;
            }
        }
    }
    return kNone;
}

Acad::ErrorStatus AcDbDictionary::getAt(const char* entryName, AcDbObject*& entryObj,
                                        AcDb::OpenMode mode) const {
    entryObj = nullptr;
    if (!isReadEnabled()) {
        return Acad::eNotOpenForRead;
    }
    uint32_t i = entryRecord(this, entryName);
    if (i == kNone) {
        return Acad::eKeyNotFound;
    }
    return database()->impl()->open(entryObj, i, mode, false);
}

Acad::ErrorStatus AcDbDictionary::getAt(const char* entryName, AcDbObjectId& entryId) const {
    entryId = AcDbObjectId::kNull;
    if (!isReadEnabled()) {
        return Acad::eNotOpenForRead;
    }
    uint32_t i = entryRecord(this, entryName);
    if (i == kNone) {
        return Acad::eKeyNotFound;
    }
    entryId = AcDbObjectId(database(), i);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDictionary::nameAt(AcDbObjectId objId, char*& entryName) const {
    entryName = nullptr;
    if (database() == nullptr || objId.database() != database()) {
        return Acad::eKeyNotFound;
    }
    uint64_t h = database()->impl()->records[objId.recordIndex()].handle;
    for (const Entry& e : entriesOf(hostData())) {
        if (e.handle == h && h != 0) {
            entryName = copyText(e.key);
            return Acad::eOk;
        }
    }
    return Acad::eKeyNotFound;
}

bool AcDbDictionary::has(const char* entryName) const {
    return entryRecord(this, entryName) != kNone;
}

bool AcDbDictionary::has(AcDbObjectId objId) const {
    char* name = nullptr;
    bool found = nameAt(objId, name) == Acad::eOk;
    acutDelString(name);
    return found;
}

Adesk::UInt32 AcDbDictionary::numEntries() const {
    return Adesk::UInt32(entriesOf(hostData()).size());
}

Acad::ErrorStatus AcDbDictionary::remove(const char* key) {
    AcDbObjectId id;
    return remove(key, id);
}

Acad::ErrorStatus AcDbDictionary::remove(const char* key, AcDbObjectId& returnId) {
    returnId = AcDbObjectId::kNull;
    if (!isWriteEnabled()) {
        return Acad::eNotOpenForWrite;
    }
    ObjectData* d = hostData();
    for (const Entry& e : entriesOf(d)) {
        if (key != nullptr && sameText(e.key, key)) {
            if (d->db != nullptr) {
                uint32_t i = d->db->impl()->findHandle(e.handle);
                if (i != kNone) {
                    returnId = AcDbObjectId(d->db, i);
                }
                d->db->impl()->markModified();
            }
            d->tags.erase(e.keyTag, e.keyTag + 2);
            return Acad::eOk;
        }
    }
    return Acad::eKeyNotFound;
}

Acad::ErrorStatus AcDbDictionary::remove(AcDbObjectId objId) {
    char* name = nullptr;
    if (nameAt(objId, name) != Acad::eOk) {
        return Acad::eKeyNotFound;
    }
    Acad::ErrorStatus es = remove(name);
    acutDelString(name);
    return es;
}

Acad::ErrorStatus AcDbDictionary::setAt(const char* srchKey, AcDbObject* newValue,
                                        AcDbObjectId& retObjId) {
    retObjId = AcDbObjectId::kNull;
    if (!isWriteEnabled()) {
        return Acad::eNotOpenForWrite;
    }
    if (newValue == nullptr) {
        return Acad::eNullObjectPointer;
    }
    if (srchKey == nullptr || *srchKey == '\0' || strpbrk(srchKey, "\r\n") != nullptr) {
        return Acad::eInvalidKey;
    }
    ObjectData* d = hostData();
    if (d->db == nullptr) {
        return Acad::eNotInDatabase;
    }
    AcDbDatabase::Impl* impl = d->db->impl();
    ObjectData* vd = newValue->hostData();
    if (vd->db != nullptr && vd->db != d->db) {
        return Acad::eWrongDatabase;
    }
    if (vd->db == nullptr) {
        if (impl->objectsEnd == kNone) {
            return Acad::eNotApplicable;
        }
        const std::string type = vd->tags.empty() ? std::string() : vd->tags[0].value;
        impl->addRecord(newValue, brevant::dxf::objectKind(type), Sec::Objects, impl->objectsEnd);
        vd->setOwner(d->handle());
        // Objects owned by a dictionary name it as their first reactor.
        const std::string owner = brevant::dxf::formatHandle(d->handle());
        size_t at = 1;
        while (at < vd->tags.size() && vd->tags[at].code != 330) {
            ++at;
        }
        vd->tags.insert(
            at, {OwnedTag{102, "{ACAD_REACTORS"}, OwnedTag{330, owner}, OwnedTag{102, "}"}});
    }
    const uint64_t handle = vd->handle();
    const std::string handleText = brevant::dxf::formatHandle(handle);
    const bool hard = d->getInt(280, 0) == 1;
    auto entries = entriesOf(d);
    for (const Entry& e : entries) {
        if (sameText(e.key, srchKey)) {
            // The entry already there gives way to the new object.
            uint32_t old = impl->findHandle(e.handle);
            if (old != kNone && e.handle != handle) {
                impl->records[old].flags |= kErased;
            }
            d->tags.setValue(e.keyTag + 1, handleText);
            retObjId = newValue->objectId();
            impl->markModified();
            return Acad::eOk;
        }
    }
    size_t at;
    if (!entries.empty()) {
        at = entries.back().keyTag + 2;
    } else {
        at = d->mainEnd();
        int marker = -1;
        for (size_t k = 1; k < d->tags.size(); ++k) {
            if (d->tags[k].code == 100 && d->tags[k].value == "AcDbDictionary") {
                marker = int(k);
            }
        }
        if (marker >= 0) {
            at = size_t(marker) + 1;
            while (at < d->tags.size() && (d->tags[at].code == 280 || d->tags[at].code == 281)) {
                ++at;
            }
        }
    }
    d->tags.insert(at, {OwnedTag{3, srchKey}, OwnedTag{int16_t(hard ? 360 : 350), handleText}});
    retObjId = newValue->objectId();
    impl->markModified();
    return Acad::eOk;
}

bool AcDbDictionary::isTreatElementsAsHard() const {
    return hostData()->getInt(280, 0) == 1;
}

struct AcDbDictionaryIterator::Entry {
    std::string name;
    AcDbObjectId id;
};

AcDbDictionaryIterator* AcDbDictionary::newIterator() const {
    std::vector<AcDbDictionaryIterator::Entry> list;
    ObjectData* d = hostData();
    if (d->db != nullptr) {
        for (const ::Entry& e : entriesOf(d)) {
            uint32_t i = d->db->impl()->findHandle(e.handle);
            if (i != kNone && !d->db->impl()->isErased(i)) {
                list.push_back({e.key, AcDbObjectId(d->db, i)});
            }
        }
    }
    std::stable_sort(list.begin(), list.end(),
                     [](const auto& a, const auto& b) { return upper(a.name) < upper(b.name); });
    auto* entries = new AcDbDictionaryIterator::Entry[list.size() + 1];
    std::copy(list.begin(), list.end(), entries);
    return new AcDbDictionaryIterator(entries, int(list.size()));
}

AcDbDictionaryIterator::AcDbDictionaryIterator(Entry* entries, int count)
    : m_entries(entries), m_count(count) {}

AcDbDictionaryIterator::~AcDbDictionaryIterator() {
    delete[] m_entries;
}

const char* AcDbDictionaryIterator::name() const {
    return done() ? nullptr : m_entries[m_pos].name.c_str();
}

Acad::ErrorStatus AcDbDictionaryIterator::getObject(AcDbObject*& pObject, AcDb::OpenMode openMode) {
    pObject = nullptr;
    if (done()) {
        return Acad::eInvalidIndex;
    }
    return acdbOpenAcDbObject(pObject, m_entries[m_pos].id, openMode);
}

AcDbObjectId AcDbDictionaryIterator::objectId() const {
    return done() ? AcDbObjectId::kNull : m_entries[m_pos].id;
}

bool AcDbDictionaryIterator::done() const {
    return m_pos >= m_count;
}

bool AcDbDictionaryIterator::next() {
    if (m_pos < m_count) {
        ++m_pos;
    }
    return !done();
}

// AcDbXrecord

AcDbXrecord::AcDbXrecord() : AcDbObject("XRECORD", kXrecordMarkers) {
    hostData()->tags.push_back(OwnedTag{280, "1"});
}

const char* AcDbXrecord::className() const {
    return "AcDbXrecord";
}

// The data of an xrecord: after its subclass marker and cloning flag, up to its
// extended data.
static void dataRange(const ObjectData* d, size_t& begin, size_t& end) {
    const auto& tags = d->tags;
    begin = tags.size();
    for (size_t k = 1; k < tags.size(); ++k) {
        if (tags[k].code == 100 && tags[k].value == "AcDbXrecord") {
            begin = k + 1;
            break;
        }
    }
    if (begin < tags.size() && tags[begin].code == 280) {
        ++begin;
    }
    end = tags.size();
    for (size_t k = begin; k < tags.size(); ++k) {
        if (tags[k].code == 1001) {
            end = k;
            break;
        }
    }
}

Acad::ErrorStatus AcDbXrecord::rbChain(resbuf** ppRb, AcDbDatabase* /*auxDb*/) const {
    if (ppRb == nullptr) {
        return Acad::eInvalidInput;
    }
    *ppRb = nullptr;
    if (!isReadEnabled()) {
        return Acad::eNotOpenForRead;
    }
    size_t begin, end;
    dataRange(hostData(), begin, end);
    std::vector<TagRef> refs;
    for (const OwnedTag& t : hostData()->tags) {
        refs.push_back(TagRef{t.code, t.value});
    }
    *ppRb = tagsToList(refs, begin, end, database());
    return Acad::eOk;
}

Acad::ErrorStatus AcDbXrecord::setFromRbChain(const resbuf& pRb, AcDbDatabase* /*auxDb*/) {
    if (!isWriteEnabled()) {
        return Acad::eNotOpenForWrite;
    }
    std::vector<OwnedTag> data;
    int bad = 0;
    if (!listToTags(&pRb, data, bad)) {
        return Acad::eInvalidResBuf;
    }
    for (const OwnedTag& t : data) {
        if (t.code < 1 || t.code > 369 || t.code == 5 || t.code == 105) {
            return Acad::eInvalidResBuf;
        }
    }
    ObjectData* d = hostData();
    size_t begin, end;
    dataRange(d, begin, end);
    d->tags.erase(begin, end);
    d->tags.insert(begin, data.begin(), data.end());
    if (d->db != nullptr) {
        d->db->impl()->markModified();
    }
    return Acad::eOk;
}

bool AcDbXrecord::isXlateReferences() const {
    return true;
}

AcDb::DuplicateRecordCloning AcDbXrecord::mergeStyle() const {
    return AcDb::DuplicateRecordCloning(hostData()->getInt(280, 1));
}

// Project name: NOD -> "AcDbVariableDictionary" -> "PROJECTNAME", a
// dictionary variable whose group 1 holds the name.

static uint32_t projectNameRecord(AcDbDatabase::Impl* impl) {
    if (impl->nod == kNone) {
        return kNone;
    }
    std::vector<std::pair<std::string, uint32_t>> entries;
    impl->dictionaryEntries(impl->nod, entries);
    for (auto& e : entries) {
        if (sameText(e.first, "AcDbVariableDictionary") && !impl->isErased(e.second)) {
            std::vector<std::pair<std::string, uint32_t>> vars;
            impl->dictionaryEntries(e.second, vars);
            for (auto& v : vars) {
                if (sameText(v.first, "PROJECTNAME") && !impl->isErased(v.second)) {
                    return v.second;
                }
            }
        }
    }
    return kNone;
}

Acad::ErrorStatus AcDbDatabase::getProjectName(char*& pOutput) const {
    uint32_t var = projectNameRecord(m_pImpl);
    std::string_view value =
        var != kNone ? m_pImpl->valueOf(var, 1) : m_pImpl->headerValue("$PROJECTNAME");
    pOutput = copyText(value);
    return pOutput == nullptr ? Acad::eOutOfMemory : Acad::eOk;
}

Acad::ErrorStatus AcDbDatabase::setProjectName(const char* pValue) {
    if (pValue == nullptr || strpbrk(pValue, "\r\n") != nullptr) {
        return Acad::eInvalidInput;
    }
    // A drawing that keeps the name as a header variable has it changed there too.
    if (m_pImpl->headerRecord != kNone) {
        std::vector<TagRef> header;
        m_pImpl->tagsOf(m_pImpl->headerRecord, header);
        for (const TagRef& t : header) {
            if (t.code == 9 && t.value == "$PROJECTNAME") {
                m_pImpl->setHeaderValue("$PROJECTNAME", 1, pValue);
                break;
            }
        }
    }
    uint32_t var = projectNameRecord(m_pImpl);
    if (var != kNone) {
        AcDbObject* obj = m_pImpl->materialize(var);
        obj->hostData()->set(1, pValue);
        m_pImpl->markModified();
        return Acad::eOk;
    }
    AcDbDictionary* pNod = nullptr;
    Acad::ErrorStatus es = getNamedObjectsDictionary(pNod, AcDb::kForWrite);
    if (es != Acad::eOk) {
        return es;
    }
    AcDbObjectId varDictId;
    AcDbDictionary* pVars = nullptr;
    if (pNod->getAt("AcDbVariableDictionary", varDictId) == Acad::eOk) {
        es = acdbOpenObject(pVars, varDictId, AcDb::kForWrite);
    } else {
        pVars = new AcDbDictionary;
        es = pNod->setAt("AcDbVariableDictionary", pVars, varDictId);
        if (es != Acad::eOk) {
            delete pVars;
        }
    }
    pNod->close();
    if (es != Acad::eOk) {
        return es;
    }
    AcDbObject* pVar = new AcDbObject;
    pVar->hostData()->tags = {{0, "DICTIONARYVAR"},         {5, "0"},   {330, "0"},
                              {100, "DictionaryVariables"}, {280, "0"}, {1, pValue}};
    AcDbObjectId varId;
    es = pVars->setAt("PROJECTNAME", pVar, varId);
    if (es != Acad::eOk) {
        delete pVar;
    } else {
        pVar->close();
    }
    pVars->close();
    return es;
}
