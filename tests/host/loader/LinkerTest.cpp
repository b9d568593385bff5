// The dynamic linker with the tiny modules of tests/modules: what it refuses
// and says, and the order of the messages a module gets.
#include "HostFixture.h"
#include "acdocman.h"
#include "rxregsvc.h"

#include <unistd.h>

#include <filesystem>

namespace brevant::test {
namespace {

using brevant::host::evaluateLisp;
using brevant::host::lispNames;
using brevant::host::newDocument;

class Linker : public HostTest {
protected:
    AcRxDynamicLinker* linker() { return acrxDynamicLinker; }
    bool isLoaded(const std::string& name) {
        printed();
        brevant::host::runCommand("ARX ?");
        return printed().find("  " + name + "\n") != std::string::npos;
    }
};

TEST_F(Linker, RefusesModulesWithTheReason) {
    writeFile(m_temp.file("notamodule.arx"), "just text\n");
    struct Case {
        std::string path;
        std::string reason;  // before "Unable to load <path> file."
    };
    const std::string noEntry = modulePath("testnoentry.arx");
    const std::string noVersion = modulePath("testnoversion.arx");
    const std::string badVersion = modulePath("testbadversion.arx");
    const std::string refuse = modulePath("testrefuse.arx");
    const std::string missing = modulePath("testmissing.arx");
    const Case cases[] = {
        {noEntry, noEntry + " has no entry point acrxEntryPoint.\n"},
        {noVersion, noVersion + " does not report its interface version (acrxGetApiVersion).\n"},
        {badVersion, badVersion + " was built for interface version 14.1, not 15.0.\n"},
        {refuse, "testrefuse: init\n" + refuse + " failed to initialise.\n"},
        {missing, "Cannot find " + missing + ".\n"},
        {"Q:\\testgood.arx", "Cannot find Q:\\testgood.arx: its drive is not mapped.\n"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i + 1);
        const Case& c = cases[i];
        EXPECT_FALSE(linker()->loadModule(c.path.c_str(), true));
        EXPECT_EQ(printed(), c.reason + "Unable to load " + c.path + " file.\n");
        EXPECT_FALSE(isLoaded(c.path));
        // Without printit the linker says nothing (the module's own messages still show).
        EXPECT_FALSE(linker()->loadModule(c.path.c_str(), false));
        EXPECT_EQ(printed(), c.path == refuse ? "testrefuse: init\n" : "");
    }
    // A file that is no shared object: the loader's own reason follows.
    const std::string text = m_temp.file("notamodule.arx");
    EXPECT_FALSE(linker()->loadModule(text.c_str(), true));
    const std::string said = printed();
    EXPECT_EQ(said.rfind(text + " cannot be loaded: ", 0), 0u) << said;
    EXPECT_NE(said.find("\nUnable to load " + text + " file.\n"), std::string::npos) << said;
    EXPECT_FALSE(linker()->loadModule("", true));
    EXPECT_FALSE(linker()->loadModule(nullptr, false));
}

TEST_F(Linker, MessagesInTheEditorsOrder) {
    const std::string good = modulePath("testgood.arx");
    AcApDocument* pFirst = newDocument();
    AcApDocument* pSecond = newDocument();
    ASSERT_NE(pSecond, nullptr);
    printed();

    // Loaded with two drawings open: initialise, then each drawing in turn,
    // each current for its message; the current drawing stays current.
    EXPECT_TRUE(linker()->loadModule(good.c_str(), true));
    EXPECT_EQ(printed(), "testgood: init (Drawing2.dwg)\n" + good +
                             " successfully loaded.\n"
                             "testgood: load drawing Drawing1.dwg\n"
                             "testgood: load drawing Drawing2.dwg\n");
    EXPECT_EQ(acDocManager->curDocument(), pSecond);
    EXPECT_EQ(lispNames(pFirst), (std::vector<std::string>{"TESTGOOD-ECHO", "TESTGOOD-PATH"}));

    AcApDocument* pThird = newDocument();
    EXPECT_EQ(printed(), "testgood: load drawing Drawing3.dwg\n");
    EXPECT_TRUE(brevant::host::closeDocument(pThird));
    EXPECT_EQ(printed(), "testgood: unload drawing Drawing3.dwg\n");

    EXPECT_TRUE(evaluateLisp("(testgood-echo 1 \"a\")"));
    EXPECT_EQ(printed(), "(1 \"a\")\n");

    EXPECT_TRUE(linker()->unloadModule("testgood", true));
    EXPECT_EQ(printed(),
              "testgood: unload drawing Drawing1.dwg\n"
              "testgood: unload drawing Drawing2.dwg\n"
              "testgood: unload (Drawing2.dwg)\n"
              "testgood successfully unloaded.\n");
    // Its LISP names went with it.
    EXPECT_TRUE(lispNames(pFirst).empty());
    EXPECT_FALSE(evaluateLisp("(testgood-echo 1)"));
    EXPECT_EQ(printed(), "; error: no function definition: TESTGOOD-ECHO\n");
}

TEST_F(Linker, ALockedModuleStaysUntilTheSessionEnds) {
    const std::string locked = modulePath("testlocked.arx");
    EXPECT_TRUE(linker()->loadModule(locked.c_str(), true));
    EXPECT_EQ(printed(), "testlocked: init\n" + locked + " successfully loaded.\n");
    EXPECT_TRUE(linker()->isApplicationLocked("testlocked.arx"));
    EXPECT_FALSE(linker()->unloadModule(locked.c_str(), true));
    EXPECT_EQ(printed(), "Unable to unload " + locked + ": the application is locked.\n");
    EXPECT_FALSE(linker()->unloadModule(locked.c_str(), false));
    EXPECT_EQ(printed(), "Unable to unload " + locked + ": the application is locked.\n");
    EXPECT_TRUE(isLoaded(locked));
    brevant::host::quit();
    EXPECT_EQ(printed(), "testlocked: unload\n");
}

TEST_F(Linker, LoadsCountedByCodeAndOnceByCommand) {
    const std::string good = modulePath("testgood.arx");
    EXPECT_TRUE(linker()->loadModule(good.c_str(), false));
    EXPECT_EQ(printed(), "testgood: init (none)\n");
    EXPECT_TRUE(linker()->loadModule(good.c_str(), false));  // a second user
    EXPECT_TRUE(linker()->loadModule("TESTGOOD.ARX", true, true));
    EXPECT_EQ(printed(), "TESTGOOD.ARX is already loaded.\n");
    EXPECT_TRUE(linker()->unloadModule(good.c_str(), false));  // the second user is done
    EXPECT_EQ(printed(), "");
    EXPECT_TRUE(isLoaded(good));
    EXPECT_TRUE(linker()->unloadModule(good.c_str(), false));
    EXPECT_EQ(printed(), "testgood: unload (none)\n");
    EXPECT_FALSE(isLoaded(good));
    EXPECT_FALSE(linker()->unloadModule(good.c_str(), false));
    EXPECT_EQ(printed(), "");
    EXPECT_FALSE(linker()->unloadModule("testgood.arx", true));
    EXPECT_EQ(printed(), "Unable to unload testgood.arx: it is not loaded.\n");
}

TEST_F(Linker, SummaryInformationModulesNeedNoFile) {
    EXPECT_TRUE(linker()->loadModule("acsiobj.arx", true, false));
    EXPECT_EQ(printed(), "acsiobj.arx successfully loaded.\n");
    EXPECT_TRUE(linker()->loadModule("ACSIOBJ.DBX", false, false));
    EXPECT_EQ(printed(), "");
    EXPECT_TRUE(isLoaded("acsiobj.arx"));
    EXPECT_TRUE(isLoaded("ACSIOBJ.DBX"));
    EXPECT_FALSE(linker()->isApplicationLocked("acsiobj.arx"));
    EXPECT_TRUE(linker()->unloadModule("acsiobj.arx", false));
    EXPECT_TRUE(linker()->unloadModule("acsiobj.dbx", false));
    EXPECT_FALSE(isLoaded("acsiobj.arx"));
    EXPECT_FALSE(isLoaded("ACSIOBJ.DBX"));
}

TEST_F(Linker, FindsModulesThroughTheDriveMapAndBesideTheProgram) {
    brevant::platform::mapDrive("M", BREVANT_TEST_MODULES_DIR);
    EXPECT_TRUE(linker()->loadModule("M:\\TestGood.arx", true));
    EXPECT_EQ(printed(), "testgood: init (none)\nM:\\TestGood.arx successfully loaded.\n");
    EXPECT_TRUE(linker()->unloadModule("m:\\testgood.arx", true));
    printed();

    // A bare name that is not in the current folder is found beside the program.
    char program[4096];
    const ssize_t length = readlink("/proc/self/exe", program, sizeof(program) - 1);
    ASSERT_GT(length, 0);
    const std::filesystem::path folder =
        std::filesystem::path(std::string(program, (size_t)length)).parent_path();
    const std::string beside = "testgood-beside-" + std::to_string(getpid()) + ".arx";
    std::filesystem::copy_file(modulePath("testgood.arx"), folder / beside);
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(m_temp.path());
    const bool loaded = linker()->loadModule(beside.c_str(), true);
    std::filesystem::current_path(before);
    std::filesystem::remove(folder / beside);
    EXPECT_TRUE(loaded);
    EXPECT_EQ(printed(), "testgood: init (none)\n" + beside + " successfully loaded.\n");
}

TEST_F(Linker, AppIdsOfOtherCodeAreRefused) {
    int notAModule = 0;
    EXPECT_FALSE(linker()->unlockApplication(&notAModule));
    EXPECT_FALSE(linker()->lockApplication(&notAModule));
    EXPECT_FALSE(linker()->registerAppMDIAware(&notAModule));
    EXPECT_FALSE(linker()->registerAppNotMDIAware(nullptr));
    EXPECT_FALSE(linker()->isApplicationLocked("testgood.arx"));
}

}  // namespace
}  // namespace brevant::test
