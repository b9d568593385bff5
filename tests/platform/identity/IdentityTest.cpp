// The user, the computer name and network drive connections: buffer sizes,
// settings, fallbacks and remembered drives.
#include "TempDir.h"

#include "brevant/platform.h"
#include "windows.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <string>
#include <unistd.h>

using brevant::test::TempDir;

namespace {

class IdentityTest : public testing::Test {
protected:
    void TearDown() override {
        unsetenv("BREVANT_USER_NAME");
        unsetenv("BREVANT_COMPUTER_NAME");
        unsetenv("BREVANT_NETWORK");
    }
};

TEST_F(IdentityTest, UserNameAndItsBuffer) {
    setenv("BREVANT_USER_NAME", "ann.smith", 1);
    struct Row {
        DWORD size;
        DWORD result;
        DWORD sizeAfter;
        const char* text;
    } rows[] = {
        {512, NO_ERROR, 512, "ann.smith"},
        {10, NO_ERROR, 10, "ann.smith"},  // exactly the name and its zero
        {9, ERROR_MORE_DATA, 10, ""},
        {0, ERROR_MORE_DATA, 10, ""},
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE("row " + std::to_string(++n));
        char buffer[512] = {};
        DWORD size = row.size;
        EXPECT_EQ(row.result, WNetGetUserA(nullptr, buffer, &size));
        EXPECT_EQ(row.sizeAfter, size);
        EXPECT_STREQ(row.text, buffer);
    }

    unsetenv("BREVANT_USER_NAME");
    char buffer[512];
    DWORD size = sizeof buffer;
    ASSERT_EQ((DWORD)NO_ERROR, WNetGetUserA(nullptr, buffer, &size));
    EXPECT_STREQ(getpwuid(geteuid())->pw_name, buffer);  // the login name

    setenv("BREVANT_NETWORK", "off", 1);
    size = sizeof buffer;
    EXPECT_EQ((DWORD)ERROR_NO_NETWORK, WNetGetUserA(nullptr, buffer, &size));
    EXPECT_EQ((DWORD)ERROR_NO_NETWORK, GetLastError());
}

TEST_F(IdentityTest, ComputerNameAndItsBuffer) {
    setenv("BREVANT_COMPUTER_NAME", "WS-ANN-01", 1);
    struct Row {
        DWORD size;
        BOOL result;
        DWORD sizeAfter;
        const char* text;
    } rows[] = {
        {16, TRUE, 9, "WS-ANN-01"},
        {10, TRUE, 9, "WS-ANN-01"},
        {9, FALSE, 10, ""},
        {0, FALSE, 10, ""},
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE("row " + std::to_string(++n));
        char buffer[16] = {};
        DWORD size = row.size;
        SetLastError(0);
        EXPECT_EQ(row.result, GetComputerNameA(buffer, &size));
        EXPECT_EQ(row.sizeAfter, size);
        EXPECT_STREQ(row.text, buffer);
        EXPECT_EQ(row.result ? 0u : (DWORD)ERROR_BUFFER_OVERFLOW, GetLastError());
    }
    // A longer name than NetBIOS allows, given by the setting, still comes
    // back whole through a second call with the size returned.
    setenv("BREVANT_COMPUTER_NAME", "A-VERY-LONG-WORKSTATION", 1);
    char small[16];
    DWORD size = sizeof small;
    EXPECT_FALSE(GetComputerNameA(small, &size));
    EXPECT_EQ(24u, size);
}

TEST_F(IdentityTest, ComputerNameFromTheHostIsANetbiosName) {
    char buffer[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = sizeof buffer;
    ASSERT_TRUE(GetComputerNameA(buffer, &size));
    EXPECT_EQ(strlen(buffer), size);
    EXPECT_GE(size, 1u);
    EXPECT_LE(size, (DWORD)MAX_COMPUTERNAME_LENGTH);
    for (const char* ch = buffer; *ch; ++ch) {
        EXPECT_TRUE(*ch > ' ' && *ch < 0x7f && !islower((unsigned char)*ch) &&
                    !strchr("\\/:*?\"<>|.", *ch))
            << buffer;
    }
}

TEST_F(IdentityTest, DriveConnections) {
    TempDir dir;
    brevant::platform::mapDrive("P", dir.path(), "\\\\server\\projects");
    brevant::platform::mapDrive("R", "", "\\\\server\\archive");  // remembered, not connected
    brevant::platform::mapDrive("L", dir.path());                 // a local drive
    struct Row {
        const char* local;
        DWORD size;
        DWORD result;
        DWORD sizeAfter;
        const char* remote;
    } rows[] = {
        {"P:", 512, NO_ERROR, 512, "\\\\server\\projects"},
        {"p:", 512, NO_ERROR, 512, "\\\\server\\projects"},
        {"R:", 512, ERROR_CONNECTION_UNAVAIL, 512, "\\\\server\\archive"},
        {"L:", 512, ERROR_NOT_CONNECTED, 512, ""},
        {"Q:", 512, ERROR_NOT_CONNECTED, 512, ""},
        {"P:", 17, ERROR_MORE_DATA, 18, ""},
        {"P:", 18, NO_ERROR, 18, "\\\\server\\projects"},
        {"R:", 5, ERROR_MORE_DATA, 17, ""},
        {"P", 512, ERROR_BAD_DEVICE, 512, ""},
        {"P:\\", 512, ERROR_BAD_DEVICE, 512, ""},
        {"", 512, ERROR_BAD_DEVICE, 512, ""},
        {"1:", 512, ERROR_BAD_DEVICE, 512, ""},
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE("row " + std::to_string(++n));
        char buffer[512] = {};
        DWORD size = row.size;
        EXPECT_EQ(row.result, WNetGetConnectionA(row.local, buffer, &size));
        EXPECT_EQ(row.sizeAfter, size);
        EXPECT_STREQ(row.remote, buffer);
    }
    setenv("BREVANT_NETWORK", "off", 1);
    char buffer[512];
    DWORD size = sizeof buffer;
    EXPECT_EQ((DWORD)ERROR_NO_NETWORK, WNetGetConnectionA("P:", buffer, &size));
    brevant::platform::unmapDrive("P");
    brevant::platform::unmapDrive("R");
    brevant::platform::unmapDrive("L");
}

}  // namespace
