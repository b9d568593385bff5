// Library initialisation: the application name and the module instance handle.
#pragma once

#include <afx.h>

extern bool G_bLibraryInitialised;

namespace Pellam {

void initialiseLibrary(LPCTSTR sApplicationName, HINSTANCE hInstance);
CString getApplicationName();
HINSTANCE& getModuleInstance();

}  // namespace Pellam
