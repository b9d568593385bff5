// Registered window messages and their broadcast: one number per name shared
// between processes, listeners in this process, a listener in another
// process (brevant-listen), no listener, a dead one, one that never reads and
// one a moment behind.
#include "TempDir.h"

#include "brevant/platform.h"
#include "windows.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <thread>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

using brevant::test::fileExists;
using brevant::test::readFile;
using brevant::test::TempDir;

namespace {

class MessagesTest : public testing::Test {
protected:
    void SetUp() override { setenv("BREVANT_RUNTIME_DIR", runtime().c_str(), 1); }
    void TearDown() override { unsetenv("BREVANT_RUNTIME_DIR"); }
    std::string runtime() const { return m_dir.file("run"); }
    std::string listeners() const { return runtime() + "/listeners"; }

    std::vector<std::string> socketsInFolder() const {
        std::vector<std::string> names;
        if (DIR* dir = opendir(listeners().c_str())) {
            while (dirent* entry = readdir(dir)) {
                if (entry->d_name[0] != '.') {
                    names.push_back(entry->d_name);
                }
            }
            closedir(dir);
        }
        return names;
    }

    TempDir m_dir;
};

TEST_F(MessagesTest, EachNameHasOneNumberFrom0xC000) {
    struct Row {
        const char* name;
        UINT number;
    } rows[] = {
        {"Pellam-Brevant", 0xC000},
        {"Pellam-Brevant", 0xC000},
        {"PELLAM-brevant", 0xC000},  // names without regard to case
        {"Other Message", 0xC001},
        {"", 0},
        {nullptr, 0},
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE("row " + std::to_string(++n));
        SetLastError(0);
        EXPECT_EQ(row.number, RegisterWindowMessageA(row.name));
        EXPECT_EQ(row.number != 0 ? 0u : (DWORD)ERROR_INVALID_PARAMETER, GetLastError());
    }
    EXPECT_EQ("C000 Pellam-Brevant\nC001 Other Message\n",
              readFile(runtime() + "/window-messages"));
    EXPECT_EQ("Pellam-Brevant", brevant::platform::registeredMessageName(0xC000));
    EXPECT_EQ("", brevant::platform::registeredMessageName(0xC002));
    EXPECT_EQ("", brevant::platform::registeredMessageName(0x0010));
}

TEST_F(MessagesTest, AnotherProcessGetsTheSameNumbers) {
    int channel[2];
    ASSERT_EQ(0, pipe(channel));
    const pid_t child = fork();
    ASSERT_NE(-1, child);
    if (child == 0) {
        const UINT number = RegisterWindowMessageA("Registered First Elsewhere");
        _exit(write(channel[1], &number, sizeof number) == sizeof number ? 0 : 1);
    }
    UINT theirs = 0;
    ASSERT_EQ((ssize_t)sizeof theirs, read(channel[0], &theirs, sizeof theirs));
    int status = 0;
    waitpid(child, &status, 0);
    close(channel[0]);
    close(channel[1]);

    EXPECT_EQ(0xC000u, theirs);
    EXPECT_EQ("Registered First Elsewhere", brevant::platform::registeredMessageName(0xC000));
    EXPECT_EQ(0xC001u, RegisterWindowMessageA("Pellam-Brevant"));
    EXPECT_EQ(theirs, RegisterWindowMessageA("registered first elsewhere"));
}

TEST_F(MessagesTest, AnUnusableRuntimeFolderStillGivesNumbers) {
    // The runtime folder would lie below a file: it cannot be made.
    brevant::test::writeFile(m_dir.file("file"), "x");
    const std::string folder = m_dir.file("file/run");
    setenv("BREVANT_RUNTIME_DIR", folder.c_str(), 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(0xC000u, RegisterWindowMessageA("Pellam-Brevant"));
    EXPECT_EQ(0xC001u, RegisterWindowMessageA("Other"));
    EXPECT_EQ(0xC000u, RegisterWindowMessageA("pellam-brevant"));
    EXPECT_EQ("The table of window messages in \"" + folder + "\" cannot be used (\"" +
                  m_dir.file("file/run") +
                  "\" cannot be made: Not a directory); message numbers "
                  "now hold in this process only.\n",
              testing::internal::GetCapturedStderr());
    EXPECT_TRUE(PostMessageA(HWND_BROADCAST, 0xC000, 1, 2));
}

TEST_F(MessagesTest, BroadcastReachesTheListenersOfThisProcess) {
    const UINT message = RegisterWindowMessageA("Pellam-Brevant");
    struct Received {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    std::vector<Received> first;
    std::vector<Received> second;
    const int a = brevant::platform::addMessageListener([&](unsigned m, uintptr_t w, intptr_t l) {
        first.push_back({m, w, l});
    });
    int b = 0;
    b = brevant::platform::addMessageListener([&](unsigned m, uintptr_t w, intptr_t l) {
        second.push_back({m, w, l});
        brevant::platform::removeMessageListener(b);  // once only
    });

    EXPECT_TRUE(PostMessageA(HWND_BROADCAST, message, 2106 + 10, 0));
    EXPECT_TRUE(PostMessageA(HWND_BROADCAST, message, 7, -1));
    ASSERT_EQ(2u, first.size());
    EXPECT_EQ(message, first[0].message);
    EXPECT_EQ(2116u, first[0].wParam);
    EXPECT_EQ(0, first[0].lParam);
    EXPECT_EQ(7u, first[1].wParam);
    EXPECT_EQ(-1, first[1].lParam);
    EXPECT_EQ(1u, second.size());

    // Only the broadcast window exists.
    for (HWND window : {(HWND) nullptr, (HWND)1, (HWND)0xfffe}) {
        SetLastError(0);
        EXPECT_FALSE(PostMessageA(window, message, 1, 2));
        EXPECT_EQ((DWORD)ERROR_INVALID_WINDOW_HANDLE, GetLastError());
    }
    EXPECT_EQ(2u, first.size());
    brevant::platform::removeMessageListener(a);
    EXPECT_TRUE(PostMessageA(HWND_BROADCAST, message, 1, 2));
    EXPECT_EQ(2u, first.size());
}

TEST_F(MessagesTest, NoListenerAnywhere) {
    const UINT message = RegisterWindowMessageA("Pellam-Brevant");
    EXPECT_TRUE(PostMessageA(HWND_BROADCAST, message, 2116, 0));
    EXPECT_FALSE(fileExists(listeners()));
}

// Starts brevant-listen with its output on a pipe.
struct ListenerProcess {
    pid_t pid = -1;
    int output = -1;
    int errors = -1;

    bool start(const std::vector<std::string>& arguments) {
        int out[2];
        int err[2];
        if (pipe(out) != 0 || pipe(err) != 0) {
            return false;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addclose(&actions, err[0]);
        const std::string program = std::string(BREVANT_BIN_DIR) + "/brevant-listen";
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        const int result =
            posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        close(err[1]);
        output = out[0];
        errors = err[0];
        return result == 0;
    }
    // Waits for the "listening on" line, up to 30 seconds.
    bool ready() {
        std::string text;
        char buffer[256];
        pollfd poller{errors, POLLIN, 0};
        while (text.find('\n') == std::string::npos && poll(&poller, 1, 30000) == 1) {
            const ssize_t got = read(errors, buffer, sizeof buffer);
            if (got <= 0) {
                break;
            }
            text.append(buffer, (size_t)got);
        }
        return text.compare(0, 13, "listening on ") == 0;
    }
    // Everything printed until the program ends, and its exit status.
    std::string finish(int& status) {
        std::string text;
        char buffer[256];
        ssize_t got;
        while ((got = read(output, buffer, sizeof buffer)) > 0) {
            text.append(buffer, (size_t)got);
        }
        waitpid(pid, &status, 0);
        close(output);
        close(errors);
        return text;
    }
};

TEST_F(MessagesTest, AListenerInAnotherProcessPrintsWhatItReceives) {
    const UINT message = RegisterWindowMessageA("Pellam-Brevant");
    ListenerProcess listener;
    ASSERT_TRUE(listener.start({"--count", "3", "--timeout", "60"}));
    ASSERT_TRUE(listener.ready());
    EXPECT_EQ(1u, socketsInFolder().size());

    EXPECT_TRUE(PostMessageA(HWND_BROADCAST, message, 2106 + 10, 0));
    EXPECT_TRUE(PostMessageA(HWND_BROADCAST, message, 7, -5));
    EXPECT_TRUE(PostMessageA(HWND_BROADCAST, 0x0111, 1, 2));  // not a registered number
    int status = 0;
    EXPECT_EQ(
        "\"Pellam-Brevant\" 0xC000 wParam=2116 lParam=0\n"
        "\"Pellam-Brevant\" 0xC000 wParam=7 lParam=-5\n"
        "(unregistered) 0x0111 wParam=1 lParam=2\n",
        listener.finish(status));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(socketsInFolder().empty());  // it removes its socket
}

TEST_F(MessagesTest, ListenerStopsOnASignalOrItsTimeout) {
    struct Row {
        std::vector<std::string> arguments;
        bool signal;
        int exitCode;
    } rows[] = {
        {{}, true, 0},
        {{"--timeout", "0.2"}, false, 0},
        {{"--count", "0"}, false, 2},
        {{"--timeout", "soon"}, false, 2},
        {{"--what"}, false, 2},
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE("row " + std::to_string(++n));
        ListenerProcess listener;
        ASSERT_TRUE(listener.start(row.arguments));
        if (row.exitCode == 0) {
            ASSERT_TRUE(listener.ready());
        }
        if (row.signal) {
            kill(listener.pid, SIGTERM);
        }
        int status = 0;
        EXPECT_EQ("", listener.finish(status));
        EXPECT_TRUE(WIFEXITED(status));
        EXPECT_EQ(row.exitCode, WEXITSTATUS(status));
    }
    EXPECT_TRUE(socketsInFolder().empty());
}

TEST_F(MessagesTest, ADeadListenerIsSkippedAndItsSocketRemoved) {
    // A socket whose process has gone: bound, then closed without removal.
    ASSERT_EQ(0, mkdir(runtime().c_str(), 0700));
    ASSERT_EQ(0, mkdir(listeners().c_str(), 0700));
    const std::string path = listeners() + "/999999.0.sock";
    const int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    strcpy(address.sun_path, path.c_str());
    ASSERT_EQ(0, bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address));
    close(fd);
    ASSERT_TRUE(fileExists(path));

    brevant::platform::BroadcastReceiver alive;
    std::string error;
    ASSERT_TRUE(alive.open(error)) << error;

    const UINT message = RegisterWindowMessageA("Pellam-Brevant");
    EXPECT_TRUE(PostMessageA(HWND_BROADCAST, message, 2116, 0));
    EXPECT_FALSE(fileExists(path));
    brevant::platform::BroadcastMessage received;
    ASSERT_TRUE(alive.receive(received, 10000));
    EXPECT_EQ(message, received.message);
    EXPECT_EQ("Pellam-Brevant", received.name);
}

TEST_F(MessagesTest, AListenerThatNeverReadsDoesNotBlockTheSender) {
    // A watchdog: a sender that blocks ends the test here instead of hanging.
    alarm(120);
    brevant::platform::BroadcastReceiver stuck;
    brevant::platform::BroadcastReceiver reader;
    std::string error;
    ASSERT_TRUE(stuck.open(error)) << error;
    ASSERT_TRUE(reader.open(error)) << error;

    const UINT message = RegisterWindowMessageA("Pellam-Brevant");
    const int kPosts = 2000;
    int received = 0;
    for (int i = 0; i < kPosts; ++i) {
        ASSERT_TRUE(PostMessageA(HWND_BROADCAST, message, (WPARAM)i, 0));
        // The reader keeps up; the stuck listener's queue fills and overflows.
        brevant::platform::BroadcastMessage got;
        while (reader.receive(got, 0)) {
            EXPECT_EQ((WPARAM)received, got.wParam);
            ++received;
        }
    }
    alarm(0);
    EXPECT_EQ(kPosts, received);
    int queued = 0;
    brevant::platform::BroadcastMessage got;
    while (stuck.receive(got, 0)) {
        ++queued;
    }
    EXPECT_GT(queued, 0);
    EXPECT_LT(queued, kPosts);
}

// A listener that starts reading only after the sender has posted more than
// its queue holds: the sender waits for it, so every message arrives, in order.
TEST_F(MessagesTest, AListenerAMomentBehindMissesNothing) {
    alarm(120);
    brevant::platform::BroadcastReceiver late;
    std::string error;
    ASSERT_TRUE(late.open(error)) << error;
    const UINT message = RegisterWindowMessageA("Pellam-Brevant");
    const int kPosts = 300;
    int received = 0;
    bool inOrder = true;
    std::thread reader([&] {
        usleep(200 * 1000);
        brevant::platform::BroadcastMessage got;
        while (received < kPosts && late.receive(got, 10000)) {
            inOrder = inOrder && got.wParam == (WPARAM)received;
            ++received;
        }
    });
    for (int i = 0; i < kPosts; ++i) {
        EXPECT_TRUE(PostMessageA(HWND_BROADCAST, message, (WPARAM)i, 0));
    }
    reader.join();
    alarm(0);
    EXPECT_EQ(kPosts, received);
    EXPECT_TRUE(inOrder);
}

}  // namespace
