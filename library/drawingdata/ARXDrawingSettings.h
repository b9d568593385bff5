// The settings store of a drawing database: in the named-objects dictionary,
// one dictionary per application name holding one extension record per text
// record, keyed by the record's index ("0", "1", ...). Each record's data is
// one text item (group code 1).
#pragma once

#include "DrawingSettings.h"

class AcDbDatabase;

class CARXDrawingSettings : public CDrawingSettings {
public:
    CARXDrawingSettings(AcDbDatabase* pDatabase, LPCTSTR sApplication);

    // Stores every entry under its index; keys beyond the list stay.
    void write() override;
    // Reads the application's records; without a store the entries stay as
    // they were. An index that no record supplies is an empty text.
    void read() override;

private:
    AcDbDatabase* m_pDatabase;  // not owned
};

// Reads an application's records from the working database's settings store,
// or, when that holds none, from the earlier product's records. Returns 0 on
// success with iRecords set and each pszRecords[i] a _strdup copy that the
// caller releases with free; -1 on failure, with the table and the count as
// they were. pszRecords has room for iLimit entries.
int OlReadDrawingSettings(LPCTSTR sApplication, LPTSTR* pszRecords, int& iRecords, int iLimit);
