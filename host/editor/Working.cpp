#include "editor/Working.h"

namespace brevant::host {

namespace {
AcDbDatabase* g_pWorkingDatabase = nullptr;
}

void setWorkingDatabase(AcDbDatabase* pDatabase) {
    g_pWorkingDatabase = pDatabase;
}

AcDbDatabase* currentWorkingDatabase() {
    return g_pWorkingDatabase;
}

}  // namespace brevant::host
