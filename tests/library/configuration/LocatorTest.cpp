// The locator: every location kind around an installed module file, the
// temporary folder's candidates in their order, the domain settings folder
// with its copy from the machine to each user, and the upward file search.
#include <gtest/gtest.h>

#include <brevant/editor.h>
#include <brevant/platform.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "BaseUtil.h"
#include "CommandLine.h"
#include "FileUtil.h"
#include "Locator.h"
#include "Maintenance.h"
#include "Registry.h"
#include "TempDir.h"

using brevant::test::TempDir;
using brevant::test::writeFile;
using Pellam::Locator::findFileUpwards;
using Pellam::Locator::Locate;

namespace {

const char kDomainKey[] = "Software\\Tarvex\\Brevant\\Remote Configurable";
const char kDomainStampKey[] = "Software\\Tarvex\\Brevant\\Remote Configurable\\Stamps";
const char kDomainValue[] = "Domain Settings";

// A machine with drive X: in a temporary folder, its own registry, and the
// module file installed as X:\Tarvex\Brevant\bin\Brevant15.arx.
class LocatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        brevant::platform::clearDriveMap();
        brevant::platform::mapDrive("X", m_dir.file("X"));
        std::filesystem::create_directories(m_dir.file("X"));
        setenv("BREVANT_REGISTRY_DIR", m_dir.file("registry").c_str(), 1);
        setenv("BREVANT_SYSTEM_DIR", "X:\\WINDOWS\\system32", 1);
        setenv("BREVANT_APPDATA_DIR", "X:\\AppData", 1);
        makeFolder("AppData");
        makeFolder("usertemp");
        setenv("TEMP", "X:\\usertemp", 1);
        setenv("TMP", "X:\\usertemp", 1);
        brevant::test::initialiseLibrary(0);
    }
    void TearDown() override { brevant::platform::clearDriveMap(); }

    void installModule() {
        std::filesystem::create_directories(m_dir.file("X/Tarvex/Brevant/bin"));
        std::filesystem::copy_file(LOCATOR_PROBE, m_dir.file("X/Tarvex/Brevant/bin/Brevant15.arx"));
        HMODULE hModule = LoadLibraryA("X:\\Tarvex\\Brevant\\bin\\Brevant15.arx");
        ASSERT_NE(hModule, nullptr);
        Pellam::getModuleInstance() = hModule;
    }

    // A folder under X:, given with slashes.
    void makeFolder(const std::string& sRelative) {
        std::filesystem::create_directories(m_dir.file("X/" + sRelative));
    }
    void removeFolder(const std::string& sRelative) {
        std::filesystem::remove_all(m_dir.file("X/" + sRelative));
    }

    TempDir m_dir;
};

TEST_F(LocatorTest, EveryKind) {
    installModule();
    ASSERT_TRUE(Pellam::Registry::OpenWrite(HKEY_LOCAL_MACHINE,
                                            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                                            "CommonFilesDir", "X:\\Program Files\\Common Files"));
    ASSERT_TRUE(Pellam::Registry::OpenWrite(HKEY_LOCAL_MACHINE,
                                            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                                            "ProgramFilesDir", "X:\\Program Files\\"));
    struct Case {
        int iWhere;
        const char* sExpected;
    } cases[] = {
        {LOCATION_DIRS, ""},
        {LOCATION_MODULE_DIR, "X:\\Tarvex\\Brevant\\bin\\"},
        {LOCATION_INSTALL_DIR, "X:\\Tarvex\\Brevant\\"},
        {LOCATION_HELP_DIR, "X:\\Tarvex\\Brevant\\HelpDocs\\"},
        {LOCATION_DOMAIN_DIR, "X:\\DomainSettings\\"},  // no candidate exists: the last
        {LOCATION_TEMP_DIR, "X:\\usertemp\\"},
        {LOCATION_MAKER_APPDATA_DIR, "X:\\AppData\\Tarvex\\"},
        {LOCATION_SUITE_APPDATA_DIR, "X:\\AppData\\Zendra\\"},
        {LOCATION_SYSTEM_DIR, "X:\\WINDOWS\\system32\\"},
        {LOCATION_COMMON_FILES_DIR, "X:\\Program Files\\Common Files\\"},
        {LOCATION_PROGRAM_FILES_DIR, "X:\\Program Files\\"},
        {LOCATION_FILES, ""},
        {LOCATION_HELP_FILE, "X:\\Tarvex\\Brevant\\HelpDocs\\Zendra.hlp"},
        {LOCATION_LOG_FILE, "X:\\usertemp\\Brevant15.arx.log"},
        {LOCATION_MODULE_FILE, "X:\\Tarvex\\Brevant\\bin\\Brevant15.arx"},
        {LOCATION_DOMAIN_SETTINGS_FILE, "X:\\DomainSettings\\DomainSettings.txt"},
        {LOCATION_STANDARD_SETTINGS_FILE, "X:\\Tarvex\\Brevant\\support\\StandardSettings.txt"},
        {LOCATION_APPLICATION_CONFIG_FILE, "X:\\Tarvex\\Brevant\\Application.cfg"},
        {-1, ""},
        {22, ""},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.iWhere);
        EXPECT_STREQ(Locate(row.iWhere), row.sExpected);
    }
}

TEST_F(LocatorTest, MarkersAndUnknownKindsAreCheckFailures) {
    std::vector<brevant::platform::MessageBoxCall> vectorBoxes;
    brevant::platform::captureMessageBoxes(&vectorBoxes);
    brevant::test::initialiseLibrary(2);
    for (int iWhere : {static_cast<int>(LOCATION_DIRS), static_cast<int>(LOCATION_FILES), 99}) {
        SCOPED_TRACE(iWhere);
        EXPECT_STREQ(Locate(iWhere), "");
    }
    brevant::platform::captureMessageBoxes(nullptr);
    ASSERT_EQ(vectorBoxes.size(), 3u);
    EXPECT_NE(vectorBoxes[0].text.find(
                  "Assertion : <(iWhere != LOCATION_DIRS) && (iWhere != LOCATION_FILES)>"),
              std::string::npos);
    EXPECT_NE(vectorBoxes[1].text.find("Assertion : <(iWhere != LOCATION_DIRS)"),
              std::string::npos);
    EXPECT_NE(vectorBoxes[2].text.find("Assertion : <false>"), std::string::npos);
}

TEST_F(LocatorTest, MissingRegistryFoldersAreEmpty) {
    std::vector<brevant::platform::MessageBoxCall> vectorBoxes;
    brevant::platform::captureMessageBoxes(&vectorBoxes);
    brevant::test::initialiseLibrary(2);
    EXPECT_STREQ(Locate(LOCATION_COMMON_FILES_DIR), "");
    EXPECT_STREQ(Locate(LOCATION_PROGRAM_FILES_DIR), "");
    brevant::platform::captureMessageBoxes(nullptr);
    ASSERT_EQ(vectorBoxes.size(), 2u);
    for (const auto& box : vectorBoxes) {
        EXPECT_NE(box.text.find("Assertion : <Pellam::Registry::OpenRead(HKEY_LOCAL_MACHINE, "),
                  std::string::npos);
    }
}

// The fifth temporary folder candidate: the root of the current drive, when
// it can be written to.
std::string rootCandidate() {
    if (!PellamFile::IsWritableDirectory("\\")) {
        return std::string();
    }
    std::string sRoot(PellamFile::FullPath("\\"));
    return sRoot.back() == '\\' ? sRoot : sRoot + "\\";
}

// With neither TEMP nor TMP set, the candidates are Temp and Tmp at the root
// of the system drive, the system folder's Temp and Tmp, and the root of the
// current drive, in this order; only a writable folder counts.
TEST_F(LocatorTest, TemporaryFolderCandidatesInOrder) {
    unsetenv("TEMP");
    unsetenv("TMP");
    for (const char* sFolder : {"Temp", "Tmp", "WINDOWS/system32/Temp", "WINDOWS/system32/Tmp"}) {
        makeFolder(sFolder);
    }
    struct Case {
        const char* sRemove;  // removed before the row
        std::string sExpected;
    } cases[] = {
        {"", "X:\\Temp\\"},
        {"Temp", "X:\\Tmp\\"},
        {"Tmp", "X:\\WINDOWS\\system32\\Temp\\"},
        {"WINDOWS/system32/Temp", "X:\\WINDOWS\\system32\\Tmp\\"},
        {"WINDOWS/system32/Tmp", rootCandidate()},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(i);
        if (*cases[i].sRemove) {
            removeFolder(cases[i].sRemove);
        }
        EXPECT_EQ(std::string(Locate(LOCATION_TEMP_DIR)), cases[i].sExpected);
    }
}

TEST_F(LocatorTest, TemporaryFolderFromTheEnvironment) {
    makeFolder("tmpvar");
    makeFolder("WINDOWS/system32/Temp");
    struct Case {
        const char* sTemp;  // nullptr: unset
        const char* sTmp;
        const char* sExpected;
    } cases[] = {
        {"X:\\missing", "X:\\tmpvar", "X:\\tmpvar\\"},  // TEMP not a folder: TMP
        {"X:\\usertemp", "X:\\tmpvar", "X:\\usertemp\\"},
        {"X:\\missing", nullptr, "X:\\WINDOWS\\system32\\Temp\\"},  // no second candidate
        {nullptr, "X:\\tmpvar", "X:\\tmpvar\\"},
        {"", "", "X:\\WINDOWS\\system32\\Temp\\"},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(i);
        cases[i].sTemp ? (void)setenv("TEMP", cases[i].sTemp, 1) : (void)unsetenv("TEMP");
        cases[i].sTmp ? (void)setenv("TMP", cases[i].sTmp, 1) : (void)unsetenv("TMP");
        EXPECT_STREQ(Locate(LOCATION_TEMP_DIR), cases[i].sExpected);
    }
}

TEST_F(LocatorTest, TemporaryFolderOnAReadOnlyDrive) {
    unsetenv("TEMP");
    unsetenv("TMP");
    makeFolder("Temp");
    makeFolder("WINDOWS/system32/Temp");
    brevant::platform::mapDrive("X", m_dir.file("X"), "", true);
    // Folders that cannot be written to are passed over.
    EXPECT_EQ(std::string(Locate(LOCATION_TEMP_DIR)), rootCandidate());
}

// The domain folder: the user's registry value, Application.cfg, then
// DomainSettings one and two levels above the install folder; the first that
// exists, else the last.
TEST_F(LocatorTest, DomainFolderCandidatesInOrder) {
    installModule();
    writeFile(m_dir.file("X/Tarvex/Brevant/Application.cfg"),
              "[Directories]\r\nDomainSettings=X:\\FromConfig\r\n");
    struct Case {
        const char* sMake;  // made before the row
        const char* sExpected;
    } cases[] = {
        {"", "X:\\DomainSettings\\"},
        {"DomainSettings", "X:\\DomainSettings\\"},
        {"Tarvex/DomainSettings", "X:\\Tarvex\\DomainSettings\\"},
        {"FromConfig", "X:\\FromConfig\\"},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(i);
        if (*cases[i].sMake) {
            makeFolder(cases[i].sMake);
        }
        EXPECT_STREQ(Locate(LOCATION_DOMAIN_DIR), cases[i].sExpected);
    }
    // The user's own value comes first, when its folder exists.
    ASSERT_TRUE(
        Pellam::Registry::OpenWrite(HKEY_CURRENT_USER, kDomainKey, kDomainValue, "X:\\FromUser"));
    EXPECT_STREQ(Locate(LOCATION_DOMAIN_DIR), "X:\\FromConfig\\");
    makeFolder("FromUser");
    EXPECT_STREQ(Locate(LOCATION_DOMAIN_DIR), "X:\\FromUser\\");
    EXPECT_STREQ(Locate(LOCATION_DOMAIN_SETTINGS_FILE), "X:\\FromUser\\DomainSettings.txt");
}

// A value of any length comes back whole from an initialisation file.
TEST_F(LocatorTest, LongInitialisationFileValue) {
    const std::string sLong(1000, 'd');
    writeFile(m_dir.file("X/Application.cfg"), "[Directories]\r\nDomainSettings=" + sLong + "\r\n");
    EXPECT_EQ(std::string(Pellam::Util::getProfileString("Directories", "DomainSettings", "",
                                                         "X:\\Application.cfg")),
              sLong);
    EXPECT_STREQ(
        Pellam::Util::getProfileString("Directories", "Missing", "none", "X:\\Application.cfg"),
        "none");
}

// An administrator's folder reaches each user once for every new stamp; in
// between, the user's own choice stays.
TEST_F(LocatorTest, DomainFolderStampCopy) {
    for (const char* sFolder : {"Machine1", "Machine2", "Mine"}) {
        makeFolder(sFolder);
    }
    auto machine = [](const char* sFolder, const char* sStamp) {
        ASSERT_TRUE(
            Pellam::Registry::OpenWrite(HKEY_LOCAL_MACHINE, kDomainKey, kDomainValue, sFolder));
        ASSERT_TRUE(
            Pellam::Registry::OpenWrite(HKEY_LOCAL_MACHINE, kDomainStampKey, kDomainValue, sStamp));
    };
    auto userChooses = [](const char* sFolder) {
        ASSERT_TRUE(
            Pellam::Registry::OpenWrite(HKEY_CURRENT_USER, kDomainKey, kDomainValue, sFolder));
    };
    auto userStamp = []() {
        CString sStamp = "(none)";
        Pellam::Registry::OpenRead(HKEY_CURRENT_USER, kDomainStampKey, kDomainValue, sStamp);
        return std::string(sStamp);
    };

    machine("X:\\Machine1", "1");
    EXPECT_STREQ(Locate(LOCATION_DOMAIN_DIR), "X:\\Machine1\\");
    EXPECT_EQ(userStamp(), "1");
    userChooses("X:\\Mine");
    EXPECT_STREQ(Locate(LOCATION_DOMAIN_DIR), "X:\\Mine\\");
    EXPECT_STREQ(Locate(LOCATION_DOMAIN_DIR), "X:\\Mine\\");
    // A new folder without a new stamp does not reach the user.
    machine("X:\\Machine2", "1");
    EXPECT_STREQ(Locate(LOCATION_DOMAIN_DIR), "X:\\Mine\\");
    // A new stamp does, once.
    machine("X:\\Machine2", "2");
    EXPECT_STREQ(Locate(LOCATION_DOMAIN_DIR), "X:\\Machine2\\");
    EXPECT_EQ(userStamp(), "2");
    userChooses("X:\\Mine");
    EXPECT_STREQ(Locate(LOCATION_DOMAIN_DIR), "X:\\Mine\\");

    // A copy that cannot be written is tried again: the user's stamp moves on
    // only together with the folder.
    machine("X:\\Machine1", "3");
    brevant::platform::failAfter(brevant::platform::Operation::RegistryWrite, 1);
    EXPECT_STREQ(Locate(LOCATION_DOMAIN_DIR), "X:\\Mine\\");
    EXPECT_EQ(userStamp(), "2");
    EXPECT_STREQ(Locate(LOCATION_DOMAIN_DIR), "X:\\Machine1\\");
    EXPECT_EQ(userStamp(), "3");

    // Another user on the same machine receives the folder too.
    std::filesystem::create_directories(m_dir.file("registry2"));
    std::filesystem::copy_file(m_dir.file("registry/machine.reg"),
                               m_dir.file("registry2/machine.reg"));
    setenv("BREVANT_REGISTRY_DIR", m_dir.file("registry2").c_str(), 1);
    EXPECT_EQ(userStamp(), "(none)");
    EXPECT_STREQ(Locate(LOCATION_DOMAIN_DIR), "X:\\Machine1\\");
    EXPECT_EQ(userStamp(), "3");
}

// The project folder is the nearest folder above the current drawing's that
// holds a project settings file.
TEST_F(LocatorTest, ProjectFolderFromTheDrawingFolder) {
    writeFile(m_dir.file("X/job/ProjectSettings.txt"), "PROJECTLABEL\n{\nJ\n}\n");
    makeFolder("job/dwg");
    makeFolder("other/dwg");
    AcApDocument* pDocument = brevant::host::newDocument();
    ASSERT_NE(pDocument, nullptr);
    ASSERT_TRUE(brevant::host::saveDocument(pDocument, "X:\\job\\dwg\\plan01.dwg"));
    EXPECT_STREQ(Locate(LOCATION_DRAWING_DIR), "X:\\job\\dwg\\");
    EXPECT_STREQ(Locate(LOCATION_PROJECT_DIR), "X:\\job\\");
    EXPECT_STREQ(Locate(LOCATION_PROJECT_SUPPORT_DIR), "X:\\job\\Settings\\");
    EXPECT_STREQ(Locate(LOCATION_PROJECT_SETTINGS_FILE), "X:\\job\\ProjectSettings.txt");

    // No project settings file up to the root.
    ASSERT_TRUE(brevant::host::saveDocument(pDocument, "X:\\other\\dwg\\plan01.dwg"));
    EXPECT_STREQ(Locate(LOCATION_DRAWING_DIR), "X:\\other\\dwg\\");
    EXPECT_STREQ(Locate(LOCATION_PROJECT_DIR), "");
    EXPECT_STREQ(Locate(LOCATION_PROJECT_SUPPORT_DIR), "");
    EXPECT_STREQ(Locate(LOCATION_PROJECT_SETTINGS_FILE), "");
    brevant::host::closeDocument(pDocument);
}

TEST_F(LocatorTest, FindFileUpwards) {
    writeFile(m_dir.file("X/job/ProjectSettings.txt"), "");
    makeFolder("job/dwg/sub");
    makeFolder("other/ProjectSettings.txt");  // a folder of that name does not count
    brevant::platform::mapDrive("R", m_dir.file("R"));
    writeFile(m_dir.file("R/ProjectSettings.txt"), "");
    writeFile(m_dir.file("R/a/b/Other.txt"), "");
    struct Case {
        const char* sStart;
        const char* sExpected;
    } cases[] = {
        {"X:\\job\\dwg", "X:\\job\\"},
        {"X:\\job\\dwg\\", "X:\\job\\"},
        {"X:\\job\\dwg\\sub\\missing\\deeper", "X:\\job\\"},
        {"X:\\job", "X:\\job\\"},
        {"X:\\job\\", "X:\\job\\"},
        {"x:\\JOB\\Dwg", "x:\\JOB\\"},  // names found in any letter case
        {"X:\\other", ""},
        {"X:\\other\\ProjectSettings.txt", ""},
        {"X:\\", ""},
        {"X:", ""},
        {"", ""},
        {"R:\\a\\b", "R:\\"},  // the root itself is searched
        {"R:\\", "R:\\"},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(i);
        EXPECT_STREQ(findFileUpwards("ProjectSettings.txt", cases[i].sStart), cases[i].sExpected);
    }
    EXPECT_STREQ(findFileUpwards("Other.txt", "R:\\a\\b\\"), "R:\\a\\b\\");
}

}  // namespace
