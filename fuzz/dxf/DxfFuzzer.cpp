// Feeds arbitrary bytes, text or binary DXF, to the drawing store's reader; a
// drawing that loads is then walked the way the module walks one: tables,
// block references and their attributes, dictionaries, entity lists. Bytes
// that do not load are recovered as RECOVER does, and what the mending gives
// must then load: a recovered drawing is a sound one.
#include "db/DbInternal.h"
#include "dxf/DxfRecover.h"

#include "acutmem.h"
#include "adslib.h"
#include "dbapserv.h"
#include "dbdict.h"
#include "dbents.h"
#include "dbsymtb.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AcDbDatabase db(false);
    std::vector<char> buffer(data, data + size);
    std::string error;
    if (!db.impl()->load(std::move(buffer), error)) {
        std::vector<char> mended;
        std::vector<std::string> changes;
        if (!brevant::dxf::recoverTags(std::vector<char>(data, data + size), mended, changes,
                                       error)) {
            return 0;
        }
        if (!db.impl()->load(std::move(mended), error)) {
            std::fprintf(stderr, "a recovered drawing does not load: %s\n", error.c_str());
            std::abort();
        }
    }
    AcDbBlockTable* pTable = nullptr;
    if (db.getBlockTable(pTable, AcDb::kForRead) == Acad::eOk) {
        AcDbBlockTableIterator* it = nullptr;
        pTable->newIterator(it);
        for (; !it->done(); it->step()) {
            AcDbBlockTableRecord* pRec = nullptr;
            if (it->getRecord(pRec, AcDb::kForRead) != Acad::eOk) {
                continue;
            }
            const char* text = nullptr;
            pRec->getName(text);
            pRec->pathName(text);
            pRec->isAnonymous();
            pRec->isLayout();
            AcDbObjectIdArray ids;
            pRec->getBlockReferenceIds(ids);
            for (const AcDbObjectId& id : ids) {
                AcDbBlockReference* pRef = nullptr;
                if (acdbOpenObject(pRef, id, AcDb::kForRead) != Acad::eOk) {
                    continue;
                }
                AcDbObjectIterator* attrs = pRef->attributeIterator();
                for (; !attrs->done(); attrs->step()) {
                    AcDbAttribute* pAttr = nullptr;
                    if (acdbOpenObject(pAttr, attrs->objectId(), AcDb::kForRead) != Acad::eOk) {
                        continue;
                    }
                    char* tag = pAttr->tag();
                    acutDelString(tag);
                    pAttr->position();
                    pAttr->close();
                }
                delete attrs;
                pRef->close();
            }
            pRec->close();
        }
        delete it;
        pTable->close();
    }
    char* project = nullptr;
    db.getProjectName(project);
    acutDelString(project);
    acdbHostApplicationServices()->setWorkingDatabase(&db);
    ads_name ent;
    int steps = 0;
    for (int rc = acdbEntNext(nullptr, ent); rc == RTNORM && steps < 10000;
         rc = acdbEntNext(ent, ent), ++steps) {
        resbuf* all = acutBuildList(RTSTR, "*", 0);
        acutRelRb(acdbEntGetX(ent, all));
        acutRelRb(all);
    }
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    return 0;
}
