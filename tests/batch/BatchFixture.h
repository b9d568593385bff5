// A test of the side files: drive P: is a temporary folder, the clock is fixed
// where a test says, user and computer names are fixed, the refresh message is
// registered and every broadcast in this process is counted.
#pragma once

#include <gtest/gtest.h>

#include <brevant/platform.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "CommandLine.h"
#include "DocumentData.h"
#include "PlatformSeams.h"
#include "TempDir.h"

namespace brevant::test {

class BatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        char cwd[PATH_MAX];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        m_sSavedDirectory = cwd;
        setenv("BREVANT_RUNTIME_DIR", m_dir.file("runtime").c_str(), 1);
        setenv("BREVANT_USER_NAME", "jsmith", 1);
        setenv("BREVANT_COMPUTER_NAME", "PC042", 1);
        std::filesystem::create_directories(m_dir.file("P"));
        brevant::platform::clearDriveMap();
        brevant::platform::mapDrive("P", m_dir.file("P"));
        disarmFaults();
        brevant::platform::captureMessageBoxes(&m_vectorBoxes);
        initialiseLibrary(0);
        Pellam::registerRefreshMessage();
        m_iListener = brevant::platform::addMessageListener(
            [this](unsigned int uMessage, uintptr_t, intptr_t) {
                if (uMessage == Pellam::getRefreshMessage()) {
                    ++m_iBroadcasts;
                }
            });
    }
    void TearDown() override {
        brevant::platform::removeMessageListener(m_iListener);
        Pellam::unregisterRefreshMessage();
        brevant::platform::captureMessageBoxes(nullptr);
        disarmFaults();
        brevant::platform::setClock(0);
        brevant::platform::clearDriveMap();
        EXPECT_EQ(chdir(m_sSavedDirectory.c_str()), 0);
    }
    // Fixes the clock at a local time.
    static void clockAt(int iYear, int iMonth, int iDay, int iHour, int iMinute) {
        char szTime[32];
        snprintf(szTime, sizeof szTime, "%04d-%02d-%02d %02d:%02d", iYear, iMonth, iDay, iHour,
                 iMinute);
        fixClock(szTime);
    }
    // The Linux path of a file under P:.
    std::string native(const std::string& sRelative) const { return m_dir.file("P/" + sRelative); }

    TempDir m_dir;
    std::string m_sSavedDirectory;
    std::vector<brevant::platform::MessageBoxCall> m_vectorBoxes;
    int m_iListener = 0;
    int m_iBroadcasts = 0;
};

}  // namespace brevant::test
