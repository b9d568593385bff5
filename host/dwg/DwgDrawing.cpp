// Reading every object of a drawing, and the names records refer to.
#include "DwgDrawing.h"

#include <algorithm>

namespace brevant::dwg {

bool Drawing::read(const uint8_t* data, size_t size, std::string& error) {
    m_objects.clear();
    m_blockNames.clear();
    if (!m_file.read(data, size, error))
        return false;
    const auto& map = m_file.objectMap();
    // A record takes at least 8 bytes of the file: more map entries than
    // that can only fail, and are not made room for.
    m_objects.reserve(std::min(map.size(), size / 8));
    for (const MapEntry& entry : map) {
        m_objects.emplace_back();
        if (!readObject(m_file, entry, m_objects.back(), error))
            return false;
    }
    nameBlocks();
    return true;
}

const DwgObject* Drawing::find(uint64_t handle) const {
    if (handle == 0)
        return nullptr;
    auto it = std::lower_bound(m_objects.begin(), m_objects.end(), handle,
                               [](const DwgObject& o, uint64_t h) { return o.handle < h; });
    return (it != m_objects.end() && it->handle == handle) ? &*it : nullptr;
}

std::string Drawing::recordName(uint64_t handle) const {
    const TableEntryData* e = dataOf<TableEntryData>(handle);
    return e == nullptr ? std::string() : e->name;
}

std::string Drawing::blockName(uint64_t blockRecord) const {
    auto it = m_blockNames.find(blockRecord);
    return it == m_blockNames.end() ? recordName(blockRecord) : it->second;
}

bool Drawing::isPaperLayout(uint64_t blockRecord) const {
    if (blockRecord == 0 || blockRecord == m_modelSpace)
        return false;
    if (blockRecord == m_paperSpace)
        return true;
    const TableEntryData* e = dataOf<TableEntryData>(blockRecord);
    return e != nullptr && e->layout != 0;
}

// The binary file stores anonymous blocks as "*U", "*D", "*T" and every
// paper-space layout block as "*Paper_Space"; the DXF form numbers them by
// their place in the block table ("*D3", "*Paper_Space0"), which keeps their
// names apart. Model space and the active paper space keep their names.
void Drawing::nameBlocks() {
    const HeaderVariables& h = m_file.header();
    const ControlData* control = dataOf<ControlData>(h.blockControl);
    m_modelSpace = h.modelSpace;
    m_paperSpace = h.paperSpace;
    if (control != nullptr && control->extra.size() == 2) {
        if (m_modelSpace == 0)
            m_modelSpace = control->extra[0];
        if (m_paperSpace == 0)
            m_paperSpace = control->extra[1];
    }
    if (control == nullptr)
        return;
    for (size_t k = 0; k < control->entries.size(); ++k) {
        const uint64_t record = control->entries[k];
        if (record == m_modelSpace || record == m_paperSpace)
            continue;
        std::string name = recordName(record);
        if (!name.empty() && name[0] == '*' && !(name.back() >= '0' && name.back() <= '9'))
            m_blockNames[record] = name + std::to_string(k);
    }
}

}  // namespace brevant::dwg
