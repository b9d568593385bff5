// The run-time object root and the system registry of named services.
#pragma once

#include "adesk.h"
#include "acadstrc.h"

class AcRxObject {
public:
    virtual ~AcRxObject();
    // The name of the object's class, for example "AcRxDictionary".
    virtual const char* className() const;
};

// A dictionary of named objects; keys compare exactly.
class AcRxDictionary : public AcRxObject {
public:
    static AcRxDictionary* cast(const AcRxObject* pObject);

    virtual AcRxObject* at(const char* key) const = 0;
    // Stores the object under the key; returns the object that was there before.
    virtual AcRxObject* atPut(const char* key, AcRxObject* pObject) = 0;
    // Removes the key; returns the object that was stored under it, or NULL.
    virtual AcRxObject* remove(const char* key) = 0;
    virtual bool has(const char* key) const = 0;
    virtual Adesk::UInt32 numEntries() const = 0;
};
