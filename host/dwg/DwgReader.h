// The drawing store's reader of release-15 (AC1015) binary drawing files.
//
// It gives the drawing as the text of a DXF file of the same release: the
// sections HEADER, CLASSES, TABLES, BLOCKS, ENTITIES and OBJECTS with the
// records, handles, owners and extended data a DXF file of that drawing
// holds, so that a binary drawing is loaded as "read it into tags, then the
// same structure pass as a DXF file". Records the editor does not model keep
// only their common part (type, handle, owner, layer, extended data).
//
// A damaged or unsupported file is refused with a text that names the section
// and the file offset ("object map, offset 0x8F3A: ..."); other releases are
// refused with their release named.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace brevant::dwg {

// True when the bytes start with a binary drawing's release mark ("AC" and
// four digits), whatever the release.
bool looksLikeDwg(const uint8_t* data, size_t size);

// Reads the drawing in data[0, size) and appends its DXF text (lines ended
// by carriage return and line feed) to dxf. On failure returns false, sets
// error and leaves dxf as it was.
bool readDwg(const uint8_t* data, size_t size, std::vector<char>& dxf, std::string& error);

}  // namespace brevant::dwg
