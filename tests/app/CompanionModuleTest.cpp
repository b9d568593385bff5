// The module file itself, loaded by the editor from a folder of its own: the
// companion module found beside it, and a module file without a version
// resource.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "Messages.h"
#include "TempDir.h"
#include "brevant/editor.h"
#include "brevant/platform.h"

using brevant::test::TempDir;
using brevant::test::writeFile;

namespace {

const std::string kBin = BREVANT_BIN_DIR;

class CompanionModule : public ::testing::Test {
protected:
    void SetUp() override {
        brevant::host::setConsoleOutput(false);
        brevant::platform::captureMessageBoxes(&m_vectorBoxes);
        brevant::host::clearTranscript();
    }
    void TearDown() override {
        int iPrevious = 0;
        Pellam::Messages::setDebugLevel(0, iPrevious);
        brevant::host::quit();
        brevant::host::restartSession();
        brevant::platform::captureMessageBoxes(nullptr);
    }
    // The module file copied into the folder, and the companion module under
    // each of the names given.
    static void placeModules(const TempDir& dir, const std::vector<std::string>& vectorNames) {
        std::filesystem::copy_file(kBin + "/Brevant15.arx", dir.file("Brevant15.arx"));
        for (const std::string& sName : vectorNames) {
            std::filesystem::copy_file(kBin + "/TarvexMDITabs15.arx", dir.file(sName));
        }
    }
    static std::string startUp(const TempDir& dir) {
        brevant::host::clearTranscript();
        EXPECT_TRUE(brevant::host::runCommand("ARX LOAD " + dir.file("Brevant15.arx")));
        return brevant::host::transcript();
    }

    std::vector<brevant::platform::MessageBoxCall> m_vectorBoxes;
};

const std::string kBanner = "\n\nTarvex Brevant module loaded (Brevant15.arx).\n";
const std::string kOperational = "Tarvex Brevant module is operational.\n";

}  // namespace

TEST_F(CompanionModule, HighestNumberedOrPlainFileIsLoaded) {
    struct Case {
        std::vector<std::string> vectorFiles;
        const char* sLoaded;  // empty: no companion line
    } cases[] = {
        {{"TarvexMDITabs15#2.arx", "TarvexMDITabs15#10.arx"}, "TarvexMDITabs15#10.arx"},
        {{"TarvexMDITabs15.arx"}, "TarvexMDITabs15.arx"},
        {{"TarvexMDITabs15.arx", "TarvexMDITabs15#3.arx"}, "TarvexMDITabs15#3.arx"},
        {{"TarvexMDITabs15#0.arx"}, ""},
        {{"TarvexMDITabs15#0.arx", "TarvexMDITabs15.arx"}, "TarvexMDITabs15.arx"},
        {{"TarvexMDITabs14.arx", "TarvexMDITabs15.dll"}, ""},
        {{}, ""},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(i);
        TempDir dir;
        placeModules(dir, cases[i].vectorFiles);
        const std::string sCompanion =
            *cases[i].sLoaded
                ? "\nTarvexMDITabs module was loaded (" + std::string(cases[i].sLoaded) + ").\n"
                : "";
        EXPECT_EQ(startUp(dir), kBanner + sCompanion + kOperational + dir.file("Brevant15.arx") +
                                    " successfully loaded.\n");
        EXPECT_TRUE(m_vectorBoxes.empty());
        brevant::host::quit();
        brevant::host::restartSession();
    }
}

TEST_F(CompanionModule, CompanionThatFailsToLoadIsAFailedCheckAndStillAnnounced) {
    // A file of that name that is no module, and a folder of that name: the
    // editor refuses it, and the line is printed after the failed check.
    for (bool bFolder : {false, true}) {
        SCOPED_TRACE(bFolder);
        TempDir dir;
        placeModules(dir, {});
        if (bFolder) {
            writeFile(dir.file("TarvexMDITabs15.arx/inside"), "");
        } else {
            writeFile(dir.file("TarvexMDITabs15.arx"), "not a module");
        }
        const std::string sShown = startUp(dir);
        EXPECT_NE(sShown.find(kBanner), std::string::npos) << sShown;
        EXPECT_NE(sShown.find("\nTarvexMDITabs module was loaded (TarvexMDITabs15.arx).\n" +
                              kOperational),
                  std::string::npos)
            << sShown;
        brevant::host::quit();
        brevant::host::restartSession();
    }
}

TEST_F(CompanionModule, ModuleFileWithoutVersionResource) {
    // The product names come out empty; start-up goes on all the same.
    TempDir dir;
    placeModules(dir, {});
    const std::string sCommand = "objcopy --remove-section .rsrc " + dir.file("Brevant15.arx");
    if (std::system(("command -v objcopy >/dev/null 2>&1 && " + sCommand).c_str()) != 0) {
        GTEST_SKIP() << "objcopy is not at hand";
    }
    EXPECT_EQ(startUp(dir), "\n\n  module loaded (Brevant15.arx).\n  module is operational.\n" +
                                dir.file("Brevant15.arx") + " successfully loaded.\n");
    brevant::host::newDocument();
    // Without an internal name the prefixes are the maker words alone.
    EXPECT_TRUE(brevant::host::evaluateLisp("(TarvexDebug 0)"));
    EXPECT_EQ(brevant::host::transcript().substr(brevant::host::transcript().size() - 2), "0\n");
}
