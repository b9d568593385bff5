// A named service in the editor's service dictionary, which other modules can
// test for to learn that this module is loaded.
#pragma once

#include <afx.h>

class AcRxObject;

class CARXService {
public:
    explicit CARXService(LPCTSTR sServiceName);
    virtual ~CARXService();

    // Creates the service object under the name in the service dictionary.
    void registerService();
    // Removes the name from the service dictionary and deletes its object.
    void unregisterService();

    const CString& getServiceName() const { return m_sServiceName; }
    bool isRegistered() const { return m_pService != NULL; }

private:
    CString m_sServiceName;
    AcRxObject* m_pService;
};
