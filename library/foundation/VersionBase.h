// A file's version resource: loading it into memory and finding its named
// string values ("CompanyName", "ProductName", ...).
#pragma once

#include <afx.h>

#include <map>

namespace Pellam {

// Names already found, with their values; names not found are not kept.
typedef std::map<CString, CString> VersionValueCache;

// The whole version resource of the file, or NULL when it has none. The
// caller releases it with freeVersionData.
LPBYTE readVersionData(LPCTSTR sFilePath);
void freeVersionData(LPBYTE pVersionBuffer);

// The named string of the resource's first translation, or "" when the
// resource has no such value. Found values are answered from the cache later.
CString queryVersionString(LPCTSTR sName, LPCVOID pVersionBuffer, VersionValueCache& mapCache);

}  // namespace Pellam
