// The refresh broadcast, received in this process and by a listener program,
// and the docinfo folder beside a drawing, made on demand.
#include <gtest/gtest.h>

#include <brevant/platform.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include "../configuration/CommandLine.h"
#include "DocumentData.h"
#include "TempDir.h"

extern char** environ;

using brevant::test::takeCommandLine;
using brevant::test::TempDir;
using brevant::test::traceLine;

namespace {

struct Received {
    unsigned int uMessage;
    uintptr_t wParam;
    intptr_t lParam;
};

class DocumentDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Registered messages and listeners' sockets of this test only.
        setenv("BREVANT_RUNTIME_DIR", m_dir.file("runtime").c_str(), 1);
        brevant::platform::clearDriveMap();
        brevant::platform::mapDrive("C", m_dir.file("C"));
        std::filesystem::create_directories(m_dir.file("C"));
        brevant::platform::captureMessageBoxes(&m_vectorBoxes);
        brevant::test::initialiseLibrary(2);
        m_iListener = brevant::platform::addMessageListener(
            [this](unsigned int uMessage, uintptr_t wParam, intptr_t lParam) {
                m_vectorReceived.push_back({uMessage, wParam, lParam});
            });
    }
    void TearDown() override {
        brevant::platform::removeMessageListener(m_iListener);
        brevant::platform::captureMessageBoxes(nullptr);
        brevant::platform::clearDriveMap();
    }

    TempDir m_dir;
    std::vector<brevant::platform::MessageBoxCall> m_vectorBoxes;
    std::vector<Received> m_vectorReceived;
    int m_iListener = 0;
};

TEST_F(DocumentDataTest, RefreshOnlyWhileRegistered) {
    // Before registration nothing is posted or traced.
    EXPECT_EQ(Pellam::getRefreshMessage(), 0u);
    Pellam::refreshDocumentManager();
    EXPECT_TRUE(m_vectorReceived.empty());
    EXPECT_EQ(takeCommandLine(), "");

    Pellam::registerRefreshMessage();
    const UINT uMessage = Pellam::getRefreshMessage();
    EXPECT_GE(uMessage, 0xC000u);
    EXPECT_EQ(uMessage, RegisterWindowMessageA("Pellam-Brevant"));
    EXPECT_EQ(brevant::platform::registeredMessageName(uMessage), "Pellam-Brevant");

    // Two saves, two broadcasts, each with 2116 and 0.
    Pellam::refreshDocumentManager();
    Pellam::refreshDocumentManager();
    ASSERT_EQ(m_vectorReceived.size(), 2u);
    for (const Received& received : m_vectorReceived) {
        EXPECT_EQ(received.uMessage, uMessage);
        EXPECT_EQ(received.wParam, 2116u);
        EXPECT_EQ(received.lParam, 0);
    }
    EXPECT_EQ(takeCommandLine(),
              traceLine("Refreshing Brevant.") + traceLine("Refreshing Brevant."));

    Pellam::unregisterRefreshMessage();
    EXPECT_EQ(Pellam::getRefreshMessage(), 0u);
    Pellam::refreshDocumentManager();
    EXPECT_EQ(m_vectorReceived.size(), 2u);
    EXPECT_TRUE(m_vectorBoxes.empty());
}

TEST_F(DocumentDataTest, RegistrationChecks) {
    Pellam::unregisterRefreshMessage();
    Pellam::registerRefreshMessage();
    Pellam::registerRefreshMessage();
    ASSERT_EQ(m_vectorBoxes.size(), 2u);
    EXPECT_NE(m_vectorBoxes[0].text.find("Assertion : <m_iBrevantRefresh != 0>"),
              std::string::npos);
    EXPECT_NE(m_vectorBoxes[1].text.find("Assertion : <m_iBrevantRefresh == 0>"),
              std::string::npos);
    // Registering again keeps the one number.
    EXPECT_EQ(Pellam::getRefreshMessage(), RegisterWindowMessageA("Pellam-Brevant"));
}

// Starts the listener program with its output in files, and waits until its
// socket is ready; 0 when it cannot be started.
pid_t startListener(const std::string& sProgram, const std::string& sOut, const std::string& sErr,
                    const char* sCount) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, sOut.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, sErr.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> vectorArguments = {const_cast<char*>(sProgram.c_str()),
                                          const_cast<char*>("--count"),
                                          const_cast<char*>(sCount),
                                          const_cast<char*>("--timeout"),
                                          const_cast<char*>("120"),
                                          nullptr};
    pid_t pid = 0;
    const int iResult =
        posix_spawn(&pid, sProgram.c_str(), &actions, nullptr, vectorArguments.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (iResult != 0) {
        return 0;
    }
    for (int i = 0; i < 6000; ++i) {
        if (brevant::test::readFile(sErr).find("listening on") != std::string::npos) {
            return pid;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return 0;
}

// A listener program started before the broadcasts receives each of them; a
// dead listener and one that never reads do not hold the sender up.
TEST_F(DocumentDataTest, ListenerInAnotherProcess) {
    const std::string sListen = std::string(BREVANT_BIN_DIR) + "/brevant-listen";
    if (!std::filesystem::exists(sListen)) {
        GTEST_SKIP() << "brevant-listen is not built";
    }
    // A listener that died without removing its socket.
    const pid_t pidDead =
        startListener(sListen, m_dir.file("dead.out"), m_dir.file("dead.err"), "1");
    ASSERT_NE(pidDead, 0);
    kill(pidDead, SIGKILL);
    waitpid(pidDead, nullptr, 0);
    // A listener that never reads.
    std::string sError;
    brevant::platform::BroadcastReceiver slowReceiver;
    ASSERT_TRUE(slowReceiver.open(sError)) << sError;

    const std::string sOut = m_dir.file("listen.out");
    const pid_t pid = startListener(sListen, sOut, m_dir.file("listen.err"), "3");
    ASSERT_NE(pid, 0);

    Pellam::registerRefreshMessage();
    // Far more broadcasts than a reader that never reads can queue.
    for (int i = 0; i < 2000; ++i) {
        Pellam::refreshDocumentManager();
    }
    int iStatus = 0;
    ASSERT_EQ(waitpid(pid, &iStatus, 0), pid);
    EXPECT_TRUE(WIFEXITED(iStatus) && WEXITSTATUS(iStatus) == 0);
    char szNumber[16];
    snprintf(szNumber, sizeof(szNumber), "0x%04X", Pellam::getRefreshMessage());
    const std::string sLine =
        "\"Pellam-Brevant\" " + std::string(szNumber) + " wParam=2116 lParam=0\n";
    EXPECT_EQ(brevant::test::readFile(sOut), sLine + sLine + sLine);
    EXPECT_EQ(m_vectorReceived.size(), 2000u);
    EXPECT_TRUE(m_vectorBoxes.empty());
}

TEST_F(DocumentDataTest, DocInfoFolder) {
    std::filesystem::create_directories(m_dir.file("C/Jobs/A100/docinfo"));
    struct Case {
        const char* sDrawing;
        const char* sExpected;
        std::string sTrace;
    } cases[] = {
        // An existing folder is used as it is.
        {"C:\\Jobs\\A100\\plan01.dwg", "C:\\Jobs\\A100\\docinfo\\", ""},
        {"c:\\jobs\\a100\\PLAN01.DWG", "c:\\jobs\\a100\\docinfo\\", ""},
        // A missing one is made, with every missing parent.
        {"C:\\Jobs\\B200\\dwg\\plan02.dwg", "C:\\Jobs\\B200\\dwg\\docinfo\\",
         traceLine("Creating directory \"C:\\Jobs\\B200\\dwg\\docinfo\\\".")},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(i);
        EXPECT_STREQ(Pellam::getDocInfoDirectory(cases[i].sDrawing), cases[i].sExpected);
        const std::string sOutput = takeCommandLine();
        if (cases[i].sTrace.empty()) {
            EXPECT_EQ(sOutput, "");
        } else {
            EXPECT_EQ(sOutput.find(cases[i].sTrace), 0u) << sOutput;
        }
    }
    EXPECT_TRUE(std::filesystem::is_directory(m_dir.file("C/Jobs/B200/dwg/docinfo")));
}

// A drawing on a read-only share: the user sees the host error message with
// the folder's path, and nothing is made.
TEST_F(DocumentDataTest, DocInfoFolderOnAReadOnlyShare) {
    std::filesystem::create_directories(m_dir.file("share/A100"));
    brevant::platform::mapDrive("S", m_dir.file("share"), "\\\\srv\\jobs", true);
    brevant::test::initialiseLibrary(0);
    EXPECT_STREQ(Pellam::getDocInfoDirectory("S:\\A100\\plan01.dwg"), "");
    const std::string sOutput = takeCommandLine();
    EXPECT_EQ(sOutput.rfind("Brevant AutoCAD error : ", 0), 0u) << sOutput;
    const std::string sEnd = " - Failed to create \"S:\\A100\\docinfo\\\", check permissions.\n";
    ASSERT_GE(sOutput.size(), sEnd.size());
    EXPECT_EQ(sOutput.substr(sOutput.size() - sEnd.size()), sEnd);
    EXPECT_FALSE(std::filesystem::exists(m_dir.file("share/A100/docinfo")));
}

// A folder that cannot be made for another reason (the disk refuses) gives
// the same message.
TEST_F(DocumentDataTest, DocInfoFolderCreationFails) {
    std::filesystem::create_directories(m_dir.file("C/Jobs"));
    brevant::test::initialiseLibrary(0);
    brevant::platform::failAfter(brevant::platform::Operation::CreateFolder, 2);
    EXPECT_STREQ(Pellam::getDocInfoDirectory("C:\\Jobs\\A100\\plan01.dwg"), "");
    EXPECT_NE(takeCommandLine().find("Failed to create \"C:\\Jobs\\A100\\docinfo\\\""),
              std::string::npos);
    brevant::platform::failAfter(brevant::platform::Operation::CreateFolder, 0);
    EXPECT_STREQ(Pellam::getDocInfoDirectory("C:\\Jobs\\A100\\plan01.dwg"),
                 "C:\\Jobs\\A100\\docinfo\\");
}

}  // namespace
