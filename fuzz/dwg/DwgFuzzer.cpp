// Feeds arbitrary bytes to the binary drawing reader. Whatever it accepts must
// load into the drawing store: the DXF form it gives is the reader's promise,
// so a form the store refuses is a fault of the reader and stops the run.
#include "db/DbInternal.h"
#include "dwg/DwgReader.h"

#include "dbsymtb.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<char> text;
    std::string error;
    if (!brevant::dwg::readDwg(data, size, text, error))
        return 0;
    AcDbDatabase db(false);
    if (!db.impl()->load(std::move(text), error)) {
        std::fprintf(stderr, "the store refuses the reader's DXF form: %s\n", error.c_str());
        std::abort();
    }
    AcDbBlockTable* pTable = nullptr;
    if (db.getBlockTable(pTable, AcDb::kForRead) == Acad::eOk) {
        AcDbBlockTableIterator* it = nullptr;
        pTable->newIterator(it);
        for (; !it->done(); it->step()) {
            AcDbBlockTableRecord* pRec = nullptr;
            if (it->getRecord(pRec, AcDb::kForRead) != Acad::eOk)
                continue;
            const char* name = nullptr;
            pRec->getName(name);
            pRec->pathName(name);
            pRec->close();
        }
        delete it;
        pTable->close();
    }
    return 0;
}
