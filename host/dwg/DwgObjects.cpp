// The common object layout and the records the drawing database models.
#include "DwgObjects.h"

#include <cstring>

namespace brevant::dwg {

namespace {

const char* const kObjects = "objects";

bool isFixedEntity(uint16_t type) {
    return (type >= 0x01 && type <= 0x29) || (type >= 0x2B && type <= 0x2F) || type == 0x4A ||
           type == 0x4D || type == 0x4E || type == 0x1F2;
}

// A class's record name stands as the type of a DXF record: it must be a
// plain name and none of the marks that give a DXF file its structure.
bool usableName(const std::string& name) {
    static const char* const kStructure[] = {"SECTION", "ENDSEC", "TABLE", "ENDTAB",
                                             "BLOCK",   "ENDBLK", "CLASS", "EOF"};
    if (name.empty())
        return false;
    for (char c : name) {
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
              c == '_' || c == '$' || c == '-')) {
            return false;
        }
    }
    for (const char* s : kStructure) {
        if (name == s)
            return false;
    }
    return true;
}

bool isTableEntry(uint16_t type) {
    switch (type) {
        case kBlockHeader:
        case kLayer:
        case kStyle:
        case kLineType:
        case kView:
        case kUcs:
        case kViewport:
        case kAppId:
        case kDimStyle:
        case kVpEntHdr:
            return true;
        default:
            return false;
    }
}

bool isControl(uint16_t type) {
    switch (type) {
        case kBlockControl:
        case kLayerControl:
        case kStyleControl:
        case kLineTypeControl:
        case kViewControl:
        case kUcsControl:
        case kViewportControl:
        case kAppIdControl:
        case kDimStyleControl:
        case kVpEntHdrControl:
            return true;
        default:
            return false;
    }
}

// Reads one object: the data stream and the handle stream of its record.
class ObjectReader {
public:
    ObjectReader(const DwgFile& file, const MapEntry& entry, DwgObject& out, std::string& error)
        : m_file(file), m_entry(entry), m_out(out), m_error(error) {}

    bool read();

private:
    bool fail(const std::string& what) {
        std::string name = dxfNameOf(m_file, m_out.type);
        m_error = errorAt(kObjects, m_entry.offset,
                          "object " + hex(m_entry.handle) +
                              (name.empty() ? std::string() : " (" + name + ")") + ": " + what);
        return false;
    }
    // A count read from the file, checked against what the bits left can hold.
    bool fits(uint64_t count, size_t bitsEach, const BitReader& r) {
        if (count <= r.remaining() / bitsEach)
            return true;
        fail("a count of " + std::to_string(count) + " cannot fit in its remaining " +
             std::to_string(r.remaining()) + " bits");
        return false;
    }
    uint64_t handle(BitReader& h) { return h.handle().resolve(m_entry.handle); }
    static const char* dataFault(const BitReader& d) {
        return d.invalid() ? "its data holds a value code the format does not use"
                           : "its data runs past its end";
    }
    static const char* handleFault(const BitReader& h) {
        return h.invalid() ? "its handle references hold a code the format does not use"
                           : "its handle references run past its end";
    }
    bool commonEntity(BitReader& d);
    bool typeData(BitReader& d, BitReader& h);
    bool control(BitReader& d, BitReader& h);
    bool tableEntry(BitReader& d, BitReader& h);
    void insert(BitReader& d, BitReader& h);
    void text(BitReader& d, BitReader& h);
    bool dictionary(BitReader& d, BitReader& h, bool withDefault);
    bool xrecord(BitReader& d);
    void layout(BitReader& d, BitReader& h);

    const DwgFile& m_file;
    const MapEntry& m_entry;
    DwgObject& m_out;
    std::string& m_error;
    uint32_t m_reactors = 0;
    bool m_noLinks = false;
    uint8_t m_plotStyleFlags = 0;
};

bool ObjectReader::read() {
    const uint8_t* data = m_file.data();
    const size_t fileSize = m_file.size();
    const size_t offset = m_entry.offset;
    m_out = DwgObject{};
    m_out.handle = m_entry.handle;
    m_out.offset = m_entry.offset;
    if (const Extent* e = m_file.sectionAt(offset, 1))
        return fail(std::string("the object map places it inside the ") + e->name);
    size_t pos = offset;
    uint32_t size = 0;
    if (!modularShort(data, pos, fileSize, size))
        return fail("its size runs past the end of the file");
    if (size > fileSize - pos || fileSize - pos - size < 2) {
        return fail("its size of " + std::to_string(size) +
                    " bytes runs beyond the end of the file");
    }
    if (const Extent* e = m_file.sectionAt(offset, pos + size + 2 - offset))
        return fail(std::string("it overlaps the ") + e->name);
    const uint16_t computed = crc16(0xC0C1, data + offset, pos + size - offset);
    const uint16_t stored = uint16_t(data[pos + size] | (data[pos + size + 1] << 8));
    if (kCheckCrc && computed != stored) {
        return fail("the CRC does not match (stored " + hex(stored) + ", computed " +
                    hex(computed) + ")");
    }
    const size_t begin = pos * 8;
    const size_t end = (pos + size) * 8;
    BitReader head(data, begin, end);
    m_out.type = head.bitShort();
    const uint32_t handleStart = head.rawLong();
    if (!head.ok())
        return fail("the record is too short for its type and size");
    if (handleStart > size_t(size) * 8 || begin + handleStart < head.position()) {
        return fail("its handle references start at bit " + std::to_string(handleStart) +
                    ", outside its " + std::to_string(size) + " bytes");
    }
    BitReader d(data, head.position(), begin + handleStart);
    BitReader h(data, begin + handleStart, end);

    const HandleRef own = d.handle();
    if (d.ok() && own.value != m_entry.handle)
        return fail("the record says it is object " + hex(own.value));
    for (;;) {
        const uint16_t bytes = d.bitShort();
        if (bytes == 0 || !d.ok())
            break;
        ExtendedData x;
        x.app = d.handle().resolve(m_entry.handle);
        if (!fits(bytes, 8, d))
            return false;
        x.bytes.resize(bytes);
        d.bytes(reinterpret_cast<uint8_t*>(&x.bytes[0]), bytes);
        m_out.extended.push_back(std::move(x));
    }
    const DwgClass* cls = m_out.type >= kFirstClass ? m_file.classOf(m_out.type) : nullptr;
    m_out.entity = isFixedEntity(m_out.type) || (cls != nullptr && cls->isEntity);
    if (m_out.entity) {
        if (!commonEntity(d))
            return false;
    } else {
        m_reactors = d.bitLong();
    }
    if (!d.ok())
        return fail(dataFault(d));
    if (!fits(m_reactors, 8, h))
        return false;

    // The handle stream: owner, reactors, extension dictionary, then for
    // entities their neighbours, layer and line type.
    if (!m_out.entity || m_out.mode == 0)
        m_out.owner = handle(h);
    m_out.reactors.reserve(m_reactors);
    for (uint32_t k = 0; k < m_reactors; ++k)
        m_out.reactors.push_back(handle(h));
    m_out.xdictionary = handle(h);
    if (m_out.entity) {
        if (m_noLinks) {
            m_out.prev = m_entry.handle - 1;
            m_out.next = m_entry.handle + 1;
        } else {
            m_out.prev = handle(h);
            m_out.next = handle(h);
        }
        m_out.layer = handle(h);
        if (m_out.lineTypeFlags == 3)
            m_out.lineType = handle(h);
        if (m_plotStyleFlags == 3)
            handle(h);
    }
    if (!h.ok())
        return fail(handleFault(h));
    if (!typeData(d, h))
        return false;
    if (!d.ok())
        return fail(dataFault(d));
    if (!h.ok())
        return fail(handleFault(h));
    return true;
}

bool ObjectReader::commonEntity(BitReader& d) {
    if (d.bit()) {
        // Graphics of a proxy: a byte count and the bytes, not needed.
        const uint32_t bytes = d.rawLong();
        if (!fits(bytes, 8, d))
            return false;
        d.skipBytes(bytes);
    }
    m_out.mode = uint8_t(d.bits2());
    m_reactors = d.bitLong();
    m_noLinks = d.bit();
    m_out.color = d.color();
    m_out.lineTypeScale = d.bitDouble();
    m_out.lineTypeFlags = uint8_t(d.bits2());
    m_plotStyleFlags = uint8_t(d.bits2());
    m_out.invisible = (d.bitShort() & 1) != 0;
    m_out.lineWeight = d.rawChar();
    return true;
}

bool ObjectReader::typeData(BitReader& d, BitReader& h) {
    const uint16_t type = m_out.type;
    if (isControl(type))
        return control(d, h);
    if (isTableEntry(type))
        return tableEntry(d, h);
    switch (type) {
        case kInsert:
        case kMInsert:
            insert(d, h);
            return true;
        case kText:
        case kAttrib:
        case kAttDef:
            text(d, h);
            return true;
        case kBlock:
            m_out.data = BlockBeginData{d.text()};
            return true;
        case kDictionary:
            return dictionary(d, h, false);
        case kXrecord:
            return xrecord(d);
        default:
            break;
    }
    if (type < kFirstClass)
        return true;
    const DwgClass* cls = m_file.classOf(type);
    if (cls == nullptr)
        return true;
    if (cls->dxfName == "ACDBDICTIONARYWDFLT")
        return dictionary(d, h, true);
    if (cls->dxfName == "DICTIONARYVAR") {
        DictionaryVarData v;
        v.schema = d.rawChar();
        v.value = d.text();
        m_out.data = std::move(v);
    } else if (cls->dxfName == "LAYOUT") {
        layout(d, h);
    }
    return true;
}

bool ObjectReader::control(BitReader& d, BitReader& h) {
    ControlData c;
    const uint32_t count = d.bitLong();
    const uint8_t extra = m_out.type == kDimStyleControl ? d.rawChar() : 0;
    if (!d.ok())
        return true;  // reported by the caller
    if (!fits(uint64_t(count) + extra, 8, h))
        return false;
    c.entries.reserve(count);
    for (uint32_t k = 0; k < count; ++k)
        c.entries.push_back(handle(h));
    if (m_out.type == kBlockControl || m_out.type == kLineTypeControl) {
        c.extra.push_back(handle(h));
        c.extra.push_back(handle(h));
    }
    for (unsigned k = 0; k < extra; ++k)
        c.extra.push_back(handle(h));
    m_out.data = std::move(c);
    return true;
}

bool ObjectReader::tableEntry(BitReader& d, BitReader& h) {
    TableEntryData e;
    e.name = d.text();
    e.referenced = d.bit();
    d.bitShort();  // the index of its external reference, plus 1
    e.xrefDependent = d.bit();
    e.xrefBlock = handle(h);
    switch (m_out.type) {
        case kBlockHeader: {
            e.anonymous = d.bit();
            e.hasAttributes = d.bit();
            e.isXref = d.bit();
            e.overlaid = d.bit();
            d.bit();  // loaded
            e.base = d.point3();
            e.xrefPath = d.text();
            // One byte per reference that uses the block, ended by a zero byte.
            uint64_t inserts = 0;
            while (d.ok() && d.rawChar() != 0)
                ++inserts;
            e.description = d.text();
            const uint32_t preview = d.bitLong();
            if (!d.ok())
                return true;
            if (!fits(preview, 8, d))
                return false;
            d.skipBytes(preview);
            e.block = handle(h);
            if (!e.isXref && !e.overlaid) {
                e.firstEntity = handle(h);
                e.lastEntity = handle(h);
            }
            e.endBlock = handle(h);
            if (!fits(inserts, 8, h))
                return false;
            e.inserts.reserve(inserts);
            for (uint64_t k = 0; k < inserts; ++k)
                e.inserts.push_back(handle(h));
            e.layout = handle(h);
            break;
        }
        case kLayer:
            e.layerFlags = d.bitShort();
            e.color = d.color();
            e.plotStyle = handle(h);
            e.lineType = handle(h);
            break;
        case kAppId:
            d.rawChar();
            break;
        default:
            break;
    }
    m_out.data = std::move(e);
    return true;
}

void ObjectReader::insert(BitReader& d, BitReader& h) {
    InsertData s;
    s.position = d.point3();
    switch (d.bits2()) {
        case 3:
            break;
        case 2:
            s.scale.x = d.rawDouble();
            s.scale.y = s.scale.z = s.scale.x;
            break;
        case 1:
            s.scale.x = 1.0;
            s.scale.y = d.defaulted(1.0);
            s.scale.z = d.defaulted(1.0);
            break;
        default:
            s.scale.x = d.rawDouble();
            s.scale.y = d.defaulted(s.scale.x);
            s.scale.z = d.defaulted(s.scale.x);
            break;
    }
    s.rotation = d.bitDouble();
    s.extrusion = d.point3();
    s.hasAttributes = d.bit();
    if (m_out.type == kMInsert) {
        s.columns = d.bitShort();
        s.rows = d.bitShort();
        s.columnSpacing = d.bitDouble();
        s.rowSpacing = d.bitDouble();
    }
    s.blockHeader = handle(h);
    if (s.hasAttributes) {
        s.firstAttribute = handle(h);
        s.lastAttribute = handle(h);
        s.seqEnd = handle(h);
    }
    m_out.data = std::move(s);
}

void ObjectReader::text(BitReader& d, BitReader& h) {
    TextData t;
    // A set bit in the flags: the field is absent and has its default.
    const uint8_t flags = d.rawChar();
    if (!(flags & 0x01))
        t.elevation = d.rawDouble();
    t.position[0] = d.rawDouble();
    t.position[1] = d.rawDouble();
    if (!(flags & 0x02)) {
        t.alignment[0] = d.defaulted(t.position[0]);
        t.alignment[1] = d.defaulted(t.position[1]);
    }
    t.extrusion = d.extrusion();
    t.thickness = d.thickness();
    if (!(flags & 0x04))
        t.oblique = d.rawDouble();
    if (!(flags & 0x08))
        t.rotation = d.rawDouble();
    t.height = d.rawDouble();
    if (!(flags & 0x10))
        t.widthFactor = d.rawDouble();
    t.value = d.text();
    if (!(flags & 0x20))
        t.generation = d.bitShort();
    if (!(flags & 0x40))
        t.horizontal = d.bitShort();
    if (!(flags & 0x80))
        t.vertical = d.bitShort();
    if (m_out.type != kText) {
        t.tag = d.text();
        t.fieldLength = d.bitShort();
        t.flags = d.rawChar();
        if (m_out.type == kAttDef)
            t.prompt = d.text();
    }
    t.style = handle(h);
    m_out.data = std::move(t);
}

bool ObjectReader::dictionary(BitReader& d, BitReader& h, bool withDefault) {
    DictionaryData s;
    const uint32_t count = d.bitLong();
    s.cloning = d.bitShort();
    s.hardOwner = d.rawChar();
    // Each entry is a name of at least 2 bits and a handle of at least 8.
    if (!d.ok())
        return true;
    if (!fits(count, 2, d) || !fits(count, 8, h))
        return false;
    s.entries.resize(count);
    for (auto& e : s.entries)
        e.first = d.text();
    for (auto& e : s.entries)
        e.second = handle(h);
    s.withDefault = withDefault;
    if (withDefault)
        s.defaultEntry = handle(h);
    m_out.data = std::move(s);
    return true;
}

bool ObjectReader::xrecord(BitReader& d) {
    XrecordData s;
    const uint32_t bytes = d.bitLong();
    if (!d.ok())
        return true;
    if (!fits(bytes, 8, d))
        return false;
    s.bytes.resize(bytes);
    if (bytes > 0)
        d.bytes(reinterpret_cast<uint8_t*>(&s.bytes[0]), bytes);
    s.cloning = d.bitShort();
    // Object references of the data follow in the handle stream; they are
    // already part of the packed pairs.
    m_out.data = std::move(s);
    return true;
}

void ObjectReader::layout(BitReader& d, BitReader& h) {
    auto layout = std::make_unique<LayoutData>();
    LayoutData& s = *layout;
    auto point2 = [&](double* p) {
        p[0] = d.bitDouble();
        p[1] = d.bitDouble();
    };
    s.pageSetup = d.text();
    s.printer = d.text();
    s.plotFlags = d.bitShort();
    for (double& m : s.margins)
        m = d.bitDouble();
    point2(s.paper);
    s.paperName = d.text();
    point2(s.plotOrigin);
    s.paperUnits = d.bitShort();
    s.plotRotation = d.bitShort();
    s.plotType = d.bitShort();
    point2(s.windowMin);
    point2(s.windowMax);
    s.plotView = d.text();
    s.realWorldUnits = d.bitDouble();
    s.drawingUnits = d.bitDouble();
    s.styleSheet = d.text();
    s.scaleType = d.bitShort();
    s.scaleFactor = d.bitDouble();
    point2(s.imageOrigin);
    s.name = d.text();
    s.tabOrder = d.bitShort();
    s.flags = d.bitShort();
    s.ucsOrigin = d.point3();
    s.limitsMin[0] = d.rawDouble();
    s.limitsMin[1] = d.rawDouble();
    s.limitsMax[0] = d.rawDouble();
    s.limitsMax[1] = d.rawDouble();
    s.insertionBase = d.point3();
    s.ucsX = d.point3();
    s.ucsY = d.point3();
    s.elevation = d.bitDouble();
    s.orthoView = d.bitShort();
    s.extentsMin = d.point3();
    s.extentsMax = d.point3();
    s.blockRecord = handle(h);
    s.viewport = handle(h);
    m_out.data = std::move(layout);
}

}  // namespace

bool readObject(const DwgFile& file, const MapEntry& entry, DwgObject& out, std::string& error) {
    return ObjectReader(file, entry, out, error).read();
}

std::string dxfNameOf(const DwgFile& file, uint16_t type) {
    static const char* const kFixed[] = {
        "",
        "TEXT",
        "ATTRIB",
        "ATTDEF",
        "BLOCK",
        "ENDBLK",
        "SEQEND",
        "INSERT",
        "INSERT",
        "",
        "VERTEX",
        "VERTEX",
        "VERTEX",
        "VERTEX",
        "VERTEX",
        "POLYLINE",
        "POLYLINE",
        "ARC",
        "CIRCLE",
        "LINE",
        "DIMENSION",
        "DIMENSION",
        "DIMENSION",
        "DIMENSION",
        "DIMENSION",
        "DIMENSION",
        "DIMENSION",
        "POINT",
        "3DFACE",
        "POLYLINE",
        "POLYLINE",
        "SOLID",
        "TRACE",
        "SHAPE",
        "VIEWPORT",
        "ELLIPSE",
        "SPLINE",
        "REGION",
        "3DSOLID",
        "BODY",
        "RAY",
        "XLINE",
        "DICTIONARY",
        "OLEFRAME",
        "MTEXT",
        "LEADER",
        "TOLERANCE",
        "MLINE",
        "",
        "BLOCK_RECORD",
        "",
        "LAYER",
        "",
        "STYLE",
        "",
        "",
        "",
        "LTYPE",
        "",
        "",
        "",
        "VIEW",
        "",
        "UCS",
        "",
        "VPORT",
        "",
        "APPID",
        "",
        "DIMSTYLE",
        "",
        "",
        "GROUP",
        "MLINESTYLE",
        "OLE2FRAME",
        "",
        "LONG_TRANSACTION",
        "LWPOLYLINE",
        "HATCH",
        "XRECORD",
        "ACDBPLACEHOLDER",
        "VBA_PROJECT",
        "LAYOUT",
    };
    if (type < sizeof kFixed / sizeof kFixed[0])
        return kFixed[type];
    if (type == 0x1F2)
        return "ACAD_PROXY_ENTITY";
    if (type == 0x1F3)
        return "ACAD_PROXY_OBJECT";
    if (type >= kFirstClass) {
        if (const DwgClass* c = file.classOf(type))
            return usableName(c->dxfName) ? c->dxfName : std::string();
    }
    return {};
}

}  // namespace brevant::dwg
