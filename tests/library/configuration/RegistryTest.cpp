// Registry values: strings read and written, other types refused, keys made
// on demand, and hive files that are missing or damaged.
#include <gtest/gtest.h>

#include <brevant/platform.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "CommandLine.h"
#include "Registry.h"
#include "TempDir.h"

using brevant::test::TempDir;
using Pellam::Registry::OpenRead;
using Pellam::Registry::OpenWrite;

namespace {

const char kKey[] = "Software\\Tarvex\\Test";

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("BREVANT_REGISTRY_DIR", m_dir.file("registry").c_str(), 1);
        brevant::test::initialiseLibrary(0);
    }

    // Stores a value of any type directly, as another program might.
    void setRaw(HKEY hkRoot, const char* sName, DWORD dwType, const void* pData, DWORD dwSize) {
        HKEY hKey = NULL;
        ASSERT_EQ(RegCreateKeyExA(hkRoot, kKey, 0, NULL, 0, KEY_WRITE, NULL, &hKey, NULL),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(hKey, sName, 0, dwType, static_cast<const BYTE*>(pData), dwSize),
                  ERROR_SUCCESS);
        RegCloseKey(hKey);
    }

    TempDir m_dir;
};

TEST_F(RegistryTest, ReadsOnlyStrings) {
    const DWORD dwNumber = 42;
    setRaw(HKEY_CURRENT_USER, "Number", REG_DWORD, &dwNumber, sizeof(dwNumber));
    const char szExpand[] = "%USERPROFILE%\\Settings";
    setRaw(HKEY_CURRENT_USER, "Expand", REG_EXPAND_SZ, szExpand, sizeof(szExpand));
    const BYTE abBinary[] = {1, 2, 3};
    setRaw(HKEY_CURRENT_USER, "Binary", REG_BINARY, abBinary, sizeof(abBinary));
    const char szMulti[] = "a\0b\0";
    setRaw(HKEY_CURRENT_USER, "Multi", REG_MULTI_SZ, szMulti, sizeof(szMulti));
    const char szNoZero[] = {'a', 'b', 'c'};
    setRaw(HKEY_CURRENT_USER, "NoZero", REG_SZ, szNoZero, sizeof(szNoZero));
    setRaw(HKEY_CURRENT_USER, "Empty", REG_SZ, "", 0);
    ASSERT_TRUE(OpenWrite(HKEY_CURRENT_USER, kKey, "Text", "P:\\job"));

    struct Case {
        HKEY hkRoot;
        const char* sKey;
        const char* sName;
        bool bFound;
        const char* sValue;  // the out-argument starts as "unchanged"
    } cases[] = {
        {HKEY_CURRENT_USER, kKey, "Text", true, "P:\\job"},
        {HKEY_CURRENT_USER, "SOFTWARE\\TARVEX\\test", "text", true, "P:\\job"},  // any case
        {HKEY_CURRENT_USER, kKey, "Expand", true, "%USERPROFILE%\\Settings"},    // unexpanded
        {HKEY_CURRENT_USER, kKey, "NoZero", true, "abc"},
        {HKEY_CURRENT_USER, kKey, "Empty", true, ""},
        {HKEY_CURRENT_USER, kKey, "Number", false, "unchanged"},
        {HKEY_CURRENT_USER, kKey, "Binary", false, "unchanged"},
        {HKEY_CURRENT_USER, kKey, "Multi", false, "unchanged"},
        {HKEY_CURRENT_USER, kKey, "Missing", false, "unchanged"},
        {HKEY_CURRENT_USER, "Software\\Tarvex\\Missing", "Text", false, "unchanged"},
        {HKEY_LOCAL_MACHINE, kKey, "Text", false, "unchanged"},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(i);
        CString sValue = "unchanged";
        EXPECT_EQ(OpenRead(cases[i].hkRoot, cases[i].sKey, cases[i].sName, sValue),
                  cases[i].bFound);
        EXPECT_STREQ(sValue, cases[i].sValue);
    }
}

TEST_F(RegistryTest, WritesStringsMakingMissingKeys) {
    const char sDeep[] = "Software\\Tarvex\\A\\B\\C";
    ASSERT_TRUE(OpenWrite(HKEY_LOCAL_MACHINE, sDeep, "Value", "one"));
    CString sValue;
    ASSERT_TRUE(OpenRead(HKEY_LOCAL_MACHINE, sDeep, "Value", sValue));
    EXPECT_STREQ(sValue, "one");
    // The middle keys exist now.
    HKEY hKey = NULL;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Tarvex\\A\\B", 0, KEY_READ, &hKey),
              ERROR_SUCCESS);
    RegCloseKey(hKey);

    // A later write replaces the value; an empty text is one byte, its zero.
    ASSERT_TRUE(OpenWrite(HKEY_LOCAL_MACHINE, sDeep, "Value", ""));
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, sDeep, 0, KEY_READ, &hKey), ERROR_SUCCESS);
    DWORD dwType = 0;
    DWORD dwSize = 0;
    EXPECT_EQ(RegQueryValueExA(hKey, "Value", NULL, &dwType, NULL, &dwSize), ERROR_SUCCESS);
    EXPECT_EQ(dwType, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(dwSize, 1u);
    RegCloseKey(hKey);
    sValue = "unchanged";
    ASSERT_TRUE(OpenRead(HKEY_LOCAL_MACHINE, sDeep, "Value", sValue));
    EXPECT_STREQ(sValue, "");

    // The default (unnamed) value.
    ASSERT_TRUE(OpenWrite(HKEY_CURRENT_USER, kKey, "", "default"));
    ASSERT_TRUE(OpenRead(HKEY_CURRENT_USER, kKey, NULL, sValue));
    EXPECT_STREQ(sValue, "default");
}

TEST_F(RegistryTest, FailedWriteIsReported) {
    brevant::platform::failAfter(brevant::platform::Operation::RegistryWrite, 1);
    EXPECT_FALSE(OpenWrite(HKEY_CURRENT_USER, kKey, "Value", "lost"));
    brevant::platform::failAfter(brevant::platform::Operation::RegistryWrite, 0);
    CString sValue = "unchanged";
    EXPECT_FALSE(OpenRead(HKEY_CURRENT_USER, kKey, "Value", sValue));
    EXPECT_STREQ(sValue, "unchanged");
}

// Hive files that are missing, truncated or edited by hand with mistakes:
// what can be understood is read, the rest is not found; nothing crashes.
TEST_F(RegistryTest, DamagedHiveFiles) {
    const std::string sHive = m_dir.file("registry/user.reg");
    struct Case {
        std::string sContent;
        const char* sName;
        bool bFound;
        const char* sValue;
    } cases[] = {
        {"Windows Registry Editor Version 5.00\r\n\r\n"
         "[HKEY_CURRENT_USER\\Software\\Tarvex\\Test]\r\n\"Good\"=\"yes\"\r\n",
         "Good", true, "yes"},
        // Cut off in the middle of a value.
        {"Windows Registry Editor Version 5.00\r\n\r\n"
         "[HKEY_CURRENT_USER\\Software\\Tarvex\\Test]\r\n\"Good\"=\"yes\"\r\n\"Cut\"=\"ab",
         "Good", true, "yes"},
        // A wrong line among good ones.
        {"Windows Registry Editor Version 5.00\r\n\r\n"
         "[HKEY_CURRENT_USER\\Software\\Tarvex\\Test]\r\nnonsense line\r\n\"Bad\"=dword:xyz\r\n"
         "\"Good\"=\"yes\"\r\n",
         "Good", true, "yes"},
        {"Windows Registry Editor Version 5.00\r\n\r\n"
         "[HKEY_CURRENT_USER\\Software\\Tarvex\\Test]\r\n\"Bad\"=dword:xyz\r\n",
         "Bad", false, "unchanged"},
        {"", "Good", false, "unchanged"},
        {std::string("\x00\xff\x13garbage\x00", 11), "Good", false, "unchanged"},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(i);
        brevant::test::writeFile(sHive, cases[i].sContent);
        CString sValue = "unchanged";
        EXPECT_EQ(OpenRead(HKEY_CURRENT_USER, kKey, cases[i].sName, sValue), cases[i].bFound);
        EXPECT_STREQ(sValue, cases[i].sValue);
    }
    std::filesystem::remove(sHive);
    CString sValue = "unchanged";
    EXPECT_FALSE(OpenRead(HKEY_CURRENT_USER, kKey, "Good", sValue));
    EXPECT_STREQ(sValue, "unchanged");
}

}  // namespace
