#include "core/RxDictionary.h"

namespace brevant::host {

const char* RxDictionary::className() const {
    return "AcRxDictionary";
}

AcRxObject* RxDictionary::at(const char* key) const {
    if (key == nullptr) {
        return nullptr;
    }
    auto it = m_entries.find(key);
    return it == m_entries.end() ? nullptr : it->second;
}

AcRxObject* RxDictionary::atPut(const char* key, AcRxObject* pObject) {
    if (key == nullptr) {
        return nullptr;
    }
    AcRxObject*& slot = m_entries[key];
    AcRxObject* previous = slot;
    slot = pObject;
    return previous;
}

AcRxObject* RxDictionary::remove(const char* key) {
    if (key == nullptr) {
        return nullptr;
    }
    auto it = m_entries.find(key);
    if (it == m_entries.end()) {
        return nullptr;
    }
    AcRxObject* previous = it->second;
    m_entries.erase(it);
    return previous;
}

bool RxDictionary::has(const char* key) const {
    return key != nullptr && m_entries.count(key) != 0;
}

Adesk::UInt32 RxDictionary::numEntries() const {
    return (Adesk::UInt32)m_entries.size();
}

}  // namespace brevant::host
