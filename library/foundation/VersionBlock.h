// The module's own version resource, loaded once at start-up and asked for
// named values (company, product and internal name).
#pragma once

#include <afx.h>

#include "VersionBase.h"

namespace Pellam {

class CVersionBlock {
public:
    // Loads the version data of the module's own file; false when it has none.
    static bool initialise();
    // Releases the data (and the values found in it).
    static void terminate();
    // The named string value; "" when the block is not loaded or lacks it.
    static CString getValue(LPCTSTR sName);

private:
    static bool m_bInitialised;
    static LPBYTE m_pVersionData;
    static VersionValueCache m_mapValues;
};

}  // namespace Pellam
