// The layout of a release-15 (AC1015) drawing file: the file header with its
// section locators, the header variables, the classes and the object map.
// Reading checks every size against the file, every CRC and every section
// mark, and names the section and the file offset of what it refuses.
#pragma once

#include "DwgBits.h"

#include <cstdint>
#include <string>
#include <vector>

namespace brevant::dwg {

struct Locator {
    uint8_t number = 0;
    uint32_t seeker = 0;
    uint32_t size = 0;
};

// The header variables a drawing database needs; handles are the values of
// the references as stored.
struct HeaderVariables {
    uint8_t maintenance = 0;
    uint16_t codePage = 0;
    std::string menuName;
    double createDate = 0.0;  // Julian days
    double updateDate = 0.0;
    double editingTime = 0.0;  // days
    int16_t currentColor = 256;
    uint64_t handseed = 0;
    uint64_t currentLayer = 0;
    uint64_t textStyle = 0;
    uint64_t lineType = 0;
    uint64_t dimStyle = 0;
    Point3 insertionBase;
    Point3 extentsMin;
    Point3 extentsMax;
    double limitsMin[2] = {0.0, 0.0};
    double limitsMax[2] = {0.0, 0.0};
    double lineTypeScale = 1.0;
    double textSize = 0.0;
    bool tileMode = true;
    uint16_t linearUnits = 0;
    uint16_t linearPrecision = 0;
    uint16_t insertionUnits = 0;
    uint64_t blockControl = 0;
    uint64_t layerControl = 0;
    uint64_t styleControl = 0;
    uint64_t lineTypeControl = 0;
    uint64_t viewControl = 0;
    uint64_t ucsControl = 0;
    uint64_t viewportControl = 0;
    uint64_t appIdControl = 0;
    uint64_t dimStyleControl = 0;
    uint64_t groupDictionary = 0;
    uint64_t mlineStyleDictionary = 0;
    uint64_t namedObjects = 0;
    uint64_t layoutDictionary = 0;
    uint64_t plotSettingsDictionary = 0;
    uint64_t plotStyleDictionary = 0;
    std::string hyperlinkBase;
    std::string styleSheet;
    std::string fingerprintGuid;
    std::string versionGuid;
    uint64_t paperSpace = 0;  // the block record of the active layout
    uint64_t modelSpace = 0;
};

struct DwgClass {
    uint16_t number = 0;
    uint16_t proxyFlags = 0;
    std::string appName;
    std::string cppName;
    std::string dxfName;
    bool wasZombie = false;
    bool isEntity = false;
};

// One object of the map: its handle and the file offset of its record.
struct MapEntry {
    uint64_t handle = 0;
    uint32_t offset = 0;
};

// A byte range of the file that belongs to a section, with the section's name.
struct Extent {
    size_t begin = 0;
    size_t end = 0;
    const char* name = "";
};

class DwgFile {
public:
    // Reads everything but the objects. data must stay valid while the file
    // is used. On failure returns false and sets error.
    bool read(const uint8_t* data, size_t size, std::string& error);

    const uint8_t* data() const { return m_data; }
    size_t size() const { return m_size; }
    const HeaderVariables& header() const { return m_header; }
    const std::vector<DwgClass>& classes() const { return m_classes; }
    const DwgClass* classOf(uint16_t number) const;
    const std::vector<MapEntry>& objectMap() const { return m_map; }
    // The section that holds the byte at offset, or nullptr when it is free
    // for objects.
    const Extent* sectionAt(size_t offset, size_t length) const;

private:
    bool readFileHeader(std::string& error);
    bool readHeaderVariables(const Locator& at, std::string& error);
    bool readClasses(const Locator& at, std::string& error);
    bool readObjectMap(const Locator& at, std::string& error);
    // The bit data of a section framed by start and end marks, a size and a
    // CRC; sets begin and bytes to the data.
    bool framedSection(const Locator& at, const char* name, const uint8_t* start,
                       const uint8_t* end, size_t& begin, size_t& bytes, std::string& error);

    const uint8_t* m_data = nullptr;
    size_t m_size = 0;
    std::vector<Locator> m_locators;
    HeaderVariables m_header;
    std::vector<DwgClass> m_classes;
    std::vector<MapEntry> m_map;
    std::vector<Extent> m_reserved;
};

// "<section>, offset 0x1A2B: <what>", the form of every error of the reader.
std::string errorAt(const char* section, size_t offset, const std::string& what);
std::string hex(uint64_t value);

}  // namespace brevant::dwg
