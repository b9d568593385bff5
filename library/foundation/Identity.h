// Who is working, on which computer, and which network share a drive letter
// stands for. None of these fails: a name that cannot be had is "Unknown", a
// connection that cannot be had is "".
#pragma once

#include <afx.h>

namespace Pellam {
namespace Util {

// The current network user.
CString getUserName();
// The computer's NetBIOS name.
CString getComputerName();
// The remote name (a server share) of the network drive chDrive, also while a
// remembered drive is disconnected; "" for a local or unknown drive.
CString getDriveConnection(TCHAR chDrive);

}  // namespace Util
}  // namespace Pellam
