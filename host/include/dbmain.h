// The drawing database, its objects and entities, and opening objects by id.
//
// Objects live in their database. Opening one (acdbOpenAcDbObject, a table's
// getAt, an iterator's getRecord) gives a pointer that stays usable until the
// matching close(); several readers may hold an object at once, a writer
// holds it alone. A new object (operator new) is open for write; once added to
// a database (a table's add, a dictionary's setAt, a block's appendAcDbEntity)
// the database owns it and the caller closes it; one never added is deleted by
// its creator.
#pragma once

#include "rxobject.h"
#include "acadstrc.h"
#include "acdb.h"
#include "adscodes.h"
#include "dbhandle.h"
#include "dbid.h"

class AcDbBlockTable;
class AcDbLayerTable;
class AcDbRegAppTable;
class AcDbTextStyleTable;
class AcDbDictionary;
class AcDbDatabase;

namespace brevant::db {
struct ObjectData;
}  // namespace brevant::db

class AcDbObject : public AcRxObject {
public:
    AcDbObject();
    ~AcDbObject() override;
    AcDbObject(const AcDbObject&) = delete;
    AcDbObject& operator=(const AcDbObject&) = delete;
    const char* className() const override;
    static AcDbObject* cast(const AcRxObject* p) {
        return dynamic_cast<AcDbObject*>(const_cast<AcRxObject*>(p));
    }

    AcDbObjectId objectId() const;
    AcDbObjectId ownerId() const;
    AcDbDatabase* database() const;
    void getAcDbHandle(AcDbHandle& handle) const;
    // The record type of the object in the drawing file ("LINE", "XRECORD", ...).
    const char* dxfName() const;

    // Ends one opening. eNotOpenForRead when the object is not open.
    Acad::ErrorStatus close();
    Acad::ErrorStatus upgradeOpen();
    Acad::ErrorStatus downgradeOpen();
    bool isReadEnabled() const;
    bool isWriteEnabled() const;
    bool isErased() const;
    bool isNewObject() const;
    // Erases (or, with false, un-erases) the object; it must be open for write.
    Acad::ErrorStatus erase(bool erasing = true);

    // Extended data. xData(app) gives the data of one application, starting with
    // its 1001 item; xData() gives that of every application; NULL when there is
    // none. The caller releases the list with acutRelRb.
    resbuf* xData(const char* regappName = nullptr) const;
    // Replaces the data of each application named in the list; an application
    // given without data loses its data. Every application must be registered
    // (eRegappIdNotFound); an object holds at most 16 KB (eXdataSizeExceeded).
    Acad::ErrorStatus setXData(const resbuf* xdata);
    AcDbObjectId extensionDictionary() const;

    // Host side: the object's state and tags.
    brevant::db::ObjectData* hostData() const { return m_pData; }

protected:
    // dxfName: the record type of a new object; tags: its tags after the type.
    AcDbObject(const char* dxfName, const char* const* subclassMarkers);
    Acad::ErrorStatus assertReadEnabled() const;
    Acad::ErrorStatus assertWriteEnabled() const;

private:
    brevant::db::ObjectData* m_pData;
};

class AcDbEntity : public AcDbObject {
public:
    AcDbEntity();
    const char* className() const override;
    static AcDbEntity* cast(const AcRxObject* p) {
        return dynamic_cast<AcDbEntity*>(const_cast<AcRxObject*>(p));
    }

    // The block table record that owns the entity.
    AcDbObjectId blockId() const;
    // The layer's name; the caller releases it with acutDelString.
    char* layer() const;
    Acad::ErrorStatus setLayer(const char* newVal);

protected:
    AcDbEntity(const char* dxfName, const char* const* subclassMarkers);
};

class AcDbDatabase : public AcRxObject {
public:
    // buildDefaultDrawing: a new drawing with the default tables and layouts;
    // false: an empty database for readDwgFile.
    explicit AcDbDatabase(bool buildDefaultDrawing = true, bool noDocument = false);
    ~AcDbDatabase() override;
    const char* className() const override;

    // Reads a drawing file. The editor keeps drawings as ASCII DXF whatever the
    // extension; a malformed file gives an error status and a text naming the
    // line (lastErrorText), and leaves the database as it was.
    Acad::ErrorStatus readDwgFile(const char* fileName);
    // Writes the drawing to the file, in the release it was read in. The file is
    // written beside the target and renamed over it at the end, so a failed
    // save leaves the old file whole.
    Acad::ErrorStatus saveAs(const char* fileName);

    // The name the drawing was last read from or saved to; eNoFileName for a
    // new drawing that was never saved.
    Acad::ErrorStatus getFilename(const char*& pOutput) const;
    // The name the drawing was first read from ("" for a new drawing).
    const char* originalFileName() const;

    // The project name kept in the drawing. getProjectName hands out a copy
    // that the caller releases with acutDelString.
    Acad::ErrorStatus getProjectName(char*& pOutput) const;
    Acad::ErrorStatus setProjectName(const char* pValue);

    // Symbol tables and the named-objects dictionary, opened in the given mode.
    Acad::ErrorStatus getSymbolTable(AcDbBlockTable*& pTable, AcDb::OpenMode mode);
    Acad::ErrorStatus getSymbolTable(AcDbLayerTable*& pTable, AcDb::OpenMode mode);
    Acad::ErrorStatus getSymbolTable(AcDbRegAppTable*& pTable, AcDb::OpenMode mode);
    Acad::ErrorStatus getSymbolTable(AcDbTextStyleTable*& pTable, AcDb::OpenMode mode);
    Acad::ErrorStatus getBlockTable(AcDbBlockTable*& pTable, AcDb::OpenMode mode);
    Acad::ErrorStatus getLayerTable(AcDbLayerTable*& pTable, AcDb::OpenMode mode);
    Acad::ErrorStatus getRegAppTable(AcDbRegAppTable*& pTable, AcDb::OpenMode mode);
    Acad::ErrorStatus getTextStyleTable(AcDbTextStyleTable*& pTable, AcDb::OpenMode mode);
    Acad::ErrorStatus getNamedObjectsDictionary(AcDbDictionary*& pDict, AcDb::OpenMode mode);
    AcDbObjectId blockTableId() const;
    AcDbObjectId layerTableId() const;
    AcDbObjectId regAppTableId() const;
    AcDbObjectId textStyleTableId() const;
    AcDbObjectId namedObjectsDictionaryId() const;

    // The next handle a new object gets; every handle of the drawing is below it.
    AcDbHandle handseed() const;
    // The object with a handle; eUnknownHandle when there is none.
    Acad::ErrorStatus getAcDbObjectId(AcDbObjectId& retId, bool createIfNotFound,
                                      const AcDbHandle& objHandle, Adesk::UInt32 xRefId = 0);

    // Host side: the reason the last readDwgFile or saveAs failed, and the
    // Windows error code behind it (ERROR_SUCCESS when the file calls did not
    // fail: the name was empty, or the file is no drawing).
    const char* lastErrorText() const;
    unsigned long lastFileError() const;
    // Host side: the drawing's release ("AC1015"), from its $ACADVER.
    const char* dxfVersion() const;
    // Host side: true once anything was changed since the last read or save.
    bool isModified() const;

    struct Impl;
    Impl* impl() const { return m_pImpl; }
    // Host side: takes a freshly read store in place of the one it has.
    void replaceImpl(Impl* pImpl);

private:
    Impl* m_pImpl;
};

// Opens an object (or an entity) by id. Errors: eNullObjectId, eWasErased (an
// erased object, unless openErased), eWasOpenForWrite (open for write
// elsewhere), eWasOpenForRead (write asked while readers hold it),
// eNotAnEntity (acdbOpenAcDbEntity on a non-entity), eNoDatabase (the
// database is gone).
Acad::ErrorStatus acdbOpenAcDbObject(AcDbObject*& pObj, AcDbObjectId id, AcDb::OpenMode mode,
                                     bool openErasedObject = false);
Acad::ErrorStatus acdbOpenAcDbEntity(AcDbEntity*& pEnt, AcDbObjectId id, AcDb::OpenMode mode,
                                     bool openErasedEntity = false);

// Opens an object as the class asked for; eNotThatKindOfClass when it is not one.
template <class T>
Acad::ErrorStatus acdbOpenObject(T*& pObj, AcDbObjectId id, AcDb::OpenMode mode,
                                 bool openErased = false) {
    AcDbObject* pBase = nullptr;
    pObj = nullptr;
    Acad::ErrorStatus es = acdbOpenAcDbObject(pBase, id, mode, openErased);
    if (es != Acad::eOk) {
        return es;
    }
    pObj = dynamic_cast<T*>(pBase);
    if (pObj == nullptr) {
        pBase->close();
        return Acad::eNotThatKindOfClass;
    }
    return Acad::eOk;
}

// Entity names of the entity-list interface and object ids.
Acad::ErrorStatus acdbGetObjectId(AcDbObjectId& objId, const ads_name objName);
Acad::ErrorStatus acdbGetAdsName(ads_name objName, AcDbObjectId objId);
