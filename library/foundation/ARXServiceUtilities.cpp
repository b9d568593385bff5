// A named service in the editor's service dictionary.
#include "ARXServiceUtilities.h"

#include "Messages.h"
#include "rxregsvc.h"

CARXService::CARXService(LPCTSTR sServiceName) : m_sServiceName(sServiceName), m_pService(NULL) {}

CARXService::~CARXService() = default;

void CARXService::registerService() {
    LPCTSTR szServiceName = m_sServiceName;
    PELLAM_VERIFY(m_pService == NULL);
    PELLAM_VERIFY(!m_sServiceName.IsEmpty());
    PELLAM_VERIFY(!acrxServiceIsRegistered(szServiceName));

    m_pService = acrxRegisterService(szServiceName);
}

void CARXService::unregisterService() {
    LPCTSTR szServiceName = m_sServiceName;
    PELLAM_VERIFY(m_pService != NULL);
    PELLAM_VERIFY(!m_sServiceName.IsEmpty());
    PELLAM_VERIFY(acrxServiceIsRegistered(szServiceName));

    AcRxDictionary* pServices = AcRxDictionary::cast(acrxSysRegistry()->at("ServiceDictionary"));
    if (pServices != NULL) {
        AcRxObject* pRemoved = pServices->remove(szServiceName);
        delete pRemoved;
    }
    // The object went with its entry: a later registration starts afresh.
    m_pService = NULL;
}
