#include "editor/Working.h"

#include "dbapserv.h"

namespace brevant::host {

// The editor's working database is the host application services' one.
void setWorkingDatabase(AcDbDatabase* pDatabase) {
    acdbHostApplicationServices()->setWorkingDatabase(pDatabase);
}

AcDbDatabase* currentWorkingDatabase() {
    return acdbHostApplicationServices()->workingDatabase();
}

}  // namespace brevant::host
