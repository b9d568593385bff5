// The sample project's settings files, with the module and its standard
// settings installed as the sample session installs them: the locator finds
// the domain and standard settings, and each file reads as its author meant.
#include <gtest/gtest.h>

#include <brevant/platform.h>

#include <filesystem>
#include <string>

#include "CommandLine.h"
#include "Locator.h"
#include "Maintenance.h"
#include "SettingsFile.h"
#include "TempDir.h"

using brevant::test::TempDir;
using Pellam::Locator::Locate;

namespace {

TEST(SampleSettings, FoundWhereTheSessionInstallsThem) {
    TempDir dir;
    std::filesystem::copy(std::string(BREVANT_SOURCE_DIR) + "/samples/drives/C", dir.file("C"),
                          std::filesystem::copy_options::recursive);
    std::filesystem::create_directories(dir.file("C/Tarvex/Brevant/bin"));
    std::filesystem::copy_file(LOCATOR_PROBE, dir.file("C/Tarvex/Brevant/bin/Brevant15.arx"));
    std::filesystem::copy(std::string(BREVANT_SOURCE_DIR) + "/app/support",
                          dir.file("C/Tarvex/Brevant/support"));
    brevant::platform::clearDriveMap();
    brevant::platform::mapDrive("C", dir.file("C"));
    setenv("BREVANT_REGISTRY_DIR", dir.file("registry").c_str(), 1);
    brevant::test::initialiseLibrary(0);
    HMODULE hModule = LoadLibraryA("C:\\Tarvex\\Brevant\\bin\\Brevant15.arx");
    ASSERT_NE(hModule, nullptr);
    Pellam::getModuleInstance() = hModule;

    EXPECT_STREQ(Locate(LOCATION_DOMAIN_SETTINGS_FILE),
                 "C:\\Tarvex\\DomainSettings\\DomainSettings.txt");
    EXPECT_STREQ(Locate(LOCATION_STANDARD_SETTINGS_FILE),
                 "C:\\Tarvex\\Brevant\\support\\StandardSettings.txt");

    const CSettingsFile project("C:\\Jobs\\A100\\ProjectSettings.txt");
    ASSERT_TRUE(project.isValid());
    EXPECT_STREQ(project.getProjectLabel(), "A100 Harbour Works");
    EXPECT_STREQ(project.getProjectPath(),
                 ";C:\\Jobs\\A100\\;C:\\Jobs\\A100\\xrefs;C:\\Jobs\\Library\\xrefs");
    EXPECT_STREQ(project.getJobNumber(), "A100");
    EXPECT_STREQ(project.getJobTitle(0), "Harbour Works");
    EXPECT_STREQ(project.getJobTitle(1), "Quay Wall Extension");
    EXPECT_STREQ(project.getIssueTable().at("A"), "First issue\r\nfor comment by the client");
    ASSERT_EQ(project.getRecordCount(false), 1);
    EXPECT_STREQ(project.getBorder(0, 0, false).second, "A100-TB-A1");
    EXPECT_STREQ(project.getRecord(0, false)->m_mapAttributes.at("DOCTITLE[1]"), "TITLE1");

    const CSettingsFile domain(Locate(LOCATION_DOMAIN_SETTINGS_FILE));
    ASSERT_TRUE(domain.isValid());
    EXPECT_EQ(domain.getRecordCount(false), 1);
    EXPECT_EQ(domain.getBorderCount(0, false), 3);
    EXPECT_EQ(domain.getRecordCount(true), 1);

    const CSettingsFile standard(Locate(LOCATION_STANDARD_SETTINGS_FILE));
    ASSERT_TRUE(standard.isValid());
    EXPECT_EQ(standard.getBorderCount(0, false), 5);
    EXPECT_STREQ(standard.getBorder(0, 1, false).second, "ISO-A1");
    brevant::platform::clearDriveMap();
}

}  // namespace
