// The session: registry values at the first start, the command line's output
// and transcript file, script mode, and the TYPE and CLOCK commands.
#include "HostFixture.h"
#include "adslib.h"
#include "windows.h"

#include <filesystem>

namespace brevant::test {
namespace {

using brevant::host::runCommand;
using brevant::host::runScript;

class Session : public HostTest {};

std::string registryText(HKEY root, const char* key, const char* value) {
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &hKey) != 0) {
        return "<no key>";
    }
    char data[256] = {0};
    DWORD size = sizeof(data);
    DWORD type = 0;
    const LONG status = RegQueryValueExA(hKey, value, nullptr, &type, (BYTE*)data, &size);
    RegCloseKey(hKey);
    return status != 0 ? "<no value>" : type != REG_SZ ? "<not a text>" : data;
}

TEST_F(Session, TheFirstStartWritesTheInstallationsRegistryValues) {
    std::string error;
    ASSERT_TRUE(brevant::host::writeInstallationDefaults(error)) << error;
    EXPECT_EQ(registryText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Autodesk\\AutoCAD", "CurVer"), "R15.0");
    EXPECT_EQ(registryText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Autodesk\\AutoCAD\\R15.0", "CurVer"),
              "ACAD-1:409");
    const char* profiles = "Software\\Autodesk\\AutoCAD\\R15.0\\ACAD-1:409\\Profiles";
    EXPECT_EQ(registryText(HKEY_CURRENT_USER, profiles, nullptr), "<<Unnamed Profile>>");
    HKEY hProfile = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER,
                            "Software\\Autodesk\\AutoCAD\\R15.0\\ACAD-1:409\\Profiles\\<<Unnamed "
                            "Profile>>",
                            0, KEY_READ, &hProfile),
              0);
    RegCloseKey(hProfile);

    // Later starts leave what a person changed.
    HKEY hKey = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, profiles, 0, nullptr, 0, KEY_WRITE, nullptr, &hKey,
                              &disposition),
              0);
    ASSERT_EQ(RegSetValueExA(hKey, nullptr, 0, REG_SZ, (const BYTE*)"Drafting", 9), 0);
    RegCloseKey(hKey);
    ASSERT_TRUE(brevant::host::writeInstallationDefaults(error)) << error;
    EXPECT_EQ(registryText(HKEY_CURRENT_USER, profiles, nullptr), "Drafting");
}

TEST_F(Session, TheFirstStartSaysWhenTheRegistryCannotBeWritten) {
    brevant::platform::failAfter(brevant::platform::Operation::RegistryWrite, 1);
    std::string error;
    EXPECT_FALSE(brevant::host::writeInstallationDefaults(error));
    EXPECT_NE(error.find("SOFTWARE\\Autodesk\\AutoCAD"), std::string::npos) << error;
    brevant::platform::failAfter(brevant::platform::Operation::RegistryWrite, 0);
}

TEST_F(Session, PrintingReachesTheTranscriptAndItsFile) {
    const std::string file = m_temp.file("session.log");
    setenv("BREVANT_TRANSCRIPT", file.c_str(), 1);
    brevant::host::clearTranscript();  // the file is looked up afresh
    EXPECT_EQ(acutPrintf("%s module %s operational.\n", "Tarvex Brevant", "is"), RTNORM);
    const std::string wide(3000, 'w');
    EXPECT_EQ(acutPrintf("%s|%d", wide.c_str(), 7), RTNORM);
    EXPECT_EQ(acutPrintf(nullptr), RTERROR);
    const std::string expected = "Tarvex Brevant module is operational.\n" + wide + "|7";
    EXPECT_EQ(brevant::host::transcript(), expected);
    EXPECT_EQ(readFile(file), expected);
    brevant::host::endLine();
    brevant::host::endLine();  // once only
    EXPECT_EQ(readFile(file), expected + "\n");
    unsetenv("BREVANT_TRANSCRIPT");
}

TEST_F(Session, ScriptsEchoEachLineAndReportTheLinesThatFailed) {
    writeFile(m_temp.file("session.scr"),
              "; a comment\r\n"
              "\r\n"
              "  # another\n"
              "NEW\n"
              "GETVAR dwgname\n"
              "FROB 1\n"
              "(nosuch)\n"
              "QUIT\n"
              "GETVAR DWGNAME\n");
    const brevant::host::ScriptOutcome outcome = runScript(m_temp.file("session.scr"));
    EXPECT_TRUE(outcome.readable);
    EXPECT_EQ(outcome.failedLines, (std::vector<int>{6, 7}));
    EXPECT_EQ(printed(),
              "Command: NEW\n"
              "Command: GETVAR dwgname\n"
              "DWGNAME = \"Drawing1.dwg\" (read only)\n"
              "Command: FROB 1\n"
              "Unknown command \"FROB\".  Type HELP for a list of commands.\n"
              "Command: (nosuch)\n"
              "; error: no function definition: NOSUCH\n"
              "Command: QUIT\n");
    EXPECT_TRUE(brevant::host::hasQuit());

    const brevant::host::ScriptOutcome missing = runScript(m_temp.file("missing.scr"));
    EXPECT_FALSE(missing.readable);
    EXPECT_EQ(missing.error, "the file cannot be found");
    EXPECT_FALSE(runScript(m_temp.path()).readable);
}

TEST_F(Session, AScriptLineTooLongIsNotRun) {
    writeFile(m_temp.file("long.scr"),
              "(x \"" + std::string(brevant::host::kMaxLineLength, 'a') + "\")\nNEW\n");
    const brevant::host::ScriptOutcome outcome = runScript(m_temp.file("long.scr"));
    EXPECT_EQ(outcome.failedLines, (std::vector<int>{1}));
    EXPECT_EQ(printed(),
              "Line 1 is longer than 1048576 characters: it was not run.\n"
              "Command: NEW\n");
}

TEST_F(Session, InteractiveLinesArePromptedAndEndWithTheInput) {
    std::istringstream input("NEW\n\nGETVAR DWGTITLED\nFROB");
    EXPECT_EQ(brevant::host::runInteractive(input, true).failedLines, std::vector<int>{4});
    EXPECT_EQ(printed(),
              "Command: NEW\n"
              "Command: \n"
              "Command: GETVAR DWGTITLED\n"
              "DWGTITLED = 0 (read only)\n"
              "Command: FROB\n"
              "Unknown command \"FROB\".  Type HELP for a list of commands.\n"
              "Command: \n");
    EXPECT_TRUE(brevant::host::hasQuit());
}

TEST_F(Session, TypePrintsATextFileWithItsLineEnds) {
    writeFile(m_temp.file("plan01-dwg.his"), "first\r\nsecond\r\nlast without end");
    brevant::platform::mapDrive("C", m_temp.path());
    EXPECT_TRUE(runCommand("TYPE C:\\PLAN01-DWG.HIS"));
    EXPECT_EQ(printed(), "first\nsecond\nlast without end\n");
    EXPECT_FALSE(runCommand("TYPE C:\\missing.txt"));
    EXPECT_EQ(printed(), "Cannot read C:\\missing.txt: the file cannot be found.\n");
    EXPECT_FALSE(runCommand("TYPE C:\\"));
    EXPECT_EQ(printed(), "Cannot read C:\\: it is a folder.\n");
    EXPECT_FALSE(runCommand("TYPE"));
    EXPECT_EQ(printed(), "Requires a file name: TYPE <file>.\n");
}

TEST_F(Session, ClockFixesTheTimeOfTheSession) {
    struct Case {
        const char* line;
        bool ok;
    };
    const Case refused[] = {
        {"CLOCK 2024-02-30 10:00", false},
        {"CLOCK 2024-13-01 10:00", false},
        {"CLOCK 2024-03-01 24:00", false},
        {"CLOCK 2024-03-01", false},
        {"CLOCK 2024-03-01 10:00 x", false},
        {"CLOCK 2024-03-31 01:30", false},  // skipped in London
        {"CLOCK yesterday", false},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.line);
        EXPECT_FALSE(runCommand(c.line));
        EXPECT_EQ(
            printed(),
            "Requires a date and time that exist: CLOCK YYYY-MM-DD HH:MM[:SS] or CLOCK OFF.\n");
    }
    EXPECT_TRUE(runCommand("CLOCK 2024-03-01 14:05"));
    EXPECT_TRUE(runCommand("CLOCK"));
    EXPECT_EQ(printed(), "Clock: 2024-03-01 14:05:00\n");
    EXPECT_TRUE(runCommand("clock 2024-07-01 09:08:07"));
    EXPECT_TRUE(runCommand("CLOCK"));
    EXPECT_EQ(printed(), "Clock: 2024-07-01 09:08:07\n");
    EXPECT_TRUE(runCommand("CLOCK OFF"));
    EXPECT_NE(brevant::platform::now(), 0);
}

}  // namespace
}  // namespace brevant::test
