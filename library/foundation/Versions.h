// Which Windows the module runs on.
#pragma once

#include <afx.h>

// Kind 0: the Windows NT family (platform identifier 2).
bool isOSVersion(int iKind);
