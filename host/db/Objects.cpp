// Database objects and the entities the editor models: their open and close
// discipline, extended data, and the typed views of their tags.
#include "DbInternal.h"

#include "acutmem.h"
#include "adslib.h"
#include "dbents.h"
#include "dbsymtb.h"

#include <cmath>
#include <cstring>

using namespace brevant::db;
using brevant::dxf::OwnedTag;
using brevant::dxf::TagRef;

const AcGePoint3d AcGePoint3d::kOrigin(0.0, 0.0, 0.0);
const AcGeVector3d AcGeVector3d::kZAxis(0.0, 0.0, 1.0);

namespace brevant::db {

double ObjectData::getDouble(int code, double fallback) const {
    double v = fallback;
    int k = find(code);
    if (k >= 0 && !brevant::dxf::parseDouble(tags[size_t(k)].value, v)) {
        v = fallback;
    }
    return v;
}

int64_t ObjectData::getInt(int code, int64_t fallback) const {
    int64_t v = fallback;
    int k = find(code);
    if (k >= 0 && !brevant::dxf::parseInt(tags[size_t(k)].value, v)) {
        v = fallback;
    }
    return v;
}

void ObjectData::set(int code, std::string_view value, int insertBefore) {
    int k = find(code);
    if (k >= 0) {
        tags.setValue(size_t(k), value);
        return;
    }
    size_t at = insertBefore >= 0 ? size_t(insertBefore) : mainEnd();
    tags.insert(at, OwnedTag{int16_t(code), std::string(value)});
}

void ObjectData::nameMayHaveChanged() {
    if (db != nullptr) {
        db->impl()->noteName(index, this);
    }
}

static int handleCode(const ObjectData& d) {
    return (!d.tags.empty() && d.tags[0].value == "DIMSTYLE") ? 105 : 5;
}

uint64_t ObjectData::handle() const {
    uint64_t h = 0;
    int k = find(handleCode(*this));
    if (k >= 0) {
        brevant::dxf::parseHandle(tags[size_t(k)].value, h);
    }
    return h;
}

void ObjectData::setHandle(uint64_t h) {
    int k = find(handleCode(*this));
    if (k >= 0) {
        tags.setValue(size_t(k), brevant::dxf::formatHandle(h));
    } else {
        tags.insert(tags.empty() ? 0 : 1,
                    OwnedTag{int16_t(handleCode(*this)), brevant::dxf::formatHandle(h)});
    }
}

// The owner is the 330 outside application groups that comes before the first
// subclass marker.
static int ownerTag(const ObjectData& d) {
    bool inGroup = false;
    for (size_t k = 1; k < d.tags.size(); ++k) {
        const int c = d.tags[k].code;
        if (c == 100 || c == 1001) {
            return -1;
        }
        if (c == 102) {
            inGroup = !d.tags[k].value.empty() && d.tags[k].value[0] == '{';
            continue;
        }
        if (!inGroup && c == 330) {
            return int(k);
        }
    }
    return -1;
}

uint64_t ObjectData::ownerHandle() const {
    uint64_t h = 0;
    int k = ownerTag(*this);
    if (k >= 0) {
        brevant::dxf::parseHandle(tags[size_t(k)].value, h);
    }
    return h;
}

void ObjectData::setOwner(uint64_t owner) {
    int k = ownerTag(*this);
    std::string text = brevant::dxf::formatHandle(owner);
    if (k >= 0) {
        tags.setValue(size_t(k), text);
        return;
    }
    size_t at = 1;
    while (at < tags.size() && tags[at].code != 100 && tags[at].code != 1001) {
        ++at;
    }
    tags.insert(at, OwnedTag{330, text});
}

}  // namespace brevant::db

// AcDbObject

AcDbObject::AcDbObject() : m_pData(new ObjectData) {
    m_pData->writer = true;
}

AcDbObject::AcDbObject(const char* dxfName, const char* const* subclassMarkers)
    : m_pData(new ObjectData) {
    m_pData->writer = true;
    m_pData->tags.push_back(OwnedTag{0, dxfName});
    m_pData->tags.push_back(OwnedTag{5, "0"});
    m_pData->tags.push_back(OwnedTag{330, "0"});
    for (const char* const* m = subclassMarkers; m != nullptr && *m != nullptr; ++m) {
        m_pData->tags.push_back(OwnedTag{100, *m});
    }
}

AcDbObject::~AcDbObject() {
    delete m_pData;
}

const char* AcDbObject::className() const {
    return "AcDbObject";
}

AcDbObjectId AcDbObject::objectId() const {
    return m_pData->db == nullptr ? AcDbObjectId::kNull : AcDbObjectId(m_pData->db, m_pData->index);
}

AcDbObjectId AcDbObject::ownerId() const {
    if (m_pData->db == nullptr) {
        return AcDbObjectId::kNull;
    }
    uint32_t index = m_pData->db->impl()->findHandle(m_pData->ownerHandle());
    return index == kNone ? AcDbObjectId::kNull : AcDbObjectId(m_pData->db, index);
}

AcDbDatabase* AcDbObject::database() const {
    return m_pData->db;
}

void AcDbObject::getAcDbHandle(AcDbHandle& handle) const {
    handle = AcDbHandle(Adesk::UInt64(m_pData->db == nullptr ? 0 : m_pData->handle()));
}

const char* AcDbObject::dxfName() const {
    return m_pData->tags.empty() ? "" : m_pData->tags[0].value.c_str();
}

Acad::ErrorStatus AcDbObject::close() {
    if (m_pData->writer) {
        m_pData->writer = false;
        m_pData->isNew = false;
        return Acad::eOk;
    }
    if (m_pData->readers > 0) {
        --m_pData->readers;
        return Acad::eOk;
    }
    return Acad::eNotOpenForRead;
}

Acad::ErrorStatus AcDbObject::upgradeOpen() {
    if (m_pData->writer) {
        return Acad::eWasOpenForWrite;
    }
    if (m_pData->readers != 1) {
        return m_pData->readers == 0 ? Acad::eNotOpenForRead : Acad::eHadMultipleReaders;
    }
    m_pData->readers = 0;
    m_pData->writer = true;
    if (m_pData->db != nullptr) {
        m_pData->db->impl()->markModified();
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::downgradeOpen() {
    if (!m_pData->writer) {
        return Acad::eNotOpenForWrite;
    }
    m_pData->writer = false;
    m_pData->readers = 1;
    return Acad::eOk;
}

bool AcDbObject::isReadEnabled() const {
    return m_pData->writer || m_pData->readers > 0;
}

bool AcDbObject::isWriteEnabled() const {
    return m_pData->writer;
}

bool AcDbObject::isErased() const {
    return m_pData->db != nullptr && m_pData->db->impl()->isErased(m_pData->index);
}

bool AcDbObject::isNewObject() const {
    return m_pData->isNew;
}

Acad::ErrorStatus AcDbObject::assertReadEnabled() const {
    return isReadEnabled() ? Acad::eOk : Acad::eNotOpenForRead;
}

Acad::ErrorStatus AcDbObject::assertWriteEnabled() const {
    return m_pData->writer ? Acad::eOk : Acad::eNotOpenForWrite;
}

Acad::ErrorStatus AcDbObject::erase(bool erasing) {
    if (!m_pData->writer) {
        return Acad::eNotOpenForWrite;
    }
    if (m_pData->db == nullptr) {
        return Acad::eNotInDatabase;
    }
    AcDbDatabase::Impl* impl = m_pData->db->impl();
    Record& r = impl->records[m_pData->index];
    if (erasing == ((r.flags & kErased) != 0)) {
        return erasing ? Acad::eWasErased : Acad::eOk;
    }
    auto mark = [&](uint32_t i) {
        if (erasing) {
            impl->records[i].flags |= kErased;
        } else {
            impl->records[i].flags &= uint8_t(~kErased);
        }
    };
    mark(m_pData->index);
    // A block reference takes its attributes and their end mark with it.
    if (r.kind == Kind::Insert) {
        for (uint32_t i = r.next; i != kNone; i = impl->records[i].next) {
            Kind k = impl->records[i].kind;
            if (k != Kind::Attrib && k != Kind::SeqEnd) {
                break;
            }
            mark(i);
            if (k == Kind::SeqEnd) {
                break;
            }
        }
    }
    impl->markModified();
    return Acad::eOk;
}

resbuf* AcDbObject::xData(const char* regappName) const {
    const auto& tags = m_pData->tags;
    std::vector<TagRef> refs;
    refs.reserve(tags.size());
    for (const OwnedTag& t : tags) {
        refs.push_back(TagRef{t.code, t.value});
    }
    size_t start = tags.size();
    for (size_t k = 1; k < tags.size(); ++k) {
        if (tags[k].code == 1001) {
            start = k;
            break;
        }
    }
    if (regappName == nullptr) {
        return tagsToList(refs, start, refs.size(), m_pData->db);
    }
    for (size_t k = start; k < tags.size(); ++k) {
        if (tags[k].code == 1001 && sameText(tags[k].value, regappName)) {
            size_t e = k + 1;
            while (e < tags.size() && tags[e].code != 1001) {
                ++e;
            }
            return tagsToList(refs, k, e, m_pData->db);
        }
    }
    return nullptr;
}

Acad::ErrorStatus AcDbObject::setXData(const resbuf* xdata) {
    if (!m_pData->writer) {
        return Acad::eNotOpenForWrite;
    }
    std::vector<OwnedTag> given;
    int bad = 0;
    if (!listToTags(xdata, given, bad)) {
        return Acad::eInvalidResBuf;
    }
    if (!given.empty() && given[0].code != 1001) {
        return Acad::eInvalidResBuf;
    }
    for (const OwnedTag& t : given) {
        if (t.code != 1001 && (t.code < 1000 || t.code > 1071)) {
            return Acad::eInvalidResBuf;
        }
    }
    // Split the present extended data and the given one by application.
    auto split = [](const std::vector<OwnedTag>& tags, size_t from,
                    std::vector<std::pair<std::string, std::vector<OwnedTag>>>& out) {
        for (size_t k = from; k < tags.size(); ++k) {
            if (tags[k].code == 1001) {
                out.push_back({tags[k].value, {}});
            } else if (!out.empty()) {
                out.back().second.push_back(tags[k]);
            }
        }
    };
    auto& tags = m_pData->tags;
    size_t start = tags.size();
    for (size_t k = 1; k < tags.size(); ++k) {
        if (tags[k].code == 1001) {
            start = k;
            break;
        }
    }
    std::vector<std::pair<std::string, std::vector<OwnedTag>>> present;
    std::vector<std::pair<std::string, std::vector<OwnedTag>>> changes;
    split(tags.all(), start, present);
    split(given, 0, changes);
    AcDbDatabase::Impl* impl = m_pData->db != nullptr ? m_pData->db->impl() : nullptr;
    for (auto& change : changes) {
        if (impl != nullptr &&
            impl->tableRecordByName(impl->tableIndex("APPID"), change.first, false) == kNone) {
            return Acad::eRegappIdNotFound;
        }
        bool found = false;
        for (auto& p : present) {
            if (sameText(p.first, change.first)) {
                p.second = change.second;
                found = true;
            }
        }
        if (!found) {
            present.push_back(change);
        }
    }
    size_t bytes = 0;
    std::vector<OwnedTag> rebuilt;
    for (auto& p : present) {
        if (p.second.empty()) {
            continue;  // an application without data loses its data
        }
        rebuilt.push_back(OwnedTag{1001, p.first});
        bytes += p.first.size() + 2;
        for (auto& t : p.second) {
            bytes += t.value.size() + 2;
            rebuilt.push_back(std::move(t));
        }
    }
    if (bytes > 16383) {
        return Acad::eXdataSizeExceeded;
    }
    tags.truncate(start);
    tags.insert(tags.size(), rebuilt.begin(), rebuilt.end());
    if (impl != nullptr) {
        impl->markModified();
    }
    return Acad::eOk;
}

AcDbObjectId AcDbObject::extensionDictionary() const {
    const auto& tags = m_pData->tags;
    for (size_t k = 1; k + 1 < tags.size(); ++k) {
        if (tags[k].code == 102 && tags[k].value == "{ACAD_XDICTIONARY" &&
            tags[k + 1].code == 360) {
            uint64_t h = 0;
            if (m_pData->db != nullptr && brevant::dxf::parseHandle(tags[k + 1].value, h)) {
                uint32_t i = m_pData->db->impl()->findHandle(h);
                if (i != kNone) {
                    return AcDbObjectId(m_pData->db, i);
                }
            }
        }
    }
    return AcDbObjectId::kNull;
}

// AcDbEntity

AcDbEntity::AcDbEntity() = default;

AcDbEntity::AcDbEntity(const char* dxfName, const char* const* subclassMarkers)
    : AcDbObject(dxfName, nullptr) {
    auto& tags = hostData()->tags;
    tags.push_back(OwnedTag{100, "AcDbEntity"});
    tags.push_back(OwnedTag{8, "0"});
    for (const char* const* m = subclassMarkers; m != nullptr && *m != nullptr; ++m) {
        tags.push_back(OwnedTag{100, *m});
    }
}

const char* AcDbEntity::className() const {
    return "AcDbEntity";
}

AcDbObjectId AcDbEntity::blockId() const {
    ObjectData* d = hostData();
    if (d->db == nullptr) {
        return AcDbObjectId::kNull;
    }
    AcDbDatabase::Impl* impl = d->db->impl();
    uint32_t owner = impl->findHandle(d->ownerHandle());
    if (owner != kNone) {
        return AcDbObjectId(d->db, owner);
    }
    // Without owners (release 12): the block that holds the record, else a space.
    const Record& r = impl->records[d->index];
    if (r.section == Sec::Blocks) {
        for (uint32_t i = r.prev; i != kNone; i = impl->records[i].prev) {
            if (impl->records[i].kind == Kind::Block) {
                const BlockInfo* b = impl->blockOf(i);
                return b ? AcDbObjectId(d->db, b->primary()) : AcDbObjectId::kNull;
            }
        }
    }
    uint32_t space =
        brevant::dxf::trimmed(d->get(67)) == "1" ? impl->paperSpace() : impl->modelSpace();
    return space == kNone ? AcDbObjectId::kNull : AcDbObjectId(d->db, space);
}

char* AcDbEntity::layer() const {
    return copyText(hostData()->get(8, "0"));
}

Acad::ErrorStatus AcDbEntity::setLayer(const char* newVal) {
    if (!isWriteEnabled()) {
        return Acad::eNotOpenForWrite;
    }
    if (newVal == nullptr || *newVal == '\0') {
        return Acad::eInvalidInput;
    }
    ObjectData* d = hostData();
    if (d->db != nullptr) {
        AcDbDatabase::Impl* impl = d->db->impl();
        if (impl->tableRecordByName(impl->tableIndex("LAYER"), newVal, false) == kNone) {
            return Acad::eInvalidLayer;
        }
    }
    d->set(8, newVal);
    return Acad::eOk;
}

// AcDbText and attributes

namespace {
const double kDegree = 3.14159265358979323846 / 180.0;
}  // namespace

AcDbText::AcDbText() = default;

AcDbText::AcDbText(const char* dxfName, const char* const* subclassMarkers)
    : AcDbEntity(dxfName, subclassMarkers) {}

const char* AcDbText::className() const {
    return "AcDbText";
}

static AcGePoint3d pointOf(const ObjectData* d, int code, const AcGePoint3d& fallback) {
    if (d->find(code) < 0) {
        return fallback;
    }
    return AcGePoint3d(d->getDouble(code, 0.0), d->getDouble(code + 10, 0.0),
                       d->getDouble(code + 20, 0.0));
}

static void setPoint(ObjectData* d, int code, double x, double y, double z) {
    d->set(code, brevant::dxf::formatDouble(x));
    d->set(code + 10, brevant::dxf::formatDouble(y), d->find(code) + 1);
    d->set(code + 20, brevant::dxf::formatDouble(z), d->find(code + 10) + 1);
}

AcGePoint3d AcDbText::position() const {
    return pointOf(hostData(), 10, AcGePoint3d::kOrigin);
}

Acad::ErrorStatus AcDbText::setPosition(const AcGePoint3d& p) {
    if (!isWriteEnabled()) {
        return Acad::eNotOpenForWrite;
    }
    setPoint(hostData(), 10, p.x, p.y, p.z);
    return Acad::eOk;
}

AcGePoint3d AcDbText::alignmentPoint() const {
    return pointOf(hostData(), 11, AcGePoint3d::kOrigin);
}

AcGeVector3d AcDbText::normal() const {
    const ObjectData* d = hostData();
    if (d->find(210) < 0) {
        return AcGeVector3d::kZAxis;
    }
    return AcGeVector3d(d->getDouble(210, 0.0), d->getDouble(220, 0.0), d->getDouble(230, 1.0));
}

double AcDbText::thickness() const {
    return hostData()->getDouble(39, 0.0);
}

double AcDbText::oblique() const {
    return hostData()->getDouble(51, 0.0) * kDegree;
}

double AcDbText::rotation() const {
    return hostData()->getDouble(50, 0.0) * kDegree;
}

double AcDbText::height() const {
    return hostData()->getDouble(40, 0.0);
}

Acad::ErrorStatus AcDbText::setHeight(double h) {
    if (!isWriteEnabled()) {
        return Acad::eNotOpenForWrite;
    }
    if (!(h > 0.0)) {
        return Acad::eInvalidInput;
    }
    hostData()->set(40, brevant::dxf::formatDouble(h));
    return Acad::eOk;
}

double AcDbText::widthFactor() const {
    return hostData()->getDouble(41, 1.0);
}

char* AcDbText::textString() const {
    return copyText(hostData()->get(1));
}

Acad::ErrorStatus AcDbText::setTextString(const char* text) {
    if (!isWriteEnabled()) {
        return Acad::eNotOpenForWrite;
    }
    if (text == nullptr) {
        return Acad::eInvalidInput;
    }
    // A value is one line of the drawing file.
    if (strchr(text, '\n') != nullptr || strchr(text, '\r') != nullptr) {
        return Acad::eInvalidInput;
    }
    ObjectData* d = hostData();
    int before = d->find(40) >= 0 ? d->find(40) + 1 : -1;
    d->set(1, text, before);
    if (d->db != nullptr) {
        d->db->impl()->markModified();
    }
    return Acad::eOk;
}

bool AcDbText::isMirroredInX() const {
    return (hostData()->getInt(71, 0) & 2) != 0;
}

bool AcDbText::isMirroredInY() const {
    return (hostData()->getInt(71, 0) & 4) != 0;
}

AcDb::TextHorzMode AcDbText::horizontalMode() const {
    return AcDb::TextHorzMode(hostData()->getInt(72, 0));
}

AcDb::TextVertMode AcDbText::verticalMode() const {
    return AcDb::TextVertMode(hostData()->getInt(verticalModeCode(), 0));
}

namespace {
// Attributes and their definitions carry the text's subclass before their own.
const char* const kAttributeMarkers[] = {"AcDbText", nullptr};
}  // namespace

AcDbAttribute::AcDbAttribute() : AcDbText("ATTRIB", kAttributeMarkers) {
    auto& tags = hostData()->tags;
    tags.push_back(OwnedTag{10, "0.0"});
    tags.push_back(OwnedTag{20, "0.0"});
    tags.push_back(OwnedTag{30, "0.0"});
    tags.push_back(OwnedTag{40, "2.5"});
    tags.push_back(OwnedTag{1, ""});
    tags.push_back(OwnedTag{100, "AcDbAttribute"});
    tags.push_back(OwnedTag{2, ""});
    tags.push_back(OwnedTag{70, "0"});
}

const char* AcDbAttribute::className() const {
    return "AcDbAttribute";
}

char* AcDbAttribute::tag() const {
    return copyText(hostData()->get(2));
}

Acad::ErrorStatus AcDbAttribute::setTag(const char* newTag) {
    if (!isWriteEnabled()) {
        return Acad::eNotOpenForWrite;
    }
    if (newTag == nullptr || *newTag == '\0' || strpbrk(newTag, " \r\n") != nullptr) {
        return Acad::eInvalidInput;
    }
    hostData()->set(2, newTag);
    return Acad::eOk;
}

bool AcDbAttribute::isInvisible() const {
    return (hostData()->getInt(70, 0) & 1) != 0;
}

bool AcDbAttribute::isConstant() const {
    return (hostData()->getInt(70, 0) & 2) != 0;
}

bool AcDbAttribute::isVerifiable() const {
    return (hostData()->getInt(70, 0) & 4) != 0;
}

bool AcDbAttribute::isPreset() const {
    return (hostData()->getInt(70, 0) & 8) != 0;
}

Adesk::UInt16 AcDbAttribute::fieldLength() const {
    return Adesk::UInt16(hostData()->getInt(73, 0));
}

AcDbAttributeDefinition::AcDbAttributeDefinition() : AcDbText("ATTDEF", kAttributeMarkers) {
    auto& tags = hostData()->tags;
    tags.push_back(OwnedTag{10, "0.0"});
    tags.push_back(OwnedTag{20, "0.0"});
    tags.push_back(OwnedTag{30, "0.0"});
    tags.push_back(OwnedTag{40, "2.5"});
    tags.push_back(OwnedTag{1, ""});
    tags.push_back(OwnedTag{100, "AcDbAttributeDefinition"});
    tags.push_back(OwnedTag{3, ""});
    tags.push_back(OwnedTag{2, ""});
    tags.push_back(OwnedTag{70, "0"});
}

const char* AcDbAttributeDefinition::className() const {
    return "AcDbAttributeDefinition";
}

char* AcDbAttributeDefinition::tag() const {
    return copyText(hostData()->get(2));
}

char* AcDbAttributeDefinition::prompt() const {
    return copyText(hostData()->get(3));
}

bool AcDbAttributeDefinition::isConstant() const {
    return (hostData()->getInt(70, 0) & 2) != 0;
}

// Iterating over the entities that belong to another.

AcDbObjectIterator::AcDbObjectIterator(const AcDbObjectIdArray& ids) : m_ids(ids) {
    skipErased(false);
}

AcDbObjectIterator::~AcDbObjectIterator() = default;

void AcDbObjectIterator::skipErased(bool backwards) {
    while (m_pos >= 0 && m_pos < m_ids.length() && m_ids[m_pos].isErased()) {
        m_pos += backwards ? -1 : 1;
    }
}

bool AcDbObjectIterator::done() const {
    return m_pos < 0 || m_pos >= m_ids.length();
}

void AcDbObjectIterator::step(bool backwards, bool skipErasedEntity) {
    if (done()) {
        return;
    }
    m_pos += backwards ? -1 : 1;
    if (skipErasedEntity) {
        skipErased(backwards);
    }
}

void AcDbObjectIterator::start(bool atEnd) {
    m_pos = atEnd ? m_ids.length() - 1 : 0;
    skipErased(atEnd);
}

AcDbObjectId AcDbObjectIterator::objectId() const {
    return done() ? AcDbObjectId::kNull : m_ids[m_pos];
}

AcDbEntity* AcDbObjectIterator::entity() {
    if (done()) {
        return nullptr;
    }
    AcDbDatabase::Impl* impl = implOf(m_ids[m_pos]);
    if (impl == nullptr) {
        return nullptr;
    }
    AcDbObject* obj = impl->records[m_ids[m_pos].recordIndex()].obj;
    return (obj != nullptr && obj->isReadEnabled()) ? AcDbEntity::cast(obj) : nullptr;
}

// Block references

namespace {
const char* const kInsertMarkers[] = {"AcDbBlockReference", nullptr};
}  // namespace

AcDbBlockReference::AcDbBlockReference() : AcDbEntity("INSERT", kInsertMarkers) {
    auto& tags = hostData()->tags;
    tags.push_back(OwnedTag{2, ""});
    tags.push_back(OwnedTag{10, "0.0"});
    tags.push_back(OwnedTag{20, "0.0"});
    tags.push_back(OwnedTag{30, "0.0"});
}

AcDbBlockReference::AcDbBlockReference(const AcGePoint3d& position, AcDbObjectId blockTableRec)
    : AcDbBlockReference() {
    setPosition(position);
    setBlockTableRecord(blockTableRec);
}

const char* AcDbBlockReference::className() const {
    return "AcDbBlockReference";
}

AcDbObjectId AcDbBlockReference::blockTableRecord() const {
    ObjectData* d = hostData();
    if (d->db == nullptr) {
        // Not yet in a database: the block chosen is only known by name.
        return AcDbObjectId::kNull;
    }
    AcDbDatabase::Impl* impl = d->db->impl();
    int b = impl->blockIndexByName(d->get(2));
    return b < 0 ? AcDbObjectId::kNull : AcDbObjectId(d->db, impl->blocks[size_t(b)].primary());
}

Acad::ErrorStatus AcDbBlockReference::setBlockTableRecord(AcDbObjectId id) {
    if (!isWriteEnabled()) {
        return Acad::eNotOpenForWrite;
    }
    AcDbDatabase::Impl* impl = implOf(id);
    if (impl == nullptr) {
        return Acad::eInvalidInput;
    }
    const BlockInfo* b = impl->blockOf(id.recordIndex());
    if (b == nullptr) {
        return Acad::eNotThatKindOfClass;
    }
    hostData()->set(2, impl->blockName(*b));
    return Acad::eOk;
}

AcGePoint3d AcDbBlockReference::position() const {
    return pointOf(hostData(), 10, AcGePoint3d::kOrigin);
}

Acad::ErrorStatus AcDbBlockReference::setPosition(const AcGePoint3d& p) {
    if (!isWriteEnabled()) {
        return Acad::eNotOpenForWrite;
    }
    setPoint(hostData(), 10, p.x, p.y, p.z);
    return Acad::eOk;
}

AcDbObjectIterator* AcDbBlockReference::attributeIterator() const {
    ObjectData* d = hostData();
    AcDbObjectIdArray ids;
    if (d->db != nullptr) {
        AcDbDatabase::Impl* impl = d->db->impl();
        for (uint32_t i = impl->records[d->index].next; i != kNone; i = impl->records[i].next) {
            if (impl->records[i].kind != Kind::Attrib) {
                break;
            }
            ids.append(AcDbObjectId(d->db, i));
        }
    }
    return new AcDbObjectIterator(ids);
}

Acad::ErrorStatus AcDbBlockReference::appendAttribute(AcDbAttribute* pAttr) {
    AcDbObjectId id;
    return appendAttribute(id, pAttr);
}

Acad::ErrorStatus AcDbBlockReference::appendAttribute(AcDbObjectId& id, AcDbAttribute* pAttr) {
    id = AcDbObjectId::kNull;
    if (!isWriteEnabled()) {
        return Acad::eNotOpenForWrite;
    }
    if (pAttr == nullptr) {
        return Acad::eNullObjectPointer;
    }
    ObjectData* d = hostData();
    if (d->db == nullptr) {
        return Acad::eNotInDatabase;
    }
    if (pAttr->database() != nullptr) {
        return Acad::eAlreadyInDb;
    }
    AcDbDatabase::Impl* impl = d->db->impl();
    // The attributes stand between the reference and its end mark (SEQEND).
    uint32_t seqend = kNone;
    uint32_t i = impl->records[d->index].next;
    while (i != kNone && impl->records[i].kind == Kind::Attrib) {
        i = impl->records[i].next;
    }
    if (i != kNone && impl->records[i].kind == Kind::SeqEnd) {
        seqend = i;
    } else {
        AcDbEntity* end = new AcDbEntity;
        end->hostData()->tags = {{0, "SEQEND"},
                                 {5, "0"},
                                 {330, "0"},
                                 {100, "AcDbEntity"},
                                 {8, std::string(d->get(8, "0"))}};
        seqend = impl->addRecord(end, Kind::SeqEnd, impl->records[d->index].section, i);
        end->hostData()->setOwner(d->handle());
        end->close();
        d->set(66, "1", d->find(2) >= 0 ? d->find(2) : -1);
    }
    uint32_t index = impl->addRecord(pAttr, Kind::Attrib, impl->records[d->index].section, seqend);
    pAttr->hostData()->setOwner(d->handle());
    if (d->find(67) >= 0) {
        pAttr->hostData()->set(67, d->get(67), pAttr->hostData()->find(8));
    }
    id = AcDbObjectId(d->db, index);
    return Acad::eOk;
}
