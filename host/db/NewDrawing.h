// Inside the drawing database: the content of a new drawing, release AC1015
// with layer 0, the registered application ACAD, the Standard text and
// dimension styles, the line types ByBlock, ByLayer and Continuous, model space
// and one paper-space layout, and the standard dictionaries of the
// named-objects dictionary (ACAD_GROUP, ACAD_LAYOUT, ACAD_MLINESTYLE,
// ACAD_PLOTSETTINGS, ACAD_PLOTSTYLENAME, AcDbVariableDictionary). It is the
// drawing file db/templates/NewDrawing.dxf, built into the library, and read
// like any file.
#pragma once

#include <string_view>

namespace brevant::embedded {
extern const char NewDrawing[];
extern const unsigned long NewDrawingSize;
}  // namespace brevant::embedded

namespace brevant::db {

inline std::string_view newDrawingTemplate() {
    return std::string_view(embedded::NewDrawing, embedded::NewDrawingSize);
}

}  // namespace brevant::db
