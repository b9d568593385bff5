// Library initialisation: the application name that trace lines and host
// error messages begin with, and the module instance handle that finds the
// module's own file.
#include "Maintenance.h"

#include "Messages.h"

bool G_bLibraryInitialised = false;

namespace {

CString G_sApplicationName;
HINSTANCE G_hModuleInstance = NULL;

}  // namespace

namespace Pellam {

void initialiseLibrary(LPCTSTR sApplicationName, HINSTANCE hInstance) {
    PELLAM_VERIFY(!G_bLibraryInitialised);
    PELLAM_VERIFY(sApplicationName != NULL);
    PELLAM_VERIFY(CString(sApplicationName) != _T(""));

    G_sApplicationName = sApplicationName;
    G_hModuleInstance = hInstance;
    G_bLibraryInitialised = true;
}

CString getApplicationName() {
    return G_sApplicationName;
}

HINSTANCE& getModuleInstance() {
    PELLAM_VERIFY(G_bLibraryInitialised);
    return G_hModuleInstance;
}

}  // namespace Pellam
