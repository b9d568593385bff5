// The version resource of a file: reading it, finding values through its
// translation table, the cache; and the module's version block with the
// product names built on it.
#include <gtest/gtest.h>

#include <cstring>

#include "BaseUtil.h"
#include "FileUtil.h"
#include "Locator.h"
#include "Maintenance.h"
#include "Messages.h"
#include "TempDir.h"
#include "VersionBase.h"
#include "VersionBlock.h"
#include "brevant/editor.h"
#include "brevant/platform.h"

using brevant::test::TempDir;
using brevant::test::writeFile;

namespace {

class Version : public ::testing::Test {
protected:
    void SetUp() override {
        brevant::host::setConsoleOutput(false);
        brevant::platform::captureMessageBoxes(&m_vectorBoxes);
    }
    void TearDown() override {
        int iPrevious = 0;
        Pellam::Messages::setDebugLevel(0, iPrevious);
        brevant::platform::captureMessageBoxes(nullptr);
    }
    std::vector<brevant::platform::MessageBoxCall> m_vectorBoxes;
};

}  // namespace

TEST_F(Version, ValuesOfTheFirstTranslation) {
    LPBYTE pVersionData = Pellam::readVersionData(VERSIONED_PROBE);
    ASSERT_NE(pVersionData, nullptr);
    Pellam::VersionValueCache mapCache;
    struct Case {
        const char* sName;
        const char* sValue;
    } cases[] = {
        {"CompanyName", "Tarvex"},
        {"ProductName", "Brevant"},
        {"InternalName", "Brevant"},
        {"FileDescription", "Brevant ARX Utilities"},
        {"Comments", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sName);
        EXPECT_STREQ(Pellam::queryVersionString(c.sName, pVersionData, mapCache), c.sValue);
    }
    // Only the names found are kept.
    EXPECT_EQ(mapCache.size(), 4u);
    EXPECT_EQ(mapCache.count("Comments"), 0u);
    Pellam::freeVersionData(pVersionData);
}

TEST_F(Version, SecondQueryIsAnsweredFromTheCache) {
    LPBYTE pVersionData = Pellam::readVersionData(VERSIONED_PROBE);
    ASSERT_NE(pVersionData, nullptr);
    DWORD dwHandle = 0;
    const DWORD dwSize = GetFileVersionInfoSizeA(VERSIONED_PROBE, &dwHandle);
    Pellam::VersionValueCache mapCache;
    EXPECT_STREQ(Pellam::queryVersionString("ProductName", pVersionData, mapCache), "Brevant");
    // With the resource wiped, only the cache can still answer.
    memset(pVersionData, 0, dwSize);
    EXPECT_STREQ(Pellam::queryVersionString("ProductName", pVersionData, mapCache), "Brevant");
    EXPECT_STREQ(Pellam::queryVersionString("CompanyName", pVersionData, mapCache), "");
    Pellam::freeVersionData(pVersionData);
}

TEST_F(Version, FilesWithoutAResource) {
    TempDir dir;
    writeFile(dir.file("plain.arx"), "no resource here");
    EXPECT_EQ(Pellam::readVersionData(dir.file("plain.arx").c_str()), nullptr);
    EXPECT_EQ(Pellam::readVersionData(dir.file("missing.arx").c_str()), nullptr);
    EXPECT_EQ(Pellam::readVersionData(""), nullptr);
    EXPECT_EQ(Pellam::readVersionData("Z:\\unmapped\\Brevant15.arx"), nullptr);
    Pellam::VersionValueCache mapCache;
    EXPECT_STREQ(Pellam::queryVersionString("ProductName", NULL, mapCache), "");
}

TEST_F(Version, BlockOfTheModulesOwnFileGivesTheProductNames) {
    // The module instance stands for the probe file, as the module's own
    // handle stands for Brevant15.arx.
    HMODULE hProbe = LoadLibraryA(VERSIONED_PROBE);
    ASSERT_NE(hProbe, nullptr);
    if (!G_bLibraryInitialised) {
        Pellam::initialiseLibrary("Brevant", hProbe);
    }
    Pellam::getModuleInstance() = hProbe;

    EXPECT_TRUE(Pellam::CVersionBlock::initialise());
    EXPECT_STREQ(Pellam::Util::getCompanyName(), "Tarvex");
    EXPECT_STREQ(Pellam::Util::getProductName(), "Brevant");
    EXPECT_STREQ(Pellam::Util::getInternalName(), "Brevant");
    EXPECT_STREQ(Pellam::Util::getFullProductName(), "Tarvex Brevant");
    std::vector<CString> vectorPrefixes = Pellam::Util::getMakerInternalNames();
    ASSERT_EQ(vectorPrefixes.size(), 2u);
    EXPECT_STREQ(vectorPrefixes[0], "TarvexBrevant");
    EXPECT_STREQ(vectorPrefixes[1], "PellamBrevant");
    EXPECT_TRUE(m_vectorBoxes.empty());

    // Released: every value is empty, and each look-up is a failed check.
    Pellam::CVersionBlock::terminate();
    int iPrevious = 0;
    Pellam::Messages::setDebugLevel(2, iPrevious);
    EXPECT_STREQ(Pellam::Util::getFullProductName(), " ");
    EXPECT_STREQ(Pellam::Util::getInternalName(), "");
    ASSERT_EQ(m_vectorBoxes.size(), 4u);
    EXPECT_EQ(m_vectorBoxes[0].text.rfind("Assertion : <m_bInitialised>\nFile : <", 0), 0u);
    EXPECT_EQ(m_vectorBoxes[3].text.rfind("Assertion : <!sReturn.IsEmpty()>\nFile : <", 0), 0u);
    FreeLibrary(hProbe);
}

TEST_F(Version, BlockOfAModuleWithoutAResource) {
    // The test program itself has no version resource. The module file is
    // located once per process: another test may have placed it elsewhere.
    if (!G_bLibraryInitialised) {
        Pellam::initialiseLibrary("Brevant", NULL);
    }
    Pellam::getModuleInstance() = NULL;
    if (PellamFile::BaseName(Pellam::Locator::Locate(LOCATION_MODULE_FILE), "") !=
        "library_foundation_tests") {
        GTEST_SKIP() << "the module file was located before, in this process";
    }
    EXPECT_FALSE(Pellam::CVersionBlock::initialise());
    EXPECT_STREQ(Pellam::Util::getFullProductName(), " ");
    std::vector<CString> vectorPrefixes = Pellam::Util::getMakerInternalNames();
    ASSERT_EQ(vectorPrefixes.size(), 2u);
    EXPECT_STREQ(vectorPrefixes[0], "Tarvex");
}
