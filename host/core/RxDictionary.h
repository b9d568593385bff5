// Inside the host: the dictionary of named objects behind the system registry
// and the service dictionary.
#pragma once

#include "rxobject.h"

#include <map>
#include <string>

namespace brevant::host {

// Keys compare exactly, as the editor's dictionaries do. The dictionary does
// not own what it holds: remove hands the object back to the caller.
class RxDictionary : public AcRxDictionary {
public:
    const char* className() const override;
    AcRxObject* at(const char* key) const override;
    AcRxObject* atPut(const char* key, AcRxObject* pObject) override;
    AcRxObject* remove(const char* key) override;
    bool has(const char* key) const override;
    Adesk::UInt32 numEntries() const override;

private:
    std::map<std::string, AcRxObject*> m_entries;
};

}  // namespace brevant::host
