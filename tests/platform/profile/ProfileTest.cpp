// GetPrivateProfileStringA: values, defaults, truncation to the buffer, name
// lists, and the growing-buffer loop that reads a value of any length.
#include "TempDir.h"

#include "brevant/platform.h"
#include "windows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using brevant::test::TempDir;
using brevant::test::writeFile;

namespace {

const char kProfile[] =
    "; the application's configuration\r\n"
    "[Directories]\r\n"
    "  DomainSettings = P:\\Domain   \r\n"
    "Quoted=\"  spaced  \"\r\n"
    "Single='x'\r\n"
    "Half=\"open\r\n"
    "Empty=\r\n"
    "Equals=a=b\r\n"
    "\r\n"
    "[ Other ]\r\n"
    "Key=Value\n";

class ProfileTest : public testing::Test {
protected:
    void SetUp() override { writeFile(path(), kProfile); }
    std::string path() const { return m_dir.file("Application.cfg"); }

    TempDir m_dir;
};

TEST_F(ProfileTest, ValuesDefaultsAndTruncation) {
    struct Row {
        const char* section;
        const char* key;
        const char* fallback;
        DWORD size;
        std::string expected;
        DWORD result;
    } rows[] = {
        {"Directories", "DomainSettings", "", 100, "P:\\Domain", 9},
        {"DIRECTORIES", "domainsettings", "", 100, "P:\\Domain", 9},  // names without case
        {"Directories", "Quoted", "", 100, "  spaced  ", 10},         // quotes removed
        {"Directories", "Single", "", 100, "x", 1},
        {"Directories", "Half", "", 100, "\"open", 5},  // one quote only: kept
        {"Directories", "Empty", "def", 100, "", 0},    // present, empty: not the default
        {"Directories", "Equals", "", 100, "a=b", 3},
        {"Other", "Key", "", 100, "Value", 5},                 // blanks inside the brackets
        {"Directories", "Missing", "def  \t", 100, "def", 3},  // default without trailing blanks
        {"Directories", "Missing", "  def", 100, "  def", 5},
        {"Nowhere", "Key", "def", 100, "def", 3},
        {"Directories", "Missing", nullptr, 100, "", 0},
        {"Directories", "DomainSettings", "", 10, "P:\\Domain", 9},  // fits exactly
        {"Directories", "DomainSettings", "", 9, "P:\\Domai", 8},    // cut to nSize - 1
        {"Directories", "DomainSettings", "", 1, "", 0},
        {"Directories", "Missing", "default", 4, "def", 3},  // the default is cut too
        {"", "Key", "def", 100, "def", 3},
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE("row " + std::to_string(++n));
        char buffer[128];
        memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(row.result, GetPrivateProfileStringA(row.section, row.key, row.fallback, buffer,
                                                       row.size, path().c_str()));
        EXPECT_EQ(row.expected, std::string(buffer));
        EXPECT_EQ('#', buffer[row.size]);  // nothing past the buffer
    }
    char untouched = '#';
    EXPECT_EQ(0u, GetPrivateProfileStringA("Directories", "DomainSettings", "", &untouched, 0,
                                           path().c_str()));
    EXPECT_EQ('#', untouched);
}

TEST_F(ProfileTest, NullSectionOrKeyListsNames) {
    struct Row {
        const char* section;
        DWORD size;
        std::string expected;  // including the zeros
        DWORD result;
    } rows[] = {
        {nullptr, 100, std::string("Directories\0Other\0\0", 19), 18},
        {"Other", 100, std::string("Key\0\0", 5), 4},
        {"Nowhere", 100, std::string("\0\0", 2), 0},
        {nullptr, 8, std::string("Direct\0\0", 8), 6},  // the last name cut, two zeros
        {"directories", 100,
         std::string("DomainSettings\0Quoted\0Single\0Half\0Empty\0Equals\0\0", 48), 47},
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE("row " + std::to_string(++n));
        char buffer[128];
        memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(row.result, GetPrivateProfileStringA(row.section, nullptr, "ignored", buffer,
                                                       row.size, path().c_str()));
        EXPECT_EQ(row.expected, std::string(buffer, row.expected.size()));
    }
}

TEST_F(ProfileTest, MissingFileGivesTheDefault) {
    char buffer[32];
    SetLastError(0);
    EXPECT_EQ(3u, GetPrivateProfileStringA("Directories", "DomainSettings", "def", buffer,
                                           sizeof buffer, m_dir.file("none.cfg").c_str()));
    EXPECT_STREQ("def", buffer);
    EXPECT_EQ((DWORD)ERROR_FILE_NOT_FOUND, GetLastError());
    // A folder where the file should be reads as a missing file.
    EXPECT_EQ(3u, GetPrivateProfileStringA("Directories", "DomainSettings", "def", buffer,
                                           sizeof buffer, m_dir.path().c_str()));
}

// Reads a value of any length as the module does: the buffer starts at the
// default's length plus 2 and grows by that much while the value may have
// been cut (result + 1 == buffer size).
std::string readWhole(const char* section, const char* key, const std::string& fallback,
                      const std::string& file) {
    const DWORD step = (DWORD)fallback.size() + 2;
    DWORD size = step;
    for (;;) {
        std::vector<char> buffer(size);
        const DWORD length = GetPrivateProfileStringA(section, key, fallback.c_str(), buffer.data(),
                                                      size, file.c_str());
        if (length + 1 != size) {
            return std::string(buffer.data(), length);
        }
        size += step;
    }
}

TEST_F(ProfileTest, AValueOfAThousandCharactersComesBackWhole) {
    std::string value;
    for (int i = 0; value.size() < 1000; ++i) {
        value += (char)('a' + i % 26);
    }
    writeFile(path(), "[Directories]\r\nDomainSettings=" + value + "\r\n");
    EXPECT_EQ(value, readWhole("Directories", "DomainSettings", "", path()));
    EXPECT_EQ(value, readWhole("Directories", "DomainSettings", "xyz", path()));
}

TEST_F(ProfileTest, ANameWithoutAFolderIsLookedForInTheWindowsFolder) {
    // The system folder is <tmp>/WINDOWS/system32; the Windows folder its parent.
    setenv("BREVANT_SYSTEM_DIR", m_dir.file("WINDOWS/system32").c_str(), 1);
    writeFile(m_dir.file("WINDOWS/app.ini"), "[S]\nK=in windows\n");
    char buffer[32];
    EXPECT_EQ(10u, GetPrivateProfileStringA("S", "K", "", buffer, sizeof buffer, "app.ini"));
    EXPECT_STREQ("in windows", buffer);
    unsetenv("BREVANT_SYSTEM_DIR");
}

}  // namespace
