// Symbol tables (blocks, layers, registered applications, text styles), their
// records and iterators.
#pragma once

#include "dbmain.h"
#include "dbidar.h"

class AcDbSymbolTableRecord;
class AcDbSymbolTableIterator;

class AcDbSymbolTable : public AcDbObject {
public:
    const char* className() const override;
    static AcDbSymbolTable* cast(const AcRxObject* p) {
        return dynamic_cast<AcDbSymbolTable*>(const_cast<AcRxObject*>(p));
    }

    // Names compare without regard to letter case. eKeyNotFound when there is
    // no such record; an erased record counts only with getErased/openErased.
    Acad::ErrorStatus getAt(const char* entryName, AcDbSymbolTableRecord*& pRec,
                            AcDb::OpenMode openMode, bool openErasedRec = false) const;
    Acad::ErrorStatus getAt(const char* entryName, AcDbObjectId& recordId,
                            bool getErasedRecord = false) const;
    bool has(const char* name) const;
    bool has(AcDbObjectId id) const;
    // The records in table order; the caller deletes the iterator.
    Acad::ErrorStatus newIterator(AcDbSymbolTableIterator*& pIterator, bool atBeginning = true,
                                  bool skipDeleted = true) const;
    // Adds a new record (the table must be open for write); the record then
    // belongs to the database and stays open for write until closed.
    // eDuplicateRecord when the name is taken, eInvalidInput without a name.
    Acad::ErrorStatus add(AcDbSymbolTableRecord* pRecord);
    Acad::ErrorStatus add(AcDbObjectId& recordId, AcDbSymbolTableRecord* pRecord);

protected:
    AcDbSymbolTable() = default;
};

class AcDbSymbolTableIterator {
public:
    virtual ~AcDbSymbolTableIterator();
    void start(bool atBeginning = true, bool skipDeleted = true);
    bool done() const;
    Acad::ErrorStatus getRecordId(AcDbObjectId& id) const;
    Acad::ErrorStatus getRecord(AcDbSymbolTableRecord*& pRecord, AcDb::OpenMode openMode,
                                bool openErasedRec = false) const;
    void step(bool forward = true, bool skipDeleted = true);
    Acad::ErrorStatus seek(AcDbObjectId id);

    // Host side: an iterator over the given records.
    AcDbSymbolTableIterator(const AcDbObjectIdArray& ids, bool atBeginning, bool skipDeleted);

private:
    void skip(bool forward);
    AcDbObjectIdArray m_ids;
    int m_pos;
    bool m_skipDeleted;
};

class AcDbSymbolTableRecord : public AcDbObject {
public:
    const char* className() const override;
    static AcDbSymbolTableRecord* cast(const AcRxObject* p) {
        return dynamic_cast<AcDbSymbolTableRecord*>(const_cast<AcRxObject*>(p));
    }

    // The name as a copy that the caller releases with acutDelString.
    Acad::ErrorStatus getName(char*& pName) const;
    // The name as a text that the record owns, valid while it is open.
    Acad::ErrorStatus getName(const char*& pName) const;
    Acad::ErrorStatus setName(const char* pName);
    // Dependent on an external reference (flag 16), and resolved (flag 32).
    bool isDependent() const;
    bool isResolved() const;

protected:
    AcDbSymbolTableRecord(const char* dxfName, const char* const* subclassMarkers);
};

class AcDbBlockTableRecord;
class AcDbBlockTableIterator;

class AcDbBlockTable : public AcDbSymbolTable {
public:
    const char* className() const override;
    static AcDbBlockTable* cast(const AcRxObject* p) {
        return dynamic_cast<AcDbBlockTable*>(const_cast<AcRxObject*>(p));
    }
    using AcDbSymbolTable::getAt;
    using AcDbSymbolTable::newIterator;
    Acad::ErrorStatus getAt(const char* entryName, AcDbBlockTableRecord*& pRec,
                            AcDb::OpenMode openMode, bool openErasedRec = false) const;
    Acad::ErrorStatus newIterator(AcDbBlockTableIterator*& pIterator, bool atBeginning = true,
                                  bool skipDeleted = true) const;
};

class AcDbBlockTableIterator : public AcDbSymbolTableIterator {
public:
    using AcDbSymbolTableIterator::AcDbSymbolTableIterator;
    using AcDbSymbolTableIterator::getRecord;
    Acad::ErrorStatus getRecord(AcDbBlockTableRecord*& pRecord, AcDb::OpenMode openMode,
                                bool openErasedRec = false) const;
};

class AcDbBlockTableRecord : public AcDbSymbolTableRecord {
public:
    AcDbBlockTableRecord();
    const char* className() const override;
    static AcDbBlockTableRecord* cast(const AcRxObject* p) {
        return dynamic_cast<AcDbBlockTableRecord*>(const_cast<AcRxObject*>(p));
    }

    // Anonymous blocks (flag 1: hatches, dimensions, ...).
    bool isAnonymous() const;
    // Model space and the paper-space layouts.
    bool isLayout() const;
    bool hasAttributeDefinitions() const;
    bool isFromExternalReference() const;
    bool isFromOverlayReference() const;
    // The path an external reference stores, as a text the record owns.
    Acad::ErrorStatus pathName(const char*& pPath) const;
    Acad::ErrorStatus pathName(char*& pPath) const;
    Acad::ErrorStatus setPathName(const char* pathStr);
    // The state of an external reference (kXrfNotAnXref for other blocks),
    // worked out when the drawing was read and by acedXrefReload.
    AcDb::XrefStatus xrefStatus() const;
    // The block references of this block in drawing order (file order as read,
    // then order of creation), without erased ones. directOnly: references in
    // the drawing itself, not those nested in other blocks' references.
    Acad::ErrorStatus getBlockReferenceIds(AcDbObjectIdArray& ids, bool bDirectOnly = true,
                                           bool bForceValidity = false) const;
    // Adds a new entity to the block (open for write); it then belongs to the
    // database and stays open for write until closed.
    Acad::ErrorStatus appendAcDbEntity(AcDbEntity* pEntity);
    Acad::ErrorStatus appendAcDbEntity(AcDbObjectId& pOutputId, AcDbEntity* pEntity);
};

#define BREVANT_DECLARE_TABLE(TABLE, ITERATOR, RECORD)                                         \
    class RECORD;                                                                              \
    class ITERATOR : public AcDbSymbolTableIterator {                                          \
    public:                                                                                    \
        using AcDbSymbolTableIterator::AcDbSymbolTableIterator;                                \
        using AcDbSymbolTableIterator::getRecord;                                              \
        Acad::ErrorStatus getRecord(RECORD*& pRecord, AcDb::OpenMode openMode,                 \
                                    bool openErasedRec = false) const;                         \
    };                                                                                         \
    class TABLE : public AcDbSymbolTable {                                                     \
    public:                                                                                    \
        const char* className() const override;                                                \
        static TABLE* cast(const AcRxObject* p) {                                              \
            return dynamic_cast<TABLE*>(const_cast<AcRxObject*>(p));                           \
        }                                                                                      \
        using AcDbSymbolTable::getAt;                                                          \
        using AcDbSymbolTable::newIterator;                                                    \
        Acad::ErrorStatus getAt(const char* entryName, RECORD*& pRec, AcDb::OpenMode openMode, \
                                bool openErasedRec = false) const;                             \
        Acad::ErrorStatus newIterator(ITERATOR*& pIterator, bool atBeginning = true,           \
                                      bool skipDeleted = true) const;                          \
    };

BREVANT_DECLARE_TABLE(AcDbLayerTable, AcDbLayerTableIterator, AcDbLayerTableRecord)
BREVANT_DECLARE_TABLE(AcDbRegAppTable, AcDbRegAppTableIterator, AcDbRegAppTableRecord)
BREVANT_DECLARE_TABLE(AcDbTextStyleTable, AcDbTextStyleTableIterator, AcDbTextStyleTableRecord)

class AcDbLayerTableRecord : public AcDbSymbolTableRecord {
public:
    AcDbLayerTableRecord();
    const char* className() const override;
    static AcDbLayerTableRecord* cast(const AcRxObject* p) {
        return dynamic_cast<AcDbLayerTableRecord*>(const_cast<AcRxObject*>(p));
    }
    bool isFrozen() const;
    bool isOff() const;
    bool isLocked() const;
};

class AcDbRegAppTableRecord : public AcDbSymbolTableRecord {
public:
    AcDbRegAppTableRecord();
    const char* className() const override;
    static AcDbRegAppTableRecord* cast(const AcRxObject* p) {
        return dynamic_cast<AcDbRegAppTableRecord*>(const_cast<AcRxObject*>(p));
    }
};

class AcDbTextStyleTableRecord : public AcDbSymbolTableRecord {
public:
    AcDbTextStyleTableRecord();
    const char* className() const override;
    static AcDbTextStyleTableRecord* cast(const AcRxObject* p) {
        return dynamic_cast<AcDbTextStyleTableRecord*>(const_cast<AcRxObject*>(p));
    }
};

// Any other table's record (line types, views, dimension styles, ...).
class AcDbOtherTableRecord : public AcDbSymbolTableRecord {
public:
    AcDbOtherTableRecord();
};
class AcDbOtherTable : public AcDbSymbolTable {};
