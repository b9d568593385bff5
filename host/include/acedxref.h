// External references in the editor.
#pragma once

#include "acadstrc.h"
#include "dbidar.h"

class AcDbDatabase;

// Resolves the given external references of the drawing again (the working
// database when pHostDb is NULL): each is looked for afresh and gets its new
// status; a resolved one brings in its drawing's layers and blocks. An empty
// array is no error. bQuiet: no command-line output.
Acad::ErrorStatus acedXrefReload(const AcDbObjectIdArray& XrefBTRids, bool bQuiet = true,
                                 AcDbDatabase* pHostDb = nullptr);
