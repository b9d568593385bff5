// The earlier product's settings records: extended data of one entity of the
// drawing, the carrier. Its application's data holds, after the 1001 item,
// one item that is not examined, the text "TERNISSETTINGS", the number of
// records and one text per record. The carrier's handle is cached per drawing;
// the first suitable entity may hold a cache marker ("TERNISSETTINGS-CACHE"
// and the carrier's handle). Everything works on the working database and
// only reads.
#pragma once

#include <afx.h>

#include "adscodes.h"

// Reads the records into pszRecords (room for iLimit entries): 0 with
// iRecords set and each entry a _strdup copy that the caller frees; 0 with
// nothing set when the carrier holds no records; -1 on failure, with the
// table and the count as they were.
int ReadDrawingSettingsEnt(LPCTSTR sApplication, LPTSTR* pszRecords, int& iRecords, int iLimit);
// Finds the carrier: through the cache, through the first suitable entity,
// then by scanning the whole drawing. 0 when found, -1 otherwise.
int FindDrawingSettingsEnt(LPCTSTR sApplication, ads_name eCarrier);
// The first entity of a suitable type, the very first entity of the drawing
// left out: RTNORM when found, RTERROR otherwise.
int FindFirstSuitableEnt(ads_name eEntity);
// The carrier's handle cached for the working database; "" when none is.
CString getCacheHandle();
// Caches the handle for the working database; a handle already cached for it
// stays.
void setCacheHandle(LPCTSTR sHandle);
