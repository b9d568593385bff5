// Services shared by the files kept beside a drawing: the refresh broadcast
// that tells the document manager a drawing's side files have changed, and
// the drawing's docinfo folder that holds them.
#pragma once

#include <afx.h>

namespace Pellam {

// The refresh message "Pellam-Brevant", registered while the module runs.
void registerRefreshMessage();
void unregisterRefreshMessage();
// The number of the registered refresh message; 0 while none is registered.
UINT getRefreshMessage();
// Posts the refresh message to every top-level window without waiting for any
// of them; does nothing while no message is registered.
void refreshDocumentManager();

// The docinfo folder beside the drawing sPath (ending in a backslash), made
// with its missing parents when it does not exist; "" after a host error
// message when it cannot be made.
CString getDocInfoDirectory(LPCTSTR sPath);

}  // namespace Pellam
