// Extension records: a list of group-coded values kept in a dictionary.
#pragma once

#include "dbmain.h"

class AcDbXrecord : public AcDbObject {
public:
    AcDbXrecord();
    const char* className() const override;
    static AcDbXrecord* cast(const AcRxObject* p) {
        return dynamic_cast<AcDbXrecord*>(const_cast<AcRxObject*>(p));
    }

    // The data as a value list that the caller releases with acutRelRb; NULL
    // (and eOk) when the record holds no data.
    Acad::ErrorStatus rbChain(resbuf** ppRb, AcDbDatabase* auxDb = nullptr) const;
    // Replaces the data (open for write). Codes must lie in 1 to 369 (not 5 or
    // 105) or be extended-data codes; eInvalidResBuf otherwise.
    Acad::ErrorStatus setFromRbChain(const resbuf& pRb, AcDbDatabase* auxDb = nullptr);
    bool isXlateReferences() const;
    AcDb::DuplicateRecordCloning mergeStyle() const;
};
