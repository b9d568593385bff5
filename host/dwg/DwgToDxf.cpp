// A release-15 drawing as the tags of a DXF file of the same release: the
// records in the sections and the order a DXF file keeps them, each with its
// handle, owner, application groups and extended data.
#include "DwgDrawing.h"
#include "DwgReader.h"
#include "DxfNames.h"
#include "DxfText.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <strings.h>

namespace brevant::dwg {

namespace {

const double kDegrees = 180.0 / 3.14159265358979323846;
const char* const kObjects = "objects";

bool sameText(const std::string& a, const char* b) {
    return strcasecmp(a.c_str(), b) == 0;
}

bool isUnitZ(const Point3& p) {
    return p.x == 0.0 && p.y == 0.0 && p.z == 1.0;
}

class Writer {
public:
    Writer(const Drawing& drawing, std::vector<char>& out, std::string& error)
        : m_d(drawing), m_out(out), m_error(error), m_done(drawing.objects().size(), 0) {}

    bool write() {
        header();
        classes();
        if (!tables() || !blocks() || !entities() || !objects())
            return false;
        m_out.text(0, "EOF");
        return true;
    }

private:
    const HeaderVariables& vars() const { return m_d.file().header(); }

    bool fail(const DwgObject& o, const std::string& what) {
        const std::string name = dxfNameOf(m_d.file(), o.type);
        m_error = errorAt(
            kObjects, o.offset,
            "object " + hex(o.handle) + (name.empty() ? "" : " (" + name + ")") + ": " + what);
        return false;
    }

    // Marks an object written; false when it was written before.
    bool claim(const DwgObject& o) {
        uint8_t& done = m_done[m_d.indexOf(o)];
        if (done)
            return false;
        done = 1;
        return true;
    }

    void section(const char* name) {
        m_out.text(0, "SECTION");
        m_out.text(2, name);
    }

    void header() {
        const HeaderVariables& h = vars();
        section("HEADER");
        auto var = [&](const char* name) { m_out.text(9, name); };
        var("$ACADVER");
        m_out.text(1, "AC1015");
        var("$ACADMAINTVER");
        m_out.integer(70, h.maintenance);
        var("$DWGCODEPAGE");
        m_out.text(3, codePageName(h.codePage));
        var("$INSBASE");
        m_out.point(10, h.insertionBase);
        var("$EXTMIN");
        m_out.point(10, h.extentsMin);
        var("$EXTMAX");
        m_out.point(10, h.extentsMax);
        var("$LIMMIN");
        m_out.point2(10, h.limitsMin);
        var("$LIMMAX");
        m_out.point2(10, h.limitsMax);
        var("$LTSCALE");
        m_out.real(40, h.lineTypeScale);
        var("$TEXTSIZE");
        m_out.real(40, h.textSize);
        var("$CLAYER");
        m_out.text(8, layerName(h.currentLayer));
        var("$CECOLOR");
        m_out.integer(62, h.currentColor);
        var("$LUNITS");
        m_out.integer(70, h.linearUnits);
        var("$LUPREC");
        m_out.integer(70, h.linearPrecision);
        var("$MENU");
        m_out.text(1, h.menuName);
        var("$TDCREATE");
        m_out.real(40, h.createDate);
        var("$TDUPDATE");
        m_out.real(40, h.updateDate);
        var("$TDINDWG");
        m_out.real(40, h.editingTime);
        var("$HANDSEED");
        m_out.handle(5, h.handseed);
        var("$TILEMODE");
        m_out.integer(70, h.tileMode ? 1 : 0);
        var("$INSUNITS");
        m_out.integer(70, h.insertionUnits);
        var("$HYPERLINKBASE");
        m_out.text(1, h.hyperlinkBase);
        var("$STYLESHEET");
        m_out.text(1, h.styleSheet);
        var("$FINGERPRINTGUID");
        m_out.text(2, h.fingerprintGuid);
        var("$VERSIONGUID");
        m_out.text(2, h.versionGuid);
        m_out.text(0, "ENDSEC");
    }

    void classes() {
        section("CLASSES");
        for (const DwgClass& c : m_d.file().classes()) {
            m_out.text(0, "CLASS");
            m_out.text(1, c.dxfName);
            m_out.text(2, c.cppName);
            m_out.text(3, c.appName);
            m_out.integer(90, c.proxyFlags);
            m_out.integer(280, c.wasZombie ? 1 : 0);
            m_out.integer(281, c.isEntity ? 1 : 0);
        }
        m_out.text(0, "ENDSEC");
    }

    std::string layerName(uint64_t layer) const {
        std::string name = m_d.recordName(layer);
        return name.empty() ? "0" : name;
    }

    // 0, 5 and the application groups and owner that every record begins with.
    void begin(const std::string& type, const DwgObject& o, uint64_t owner, int handleCode = 5) {
        m_out.text(0, type);
        m_out.handle(handleCode, o.handle);
        if (!o.reactors.empty()) {
            m_out.text(102, "{ACAD_REACTORS");
            for (uint64_t r : o.reactors)
                m_out.handle(330, r);
            m_out.text(102, "}");
        }
        if (o.xdictionary != 0) {
            m_out.text(102, "{ACAD_XDICTIONARY");
            m_out.handle(360, o.xdictionary);
            m_out.text(102, "}");
        }
        m_out.handle(330, owner);
    }

    // Extended data, application by application.
    bool extended(const DwgObject& o) {
        for (const ExtendedData& x : o.extended) {
            const std::string app = m_d.recordName(x.app);
            if (app.empty())
                continue;  // its application is not registered: nothing names it
            m_out.text(1001, app);
            ByteReader b(x.bytes);
            while (!b.atEnd()) {
                unsigned code = 0;
                b.u8(code);
                bool ok = true;
                const uint8_t* p = nullptr;
                unsigned n = 0;
                switch (code) {
                    case 0: {
                        unsigned codePage = 0;
                        ok = b.u8(n) && b.u16(codePage) && b.take(n, p);
                        if (ok)
                            m_out.text(1000, std::string_view(reinterpret_cast<const char*>(p), n));
                        break;
                    }
                    case 2:
                        ok = b.u8(n);
                        if (ok)
                            m_out.text(1002, n == 0 ? "{" : "}");
                        break;
                    case 3:
                    case 5: {
                        uint64_t h = 0;
                        ok = b.u64BigEndian(h);
                        if (ok && code == 3)
                            m_out.text(1003, layerName(h));
                        else if (ok)
                            m_out.handle(1005, h);
                        break;
                    }
                    case 4:
                        ok = b.u8(n) && b.take(n, p);
                        if (ok)
                            m_out.binary(1004, p, n);
                        break;
                    case 10:
                    case 11:
                    case 12:
                    case 13: {
                        Point3 pt;
                        ok = b.real(pt.x) && b.real(pt.y) && b.real(pt.z);
                        if (ok)
                            m_out.point(int(1000 + code), pt);
                        break;
                    }
                    case 40:
                    case 41:
                    case 42: {
                        double v = 0;
                        ok = b.real(v);
                        if (ok)
                            m_out.real(int(1000 + code), v);
                        break;
                    }
                    case 70:
                        ok = b.u16(n);
                        if (ok)
                            m_out.integer(1070, int16_t(n));
                        break;
                    case 71: {
                        uint32_t v = 0;
                        ok = b.u32(v);
                        if (ok)
                            m_out.integer(1071, int32_t(v));
                        break;
                    }
                    default:
                        return fail(
                            o, "its extended data holds the unknown code " + std::to_string(code));
                }
                if (!ok)
                    return fail(o, "its extended data for " + app + " ends inside a value");
            }
        }
        return true;
    }

    // Tables.

    bool tables() {
        section("TABLES");
        const HeaderVariables& h = vars();
        struct Table {
            const char* name;
            uint64_t control;
            const char* marker;
        } const list[] = {
            {"VPORT", h.viewportControl, "AcDbViewportTableRecord"},
            {"LTYPE", h.lineTypeControl, "AcDbLinetypeTableRecord"},
            {"LAYER", h.layerControl, "AcDbLayerTableRecord"},
            {"STYLE", h.styleControl, "AcDbTextStyleTableRecord"},
            {"VIEW", h.viewControl, "AcDbViewTableRecord"},
            {"UCS", h.ucsControl, "AcDbUCSTableRecord"},
            {"APPID", h.appIdControl, "AcDbRegAppTableRecord"},
            {"DIMSTYLE", h.dimStyleControl, "AcDbDimStyleTableRecord"},
            {"BLOCK_RECORD", h.blockControl, "AcDbBlockTableRecord"},
        };
        for (const Table& t : list) {
            if (!table(t.name, t.control, t.marker))
                return false;
        }
        m_out.text(0, "ENDSEC");
        return true;
    }

    bool table(const std::string& name, uint64_t controlHandle, const char* marker) {
        const DwgObject* control = m_d.find(controlHandle);
        const ControlData* c = control ? std::get_if<ControlData>(&control->data) : nullptr;
        if (c == nullptr || !claim(*control))
            return true;
        std::vector<uint64_t> members;
        if (name == "BLOCK_RECORD") {
            members.push_back(m_d.modelSpace());
            members.push_back(m_d.paperSpace());
        } else if (name == "LTYPE") {
            members = c->extra;
        }
        members.insert(members.end(), c->entries.begin(), c->entries.end());
        m_out.text(0, "TABLE");
        m_out.text(2, name);
        m_out.handle(5, control->handle);
        if (control->xdictionary != 0) {
            m_out.text(102, "{ACAD_XDICTIONARY");
            m_out.handle(360, control->xdictionary);
            m_out.text(102, "}");
        }
        m_out.handle(330, 0);
        m_out.text(100, "AcDbSymbolTable");
        // The count is a 16-bit value in DXF.
        m_out.integer(70, int64_t(std::min<size_t>(c->entries.size(), 32767)));
        if (name == "DIMSTYLE") {
            m_out.text(100, "AcDbDimStyleTable");
            m_out.integer(71, int64_t(c->extra.size()));
        }
        if (!extended(*control))
            return false;
        const int handleCode = name == "DIMSTYLE" ? 105 : 5;
        for (uint64_t m : members) {
            const DwgObject* o = m_d.find(m);
            const TableEntryData* e = o ? std::get_if<TableEntryData>(&o->data) : nullptr;
            if (e == nullptr || dxfNameOf(m_d.file(), o->type) != name || !claim(*o))
                continue;
            begin(name, *o, o->owner, handleCode);
            m_out.text(100, "AcDbSymbolTableRecord");
            m_out.text(100, marker);
            if (name == "BLOCK_RECORD") {
                m_out.text(2, m_d.blockName(o->handle));
                m_out.handle(340, e->layout);
                blockReferences(*e);
            } else {
                m_out.text(2, e->name);
                int flags = e->xrefDependent ? 16 : 0;
                if (name == "LAYER") {
                    flags |= (e->layerFlags & 1) | (e->layerFlags & 4 ? 2 : 0) |
                             (e->layerFlags & 8 ? 4 : 0);
                }
                m_out.integer(70, flags);
                if (name == "LAYER")
                    layer(*e);
            }
            if (!extended(*o))
                return false;
        }
        m_out.text(0, "ENDTAB");
        return true;
    }

    // The references that use a block, as far as they are still in the file.
    void blockReferences(const TableEntryData& e) {
        bool open = false;
        for (uint64_t h : e.inserts) {
            if (m_d.find(h) == nullptr)
                continue;
            if (!open)
                m_out.text(102, "{BLKREFS");
            open = true;
            m_out.handle(331, h);
        }
        if (open)
            m_out.text(102, "}");
    }

    void layer(const TableEntryData& e) {
        const bool off = (e.layerFlags & 2) != 0 || e.color < 0;
        const int color = e.color < 0 ? -e.color : e.color;
        m_out.integer(62, off ? -color : color);
        std::string lineType = m_d.recordName(e.lineType);
        m_out.text(6, lineType.empty() ? "Continuous" : lineType);
        if (!(e.layerFlags & 16))
            m_out.integer(290, 0);
        m_out.integer(370, lineWeight((e.layerFlags >> 5) & 31));
        if (e.plotStyle != 0)
            m_out.handle(390, e.plotStyle);
    }

    // Blocks.

    std::vector<uint64_t> blockRecords() const {
        std::vector<uint64_t> list{m_d.modelSpace(), m_d.paperSpace()};
        if (const ControlData* c = m_d.dataOf<ControlData>(vars().blockControl))
            list.insert(list.end(), c->entries.begin(), c->entries.end());
        return list;
    }

    bool blocks() {
        section("BLOCKS");
        for (uint64_t record : blockRecords()) {
            const TableEntryData* e = m_d.dataOf<TableEntryData>(record);
            if (e == nullptr)
                continue;
            const bool paper = m_d.isPaperLayout(record);
            const std::string name = m_d.blockName(record);
            const DwgObject* begin = m_d.find(e->block);
            if (begin != nullptr && !claim(*begin))
                begin = nullptr;
            m_out.text(0, "BLOCK");
            if (begin != nullptr) {
                m_out.handle(5, begin->handle);
            }
            m_out.handle(330, record);
            m_out.text(100, "AcDbEntity");
            if (paper)
                m_out.integer(67, 1);
            m_out.text(8, layerName(begin ? begin->layer : 0));
            m_out.text(100, "AcDbBlockBegin");
            m_out.text(2, name);
            int flags = (e->anonymous ? 1 : 0) | (e->hasAttributes ? 2 : 0) |
                        (e->isXref || e->overlaid ? 4 : 0) | (e->overlaid ? 8 : 0) |
                        (e->xrefDependent ? 16 : 0);
            m_out.integer(70, flags);
            m_out.point(10, e->base);
            m_out.text(3, name);
            m_out.text(1, e->xrefPath);
            if (!e->description.empty())
                m_out.text(4, e->description);
            if (begin != nullptr && !extended(*begin))
                return false;
            // Model space and the active paper space keep their entities in
            // the ENTITIES section.
            if (record != m_d.modelSpace() && record != m_d.paperSpace()) {
                if (!chain(name, record, e->firstEntity, e->lastEntity, paper))
                    return false;
            }
            const DwgObject* end = m_d.find(e->endBlock);
            if (end != nullptr && !claim(*end))
                end = nullptr;
            m_out.text(0, "ENDBLK");
            if (end != nullptr)
                m_out.handle(5, end->handle);
            m_out.handle(330, record);
            m_out.text(100, "AcDbEntity");
            if (paper)
                m_out.integer(67, 1);
            m_out.text(8, layerName(end ? end->layer : 0));
            m_out.text(100, "AcDbBlockEnd");
            if (end != nullptr && !extended(*end))
                return false;
        }
        m_out.text(0, "ENDSEC");
        return true;
    }

    bool entities() {
        section("ENTITIES");
        for (uint64_t record : {m_d.modelSpace(), m_d.paperSpace()}) {
            const TableEntryData* e = m_d.dataOf<TableEntryData>(record);
            if (e != nullptr && !chain(m_d.blockName(record), record, e->firstEntity, e->lastEntity,
                                       m_d.isPaperLayout(record))) {
                return false;
            }
        }
        m_out.text(0, "ENDSEC");
        return true;
    }

    // The entities of a block, first to last by each one's link to the next.
    bool chain(const std::string& block, uint64_t record, uint64_t first, uint64_t last,
               bool paper) {
        if (first == 0)
            return true;
        const DwgObject* blockRecord = m_d.find(record);
        for (uint64_t h = first;;) {
            const DwgObject* o = m_d.find(h);
            if (o == nullptr || !o->entity) {
                return fail(*blockRecord, "the entities of block \"" + block + "\" lead to " +
                                              hex(h) + ", which is no entity of the file");
            }
            if (!claim(*o)) {
                return fail(*blockRecord, "the entities of block \"" + block + "\" reach " +
                                              hex(h) + " a second time");
            }
            if (!entity(*o, o->mode == 0 ? o->owner : record, paper))
                return false;
            if (h == last)
                return true;
            h = o->next;
        }
    }

    bool entity(const DwgObject& o, uint64_t owner, bool paper) {
        // A block's own begin and end marks stand only around its entities.
        const std::string type = dxfNameOf(m_d.file(), o.type);
        if (type.empty() || o.type == kBlock || o.type == kEndBlk)
            return true;
        begin(type, o, owner);
        m_out.text(100, "AcDbEntity");
        if (paper)
            m_out.integer(67, 1);
        m_out.text(8, layerName(o.layer));
        if (o.lineTypeFlags == 1)
            m_out.text(6, "ByBlock");
        else if (o.lineTypeFlags == 2)
            m_out.text(6, "Continuous");
        else if (o.lineTypeFlags == 3 && !m_d.recordName(o.lineType).empty())
            m_out.text(6, m_d.recordName(o.lineType));
        if (o.color != 256)
            m_out.integer(62, o.color);
        if (o.lineWeight != 29)
            m_out.integer(370, lineWeight(o.lineWeight));
        if (o.lineTypeScale != 1.0)
            m_out.real(48, o.lineTypeScale);
        if (o.invisible)
            m_out.integer(60, 1);
        if (const InsertData* s = std::get_if<InsertData>(&o.data))
            return insert(o, *s, paper);
        if (const TextData* t = std::get_if<TextData>(&o.data)) {
            text(o, *t);
        } else {
            for (const char* marker : subclassesOf(o.type))
                m_out.text(100, marker);
        }
        return extended(o);
    }

    bool insert(const DwgObject& o, const InsertData& s, bool paper) {
        m_out.text(100, "AcDbBlockReference");
        if (s.hasAttributes)
            m_out.integer(66, 1);
        m_out.text(2, m_d.blockName(s.blockHeader));
        m_out.point(10, s.position);
        if (s.scale.x != 1.0)
            m_out.real(41, s.scale.x);
        if (s.scale.y != 1.0)
            m_out.real(42, s.scale.y);
        if (s.scale.z != 1.0)
            m_out.real(43, s.scale.z);
        if (s.rotation != 0.0)
            m_out.real(50, s.rotation * kDegrees);
        if (o.type == kMInsert) {
            m_out.integer(70, s.columns);
            m_out.integer(71, s.rows);
            m_out.real(44, s.columnSpacing);
            m_out.real(45, s.rowSpacing);
        }
        if (!isUnitZ(s.extrusion))
            m_out.point(210, s.extrusion);
        if (!extended(o))
            return false;
        if (!s.hasAttributes)
            return true;
        // The attributes, first to last by their links, then the end mark.
        if (s.firstAttribute != 0) {
            for (uint64_t h = s.firstAttribute;;) {
                const DwgObject* a = m_d.find(h);
                if (a == nullptr || a->type != kAttrib)
                    return fail(o, "its attributes lead to " + hex(h) + ", which is no attribute");
                if (!claim(*a))
                    return fail(o, "its attributes reach " + hex(h) + " a second time");
                if (!entity(*a, o.handle, paper))
                    return false;
                if (h == s.lastAttribute)
                    break;
                h = a->next;
            }
        }
        const DwgObject* end = m_d.find(s.seqEnd);
        if (end != nullptr && end->type == kSeqEnd && claim(*end))
            return entity(*end, o.handle, paper);
        return true;
    }

    void text(const DwgObject& o, const TextData& t) {
        m_out.text(100, "AcDbText");
        if (t.thickness != 0.0)
            m_out.real(39, t.thickness);
        m_out.point(10, Point3{t.position[0], t.position[1], t.elevation});
        m_out.real(40, t.height);
        m_out.text(1, t.value);
        if (t.rotation != 0.0)
            m_out.real(50, t.rotation * kDegrees);
        if (t.widthFactor != 1.0)
            m_out.real(41, t.widthFactor);
        if (t.oblique != 0.0)
            m_out.real(51, t.oblique * kDegrees);
        // The default style goes without saying, as in the editor's own files.
        const std::string style = m_d.recordName(t.style);
        if (!style.empty() && !sameText(style, "Standard"))
            m_out.text(7, style);
        if (t.generation != 0)
            m_out.integer(71, t.generation);
        if (t.horizontal != 0)
            m_out.integer(72, t.horizontal);
        if (t.horizontal != 0 || t.vertical != 0)
            m_out.point(11, Point3{t.alignment[0], t.alignment[1], t.elevation});
        if (!isUnitZ(t.extrusion))
            m_out.point(210, t.extrusion);
        if (o.type == kText) {
            m_out.text(100, "AcDbText");
            if (t.vertical != 0)
                m_out.integer(73, t.vertical);
            return;
        }
        if (o.type == kAttDef) {
            m_out.text(100, "AcDbAttributeDefinition");
            m_out.text(3, t.prompt);
        } else {
            m_out.text(100, "AcDbAttribute");
        }
        m_out.text(2, t.tag);
        m_out.integer(70, t.flags);
        if (t.fieldLength != 0)
            m_out.integer(73, t.fieldLength);
        if (t.vertical != 0)
            m_out.integer(74, t.vertical);
    }

    // Objects: the named-objects dictionary first, the others by handle.

    bool objects() {
        section("OBJECTS");
        if (const DwgObject* root = m_d.find(vars().namedObjects)) {
            if (!object(*root))
                return false;
        }
        for (const DwgObject& o : m_d.objects()) {
            if (!object(o))
                return false;
        }
        m_out.text(0, "ENDSEC");
        return true;
    }

    bool object(const DwgObject& o) {
        if (o.entity || m_done[m_d.indexOf(o)])
            return true;
        if (std::holds_alternative<ControlData>(o.data) ||
            std::holds_alternative<TableEntryData>(o.data)) {
            return true;
        }
        const std::string type = dxfNameOf(m_d.file(), o.type);
        if (type.empty())
            return true;
        claim(o);
        begin(type, o, o.owner);
        if (const DictionaryData* s = std::get_if<DictionaryData>(&o.data)) {
            m_out.text(100, "AcDbDictionary");
            if (s->hardOwner != 0)
                m_out.integer(280, s->hardOwner);
            m_out.integer(281, s->cloning);
            for (const auto& entry : s->entries) {
                if (entry.second == 0)
                    continue;  // an erased entry
                m_out.text(3, entry.first);
                m_out.handle(s->hardOwner != 0 ? 360 : 350, entry.second);
            }
            if (s->withDefault) {
                m_out.text(100, "AcDbDictionaryWithDefault");
                m_out.handle(340, s->defaultEntry);
            }
        } else if (const XrecordData* x = std::get_if<XrecordData>(&o.data)) {
            m_out.text(100, "AcDbXrecord");
            m_out.integer(280, x->cloning);
            if (!xrecord(o, *x))
                return false;
        } else if (const DictionaryVarData* v = std::get_if<DictionaryVarData>(&o.data)) {
            m_out.text(100, "DictionaryVariables");
            m_out.integer(280, v->schema);
            m_out.text(1, v->value);
        } else if (const auto* l = std::get_if<std::unique_ptr<LayoutData>>(&o.data)) {
            layout(**l);
        }
        return extended(o);
    }

    // The packed group-code pairs of an extended record.
    bool xrecord(const DwgObject& o, const XrecordData& x) {
        ByteReader b(x.bytes);
        while (!b.atEnd()) {
            const size_t at = b.position();
            unsigned code = 0;
            if (!b.u16(code))
                return fail(o, "its data ends inside a group code");
            const int c = int(code);
            bool ok = true;
            const uint8_t* p = nullptr;
            auto in = [c](int lo, int hi) { return c >= lo && c <= hi; };
            if (c == 0)
                return fail(o, "its data holds group code 0, which ends a record in DXF");
            if (in(1, 9) || c == 100 || c == 102 || c == 105 || in(300, 309) || in(410, 419) ||
                in(430, 439) || in(470, 479) || c == 999 || in(1000, 1003) || in(1005, 1009)) {
                unsigned length = 0, codePage = 0;
                ok = b.u16(length) && b.u8(codePage) && b.take(length, p);
                if (ok)
                    m_out.text(c, std::string_view(reinterpret_cast<const char*>(p), length));
            } else if (in(10, 39) || in(110, 139) || in(210, 239) || in(1010, 1039)) {
                Point3 pt;
                ok = b.real(pt.x) && b.real(pt.y) && b.real(pt.z);
                if (ok && (c % 100) / 10 == 1) {
                    m_out.point(c, pt);
                } else if (ok) {
                    m_out.real(c, pt.x);
                }
            } else if (in(40, 59) || in(140, 149) || in(460, 469) || in(1040, 1059)) {
                double v = 0;
                ok = b.real(v);
                if (ok)
                    m_out.real(c, v);
            } else if (in(60, 79) || in(170, 179) || in(270, 279) || in(370, 389) || in(400, 409) ||
                       in(1060, 1070)) {
                unsigned v = 0;
                ok = b.u16(v);
                if (ok)
                    m_out.integer(c, int16_t(v));
            } else if (in(280, 299)) {
                unsigned v = 0;
                ok = b.u8(v);
                if (ok)
                    m_out.integer(c, in(290, 299) ? (v != 0 ? 1 : 0) : int64_t(v));
            } else if (in(90, 99) || in(420, 429) || in(440, 459) || c == 1071) {
                uint32_t v = 0;
                ok = b.u32(v);
                if (ok)
                    m_out.integer(c, int32_t(v));
            } else if (in(160, 169)) {
                uint64_t v = 0;
                ok = b.u64(v);
                if (ok)
                    m_out.integer(c, int64_t(v));
            } else if (in(310, 319) || c == 1004) {
                unsigned length = 0;
                ok = b.u8(length) && b.take(length, p);
                if (ok)
                    m_out.binary(c, p, length);
            } else if (in(320, 369) || in(390, 399) || c == 480 || c == 481) {
                uint64_t h = 0;
                ok = b.u64(h);
                if (ok)
                    m_out.handle(c, h);
            } else {
                return fail(o, "its data holds group code " + std::to_string(c) +
                                   ", which has no value type (at byte " + std::to_string(at) +
                                   " of the data)");
            }
            if (!ok) {
                return fail(o, "its data ends inside the value of group code " + std::to_string(c));
            }
        }
        return true;
    }

    void layout(const LayoutData& l) {
        m_out.text(100, "AcDbPlotSettings");
        m_out.text(1, l.pageSetup);
        m_out.text(2, l.printer);
        m_out.text(4, l.paperName);
        m_out.text(6, l.plotView);
        for (int k = 0; k < 4; ++k)
            m_out.real(40 + k, l.margins[k]);
        m_out.real(44, l.paper[0]);
        m_out.real(45, l.paper[1]);
        m_out.real(46, l.plotOrigin[0]);
        m_out.real(47, l.plotOrigin[1]);
        m_out.real(48, l.windowMin[0]);
        m_out.real(49, l.windowMin[1]);
        m_out.real(140, l.windowMax[0]);
        m_out.real(141, l.windowMax[1]);
        m_out.real(142, l.realWorldUnits);
        m_out.real(143, l.drawingUnits);
        m_out.integer(70, l.plotFlags);
        m_out.integer(72, l.paperUnits);
        m_out.integer(73, l.plotRotation);
        m_out.integer(74, l.plotType);
        m_out.text(7, l.styleSheet);
        m_out.integer(75, l.scaleType);
        m_out.real(147, l.scaleFactor);
        m_out.real(148, l.imageOrigin[0]);
        m_out.real(149, l.imageOrigin[1]);
        m_out.text(100, "AcDbLayout");
        m_out.text(1, l.name);
        m_out.integer(70, l.flags);
        m_out.integer(71, l.tabOrder);
        m_out.point2(10, l.limitsMin);
        m_out.point2(11, l.limitsMax);
        m_out.point(12, l.insertionBase);
        m_out.point(14, l.extentsMin);
        m_out.point(15, l.extentsMax);
        m_out.real(146, l.elevation);
        m_out.point(13, l.ucsOrigin);
        m_out.point(16, l.ucsX);
        m_out.point(17, l.ucsY);
        m_out.integer(76, l.orthoView);
        m_out.handle(330, l.blockRecord);
        if (l.viewport != 0)
            m_out.handle(331, l.viewport);
    }

    const Drawing& m_d;
    DxfText m_out;
    std::string& m_error;
    std::vector<uint8_t> m_done;  // per object: already written
};

}  // namespace

bool looksLikeDwg(const uint8_t* data, size_t size) {
    if (size < 6 || data[0] != 'A' || data[1] != 'C')
        return false;
    for (size_t k = 2; k < 6; ++k) {
        if (data[k] < '0' || data[k] > '9')
            return false;
    }
    return true;
}

bool readDwg(const uint8_t* data, size_t size, std::vector<char>& dxf, std::string& error) {
    Drawing drawing;
    if (!drawing.read(data, size, error))
        return false;
    const size_t before = dxf.size();
    // The DXF form of the samples is one to two times as long as the file;
    // room for that up front spares copying the text as it grows.
    dxf.reserve(before + 2 * size);
    if (!Writer(drawing, dxf, error).write()) {
        dxf.resize(before);
        return false;
    }
    return true;
}

}  // namespace brevant::dwg
