// Reference drawings read once: with the cache on, drawings that refer to the
// same unchanged file bring in the same layers and blocks without reading it
// again; a changed file (time or size) is read again; a file that cannot be
// read stays unresolved; a cache too small to hold a drawing still answers
// right; with the cache off every reference reads its file.
#include "TempDir.h"

#include "acutmem.h"
#include "dbapserv.h"
#include "dbsymtb.h"
#include "hostdb.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

#include <string>
#include <vector>

using brevant::test::TempDir;
using brevant::test::writeFile;
using namespace brevant::host;

namespace {

std::vector<std::string> g_reads;

void noteRead(AcDbDatabase*, const char* name, SideDatabaseEvent event) {
    if (event == SideDatabaseEvent::Read) {
        const std::string path(name);
        g_reads.push_back(path.substr(path.rfind('/') + 1));
    }
}

// Saves a referenced drawing with the given layers.
void saveSite(const std::string& path, const std::vector<const char*>& layers) {
    AcDbDatabase site;
    AcDbObjectId id;
    ASSERT_EQ(defineBlock(&site, "TREE", {}, id), Acad::eOk);
    for (const char* name : layers) {
        AcDbLayerTable* pLayers = nullptr;
        ASSERT_EQ(site.getLayerTable(pLayers, AcDb::kForWrite), Acad::eOk);
        auto* pLayer = new AcDbLayerTableRecord;
        pLayer->setName(name);
        ASSERT_EQ(pLayers->add(pLayer), Acad::eOk);
        pLayer->close();
        pLayers->close();
    }
    ASSERT_EQ(site.saveAs(path.c_str()), Acad::eOk);
}

// Saves a drawing that refers to site.dxf under the name SITE.
void savePlan(const std::string& path) {
    AcDbDatabase plan;
    AcDbObjectId id;
    ASSERT_EQ(attachXref(&plan, "SITE", "site.dxf", AcGePoint3d(), id), Acad::eOk);
    ASSERT_EQ(plan.saveAs(path.c_str()), Acad::eOk);
}

struct Opened {
    AcDb::XrefStatus status = AcDb::kXrfNotAnXref;
    std::vector<std::string> layers;
    bool tree = false;
};

Opened open(const std::string& path) {
    Opened out;
    AcDbDatabase db(false);
    EXPECT_EQ(db.readDwgFile(path.c_str()), Acad::eOk) << db.lastErrorText();
    AcDbBlockTable* pBlocks = nullptr;
    EXPECT_EQ(db.getBlockTable(pBlocks, AcDb::kForRead), Acad::eOk);
    AcDbBlockTableRecord* pSite = nullptr;
    EXPECT_EQ(pBlocks->getAt("SITE", pSite, AcDb::kForRead), Acad::eOk);
    out.status = pSite->xrefStatus();
    pSite->close();
    out.tree = pBlocks->has("SITE|TREE");
    pBlocks->close();
    AcDbLayerTable* pLayers = nullptr;
    EXPECT_EQ(db.getLayerTable(pLayers, AcDb::kForRead), Acad::eOk);
    AcDbLayerTableIterator* pIterator = nullptr;
    pLayers->newIterator(pIterator);
    for (; !pIterator->done(); pIterator->step()) {
        AcDbLayerTableRecord* pLayer = nullptr;
        pIterator->getRecord(pLayer, AcDb::kForRead);
        const char* name = nullptr;
        pLayer->getName(name);
        out.layers.push_back(name);
        pLayer->close();
    }
    delete pIterator;
    pLayers->close();
    return out;
}

class ReferenceCache : public ::testing::Test {
protected:
    void SetUp() override {
        m_old = setSideDatabaseHook(&noteRead);
        g_reads.clear();
        saveSite(dir.file("site.dxf"), {"Walls"});
        savePlan(dir.file("plan1.dxf"));
        savePlan(dir.file("plan2.dxf"));
        g_reads.clear();
    }
    void TearDown() override {
        setReferenceCache(0);
        setSideDatabaseHook(m_old);
    }

    TempDir dir;
    SideDatabaseHook m_old = nullptr;
};

}  // namespace

TEST_F(ReferenceCache, AnUnchangedReferenceIsReadOnce) {
    setReferenceCache(1 << 20);
    const Opened first = open(dir.file("plan1.dxf"));
    const Opened second = open(dir.file("plan2.dxf"));
    EXPECT_EQ(g_reads, std::vector<std::string>{"site.dxf"});
    for (const Opened& o : {first, second}) {
        EXPECT_EQ(o.status, AcDb::kXrfResolved);
        EXPECT_EQ(o.layers, (std::vector<std::string>{"0", "SITE|Walls"}));
        EXPECT_TRUE(o.tree);
    }

    // Changed: read again, and what it brings in now is what the plans get.
    saveSite(dir.file("site.dxf"), {"Walls", "Roads"});
    g_reads.clear();
    EXPECT_EQ(open(dir.file("plan1.dxf")).layers,
              (std::vector<std::string>{"0", "SITE|Walls", "SITE|Roads"}));
    EXPECT_EQ(open(dir.file("plan2.dxf")).layers,
              (std::vector<std::string>{"0", "SITE|Walls", "SITE|Roads"}));
    EXPECT_EQ(g_reads, std::vector<std::string>{"site.dxf"});

    // The same size and a new time is a change too.
    struct stat st = {};
    ASSERT_EQ(stat(dir.file("site.dxf").c_str(), &st), 0);
    struct utimbuf times = {st.st_atime, st.st_mtime + 5};
    ASSERT_EQ(utime(dir.file("site.dxf").c_str(), &times), 0);
    g_reads.clear();
    open(dir.file("plan1.dxf"));
    EXPECT_EQ(g_reads, std::vector<std::string>{"site.dxf"});
}

TEST_F(ReferenceCache, AFileThatIsNoDrawingStaysUnresolved) {
    setReferenceCache(1 << 20);
    writeFile(dir.file("site.dxf"), "not a drawing\n");
    EXPECT_EQ(open(dir.file("plan1.dxf")).status, AcDb::kXrfUnresolved);
    const Opened second = open(dir.file("plan2.dxf"));
    EXPECT_EQ(second.status, AcDb::kXrfUnresolved);
    EXPECT_EQ(second.layers, std::vector<std::string>{"0"});
    EXPECT_TRUE(g_reads.empty());
}

TEST_F(ReferenceCache, TooSmallOrOffEveryReferenceReadsItsFile) {
    for (const size_t bytes : {size_t(1), size_t(0)}) {
        SCOPED_TRACE(bytes);
        setReferenceCache(bytes);
        g_reads.clear();
        EXPECT_EQ(open(dir.file("plan1.dxf")).layers,
                  (std::vector<std::string>{"0", "SITE|Walls"}));
        EXPECT_EQ(open(dir.file("plan2.dxf")).layers,
                  (std::vector<std::string>{"0", "SITE|Walls"}));
        EXPECT_EQ(g_reads, (std::vector<std::string>{"site.dxf", "site.dxf"}));
    }
}
