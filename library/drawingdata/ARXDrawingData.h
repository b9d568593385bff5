// The drawing data record bound to an open drawing database.
#pragma once

#include <afx.h>

namespace Pellam {

class CARXDrawingData {
public:
    // Whether sPath (a full path or a bare file name) is a drawing with a name
    // of its own: its extension is "dwg" in any letter case, and its title is
    // not one of the editor's default names ("drawing" with or without
    // digits, "unnamed drawing", in any letter case).
    static bool isValidFileName(LPCTSTR sPath);
};

}  // namespace Pellam
