// A test with a fresh drive map: drive P: is a temporary folder, the fault
// seam is disarmed, the clock runs, and the current directory is restored.
#pragma once

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <unistd.h>

#include "PlatformSeams.h"
#include "TempDir.h"
#include "brevant/platform.h"
#include "windows.h"

class PlatformTest : public ::testing::Test {
protected:
    void SetUp() override {
        char cwd[PATH_MAX];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        m_savedDirectory = cwd;
        brevant::platform::clearDriveMap();
        brevant::platform::mapDrive("P", m_dir.path());
        brevant::test::disarmFaults();
    }
    void TearDown() override {
        brevant::test::disarmFaults();
        brevant::platform::setClock(0);
        brevant::platform::clearDriveMap();
        EXPECT_EQ(chdir(m_savedDirectory.c_str()), 0);
    }
    // The Linux path of a file under P:.
    std::string native(const std::string& relative) const { return m_dir.file(relative); }

    brevant::test::TempDir m_dir;
    std::string m_savedDirectory;
};
