// Inside the host: the database that the current document works on.
#pragma once

class AcDbDatabase;

namespace brevant::host {

// Set whenever the current document changes (NULL with no document).
void setWorkingDatabase(AcDbDatabase* pDatabase);
AcDbDatabase* currentWorkingDatabase();

}  // namespace brevant::host
