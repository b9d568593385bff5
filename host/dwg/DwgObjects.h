// The objects of a release-15 drawing file: the common layout that every
// object shares (size, type, handle, extended data, owner, reactors,
// extension dictionary; for entities also layer, colour, linetype and their
// neighbours in their block), and the type-specific data of the records a
// drawing database models. Other objects keep only the common part: each
// record says its own size, so they are skipped without being understood.
#pragma once

#include "DwgFile.h"

#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace brevant::dwg {

// The fixed object types of release 15; classes (500 on) come from the
// classes section.
enum Type : uint16_t {
    kText = 0x01,
    kAttrib = 0x02,
    kAttDef = 0x03,
    kBlock = 0x04,
    kEndBlk = 0x05,
    kSeqEnd = 0x06,
    kInsert = 0x07,
    kMInsert = 0x08,
    kDictionary = 0x2A,
    kBlockControl = 0x30,
    kBlockHeader = 0x31,
    kLayerControl = 0x32,
    kLayer = 0x33,
    kStyleControl = 0x34,
    kStyle = 0x35,
    kLineTypeControl = 0x38,
    kLineType = 0x39,
    kViewControl = 0x3C,
    kView = 0x3D,
    kUcsControl = 0x3E,
    kUcs = 0x3F,
    kViewportControl = 0x40,
    kViewport = 0x41,
    kAppIdControl = 0x42,
    kAppId = 0x43,
    kDimStyleControl = 0x44,
    kDimStyle = 0x45,
    kVpEntHdrControl = 0x46,
    kVpEntHdr = 0x47,
    kXrecord = 0x4F,
    kFirstClass = 500,
};

// A block of extended data: the registered application and its bytes.
struct ExtendedData {
    uint64_t app = 0;
    std::string bytes;
};

// Table control objects: the entries in table order, and the records that
// some tables keep apart from their entries (model and paper space, the
// BYBLOCK and BYLAYER linetypes, extra dimension styles).
struct ControlData {
    std::vector<uint64_t> entries;
    std::vector<uint64_t> extra;
};

// Fields every table record has, and the parts of block records, layers and
// registered applications.
struct TableEntryData {
    std::string name;
    bool referenced = false;
    bool xrefDependent = false;
    uint64_t xrefBlock = 0;
    // Block records.
    bool anonymous = false;
    bool hasAttributes = false;
    bool isXref = false;
    bool overlaid = false;
    Point3 base;
    std::string xrefPath;
    std::string description;
    uint64_t block = 0;
    uint64_t firstEntity = 0;
    uint64_t lastEntity = 0;
    uint64_t endBlock = 0;
    uint64_t layout = 0;
    std::vector<uint64_t> inserts;  // the references that use the block
    // Layers.
    uint16_t layerFlags = 0;
    int16_t color = 7;
    uint64_t plotStyle = 0;
    uint64_t lineType = 0;
};

struct InsertData {
    Point3 position;
    Point3 scale{1.0, 1.0, 1.0};
    double rotation = 0.0;  // radians
    Point3 extrusion{0.0, 0.0, 1.0};
    bool hasAttributes = false;
    uint16_t columns = 1;
    uint16_t rows = 1;
    double columnSpacing = 0.0;
    double rowSpacing = 0.0;
    uint64_t blockHeader = 0;
    uint64_t firstAttribute = 0;
    uint64_t lastAttribute = 0;
    uint64_t seqEnd = 0;
};

// Texts, attributes and attribute definitions.
struct TextData {
    double elevation = 0.0;
    double position[2] = {0.0, 0.0};
    double alignment[2] = {0.0, 0.0};
    Point3 extrusion{0.0, 0.0, 1.0};
    double thickness = 0.0;
    double oblique = 0.0;   // radians
    double rotation = 0.0;  // radians
    double height = 0.0;
    double widthFactor = 1.0;
    std::string value;
    uint16_t generation = 0;
    uint16_t horizontal = 0;
    uint16_t vertical = 0;
    std::string tag;
    uint16_t fieldLength = 0;
    uint8_t flags = 0;
    std::string prompt;
    uint64_t style = 0;
};

struct BlockBeginData {
    std::string name;
};

struct DictionaryData {
    uint16_t cloning = 0;
    uint8_t hardOwner = 0;
    std::vector<std::pair<std::string, uint64_t>> entries;
    bool withDefault = false;
    uint64_t defaultEntry = 0;
};

struct XrecordData {
    uint16_t cloning = 0;
    std::string bytes;  // the packed group-code pairs
};

struct DictionaryVarData {
    uint8_t schema = 0;
    std::string value;
};

struct LayoutData {
    std::string pageSetup;
    std::string printer;
    uint16_t plotFlags = 0;
    double margins[4] = {0.0, 0.0, 0.0, 0.0};
    double paper[2] = {0.0, 0.0};
    std::string paperName;
    double plotOrigin[2] = {0.0, 0.0};
    uint16_t paperUnits = 0;
    uint16_t plotRotation = 0;
    uint16_t plotType = 0;
    double windowMin[2] = {0.0, 0.0};
    double windowMax[2] = {0.0, 0.0};
    std::string plotView;
    double realWorldUnits = 1.0;
    double drawingUnits = 1.0;
    std::string styleSheet;
    uint16_t scaleType = 0;
    double scaleFactor = 1.0;
    double imageOrigin[2] = {0.0, 0.0};
    std::string name;
    uint16_t tabOrder = 0;
    uint16_t flags = 0;
    Point3 ucsOrigin;
    double limitsMin[2] = {0.0, 0.0};
    double limitsMax[2] = {0.0, 0.0};
    Point3 insertionBase;
    Point3 ucsX;
    Point3 ucsY;
    double elevation = 0.0;
    uint16_t orthoView = 0;
    Point3 extentsMin;
    Point3 extentsMax;
    uint64_t blockRecord = 0;
    uint64_t viewport = 0;
};

struct DwgObject {
    uint64_t handle = 0;
    uint32_t offset = 0;
    uint16_t type = 0;
    bool entity = false;
    // Entities: how the owner is given (0 in the handles, 1 paper space,
    // 2 model space), and whether the neighbours are the next handles.
    uint8_t mode = 0;
    int16_t color = 256;
    double lineTypeScale = 1.0;
    uint8_t lineTypeFlags = 0;  // 0 BYLAYER, 1 BYBLOCK, 2 CONTINUOUS, 3 by handle
    bool invisible = false;
    uint8_t lineWeight = 29;  // index; 29 is BYLAYER
    uint64_t owner = 0;
    uint64_t xdictionary = 0;
    uint64_t prev = 0;
    uint64_t next = 0;
    uint64_t layer = 0;
    uint64_t lineType = 0;
    std::vector<uint64_t> reactors;
    std::vector<ExtendedData> extended;
    std::variant<std::monostate, ControlData, TableEntryData, InsertData, TextData, BlockBeginData,
                 DictionaryData, XrecordData, DictionaryVarData,
                 std::unique_ptr<LayoutData>>  // few, and larger than the others together
        data;
};

// Reads the object the map places at entry.offset. On failure returns false
// and sets error, naming the object's handle and offset.
bool readObject(const DwgFile& file, const MapEntry& entry, DwgObject& out, std::string& error);

// The record name of an object as a DXF file spells it ("LINE", "LAYER",
// "DICTIONARY", a class's own name); empty for types without one.
std::string dxfNameOf(const DwgFile& file, uint16_t type);

}  // namespace brevant::dwg
