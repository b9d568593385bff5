// The test for a drawing's own name: drawings with the editor's default names
// and files that are not drawings are not tracked.
#include <gtest/gtest.h>

#include "ARXDrawingData.h"

namespace {

TEST(ARXDrawingData, IsValidFileName) {
    struct Case {
        const char* sPath;
        bool bValid;
    } cases[] = {
        {"C:\\Jobs\\plan01.dwg", true},
        {"C:\\Jobs\\plan01.DWG", true},  // the extension in any letter case
        {"plan01.Dwg", true},            // a bare file name
        {"C:\\Jobs\\Drawing1.dwg", false},
        {"C:\\Jobs\\DRAWING.dwg", false},
        {"C:\\Jobs\\drawing12.DWG", false},
        {"C:\\Jobs\\Unnamed Drawing.dwg", false},
        {"C:\\Jobs\\mydrawing1.dwg", true},
        {"C:\\Jobs\\drawing1a.dwg", true},
        {"C:\\Jobs\\drawings.dwg", true},
        {"C:\\Jobs\\unnamed drawing2.dwg", true},
        {"C:\\Jobs\\plan01.dxf", false},
        {"C:\\Jobs\\plan01.bak", false},
        {"C:\\Jobs\\plan01", false},
        {"C:\\Jobs.dwg\\plan01", false},  // a dot in the folder is no extension
        {"C:\\Jobs\\plan.old.dwg", true},
        {"C:\\Jobs\\drawing1.old.dwg", true},
        {"", false},
        {"\\home\\ann\\jobs\\A-101.dwg", true},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Pellam::CARXDrawingData::isValidFileName(cases[i].sPath), cases[i].bValid);
    }
}

}  // namespace
