// What the DXF form calls things the binary file stores as numbers: code
// pages, line weights, and the subclass markers of entities.
#pragma once

#include <cstdint>
#include <vector>

namespace brevant::dwg {

// The DXF name of the code page an index of the file header stands for.
const char* codePageName(uint16_t index);
// Line weights by the index the file stores, in hundredths of a millimetre;
// -1 BYLAYER, -2 BYBLOCK, -3 the default.
int lineWeight(unsigned index);
// The subclass markers of an entity type written with its common part only:
// readers of DXF expect them even where no data follows.
std::vector<const char*> subclassesOf(uint16_t type);

}  // namespace brevant::dwg
