// Loads a drawing and saves it again, printing one JSON line with the file's
// size, the load and save times and the process's peak memory:
//   dxf-resave IN OUT
// With --make it writes a drawing made with the editor's own calls (blocks
// with attributes, a reference carrying one tag twice, summary information,
// project name, a settings dictionary, extended data):
//   dxf-resave --make OUT
// With --recover it reads a damaged drawing as the RECOVER command does and
// prints what was mended on the error output:
//   dxf-resave --recover IN OUT
#include "acutmem.h"
#include "adslib.h"
#include "dbapserv.h"
#include "dbdict.h"
#include "dbents.h"
#include "dbsymtb.h"
#include "dbxrecrd.h"
#include "hostdb.h"
#include "summinfo.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

int make(const char* out) {
    using namespace brevant::host;
    AcDbDatabase db;
    AcDbObjectId id;
    if (defineBlock(&db, "TITLE", {{"DOCTITLE1", ""}, {"SCALE", "1:1"}}, id) != Acad::eOk ||
        defineBlock(&db, "grevn", {{"REVMARK_REV", ""}, {"REVMARK_DESC1", ""}}, id) != Acad::eOk ||
        insertBlock(&db, "TITLE", AcGePoint3d(0, 0, 0),
                    {{"DOCTITLE1", "Plan"}, {"DOCTITLE1", "Level 2"}}, id) != Acad::eOk ||
        insertBlock(&db, "grevn", AcGePoint3d(10, 0, 0), {{"REVMARK_REV", "A"}}, id) != Acad::eOk ||
        registerApplication(&db, "Pellam-Ternis-1") != Acad::eOk ||
        addText(&db, "first", AcGePoint3d(0, 20, 0), id) != Acad::eOk ||
        db.setProjectName("P-100") != Acad::eOk) {
        std::fprintf(stderr, "dxf-resave: the drawing could not be made\n");
        return 1;
    }
    AcDbObject* pObj = nullptr;
    if (acdbOpenAcDbObject(pObj, id, AcDb::kForWrite) == Acad::eOk) {
        resbuf* xd = acutBuildList(1001, "Pellam-Ternis-1", 1000, "v1", 1000, "TERNISSETTINGS",
                                   1070, 1, 1000, "_PellamDIszDwgTitle1 Plan", 0);
        pObj->setXData(xd);
        acutRelRb(xd);
        pObj->close();
    }
    AcDbDatabaseSummaryInfo* pInfo = nullptr;
    if (acdbGetSummaryInfo(&db, pInfo) == Acad::eOk) {
        pInfo->setTitle("Plan");
        pInfo->addCustomSummaryInfo("Client", "Tarvex");
        acdbPutSummaryInfo(pInfo);
        delete pInfo;
    }
    AcDbDictionary* pNod = nullptr;
    if (db.getNamedObjectsDictionary(pNod, AcDb::kForWrite) == Acad::eOk) {
        auto* pDict = new AcDbDictionary;
        AcDbObjectId dictId;
        pNod->setAt("Pellam-Ternis-1", pDict, dictId);
        pNod->close();
        for (const char* key : {"0", "1", "3"}) {
            auto* pRec = new AcDbXrecord;
            AcDbObjectId recId;
            pDict->setAt(key, pRec, recId);
            resbuf* rb = acutBuildList(1, key, 0);
            pRec->setFromRbChain(*rb);
            acutRelRb(rb);
            pRec->close();
        }
        pDict->close();
    }
    if (db.saveAs(out) != Acad::eOk) {
        std::fprintf(stderr, "dxf-resave: %s\n", db.lastErrorText());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--make") == 0) {
        return make(argv[2]);
    }
    const bool recover = argc == 4 && std::strcmp(argv[1], "--recover") == 0;
    if (recover) {
        ++argv;
    } else if (argc != 3) {
        std::fprintf(stderr, "usage: dxf-resave [--recover] IN OUT | dxf-resave --make OUT\n");
        return 2;
    }
    struct stat st;
    if (stat(argv[1], &st) != 0) {
        std::fprintf(stderr, "dxf-resave: %s: no such file\n", argv[1]);
        return 1;
    }
    auto start = std::chrono::steady_clock::now();
    AcDbDatabase db(false);
    const Acad::ErrorStatus read =
        recover ? brevant::host::recoverDrawing(&db, argv[1]) : db.readDwgFile(argv[1]);
    for (const std::string& repair : brevant::host::loadRepairs(&db)) {
        std::fprintf(stderr, "%s\n", repair.c_str());
    }
    if (read != Acad::eOk) {
        std::fprintf(stderr, "dxf-resave: %s\n", db.lastErrorText());
        return 1;
    }
    double load = seconds(start);
    start = std::chrono::steady_clock::now();
    if (db.saveAs(argv[2]) != Acad::eOk) {
        std::fprintf(stderr, "dxf-resave: %s\n", db.lastErrorText());
        return 1;
    }
    double save = seconds(start);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf(
        "{\"file\": \"%s\", \"bytes\": %lld, \"load_s\": %.4f, \"save_s\": %.4f, \"peak_rss_kb\": "
        "%ld}\n",
        argv[1], (long long)st.st_size, load, save, usage.ru_maxrss);
    return 0;
}
