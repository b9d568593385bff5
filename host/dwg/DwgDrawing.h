// A whole release-15 drawing read into memory: the file's sections and every
// object of its map, with the lookups the DXF form needs (objects by handle,
// the names of blocks, layers, linetypes, text styles and applications).
#pragma once

#include "DwgObjects.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace brevant::dwg {

class Drawing {
public:
    bool read(const uint8_t* data, size_t size, std::string& error);

    const DwgFile& file() const { return m_file; }
    const std::vector<DwgObject>& objects() const { return m_objects; }
    // The object with the handle, or nullptr when the map has none.
    const DwgObject* find(uint64_t handle) const;
    size_t indexOf(const DwgObject& object) const { return size_t(&object - m_objects.data()); }
    template <typename T>
    const T* dataOf(uint64_t handle) const {
        const DwgObject* o = find(handle);
        return o == nullptr ? nullptr : std::get_if<T>(&o->data);
    }
    // The name of a table record (layer, linetype, style, application); empty
    // when the handle is no table record.
    std::string recordName(uint64_t handle) const;
    // A block record's name as a DXF file gives it: anonymous blocks and
    // further paper-space layouts carry a number the binary file leaves out.
    std::string blockName(uint64_t blockRecord) const;
    uint64_t modelSpace() const { return m_modelSpace; }
    uint64_t paperSpace() const { return m_paperSpace; }
    // True for the block records of paper-space layouts, active or not.
    bool isPaperLayout(uint64_t blockRecord) const;

private:
    void nameBlocks();

    DwgFile m_file;
    std::vector<DwgObject> m_objects;  // in map order, so by ascending handle
    std::unordered_map<uint64_t, std::string> m_blockNames;
    uint64_t m_modelSpace = 0;
    uint64_t m_paperSpace = 0;
};

}  // namespace brevant::dwg
