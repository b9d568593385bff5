// Services shared by the files kept beside a drawing: the refresh broadcast
// that tells the document manager a drawing's side files have changed, the
// drawing's docinfo folder that holds them, and the drawing's preview image
// copied from the saved drawing file into its drawing information file.
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

// Writes the DWGTHUMBNAIL section of the drawing information file: the
// preview bitmap stored in the saved drawing file sPath, as a whole bitmap
// file, Base64-encoded. False, and nothing written, when the drawing file
// holds no usable preview. Every offset, count and size is taken from the
// drawing file and checked against its length before it is used.
bool dumpDrawingPreview(LPCTSTR sPath, CStdioFile& file);

// The number of colour-table entries of a bitmap with the bit count and the
// colours-used value of its information header.
DWORD colorTableEntries(WORD wBitCount, DWORD dwColorsUsed);

}  // namespace Pellam
