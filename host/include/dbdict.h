// Dictionaries: named objects kept under text keys, among them the drawing's
// named-objects dictionary.
#pragma once

#include "dbmain.h"

class AcDbDictionaryIterator;

class AcDbDictionary : public AcDbObject {
public:
    AcDbDictionary();
    const char* className() const override;
    static AcDbDictionary* cast(const AcRxObject* p) {
        return dynamic_cast<AcDbDictionary*>(const_cast<AcRxObject*>(p));
    }

    // Keys compare without regard to letter case. eKeyNotFound when absent.
    Acad::ErrorStatus getAt(const char* entryName, AcDbObject*& entryObj,
                            AcDb::OpenMode mode) const;
    Acad::ErrorStatus getAt(const char* entryName, AcDbObjectId& entryId) const;
    Acad::ErrorStatus nameAt(AcDbObjectId objId, char*& entryName) const;
    bool has(const char* entryName) const;
    bool has(AcDbObjectId objId) const;
    Adesk::UInt32 numEntries() const;
    // Removes the entry (the dictionary must be open for write); the object
    // stays in the database without owner.
    Acad::ErrorStatus remove(const char* key);
    Acad::ErrorStatus remove(const char* key, AcDbObjectId& returnId);
    Acad::ErrorStatus remove(AcDbObjectId objId);
    // Stores an object under the key (open for write). A new object is added
    // to the database and owned by the dictionary; it stays open for write.
    // An entry already under the key is erased and replaced.
    Acad::ErrorStatus setAt(const char* srchKey, AcDbObject* newValue, AcDbObjectId& retObjId);
    bool isTreatElementsAsHard() const;
    // The entries in key order (byte order of the upper-cased keys); the
    // caller deletes it.
    AcDbDictionaryIterator* newIterator() const;
};

class AcDbDictionaryIterator {
public:
    virtual ~AcDbDictionaryIterator();
    // The entry's key, valid until the iterator steps.
    const char* name() const;
    Acad::ErrorStatus getObject(AcDbObject*& pObject, AcDb::OpenMode openMode);
    AcDbObjectId objectId() const;
    bool done() const;
    bool next();

    // Host side: an iterator over key/id pairs.
    struct Entry;
    AcDbDictionaryIterator(Entry* entries, int count);

private:
    Entry* m_entries;
    int m_count;
    int m_pos = 0;
};
