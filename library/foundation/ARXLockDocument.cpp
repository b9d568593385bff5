// The scoped document lock. A failed lock or unlock is reported as a failed
// check and the caller's change goes on all the same.
#include "ARXLockDocument.h"

#include "AcadARXUtil.h"
#include "Messages.h"
#include "acdocman.h"

namespace {

// The names under which the checks of this module are reported.
typedef CAutoCADUtil AcadARX;

bool isLocked() {
    return CAutoCADUtil::isLocked();
}

}  // namespace

CARXLockDocument::CARXLockDocument()
    : m_bApplicationContext(acDocManager->isApplicationContext()),
      m_bWasLocked(isLocked()),
      m_bLockedHere(m_bApplicationContext && !m_bWasLocked) {
    if (m_bLockedHere) {
        PELLAM_VERIFY(!isLocked());
        PELLAM_VERIFY(AcadARX::lockDocument());
        PELLAM_VERIFY(isLocked());
    }
}

CARXLockDocument::~CARXLockDocument() {
    if (m_bLockedHere) {
        PELLAM_VERIFY(isLocked());
        AcadARX::unlockDocument();
        PELLAM_VERIFY(!isLocked());
    }
}
