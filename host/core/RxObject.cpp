#include "rxobject.h"

AcRxObject::~AcRxObject() = default;

const char* AcRxObject::className() const {
    return "AcRxObject";
}
