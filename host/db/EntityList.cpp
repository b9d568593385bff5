// The entity-list and selection-set interface: entities as value lists of
// group codes, names for entities, table searches and selection sets, all on
// the working database.
#include "DbInternal.h"

#include "adslib.h"
#include "dbapserv.h"
#include "hostdb.h"

#include <cstdlib>
#include <cstring>
#include <map>

using namespace brevant::db;
using brevant::dxf::OwnedTag;
using brevant::dxf::TagRef;

namespace brevant::db {

void setName(intptr_t* name, AcDbDatabase* db, uint32_t index) {
    name[0] = reinterpret_cast<intptr_t>(db);
    name[1] = intptr_t(index) + 1;
}

AcDbDatabase::Impl* nameToRecord(const intptr_t* name, uint32_t& index) {
    if (name == nullptr || name[0] == 0 || name[1] <= 0) {
        return nullptr;
    }
    auto* db = reinterpret_cast<AcDbDatabase*>(name[0]);
    if (!isLiveDatabase(db)) {
        return nullptr;
    }
    index = uint32_t(name[1] - 1);
    return index < db->impl()->records.size() ? db->impl() : nullptr;
}

static bool isPointCode(int c) {
    return (c >= 10 && c <= 18) || c == 210 || (c >= 1010 && c <= 1013);
}

resbuf* tagsToList(const std::vector<TagRef>& tags, size_t begin, size_t end, AcDbDatabase* db) {
    resbuf* head = nullptr;
    resbuf* tail = nullptr;
    for (size_t k = begin; k < end && k < tags.size(); ++k) {
        const int code = tags[k].code;
        const std::string_view v = tags[k].value;
        resbuf* rb = acutNewRb(code);
        if (rb == nullptr) {
            break;
        }
        if (isPointCode(code)) {
            rb->restype = short(code);
            brevant::dxf::parseDouble(v, rb->resval.rpoint[0]);
            if (k + 1 < end && tags[k + 1].code == code + 10) {
                brevant::dxf::parseDouble(tags[++k].value, rb->resval.rpoint[1]);
                if (k + 1 < end && tags[k + 1].code == code + 20) {
                    brevant::dxf::parseDouble(tags[++k].value, rb->resval.rpoint[2]);
                }
            }
        } else {
            switch (acdbGroupCodeToType(code)) {
                case RTREAL:
                    brevant::dxf::parseDouble(v, rb->resval.rreal);
                    break;
                case RT3DPOINT:  // a lone coordinate group
                    brevant::dxf::parseDouble(v, rb->resval.rpoint[0]);
                    break;
                case RTSHORT: {
                    int64_t i = 0;
                    brevant::dxf::parseInt(v, i);
                    rb->resval.rint = short(i);
                    break;
                }
                case RTLONG: {
                    int64_t i = 0;
                    brevant::dxf::parseInt(v, i);
                    rb->resval.rlong = int32_t(i);
                    break;
                }
                case RTENAME: {
                    uint64_t h = 0;
                    uint32_t index = kNone;
                    if (db != nullptr && brevant::dxf::parseHandle(v, h) && h != 0) {
                        index = db->impl()->findHandle(h);
                    }
                    if (index != kNone) {
                        setName(rb->resval.rlname, db, index);
                    } else {
                        rb->resval.rlname[0] = rb->resval.rlname[1] = 0;
                    }
                    break;
                }
                case RTSTR:
                    rb->resval.rstring = copyText(v);
                    break;
                default:  // 64-bit values and the like: kept as text
                    rb->restype = short(code);
                    if (code >= 160 && code <= 169) {
                        int64_t i = 0;
                        brevant::dxf::parseInt(v, i);
                        rb->resval.mnInt64 = i;
                    }
                    break;
            }
        }
        if (tail == nullptr) {
            head = rb;
        } else {
            tail->rbnext = rb;
        }
        tail = rb;
    }
    return head;
}

bool listToTags(const resbuf* rb, std::vector<OwnedTag>& out, int& badCode) {
    for (; rb != nullptr; rb = rb->rbnext) {
        const int code = rb->restype;
        if (isPointCode(code)) {
            out.push_back(
                OwnedTag{int16_t(code), brevant::dxf::formatDouble(rb->resval.rpoint[0])});
            out.push_back(
                OwnedTag{int16_t(code + 10), brevant::dxf::formatDouble(rb->resval.rpoint[1])});
            out.push_back(
                OwnedTag{int16_t(code + 20), brevant::dxf::formatDouble(rb->resval.rpoint[2])});
            continue;
        }
        if (brevant::dxf::valueKind(code) == brevant::dxf::ValueKind::Invalid) {
            badCode = code;
            return false;
        }
        std::string text;
        switch (acdbGroupCodeToType(code)) {
            case RTREAL:
                text = brevant::dxf::formatDouble(rb->resval.rreal);
                break;
            case RTSHORT:
                text = std::to_string(rb->resval.rint);
                break;
            case RTLONG:
                text = std::to_string(rb->resval.rlong);
                break;
            case RTSTR:
                if (rb->resval.rstring == nullptr ||
                    strpbrk(rb->resval.rstring, "\r\n") != nullptr) {
                    badCode = code;  // a value is one line of the drawing file
                    return false;
                }
                text = rb->resval.rstring;
                break;
            case RTENAME: {
                uint32_t index = 0;
                AcDbDatabase::Impl* impl = nameToRecord(rb->resval.rlname, index);
                text = impl ? brevant::dxf::formatHandle(impl->records[index].handle) : "0";
                break;
            }
            default:
                if (code >= 160 && code <= 169) {
                    text = std::to_string(rb->resval.mnInt64);
                    break;
                }
                badCode = code;
                return false;
        }
        out.push_back(OwnedTag{int16_t(code), std::move(text)});
    }
    return true;
}

}  // namespace brevant::db

namespace {

AcDbDatabase* working() {
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    return isLiveDatabase(db) ? db : nullptr;
}

bool isEntityKind(Kind k) {
    return k == Kind::Insert || k == Kind::Attrib || k == Kind::AttDef || k == Kind::Text ||
           k == Kind::SeqEnd || k == Kind::Vertex || k == Kind::Entity;
}

// The entities of the drawing (model and paper space), in drawing order.
bool isDrawingEntity(const AcDbDatabase::Impl* impl, uint32_t i) {
    const Record& r = impl->records[i];
    return r.section == Sec::Entities && isEntityKind(r.kind) && !(r.flags & kErased);
}

// The entity list of a record: its name, type and main data (application
// groups left out), then, when apps is given, -3 and the extended data of the
// applications asked for ("*" for all).
resbuf* entityList(AcDbDatabase* db, uint32_t index, const resbuf* apps) {
    AcDbDatabase::Impl* impl = db->impl();
    std::vector<TagRef> tags;
    impl->tagsOf(index, tags);
    std::vector<TagRef> main;
    size_t xdata = tags.size();
    bool inGroup = false;
    for (size_t k = 1; k < tags.size(); ++k) {
        if (tags[k].code == 1001) {
            xdata = k;
            break;
        }
        if (tags[k].code == 102) {
            inGroup = !tags[k].value.empty() && tags[k].value[0] == '{';
            continue;
        }
        if (!inGroup) {
            main.push_back(tags[k]);
        }
    }
    resbuf* head = acutNewRb(-1);
    if (head == nullptr) {
        return nullptr;
    }
    setName(head->resval.rlname, db, index);
    resbuf* type = acutNewRb(0);
    head->rbnext = type;
    if (type == nullptr) {
        return head;
    }
    type->resval.rstring = copyText(tags.empty() ? std::string_view() : tags[0].value);
    resbuf* tail = type;
    tail->rbnext = tagsToList(main, 0, main.size(), db);
    while (tail->rbnext != nullptr) {
        tail = tail->rbnext;
    }
    if (apps == nullptr) {
        return head;
    }
    std::vector<TagRef> wanted;
    for (size_t k = xdata; k < tags.size();) {
        size_t e = k + 1;
        while (e < tags.size() && tags[e].code != 1001) {
            ++e;
        }
        bool take = false;
        for (const resbuf* a = apps; a != nullptr; a = a->rbnext) {
            if (a->restype == RTSTR && a->resval.rstring != nullptr &&
                (strcmp(a->resval.rstring, "*") == 0 ||
                 sameText(tags[k].value, a->resval.rstring))) {
                take = true;
            }
        }
        if (take) {
            wanted.insert(wanted.end(), tags.begin() + long(k), tags.begin() + long(e));
        }
        k = e;
    }
    if (!wanted.empty()) {
        resbuf* marker = acutNewRb(-3);
        if (marker == nullptr) {
            return head;
        }
        tail->rbnext = marker;
        marker->rbnext = tagsToList(wanted, 0, wanted.size(), db);
    }
    return head;
}

bool matchesPattern(std::string_view value, const char* pattern) {
    // A comma-separated list of names; "*" matches anything.
    std::string_view p(pattern);
    while (true) {
        size_t comma = p.find(',');
        std::string_view one = p.substr(0, comma);
        if (one == "*" || sameText(one, value)) {
            return true;
        }
        if (comma == std::string_view::npos) {
            return false;
        }
        p.remove_prefix(comma + 1);
    }
}

struct SelectionSet {
    AcDbDatabase* db;
    std::vector<uint32_t> members;
};

std::map<intptr_t, SelectionSet>& selectionSets() {
    static std::map<intptr_t, SelectionSet> sets;
    return sets;
}

const intptr_t kSelectionMark = 0x5353;

SelectionSet* setOf(const intptr_t* ss) {
    if (ss == nullptr || ss[1] != kSelectionMark) {
        return nullptr;
    }
    auto it = selectionSets().find(ss[0]);
    if (it == selectionSets().end() || !isLiveDatabase(it->second.db)) {
        return nullptr;
    }
    return &it->second;
}

}  // namespace

int acdbEntNext(const ads_name ent, ads_name result) {
    AcDbDatabase* db = working();
    if (db == nullptr || result == nullptr) {
        return RTERROR;
    }
    AcDbDatabase::Impl* impl = db->impl();
    uint32_t i;
    if (ent == nullptr || (ent[0] == 0 && ent[1] == 0)) {
        i = impl->head;
    } else {
        uint32_t index = 0;
        if (nameToRecord(ent, index) != impl) {
            return RTERROR;
        }
        i = impl->records[index].next;
    }
    for (; i != kNone; i = impl->records[i].next) {
        if (isDrawingEntity(impl, i)) {
            setName(result, db, i);
            return RTNORM;
        }
    }
    return RTERROR;
}

int acdbEntLast(ads_name result) {
    AcDbDatabase* db = working();
    if (db == nullptr || result == nullptr) {
        return RTERROR;
    }
    AcDbDatabase::Impl* impl = db->impl();
    for (uint32_t i = impl->tail; i != kNone; i = impl->records[i].prev) {
        const Kind k = impl->records[i].kind;
        if (isDrawingEntity(impl, i) && k != Kind::Attrib && k != Kind::SeqEnd &&
            k != Kind::Vertex) {
            setName(result, db, i);
            return RTNORM;
        }
    }
    return RTERROR;
}

struct resbuf* acdbEntGet(const ads_name ent) {
    uint32_t index = 0;
    AcDbDatabase::Impl* impl = nameToRecord(ent, index);
    if (impl == nullptr || impl->isErased(index)) {
        return nullptr;
    }
    return entityList(impl->self, index, nullptr);
}

struct resbuf* acdbEntGetX(const ads_name ent, const struct resbuf* args) {
    uint32_t index = 0;
    AcDbDatabase::Impl* impl = nameToRecord(ent, index);
    if (impl == nullptr || impl->isErased(index)) {
        return nullptr;
    }
    return entityList(impl->self, index, args);
}

int acdbHandEnt(const char* handle, ads_name entres) {
    AcDbDatabase* db = working();
    uint64_t h = 0;
    if (db == nullptr || entres == nullptr || handle == nullptr ||
        !brevant::dxf::parseHandle(handle, h)) {
        return RTERROR;
    }
    uint32_t index = db->impl()->findHandle(h);
    if (index == kNone || db->impl()->isErased(index)) {
        return RTERROR;
    }
    setName(entres, db, index);
    return RTNORM;
}

Acad::ErrorStatus acdbGetObjectId(AcDbObjectId& objId, const ads_name objName) {
    objId = AcDbObjectId::kNull;
    uint32_t index = 0;
    AcDbDatabase::Impl* impl = nameToRecord(objName, index);
    if (impl == nullptr) {
        return objName == nullptr || objName[0] == 0 ? Acad::eNullObjectId : Acad::eInvalidInput;
    }
    objId = impl->idOf(index);
    return Acad::eOk;
}

Acad::ErrorStatus acdbGetAdsName(ads_name objName, AcDbObjectId objId) {
    AcDbDatabase::Impl* impl = implOf(objId);
    if (impl == nullptr) {
        return objId.isNull() ? Acad::eNullObjectId : Acad::eNoDatabase;
    }
    setName(objName, objId.database(), objId.recordIndex());
    return Acad::eOk;
}

namespace {

// Table records of the entity-list interface ("LAYER", "BLOCK", "APPID", ...).
void tableMembers(AcDbDatabase::Impl* impl, const char* tblname, std::vector<uint32_t>& out) {
    if (tblname == nullptr) {
        return;
    }
    if (sameText(tblname, "BLOCK")) {
        for (const BlockInfo& b : impl->blocks) {
            out.push_back(b.primary());
        }
        return;
    }
    int t = impl->tableIndex(upper(tblname));
    if (t >= 0) {
        out = impl->tables[size_t(t)].members;
    }
}

resbuf* tableEntry(AcDbDatabase::Impl* impl, const char* tblname, uint32_t index) {
    const bool block = sameText(tblname, "BLOCK");
    const BlockInfo* b = impl->blockOf(index);
    std::string name = block && b ? impl->blockName(*b) : impl->recordName(index);
    int64_t flags = 0;
    if (block && b) {
        flags = impl->blockFlags(*b);
    } else {
        brevant::dxf::parseInt(impl->valueOf(index, 70), flags);
    }
    std::string type = upper(tblname);
    // Group 0 ends an argument list of acutBuildList, so the type comes first by hand.
    resbuf* list = acutNewRb(0);
    if (list == nullptr) {
        return nullptr;
    }
    list->resval.rstring = copyText(type);
    list->rbnext = acutBuildList(2, name.c_str(), 70, int(flags), 0);
    resbuf* tail = list;
    while (tail != nullptr && tail->rbnext != nullptr) {
        tail = tail->rbnext;
    }
    if (tail == nullptr) {
        return list;
    }
    if (sameText(tblname, "LAYER")) {
        int64_t color = 7;
        brevant::dxf::parseInt(impl->valueOf(index, 62), color);
        std::string lt(impl->valueOf(index, 6));
        tail->rbnext = acutBuildList(62, int(color), 6, lt.c_str(), 0);
    } else if (block && b && b->block != kNone) {
        std::string path(impl->valueOf(b->block, 1));
        if (flags & 4) {
            tail->rbnext = acutBuildList(1, path.c_str(), 0);
        }
    }
    return list;
}

std::map<std::string, size_t>& tableCursors() {
    static std::map<std::string, size_t> cursors;
    return cursors;
}

}  // namespace

struct resbuf* acdbTblSearch(const char* tblname, const char* sym, int setnext) {
    AcDbDatabase* db = working();
    if (db == nullptr || sym == nullptr) {
        return nullptr;
    }
    std::vector<uint32_t> members;
    tableMembers(db->impl(), tblname, members);
    for (size_t k = 0; k < members.size(); ++k) {
        const uint32_t i = members[k];
        if (db->impl()->isErased(i)) {
            continue;
        }
        const BlockInfo* b = db->impl()->blockOf(i);
        std::string name =
            sameText(tblname, "BLOCK") && b ? db->impl()->blockName(*b) : db->impl()->recordName(i);
        if (sameText(name, sym)) {
            if (setnext) {
                tableCursors()[upper(tblname)] = k + 1;
            }
            return tableEntry(db->impl(), tblname, i);
        }
    }
    return nullptr;
}

struct resbuf* acdbTblNext(const char* tblname, int rewind) {
    AcDbDatabase* db = working();
    if (db == nullptr || tblname == nullptr) {
        return nullptr;
    }
    std::vector<uint32_t> members;
    tableMembers(db->impl(), tblname, members);
    size_t& cursor = tableCursors()[upper(tblname)];
    if (rewind) {
        cursor = 0;
    }
    while (cursor < members.size() && db->impl()->isErased(members[cursor])) {
        ++cursor;
    }
    if (cursor >= members.size()) {
        return nullptr;
    }
    return tableEntry(db->impl(), tblname, members[cursor++]);
}

int acedSSGet(const char* str, const void* pt1, const void* pt2, const struct resbuf* filter,
              ads_name ss) {
    AcDbDatabase* db = working();
    if (db == nullptr || ss == nullptr) {
        return RTERROR;
    }
    // Only the mode that selects the whole drawing exists without a screen.
    if (str == nullptr || !(strcmp(str, "X") == 0 || strcmp(str, "_X") == 0)) {
        return RTREJ;
    }
    AcDbDatabase::Impl* impl = db->impl();
    std::vector<std::pair<int, std::string>> conditions;
    std::vector<std::string> apps;
    bool inXdata = false;
    for (const resbuf* f = filter; f != nullptr; f = f->rbnext) {
        if (f->restype == -3) {
            inXdata = true;
            continue;
        }
        if (inXdata && f->restype == 1001 && f->resval.rstring != nullptr) {
            apps.push_back(f->resval.rstring);
            continue;
        }
        inXdata = false;
        if (acdbGroupCodeToType(f->restype) == RTSTR && f->resval.rstring != nullptr) {
            conditions.emplace_back(f->restype, f->resval.rstring);
        }
    }
    SelectionSet set{db, {}};
    std::vector<TagRef> tags;
    for (uint32_t i = impl->head; i != kNone; i = impl->records[i].next) {
        const Kind k = impl->records[i].kind;
        if (!isDrawingEntity(impl, i) || k == Kind::Attrib || k == Kind::SeqEnd ||
            k == Kind::Vertex) {
            continue;
        }
        bool match = true;
        for (const auto& c : conditions) {
            std::string_view value = c.first == 0 ? impl->recordType(i) : impl->valueOf(i, c.first);
            if (c.first == 8 && value.empty()) {
                value = "0";
            }
            if (!matchesPattern(value, c.second.c_str())) {
                match = false;
                break;
            }
        }
        if (match && !apps.empty()) {
            impl->tagsOf(i, tags);
            for (const std::string& app : apps) {
                bool has = false;
                for (const TagRef& t : tags) {
                    if (t.code == 1001 && sameText(t.value, app)) {
                        has = true;
                    }
                }
                if (!has) {
                    match = false;
                }
            }
        }
        if (match) {
            set.members.push_back(i);
        }
    }
    if (set.members.empty()) {
        return RTERROR;
    }
    static intptr_t nextId = 1;
    ss[0] = nextId++;
    ss[1] = kSelectionMark;
    selectionSets()[ss[0]] = std::move(set);
    return RTNORM;
}

size_t brevant::host::openSelectionSetCount() {
    return selectionSets().size();
}

int acedSSFree(const ads_name sname) {
    if (sname == nullptr || sname[1] != kSelectionMark) {
        return RTERROR;
    }
    return selectionSets().erase(sname[0]) ? RTNORM : RTERROR;
}

int acedSSLength(const ads_name sname, int32_t* len) {
    SelectionSet* set = setOf(sname);
    if (set == nullptr || len == nullptr) {
        return RTERROR;
    }
    *len = int32_t(set->members.size());
    return RTNORM;
}

int acedSSName(const ads_name ss, int32_t i, ads_name entres) {
    SelectionSet* set = setOf(ss);
    if (set == nullptr || entres == nullptr || i < 0 || size_t(i) >= set->members.size()) {
        return RTERROR;
    }
    setName(entres, set->db, set->members[size_t(i)]);
    return RTNORM;
}
