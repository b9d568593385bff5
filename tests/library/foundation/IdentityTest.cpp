// The user, the computer and the network drives, with their fallbacks.
#include <gtest/gtest.h>

#include <brevant/platform.h>

#include <cstdlib>
#include <string>

#include "Identity.h"
#include "TempDir.h"

using brevant::test::TempDir;
using namespace Pellam::Util;

namespace {

TEST(Identity, UserName) {
    struct Case {
        std::string sUser;  // "-": not set
        const char* sNetwork;
        std::string sExpected;
    } cases[] = {
        {"ann", "", "ann"},
        {std::string(600, 'u'), "", std::string(600, 'u')},  // longer than the first buffer
        {"ann", "off", "Unknown"},                           // no network
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(i);
        setenv("BREVANT_USER_NAME", cases[i].sUser.c_str(), 1);
        setenv("BREVANT_NETWORK", cases[i].sNetwork, 1);
        EXPECT_EQ(std::string(getUserName()), cases[i].sExpected);
    }
}

TEST(Identity, ComputerName) {
    setenv("BREVANT_COMPUTER_NAME", "WS-ANN", 1);
    EXPECT_STREQ(getComputerName(), "WS-ANN");
    unsetenv("BREVANT_COMPUTER_NAME");
    const CString sName = getComputerName();
    EXPECT_FALSE(sName.IsEmpty());
    EXPECT_LE(sName.GetLength(), 15);
}

TEST(Identity, DriveConnection) {
    TempDir dir;
    brevant::platform::clearDriveMap();
    brevant::platform::mapDrive("C", dir.file("C"));
    brevant::platform::mapDrive("N", dir.file("N"), "\\\\srv\\jobs");
    brevant::platform::mapDrive("M", "", "\\\\srv\\archive");  // remembered, not connected
    const std::string sLongRemote = "\\\\srv\\" + std::string(600, 's');
    brevant::platform::mapDrive("L", dir.file("L"), sLongRemote);
    setenv("BREVANT_NETWORK", "", 1);
    struct Case {
        char chDrive;
        std::string sExpected;
    } cases[] = {
        {'N', "\\\\srv\\jobs"},
        {'n', "\\\\srv\\jobs"},
        {'M', "\\\\srv\\archive"},
        {'L', sLongRemote},
        {'C', ""},
        {'Q', ""},
        {'\0', ""},
        {'1', ""},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(std::string(getDriveConnection(cases[i].chDrive)), cases[i].sExpected);
    }
    brevant::platform::clearDriveMap();
}

}  // namespace
