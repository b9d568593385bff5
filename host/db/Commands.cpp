// The database operations behind the editor's commands that make and change
// drawings: blocks with attributes, references, attribute edits, external
// references, erasing and registering applications.
#include "DbInternal.h"

#include "acedxref.h"
#include "acutmem.h"
#include "dbents.h"
#include "dbsymtb.h"
#include "hostdb.h"

#include <cstring>

using namespace brevant::db;
using brevant::dxf::OwnedTag;

namespace brevant::host {

Acad::ErrorStatus defineBlock(AcDbDatabase* pDb, const char* blockName,
                              const std::vector<std::pair<std::string, std::string>>& attdefs,
                              AcDbObjectId& blockId) {
    blockId = AcDbObjectId::kNull;
    if (!isLiveDatabase(pDb) || blockName == nullptr || *blockName == '\0') {
        return Acad::eInvalidInput;
    }
    AcDbBlockTable* pTable = nullptr;
    Acad::ErrorStatus es = pDb->getBlockTable(pTable, AcDb::kForWrite);
    if (es != Acad::eOk) {
        return es;
    }
    auto* pRecord = new AcDbBlockTableRecord;
    es = pRecord->setName(blockName);
    if (es == Acad::eOk) {
        es = pTable->add(blockId, pRecord);
    }
    pTable->close();
    if (es != Acad::eOk) {
        delete pRecord;
        return es;
    }
    for (const auto& def : attdefs) {
        auto* pDef = new AcDbAttributeDefinition;
        ObjectData* d = pDef->hostData();
        if (def.first.empty() || def.first.find_first_of(" \r\n") != std::string::npos ||
            def.second.find_first_of("\r\n") != std::string::npos) {
            delete pDef;
            es = Acad::eInvalidInput;
            break;
        }
        d->set(1, def.second);
        d->set(2, def.first);
        d->set(3, def.first);
        es = pRecord->appendAcDbEntity(pDef);
        if (es != Acad::eOk) {
            delete pDef;
            break;
        }
        pDef->close();
    }
    pRecord->close();
    return es;
}

Acad::ErrorStatus insertBlock(AcDbDatabase* pDb, const char* blockName, const AcGePoint3d& position,
                              const std::vector<std::pair<std::string, std::string>>& values,
                              AcDbObjectId& referenceId, bool paperSpace) {
    referenceId = AcDbObjectId::kNull;
    if (!isLiveDatabase(pDb) || blockName == nullptr) {
        return Acad::eInvalidInput;
    }
    for (const auto& v : values) {
        if (v.first.empty() || v.first.find_first_of(" \r\n") != std::string::npos ||
            v.second.find_first_of("\r\n") != std::string::npos) {
            return Acad::eInvalidInput;
        }
    }
    AcDbDatabase::Impl* impl = pDb->impl();
    int k = impl->blockIndexByName(blockName);
    if (k < 0) {
        return Acad::eKeyNotFound;
    }
    const BlockInfo block = impl->blocks[size_t(k)];
    // The block's attribute definitions: tag and default text, in order.
    std::vector<std::pair<std::string, std::string>> defs;
    if (block.block != kNone) {
        for (uint32_t i = impl->records[block.block].next; i != kNone && i != block.endBlock;
             i = impl->records[i].next) {
            if (impl->records[i].kind == Kind::AttDef && !impl->isErased(i)) {
                defs.emplace_back(std::string(impl->valueOf(i, 2)),
                                  std::string(impl->valueOf(i, 1)));
            }
        }
    }
    std::vector<bool> used(values.size(), false);
    std::vector<std::pair<std::string, std::string>> attributes;
    for (const auto& def : defs) {
        std::string text = def.second;
        for (size_t v = 0; v < values.size(); ++v) {
            if (!used[v] && values[v].first == def.first) {
                text = values[v].second;
                used[v] = true;
                break;
            }
        }
        attributes.emplace_back(def.first, text);
    }
    for (size_t v = 0; v < values.size(); ++v) {
        if (!used[v]) {
            attributes.push_back(values[v]);
        }
    }

    AcDbBlockTable* pTable = nullptr;
    Acad::ErrorStatus es = pDb->getBlockTable(pTable, AcDb::kForRead);
    if (es != Acad::eOk) {
        return es;
    }
    AcDbBlockTableRecord* pSpace = nullptr;
    es = pTable->getAt(paperSpace ? "*Paper_Space" : "*Model_Space", pSpace, AcDb::kForWrite);
    pTable->close();
    if (es != Acad::eOk) {
        return es;
    }
    auto* pRef = new AcDbBlockReference;
    pRef->hostData()->set(2, impl->blockName(block));
    pRef->setPosition(position);
    es = pSpace->appendAcDbEntity(referenceId, pRef);
    pSpace->close();
    if (es != Acad::eOk) {
        delete pRef;
        return es;
    }
    for (const auto& a : attributes) {
        auto* pAttr = new AcDbAttribute;
        pAttr->hostData()->set(2, a.first);
        pAttr->setTextString(a.second.c_str());
        pAttr->setPosition(position);
        es = pRef->appendAttribute(pAttr);
        if (es != Acad::eOk) {
            delete pAttr;
            break;
        }
        pAttr->close();
    }
    pRef->close();
    return es;
}

Acad::ErrorStatus setAttributeValue(AcDbDatabase* pDb, const char* referenceHandle, const char* tag,
                                    const char* value) {
    if (!isLiveDatabase(pDb) || tag == nullptr || value == nullptr) {
        return Acad::eInvalidInput;
    }
    AcDbObjectId id;
    if (pDb->getAcDbObjectId(id, false, AcDbHandle(referenceHandle)) != Acad::eOk) {
        return Acad::eUnknownHandle;
    }
    AcDbBlockReference* pRef = nullptr;
    Acad::ErrorStatus es = acdbOpenObject(pRef, id, AcDb::kForRead);
    if (es != Acad::eOk) {
        return es == Acad::eNotThatKindOfClass ? Acad::eUnknownHandle : es;
    }
    AcDbObjectIterator* it = pRef->attributeIterator();
    bool found = false;
    for (; !it->done() && es == Acad::eOk; it->step()) {
        AcDbAttribute* pAttr = nullptr;
        if (acdbOpenObject(pAttr, it->objectId(), AcDb::kForWrite) != Acad::eOk) {
            continue;
        }
        char* attrTag = pAttr->tag();
        if (attrTag != nullptr && strcmp(attrTag, tag) == 0) {
            found = true;
            es = pAttr->setTextString(value);
        }
        acutDelString(attrTag);
        pAttr->close();
    }
    delete it;
    pRef->close();
    if (es != Acad::eOk) {
        return es;
    }
    return found ? Acad::eOk : Acad::eKeyNotFound;
}

Acad::ErrorStatus attachXref(AcDbDatabase* pDb, const char* blockName, const char* path,
                             const AcGePoint3d& position, AcDbObjectId& blockId, bool insert) {
    blockId = AcDbObjectId::kNull;
    if (!isLiveDatabase(pDb) || blockName == nullptr || *blockName == '\0' || path == nullptr ||
        *path == '\0' || strpbrk(path, "\r\n") != nullptr) {
        return Acad::eInvalidInput;
    }
    AcDbBlockTable* pTable = nullptr;
    Acad::ErrorStatus es = pDb->getBlockTable(pTable, AcDb::kForWrite);
    if (es != Acad::eOk) {
        return es;
    }
    auto* pRecord = new AcDbBlockTableRecord;
    pRecord->setName(blockName);
    pRecord->setPathName(path);
    es = pTable->add(blockId, pRecord);
    pTable->close();
    if (es != Acad::eOk) {
        delete pRecord;
        return es;
    }
    pRecord->close();
    if (insert) {
        AcDbObjectId refId;
        es = insertBlock(pDb, blockName, position, {}, refId);
        if (es != Acad::eOk) {
            return es;
        }
    }
    AcDbObjectIdArray ids;
    ids.append(blockId);
    return acedXrefReload(ids, true, pDb);
}

Acad::ErrorStatus eraseByHandle(AcDbDatabase* pDb, const char* handle) {
    if (!isLiveDatabase(pDb) || handle == nullptr) {
        return Acad::eInvalidInput;
    }
    AcDbObjectId id;
    if (pDb->getAcDbObjectId(id, false, AcDbHandle(handle)) != Acad::eOk) {
        return Acad::eUnknownHandle;
    }
    if (id.isErased()) {
        return Acad::eWasErased;
    }
    AcDbEntity* pEnt = nullptr;
    Acad::ErrorStatus es = acdbOpenAcDbEntity(pEnt, id, AcDb::kForWrite);
    if (es != Acad::eOk) {
        return es;
    }
    es = pEnt->erase();
    pEnt->close();
    return es;
}

Acad::ErrorStatus addText(AcDbDatabase* pDb, const char* text, const AcGePoint3d& position,
                          AcDbObjectId& textId) {
    textId = AcDbObjectId::kNull;
    if (!isLiveDatabase(pDb) || text == nullptr) {
        return Acad::eInvalidInput;
    }
    AcDbBlockTable* pTable = nullptr;
    Acad::ErrorStatus es = pDb->getBlockTable(pTable, AcDb::kForRead);
    if (es != Acad::eOk) {
        return es;
    }
    AcDbBlockTableRecord* pSpace = nullptr;
    es = pTable->getAt("*Model_Space", pSpace, AcDb::kForWrite);
    pTable->close();
    if (es != Acad::eOk) {
        return es;
    }
    auto* pText = new AcDbText;
    // A text entity: type, handle, owner, common data, then its own data.
    pText->hostData()->tags = {{0, "TEXT"}, {5, "0"},          {330, "0"},  {100, "AcDbEntity"},
                               {8, "0"},    {100, "AcDbText"}, {10, "0.0"}, {20, "0.0"},
                               {30, "0.0"}, {40, "2.5"},       {1, ""},     {100, "AcDbText"}};
    pText->setPosition(position);
    es = pText->setTextString(text);
    if (es == Acad::eOk) {
        es = pSpace->appendAcDbEntity(textId, pText);
    }
    pSpace->close();
    if (es != Acad::eOk) {
        delete pText;
        return es;
    }
    pText->close();
    return Acad::eOk;
}

Acad::ErrorStatus registerApplication(AcDbDatabase* pDb, const char* appName) {
    if (!isLiveDatabase(pDb) || appName == nullptr || *appName == '\0' ||
        strpbrk(appName, " \r\n") != nullptr) {
        return Acad::eInvalidInput;
    }
    AcDbRegAppTable* pTable = nullptr;
    Acad::ErrorStatus es = pDb->getRegAppTable(pTable, AcDb::kForWrite);
    if (es != Acad::eOk) {
        return es;
    }
    if (!pTable->has(appName)) {
        auto* pRecord = new AcDbRegAppTableRecord;
        pRecord->setName(appName);
        es = pTable->add(pRecord);
        if (es == Acad::eOk) {
            pRecord->close();
        } else {
            delete pRecord;
        }
    }
    pTable->close();
    return es;
}

}  // namespace brevant::host
