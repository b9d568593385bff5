// The module's work for one save of a large drawing, against the editor's own
// save of the same drawing: the drawing information built when the save
// begins (title block, revision marks, tables) and written when it completes.
// The drawing: 10,000 block definitions, 2,000 layers, 1,000 revision
// references with their attributes, 100,000 other entities, and the job's
// title block mapped in its project settings.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "ARXDrawingInformation.h"
#include "brevant/platform.h"
#include "dbapserv.h"
#include "dbsymtb.h"
#include "hostdb.h"

namespace {

const char kDrawing[] = "B:\\Jobs\\Large\\large.dwg";
AcDbDatabase* G_pDb = nullptr;

void addLayers(AcDbDatabase* pDb, int iCount) {
    AcDbLayerTable* pTable = nullptr;
    if (pDb->getLayerTable(pTable, AcDb::kForWrite) != Acad::eOk) {
        std::abort();
    }
    for (int i = 0; i < iCount; ++i) {
        char szName[32];
        snprintf(szName, sizeof(szName), "L%04d-layer", i);
        auto* pRecord = new AcDbLayerTableRecord;
        pRecord->setName(szName);
        if (pTable->add(pRecord) != Acad::eOk) {
            std::abort();
        }
        pRecord->close();
    }
    pTable->close();
}

AcDbDatabase* largeDrawing(const std::string& sFolder) {
    using namespace brevant::host;
    std::filesystem::create_directories(sFolder + "/Jobs/Large");
    brevant::platform::mapDrive("B", sFolder);
    std::ofstream(sFolder + "/Jobs/Large/ProjectSettings.txt")
        << "PROJECTLABEL\n{\nLarge Job\n}\nTITLEBLOCKS\n{\nBORDER \"A1\" \"TB.dwg\"\n"
           "DOCTITLE[1] TITLE1\nREVISION REV\nDOCNUMBER DWGNO\n}\n";

    auto* pDb = new AcDbDatabase(true, true);
    acdbHostApplicationServices()->setWorkingDatabase(pDb);
    AcDbObjectId id;
    addLayers(pDb, 2000);
    for (int i = 0; i < 10000; ++i) {
        char szName[32];
        snprintf(szName, sizeof(szName), "BLOCK-%05d", i);
        defineBlock(pDb, szName, {}, id);
    }
    defineBlock(pDb, "TB", {{"TITLE1", ""}, {"REV", ""}, {"DWGNO", ""}}, id);
    insertBlock(pDb, "TB", AcGePoint3d(0, 0, 0),
                {{"TITLE1", "Large Plan"}, {"REV", "C"}, {"DWGNO", "L-1"}}, id);
    defineBlock(pDb, "grevn",
                {{"REVMARK_REV", ""},
                 {"REVMARK_DATE", ""},
                 {"REVMARK_BY", ""},
                 {"REVMARK_DESC1", ""},
                 {"REVMARK_DESC2", ""},
                 {"REVMARK_INDEX", ""}},
                id);
    for (int i = 0; i < 1000; ++i) {
        insertBlock(pDb, "grevn", AcGePoint3d(i, 0, 0),
                    {{"REVMARK_REV", std::to_string(i)},
                     {"REVMARK_DATE", "04.12.26"},
                     {"REVMARK_BY", "AB"},
                     {"REVMARK_DESC1", "revised"},
                     {"REVMARK_DESC2", ""},
                     {"REVMARK_INDEX", std::to_string(i)}},
                    id);
    }
    for (int i = 0; i < 100000; ++i) {
        addText(pDb, "note", AcGePoint3d(i % 1000, i / 1000, 0), id);
    }
    // Saved once, so that the drawing has its name and file.
    if (pDb->saveAs(kDrawing) != Acad::eOk) {
        std::abort();
    }
    return pDb;
}

// The editor's own save of the drawing.
void EditorSave(benchmark::State& state) {
    for (auto _ : state) {
        if (G_pDb->saveAs(kDrawing) != Acad::eOk) {
            state.SkipWithError("save failed");
        }
    }
}

// What the module adds to the save: the drawing information built at the
// start of the save and written at its completion.
void ModuleWork(benchmark::State& state) {
    for (auto _ : state) {
        CARXDrawingInformation information(G_pDb, kDrawing);
        information.build();
        if (!information.WriteDinFile(kDrawing)) {
            state.SkipWithError("drawing information not written");
        }
    }
}

BENCHMARK(EditorSave)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(ModuleWork)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    // The drawing and its side files live in a folder of this run's own,
    // removed at the end (about 20 MB).
    char szFolder[] = "/tmp/brevant-bench-XXXXXX";
    if (mkdtemp(szFolder) == nullptr) {
        std::abort();
    }
    G_pDb = largeDrawing(szFolder);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    delete G_pDb;
    std::error_code error;
    std::filesystem::remove_all(szFolder, error);
    return 0;
}
