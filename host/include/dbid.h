// Object ids: the session-long names of the objects of an open drawing.
#pragma once

#include "adesk.h"
#include "dbhandle.h"

class AcDbDatabase;

class AcDbObjectId {
public:
    AcDbObjectId() = default;
    static const AcDbObjectId kNull;

    bool isNull() const { return m_pDb == nullptr; }
    // Names an object of a database that is still open.
    bool isValid() const;
    bool isErased() const;
    AcDbDatabase* database() const { return m_pDb; }
    AcDbHandle handle() const;

    bool operator==(const AcDbObjectId& id) const {
        return m_pDb == id.m_pDb && m_index == id.m_index;
    }
    bool operator!=(const AcDbObjectId& id) const { return !(*this == id); }
    bool operator<(const AcDbObjectId& id) const {
        return m_pDb != id.m_pDb ? m_pDb < id.m_pDb : m_index < id.m_index;
    }
    bool operator>(const AcDbObjectId& id) const { return id < *this; }
    bool operator<=(const AcDbObjectId& id) const { return !(id < *this); }
    bool operator>=(const AcDbObjectId& id) const { return !(*this < id); }

    // Host side: the database and the object's place in its store.
    AcDbObjectId(AcDbDatabase* pDb, Adesk::UInt32 index) : m_pDb(pDb), m_index(index) {}
    Adesk::UInt32 recordIndex() const { return m_index; }

private:
    AcDbDatabase* m_pDb = nullptr;
    Adesk::UInt32 m_index = 0;
};
