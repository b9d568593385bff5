// Summary information, kept as the "DWGPROPS" extension record of the
// named-objects dictionary: a marker text, the seven texts, ten custom slots
// ("name=value", "=" when unused), editing time and dates, the hyperlink base
// and the number of used slots.
#include "DbInternal.h"

#include "acutmem.h"
#include "dbdict.h"
#include "dbxrecrd.h"
#include "summinfo.h"

#include <brevant/platform.h>

#include <cstring>

using namespace brevant::db;
using brevant::dxf::OwnedTag;
using brevant::dxf::TagRef;

namespace {
const int kCustomSlots = 10;
const char kCookie[] = "DWGPROPS COOKIE";
enum Field {
    kTitle,
    kSubject,
    kAuthor,
    kComments,
    kKeywords,
    kLastSavedBy,
    kRevision,
    kHyperlink,
    kFields
};
const int kFieldCodes[kFields - 1] = {2, 3, 4, 6, 7, 8, 9};
}  // namespace

struct SummaryInfoData {
    AcDbDatabase* db = nullptr;
    std::string fields[kFields];
    std::vector<std::pair<std::string, std::string>> custom;
    std::string editTime = "0.0";
    std::string created;
    std::string updated;
};

static uint32_t propsRecord(AcDbDatabase::Impl* impl) {
    if (impl->nod == kNone) {
        return kNone;
    }
    std::vector<std::pair<std::string, uint32_t>> entries;
    impl->dictionaryEntries(impl->nod, entries);
    for (auto& e : entries) {
        if (sameText(e.first, "DWGPROPS") && !impl->isErased(e.second) &&
            impl->records[e.second].kind == Kind::Xrecord) {
            return e.second;
        }
    }
    return kNone;
}

static bool badText(const char* text) {
    return text == nullptr || strpbrk(text, "\r\n") != nullptr;
}

AcDbDatabaseSummaryInfo::AcDbDatabaseSummaryInfo(AcDbDatabase* pDb) : m_pData(new SummaryInfoData) {
    m_pData->db = pDb;
}

AcDbDatabaseSummaryInfo::~AcDbDatabaseSummaryInfo() {
    delete m_pData;
}

#define BREVANT_SUMMARY_FIELD(GET, SET, FIELD)                           \
    Acad::ErrorStatus AcDbDatabaseSummaryInfo::GET(char*& value) const { \
        value = copyText(m_pData->fields[FIELD]);                        \
        return value == nullptr ? Acad::eOutOfMemory : Acad::eOk;        \
    }                                                                    \
    Acad::ErrorStatus AcDbDatabaseSummaryInfo::SET(const char* value) {  \
        if (badText(value))                                              \
            return Acad::eInvalidInput;                                  \
        m_pData->fields[FIELD] = value;                                  \
        return Acad::eOk;                                                \
    }

BREVANT_SUMMARY_FIELD(getTitle, setTitle, kTitle)
BREVANT_SUMMARY_FIELD(getSubject, setSubject, kSubject)
BREVANT_SUMMARY_FIELD(getAuthor, setAuthor, kAuthor)
BREVANT_SUMMARY_FIELD(getKeywords, setKeywords, kKeywords)
BREVANT_SUMMARY_FIELD(getComments, setComments, kComments)
BREVANT_SUMMARY_FIELD(getLastSavedBy, setLastSavedBy, kLastSavedBy)
BREVANT_SUMMARY_FIELD(getRevisionNumber, setRevisionNumber, kRevision)
BREVANT_SUMMARY_FIELD(getHyperlinkBase, setHyperlinkBase, kHyperlink)

int AcDbDatabaseSummaryInfo::numCustomInfo() const {
    return int(m_pData->custom.size());
}

Acad::ErrorStatus AcDbDatabaseSummaryInfo::addCustomSummaryInfo(const char* key,
                                                                const char* value) {
    if (badText(key) || badText(value) || *key == '\0' || strchr(key, '=') != nullptr) {
        return Acad::eInvalidInput;
    }
    for (auto& e : m_pData->custom) {
        if (e.first == key) {
            return Acad::eDuplicateKey;
        }
    }
    if (m_pData->custom.size() >= size_t(kCustomSlots)) {
        return Acad::eOutOfRange;
    }
    m_pData->custom.emplace_back(key, value);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDatabaseSummaryInfo::deleteCustomSummaryInfo(int index) {
    if (index < 0 || index >= numCustomInfo()) {
        return Acad::eInvalidIndex;
    }
    m_pData->custom.erase(m_pData->custom.begin() + index);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDatabaseSummaryInfo::deleteCustomSummaryInfo(const char* key) {
    for (size_t k = 0; key != nullptr && k < m_pData->custom.size(); ++k) {
        if (m_pData->custom[k].first == key) {
            return deleteCustomSummaryInfo(int(k));
        }
    }
    return Acad::eKeyNotFound;
}

Acad::ErrorStatus AcDbDatabaseSummaryInfo::getCustomSummaryInfo(int index, char*& key,
                                                                char*& value) const {
    key = value = nullptr;
    if (index < 0 || index >= numCustomInfo()) {
        return Acad::eInvalidIndex;
    }
    key = copyText(m_pData->custom[size_t(index)].first);
    value = copyText(m_pData->custom[size_t(index)].second);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDatabaseSummaryInfo::getCustomSummaryInfo(const char* customInfoKey,
                                                                char*& value) const {
    value = nullptr;
    for (auto& e : m_pData->custom) {
        if (customInfoKey != nullptr && e.first == customInfoKey) {
            value = copyText(e.second);
            return Acad::eOk;
        }
    }
    return Acad::eKeyNotFound;
}

Acad::ErrorStatus AcDbDatabaseSummaryInfo::setCustomSummaryInfo(const char* customInfoKey,
                                                                const char* value) {
    if (badText(value)) {
        return Acad::eInvalidInput;
    }
    for (auto& e : m_pData->custom) {
        if (customInfoKey != nullptr && e.first == customInfoKey) {
            e.second = value;
            return Acad::eOk;
        }
    }
    return Acad::eKeyNotFound;
}

Acad::ErrorStatus AcDbDatabaseSummaryInfo::setCustomSummaryInfo(int index, const char* key,
                                                                const char* value) {
    if (index < 0 || index >= numCustomInfo()) {
        return Acad::eInvalidIndex;
    }
    if (badText(key) || badText(value) || *key == '\0' || strchr(key, '=') != nullptr) {
        return Acad::eInvalidInput;
    }
    m_pData->custom[size_t(index)] = {key, value};
    return Acad::eOk;
}

AcDbDatabase* AcDbDatabaseSummaryInfo::database() const {
    return m_pData->db;
}

void AcDbDatabaseSummaryInfo::setDatabase(AcDbDatabase* pDb) {
    m_pData->db = pDb;
}

Acad::ErrorStatus acdbGetSummaryInfo(AcDbDatabase* pDb, AcDbDatabaseSummaryInfo*& pInfo) {
    pInfo = nullptr;
    if (!isLiveDatabase(pDb)) {
        return Acad::eNoDatabase;
    }
    auto* info = new AcDbDatabaseSummaryInfo(pDb);
    SummaryInfoData* d = info->hostData();
    AcDbDatabase::Impl* impl = pDb->impl();
    uint32_t rec = propsRecord(impl);
    if (rec != kNone) {
        std::vector<TagRef> tags;
        impl->tagsOf(rec, tags);
        size_t k = 1;
        while (k < tags.size() && !(tags[k].code == 100 && tags[k].value == "AcDbXrecord")) {
            ++k;
        }
        int ones = 0;
        for (++k; k < tags.size() && tags[k].code != 1001; ++k) {
            const int c = tags[k].code;
            const std::string v(tags[k].value);
            if (c == 1) {
                // The first text is the marker, the second the hyperlink base.
                if (++ones == 2) {
                    d->fields[kHyperlink] = v;
                }
            } else if (c >= 300 && c <= 309) {
                if (v == "=" || v.empty()) {
                    continue;
                }
                size_t eq = v.find('=');
                d->custom.emplace_back(v.substr(0, eq),
                                       eq == std::string::npos ? "" : v.substr(eq + 1));
            } else if (c == 40) {
                d->editTime = v;
            } else if (c == 41) {
                d->created = v;
            } else if (c == 42) {
                d->updated = v;
            } else {
                for (int f = 0; f < kFields - 1; ++f) {
                    if (kFieldCodes[f] == c) {
                        d->fields[f] = v;
                    }
                }
            }
        }
    }
    pInfo = info;
    return Acad::eOk;
}

static std::string julianNow() {
    // Days since the Julian epoch, as the drawing's dates are kept.
    double days = double(brevant::platform::now()) / 86400.0 + 2440587.5;
    return brevant::dxf::formatDouble(days);
}

Acad::ErrorStatus acdbPutSummaryInfo(const AcDbDatabaseSummaryInfo* pInfo) {
    if (pInfo == nullptr) {
        return Acad::eNullObjectPointer;
    }
    SummaryInfoData* d = pInfo->hostData();
    if (!isLiveDatabase(d->db)) {
        return Acad::eNoDatabase;
    }
    std::vector<OwnedTag> data;
    data.push_back(OwnedTag{1, kCookie});
    for (int f = 0; f < kFields - 1; ++f) {
        data.push_back(OwnedTag{int16_t(kFieldCodes[f]), d->fields[f]});
    }
    for (int s = 0; s < kCustomSlots; ++s) {
        std::string slot = "=";
        if (size_t(s) < d->custom.size()) {
            slot = d->custom[size_t(s)].first + "=" + d->custom[size_t(s)].second;
        }
        data.push_back(OwnedTag{int16_t(300 + s), slot});
    }
    const std::string now = julianNow();
    data.push_back(OwnedTag{40, d->editTime});
    data.push_back(OwnedTag{41, d->created.empty() ? now : d->created});
    data.push_back(OwnedTag{42, d->updated.empty() ? now : d->updated});
    data.push_back(OwnedTag{1, d->fields[kHyperlink]});
    data.push_back(OwnedTag{90, std::to_string(d->custom.size())});

    AcDbDatabase::Impl* impl = d->db->impl();
    uint32_t rec = propsRecord(impl);
    AcDbXrecord* pRecord = nullptr;
    Acad::ErrorStatus es;
    if (rec != kNone) {
        AcDbObject* obj = nullptr;
        es = impl->open(obj, rec, AcDb::kForWrite, false);
        if (es != Acad::eOk) {
            return es;
        }
        pRecord = AcDbXrecord::cast(obj);
    } else {
        AcDbDictionary* pNod = nullptr;
        es = d->db->getNamedObjectsDictionary(pNod, AcDb::kForWrite);
        if (es != Acad::eOk) {
            return es;
        }
        pRecord = new AcDbXrecord;
        AcDbObjectId id;
        es = pNod->setAt("DWGPROPS", pRecord, id);
        pNod->close();
        if (es != Acad::eOk) {
            delete pRecord;
            return es;
        }
    }
    // The record's data is replaced whole, in the order release 15 writes it.
    ObjectData* rd = pRecord->hostData();
    size_t begin = rd->tags.size();
    for (size_t k = 1; k < rd->tags.size(); ++k) {
        if (rd->tags[k].code == 100 && rd->tags[k].value == "AcDbXrecord") {
            begin = k + 1;
            break;
        }
    }
    if (begin < rd->tags.size() && rd->tags[begin].code == 280) {
        ++begin;
    }
    size_t end = begin;
    while (end < rd->tags.size() && rd->tags[end].code != 1001) {
        ++end;
    }
    rd->tags.erase(begin, end);
    rd->tags.insert(begin, data.begin(), data.end());
    impl->markModified();
    pRecord->close();
    return Acad::eOk;
}
