// The host application's services: the working database, on which the
// entity-list interface and handle lookups work.
#pragma once

class AcDbDatabase;

class AcDbHostApplicationServices {
public:
    virtual ~AcDbHostApplicationServices() = default;
    AcDbDatabase* workingDatabase() const;
    // The editor sets it to the current document's database; code that works
    // on another drawing sets it for the time it needs and sets it back.
    void setWorkingDatabase(AcDbDatabase* pDatabase);
};

AcDbHostApplicationServices* acdbHostApplicationServices();
