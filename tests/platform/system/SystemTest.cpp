// The system folder, the temporary folder and its variables at process start,
// and the shell's application-data folder.
#include "TempDir.h"

#include "brevant/platform.h"
#include "shlobj.h"
#include "windows.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <sys/stat.h>

using brevant::test::TempDir;

namespace {

bool isFolder(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Sets or unsets environment variables for one test and puts them back.
class Environment {
public:
    void set(const char* name, const char* value) {
        if (m_saved.count(name) == 0) {
            const char* old = getenv(name);
            m_saved[name] =
                old ? std::make_pair(true, std::string(old)) : std::make_pair(false, std::string());
        }
        if (value == nullptr) {
            unsetenv(name);
        } else {
            setenv(name, value, 1);
        }
    }
    ~Environment() {
        for (const auto& entry : m_saved) {
            if (entry.second.first) {
                setenv(entry.first.c_str(), entry.second.second.c_str(), 1);
            } else {
                unsetenv(entry.first.c_str());
            }
        }
    }

private:
    std::map<std::string, std::pair<bool, std::string>> m_saved;
};

class SystemTest : public testing::Test {
protected:
    void SetUp() override {
        brevant::platform::mapDrive("C", m_dir.file("c"));
        m_env.set("BREVANT_SYSTEM_DIR", nullptr);
    }
    void TearDown() override { brevant::platform::unmapDrive("C"); }

    TempDir m_dir;
    Environment m_env;
};

TEST_F(SystemTest, SystemDirectoryIsOnDriveCAndMadeOnDemand) {
    const std::string expected = "C:\\WINDOWS\\system32";
    char buffer[MAX_PATH];
    EXPECT_EQ(expected.size(), GetSystemDirectoryA(buffer, sizeof buffer));
    EXPECT_EQ(expected, buffer);
    EXPECT_TRUE(isFolder(m_dir.file("c/WINDOWS/system32")));

    // Too small a buffer gives the size needed with the zero, and no text.
    struct Row {
        UINT size;
        UINT result;
    } rows[] = {{0, 20}, {19, 20}, {20, 19}};
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE("row " + std::to_string(++n));
        memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(row.result, GetSystemDirectoryA(buffer, row.size));
        EXPECT_EQ(row.result < row.size ? expected : std::string(),
                  row.result < row.size ? std::string(buffer) : std::string());
        if (row.result >= row.size) {
            EXPECT_EQ('#', buffer[0]);
        }
    }
    EXPECT_EQ(20u, GetSystemDirectoryA(nullptr, 0));
}

TEST_F(SystemTest, SystemDirectorySetting) {
    brevant::platform::mapDrive("D", m_dir.file("d"));
    m_env.set("BREVANT_SYSTEM_DIR", "d:/Sys/Folder/");
    char buffer[MAX_PATH];
    EXPECT_EQ(13u, GetSystemDirectoryA(buffer, sizeof buffer));
    EXPECT_STREQ("d:\\Sys\\Folder", buffer);
    EXPECT_TRUE(isFolder(m_dir.file("d/Sys/Folder")));
    brevant::platform::unmapDrive("D");

    // A folder that cannot be made is still reported; the reason is shown once.
    m_env.set("BREVANT_SYSTEM_DIR", "Q:\\Unmapped");
    testing::internal::CaptureStderr();
    EXPECT_EQ(11u, GetSystemDirectoryA(buffer, sizeof buffer));
    EXPECT_EQ(11u, GetSystemDirectoryA(buffer, sizeof buffer));
    EXPECT_EQ("The system folder \"Q:\\Unmapped\" cannot be made: its drive is not mapped.\n",
              testing::internal::GetCapturedStderr());
}

TEST_F(SystemTest, TempPathFollowsTmpTempAndUserProfile) {
    struct Row {
        const char* tmp;
        const char* temp;
        const char* profile;
        std::string expected;
    } rows[] = {
        {"X:\\a", "Y:\\b", "Z:\\c", "X:\\a\\"},
        {nullptr, "Y:\\b\\", "Z:\\c", "Y:\\b\\"},
        {"", "/var/tmp", nullptr, "\\var\\tmp\\"},  // empty counts as unset
        {nullptr, nullptr, "C:\\Users\\ann", "C:\\Users\\ann\\"},
        {nullptr, nullptr, nullptr, "C:\\WINDOWS\\"},
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE("row " + std::to_string(++n));
        m_env.set("TMP", row.tmp);
        m_env.set("TEMP", row.temp);
        m_env.set("USERPROFILE", row.profile);
        char buffer[MAX_PATH];
        EXPECT_EQ(row.expected.size(), GetTempPathA(sizeof buffer, buffer));
        EXPECT_EQ(row.expected, buffer);
        EXPECT_EQ(row.expected.size() + 1, GetTempPathA((DWORD)row.expected.size(), buffer));
    }
}

// The variables as this process started, before any test changed them. The
// platform library sets them up as it loads, before this program's own
// start-up code runs.
struct StartEnvironment {
    bool hasTemp = false;
    bool hasTmp = false;
    std::string temp;
    std::string tmp;
    std::string tmpdir;
    StartEnvironment() {
        const char* value = getenv("TEMP");
        hasTemp = value != nullptr;
        temp = value ? value : "";
        value = getenv("TMP");
        hasTmp = value != nullptr;
        tmp = value ? value : "";
        value = getenv("TMPDIR");
        tmpdir = value ? value : "";
    }
};
const StartEnvironment g_start;

std::string windowsForm(std::string path) {
    for (char& ch : path) {
        ch = ch == '/' ? '\\' : ch;
    }
    return path;
}

// Each row starts this program again (a death test run in a new process) with
// the row's environment and checks what the new process started with.
TEST(ProcessStartTest, TempAndTmpAreSetWhenNeitherIs) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    Environment env;
    const std::string writable = BREVANT_BINARY_DIR;
    enum Expect { FromTmpdir, SlashTmp, Unchanged };
    struct Row {
        const char* temp;
        const char* tmp;
        std::string tmpdir;
        Expect expect;
    } rows[] = {
        {nullptr, nullptr, writable, FromTmpdir},
        {nullptr, nullptr, writable + "/no-such-folder", SlashTmp},
        {nullptr, nullptr, "relative", SlashTmp},
        {"T:\\own", nullptr, writable, Unchanged},  // one of them set: nothing changes
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE("row " + std::to_string(++n));
        env.set("TEMP", row.temp);
        env.set("TMP", row.tmp);
        env.set("TMPDIR", row.tmpdir.c_str());
        const Expect expect = row.expect;
        EXPECT_EXIT(
            {
                bool good = false;
                if (expect == Unchanged) {
                    good = g_start.hasTemp && g_start.temp == "T:\\own" && !g_start.hasTmp;
                } else {
                    const std::string folder =
                        expect == FromTmpdir ? windowsForm(g_start.tmpdir) : "\\tmp";
                    good = g_start.hasTemp && g_start.hasTmp && g_start.temp == folder &&
                           g_start.tmp == folder;
                }
                _exit(good ? 0 : 1);
            },
            testing::ExitedWithCode(0), "");
    }
    // The Windows form names the same folder.
    std::string native;
    ASSERT_TRUE(brevant::platform::toNativePath(windowsForm(writable), native));
    EXPECT_EQ(writable, native);
}

TEST_F(SystemTest, ApplicationDataFolderThroughTheShellCalls) {
    const std::string folder = m_dir.file("appdata/Roaming");
    m_env.set("BREVANT_APPDATA_DIR", folder.c_str());

    LPMALLOC allocator = nullptr;
    ASSERT_EQ(S_OK, SHGetMalloc(&allocator));
    ASSERT_NE(nullptr, allocator);
    LPITEMIDLIST list = nullptr;
    ASSERT_EQ(S_OK, SHGetSpecialFolderLocation(nullptr, 0x001a, &list));
    char path[MAX_PATH];
    ASSERT_TRUE(SHGetPathFromIDListA(list, path));
    EXPECT_EQ(brevant::platform::toWindowsPath(folder), path);
    EXPECT_TRUE(isFolder(folder));
    allocator->Free(list);
    allocator->Release();

    // A Windows path setting is given as it stands.
    m_env.set("BREVANT_APPDATA_DIR", "C:\\Documents and Settings\\ann\\Application Data");
    ASSERT_EQ(S_OK, SHGetSpecialFolderLocation(nullptr, CSIDL_APPDATA, &list));
    ASSERT_TRUE(SHGetPathFromIDListA(list, path));
    EXPECT_STREQ("C:\\Documents and Settings\\ann\\Application Data", path);
    EXPECT_TRUE(isFolder(m_dir.file("c/Documents and Settings/ann/Application Data")));
    allocator->Free(list);

    // Other folders and bad arguments.
    list = reinterpret_cast<LPITEMIDLIST>(path);
    EXPECT_EQ(E_INVALIDARG, SHGetSpecialFolderLocation(nullptr, CSIDL_PERSONAL, &list));
    EXPECT_EQ(nullptr, list);
    EXPECT_EQ(E_INVALIDARG, SHGetSpecialFolderLocation(nullptr, CSIDL_APPDATA, nullptr));
    EXPECT_EQ(E_INVALIDARG, SHGetMalloc(nullptr));
    EXPECT_FALSE(SHGetPathFromIDListA(nullptr, path));
    EXPECT_STREQ("", path);
}

}  // namespace
