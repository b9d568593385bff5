// The file header, header variables, classes and object map of a release-15
// drawing file.
#include "DwgFile.h"

#include <cstdio>
#include <cstring>

namespace brevant::dwg {

namespace {

// Section-locator numbers.
constexpr uint8_t kHeaderLocator = 0;
constexpr uint8_t kClassesLocator = 1;
constexpr uint8_t kObjectMapLocator = 2;

constexpr size_t kLocatorsAt = 0x19;
constexpr size_t kLocatorSize = 9;
constexpr size_t kMarkSize = 16;

const char* const kFileHeader = "file header";
const char* const kHeaderVariables = "header variables";
const char* const kClasses = "classes";
const char* const kObjectMap = "object map";

uint16_t le16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}

uint32_t le32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

const char* locatorName(uint8_t number) {
    switch (number) {
        case kHeaderLocator:
            return kHeaderVariables;
        case kClassesLocator:
            return kClasses;
        case kObjectMapLocator:
            return kObjectMap;
        case 3:
            return "block after the object map";
        case 4:
            return "measurement";
        default:
            return "auxiliary header";
    }
}

// The value the header CRC is mixed with, by the number of locators.
bool headerCrcMask(uint32_t locators, uint16_t& mask) {
    switch (locators) {
        case 3:
            mask = 0xA598;
            return true;
        case 4:
            mask = 0x8101;
            return true;
        case 5:
            mask = 0x3CC4;
            return true;
        case 6:
            mask = 0x8461;
            return true;
        default:
            return false;
    }
}

std::string crcMismatch(uint16_t stored, uint16_t computed) {
    return "the CRC does not match (stored " + hex(stored) + ", computed " + hex(computed) + ")";
}

double julian(uint32_t days, uint32_t milliseconds) {
    return double(days) + double(milliseconds) / 86400000.0;
}

}  // namespace

std::string hex(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

std::string errorAt(const char* section, size_t offset, const std::string& what) {
    return std::string(section) + ", offset " + hex(offset) + ": " + what;
}

const DwgClass* DwgFile::classOf(uint16_t number) const {
    for (const DwgClass& c : m_classes) {
        if (c.number == number)
            return &c;
    }
    return nullptr;
}

const Extent* DwgFile::sectionAt(size_t offset, size_t length) const {
    for (const Extent& e : m_reserved) {
        if (offset < e.end && offset + length > e.begin)
            return &e;
    }
    return nullptr;
}

bool DwgFile::read(const uint8_t* data, size_t size, std::string& error) {
    m_data = data;
    m_size = size;
    m_locators.clear();
    m_classes.clear();
    m_map.clear();
    m_reserved.clear();
    m_header = HeaderVariables{};
    if (!readFileHeader(error))
        return false;
    const Locator* need[3] = {nullptr, nullptr, nullptr};
    for (const Locator& l : m_locators) {
        if (l.number < 3 && need[l.number] == nullptr)
            need[l.number] = &l;
    }
    for (uint8_t n = 0; n < 3; ++n) {
        if (need[n] == nullptr) {
            error = errorAt(kFileHeader, 0x15,
                            std::string("no section locator for the ") + locatorName(n));
            return false;
        }
    }
    return readHeaderVariables(*need[kHeaderLocator], error) &&
           readClasses(*need[kClassesLocator], error) &&
           readObjectMap(*need[kObjectMapLocator], error);
}

bool DwgFile::readFileHeader(std::string& error) {
    const uint8_t* d = m_data;
    if (m_size < 6 || memcmp(d, "AC", 2) != 0) {
        error = errorAt(kFileHeader, 0, "not a drawing file (no release mark)");
        return false;
    }
    std::string release(reinterpret_cast<const char*>(d), 6);
    for (char c : release.substr(2)) {
        if (c < '0' || c > '9') {
            error = errorAt(kFileHeader, 0, "not a drawing file (no release mark)");
            return false;
        }
    }
    if (release != "AC1015") {
        error = errorAt(
            kFileHeader, 0,
            "a release " + release + " drawing; only release-15 (AC1015) drawings can be read");
        return false;
    }
    if (m_size < kLocatorsAt) {
        error = errorAt(
            kFileHeader, m_size,
            "the file ends after " + std::to_string(m_size) + " bytes, inside the file header");
        return false;
    }
    m_header.maintenance = d[0x0B];
    m_header.codePage = le16(d + 0x13);
    const uint32_t count = le32(d + 0x15);
    uint16_t mask = 0;
    if (!headerCrcMask(count, mask)) {
        error = errorAt(kFileHeader, 0x15,
                        std::to_string(count) + " section locators; a release-15 file has 3 to 6");
        return false;
    }
    const size_t locatorsEnd = kLocatorsAt + size_t(count) * kLocatorSize;
    const size_t headerEnd = locatorsEnd + 2 + kMarkSize;
    if (m_size < headerEnd) {
        error = errorAt(
            kFileHeader, m_size,
            "the file ends after " + std::to_string(m_size) + " bytes, inside the file header");
        return false;
    }
    const uint16_t computed = uint16_t(crc16(0, d, locatorsEnd) ^ mask);
    const uint16_t stored = le16(d + locatorsEnd);
    if (kCheckCrc && computed != stored) {
        error = errorAt(kFileHeader, locatorsEnd, crcMismatch(stored, computed));
        return false;
    }
    if (memcmp(d + locatorsEnd + 2, kFileHeaderEnd, kMarkSize) != 0) {
        error = errorAt(kFileHeader, locatorsEnd + 2, "the end mark of the file header is missing");
        return false;
    }
    m_reserved.push_back(Extent{0, headerEnd, kFileHeader});
    for (uint32_t k = 0; k < count; ++k) {
        const uint8_t* p = d + kLocatorsAt + k * kLocatorSize;
        Locator l{p[0], le32(p + 1), le32(p + 5)};
        // Every section must lie inside the file, those the reader does not
        // need too: one that does not shows the file was cut short.
        if (l.seeker > m_size || l.size > m_size - l.seeker) {
            error = errorAt(kFileHeader, kLocatorsAt + k * kLocatorSize,
                            std::string("the ") + locatorName(l.number) + " section at " +
                                hex(l.seeker) + " of " + std::to_string(l.size) +
                                " bytes runs beyond the end of the file (" +
                                std::to_string(m_size) + " bytes)");
            return false;
        }
        m_locators.push_back(l);
        m_reserved.push_back(Extent{l.seeker, size_t(l.seeker) + l.size, locatorName(l.number)});
    }
    // The preview, at the seeker in offset 0x0D, is not read here; its bytes
    // are kept free of objects all the same.
    const uint32_t preview = le32(d + 0x0D);
    if (preview <= m_size && m_size - preview >= kMarkSize + 4 &&
        memcmp(d + preview, kPreviewStart, kMarkSize) == 0) {
        const size_t overall = le32(d + preview + kMarkSize);
        size_t end = size_t(preview) + kMarkSize + 4 + overall + kMarkSize;
        if (overall > m_size || end > m_size)
            end = m_size;
        m_reserved.push_back(Extent{preview, end, "preview"});
    }
    return true;
}

bool DwgFile::framedSection(const Locator& at, const char* name, const uint8_t* start,
                            const uint8_t* end, size_t& begin, size_t& bytes, std::string& error) {
    const size_t frame = 2 * kMarkSize + 4 + 2;
    if (at.size < frame) {
        error = errorAt(name, at.seeker,
                        "the section is " + std::to_string(at.size) +
                            " bytes long, too short for its frame of " + std::to_string(frame));
        return false;
    }
    const uint8_t* s = m_data + at.seeker;
    if (memcmp(s, start, kMarkSize) != 0) {
        error = errorAt(name, at.seeker, "the start mark of the section is missing");
        return false;
    }
    const uint32_t size = le32(s + kMarkSize);
    if (size > at.size - frame) {
        error =
            errorAt(name, at.seeker + kMarkSize,
                    "a data size of " + std::to_string(size) + " bytes runs beyond the section (" +
                        std::to_string(at.size) + " bytes)");
        return false;
    }
    const uint16_t computed = crc16(0xC0C1, s + kMarkSize, 4 + size_t(size));
    const uint16_t stored = le16(s + kMarkSize + 4 + size);
    if (kCheckCrc && computed != stored) {
        error = errorAt(name, at.seeker + kMarkSize + 4 + size, crcMismatch(stored, computed));
        return false;
    }
    if (memcmp(s + kMarkSize + 4 + size + 2, end, kMarkSize) != 0) {
        error = errorAt(name, at.seeker + kMarkSize + 4 + size + 2,
                        "the end mark of the section is missing");
        return false;
    }
    begin = at.seeker + kMarkSize + 4;
    bytes = size;
    return true;
}

bool DwgFile::readHeaderVariables(const Locator& at, std::string& error) {
    size_t begin = 0, bytes = 0;
    if (!framedSection(at, kHeaderVariables, kHeaderVariablesStart, kHeaderVariablesEnd, begin,
                       bytes, error)) {
        return false;
    }
    BitReader r(m_data, begin * 8, (begin + bytes) * 8);
    HeaderVariables& h = m_header;
    auto skipBits = [&](int n) {
        for (int k = 0; k < n; ++k)
            r.bit();
    };
    auto skipShorts = [&](int n) {
        for (int k = 0; k < n; ++k)
            r.bitShort();
    };
    auto skipDoubles = [&](int n) {
        for (int k = 0; k < n; ++k)
            r.bitDouble();
    };
    auto skipPoints = [&](int n) {
        for (int k = 0; k < n; ++k)
            r.point3();
    };
    auto handle = [&] { return r.handle().value; };

    skipDoubles(4);
    for (int k = 0; k < 4; ++k)
        r.text();
    r.bitLong();
    r.bitLong();
    handle();  // the current viewport's entity header
    // DIMASO ... TILEMODE is the 16th of the 20 switches.
    skipBits(15);
    h.tileMode = r.bit();
    skipBits(4);
    skipShorts(2);  // PROXYGRAPHICS, TREEDEPTH
    h.linearUnits = r.bitShort();
    h.linearPrecision = r.bitShort();
    skipShorts(23);  // AUNITS ... TEXTQLTY
    h.lineTypeScale = r.bitDouble();
    h.textSize = r.bitDouble();
    skipDoubles(19);  // TRACEWID ... CELTSCALE
    h.menuName = r.text();
    uint32_t day = r.bitLong();
    h.createDate = julian(day, r.bitLong());
    day = r.bitLong();
    h.updateDate = julian(day, r.bitLong());
    day = r.bitLong();
    h.editingTime = julian(day, r.bitLong());
    r.bitLong();  // TDUSRTIMER
    r.bitLong();
    h.currentColor = r.color();
    h.handseed = handle();
    h.currentLayer = handle();
    h.textStyle = handle();
    h.lineType = handle();
    h.dimStyle = handle();
    handle();       // CMLSTYLE
    r.bitDouble();  // PSVPSCALE
    // Paper space: INSBASE, EXTMIN, EXTMAX, LIMMIN, LIMMAX, ELEVATION, UCS.
    skipPoints(3);
    for (int k = 0; k < 4; ++k)
        r.rawDouble();
    r.bitDouble();
    skipPoints(3);
    handle();
    handle();  // PUCSORTHOREF
    r.bitShort();
    handle();  // PUCSBASE
    skipPoints(6);
    // Model space.
    h.insertionBase = r.point3();
    h.extentsMin = r.point3();
    h.extentsMax = r.point3();
    h.limitsMin[0] = r.rawDouble();
    h.limitsMin[1] = r.rawDouble();
    h.limitsMax[0] = r.rawDouble();
    h.limitsMax[1] = r.rawDouble();
    r.bitDouble();  // ELEVATION
    skipPoints(3);
    handle();  // UCSNAME
    handle();  // UCSORTHOREF
    r.bitShort();
    handle();  // UCSBASE
    skipPoints(6);
    // Dimension variables.
    r.text();
    r.text();
    skipDoubles(9);
    skipBits(6);
    skipShorts(3);
    skipDoubles(9);
    r.bit();
    r.bitShort();
    skipBits(4);
    r.color();
    r.color();
    r.color();
    skipShorts(11);  // DIMADEC ... DIMJUST
    skipBits(2);
    skipShorts(4);
    r.bit();
    r.bitShort();
    for (int k = 0; k < 5; ++k)
        handle();  // DIMTXSTY ... DIMBLK2
    skipShorts(2);
    h.blockControl = handle();
    h.layerControl = handle();
    h.styleControl = handle();
    h.lineTypeControl = handle();
    h.viewControl = handle();
    h.ucsControl = handle();
    h.viewportControl = handle();
    h.appIdControl = handle();
    h.dimStyleControl = handle();
    handle();  // the viewport entity headers' control
    h.groupDictionary = handle();
    h.mlineStyleDictionary = handle();
    h.namedObjects = handle();
    skipShorts(2);  // TSTACKALIGN, TSTACKSIZE
    h.hyperlinkBase = r.text();
    h.styleSheet = r.text();
    h.layoutDictionary = handle();
    h.plotSettingsDictionary = handle();
    h.plotStyleDictionary = handle();
    r.bitLong();  // CELWEIGHT and other switches
    h.insertionUnits = r.bitShort();
    if (r.bitShort() == 3)  // CEPSNTYPE: by handle
        handle();
    h.fingerprintGuid = r.text();
    h.versionGuid = r.text();
    h.paperSpace = handle();
    h.modelSpace = handle();
    handle();  // BYLAYER, BYBLOCK and CONTINUOUS line types
    handle();
    handle();
    skipShorts(4);
    if (!r.ok()) {
        error = errorAt(
            kHeaderVariables, begin,
            "the variables run past the end of their data (" + std::to_string(bytes) + " bytes)");
        return false;
    }
    return true;
}

bool DwgFile::readClasses(const Locator& at, std::string& error) {
    size_t begin = 0, bytes = 0;
    if (!framedSection(at, kClasses, kClassesStart, kClassesEnd, begin, bytes, error))
        return false;
    BitReader r(m_data, begin * 8, (begin + bytes) * 8);
    // Records follow one another to the end of the data; what is left after
    // the last one is less than a byte of padding.
    while (r.remaining() >= 8) {
        const size_t at0 = r.position() / 8;
        DwgClass c;
        c.number = r.bitShort();
        c.proxyFlags = r.bitShort();
        c.appName = r.text();
        c.cppName = r.text();
        c.dxfName = r.text();
        c.wasZombie = r.bit();
        c.isEntity = r.bitShort() == 0x1F2;
        if (!r.ok()) {
            error =
                errorAt(kClasses, at0, "a class record runs past the end of the section's data");
            return false;
        }
        m_classes.push_back(std::move(c));
    }
    return true;
}

bool DwgFile::readObjectMap(const Locator& at, std::string& error) {
    const uint8_t* d = m_data;
    size_t pos = at.seeker;
    const size_t end = size_t(at.seeker) + at.size;
    uint64_t previous = 0;
    for (;;) {
        if (end - pos < 2) {
            error = errorAt(kObjectMap, pos, "the map ends without its closing section");
            return false;
        }
        const size_t size = size_t(d[pos] << 8 | d[pos + 1]);  // big-endian
        if (size < 2) {
            error = errorAt(
                kObjectMap, pos,
                "a section size of " + std::to_string(size) + " is too small to hold itself");
            return false;
        }
        if (size + 2 > end - pos) {
            error = errorAt(
                kObjectMap, pos,
                "a section of " + std::to_string(size) + " bytes runs beyond the end of the map");
            return false;
        }
        const uint16_t computed = crc16(0xC0C1, d + pos, size);
        const uint16_t stored = uint16_t(d[pos + size] << 8 | d[pos + size + 1]);
        if (kCheckCrc && computed != stored) {
            error = errorAt(kObjectMap, pos + size, crcMismatch(stored, computed));
            return false;
        }
        if (size == 2)
            break;  // the closing section
        size_t p = pos + 2;
        uint64_t handle = 0;
        int64_t offset = 0;
        while (p < pos + size) {
            const size_t pairAt = p;
            uint64_t handleDelta = 0;
            int64_t offsetDelta = 0;
            if (!modularChar(d, p, pos + size, handleDelta) ||
                !signedModularChar(d, p, pos + size, offsetDelta)) {
                error =
                    errorAt(kObjectMap, pairAt, "a handle and offset pair runs past its section");
                return false;
            }
            handle += handleDelta;
            offset += offsetDelta;
            if (handle <= previous) {
                error = errorAt(kObjectMap, pairAt,
                                "handle " + hex(handle) + " follows handle " + hex(previous) +
                                    "; the map's handles must ascend");
                return false;
            }
            if (offset < 0 || uint64_t(offset) >= m_size) {
                error =
                    errorAt(kObjectMap, pairAt,
                            "object " + hex(handle) + " lies at offset " + std::to_string(offset) +
                                ", outside the file (" + std::to_string(m_size) + " bytes)");
                return false;
            }
            m_map.push_back(MapEntry{handle, uint32_t(offset)});
            previous = handle;
        }
        pos += size + 2;
    }
    return true;
}

}  // namespace brevant::dwg
