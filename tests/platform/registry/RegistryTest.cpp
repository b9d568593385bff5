// The registry calls over the hive files: the text format on disk, the size
// protocol of RegQueryValueExA, key names without regard to case, handles and
// access, security descriptors, other processes' writes and the fault seam.
#include "PlatformSeams.h"
#include "TempDir.h"

#include "brevant/platform.h"
#include "windows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using brevant::test::readFile;
using brevant::test::TempDir;
using brevant::test::writeFile;

namespace {

class RegistryTest : public testing::Test {
protected:
    void SetUp() override { setenv("BREVANT_REGISTRY_DIR", m_dir.path().c_str(), 1); }
    void TearDown() override {
        unsetenv("BREVANT_REGISTRY_DIR");
        brevant::test::disarmFaults();
    }
    std::string userFile() const { return m_dir.file("user.reg"); }
    std::string machineFile() const { return m_dir.file("machine.reg"); }

    // Opens or creates a key for writing, as the module does.
    HKEY createKey(HKEY root, const char* path, DWORD* disposition = nullptr) {
        SECURITY_DESCRIPTOR descriptor;
        EXPECT_TRUE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
        SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, FALSE};
        char noClass[1] = {0};
        HKEY key = nullptr;
        DWORD dummy = 0;
        EXPECT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExA(root, path, 0, noClass, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                                  &attributes, &key, disposition ? disposition : &dummy));
        return key;
    }
    void setText(HKEY key, const char* name, const std::string& text, DWORD type = REG_SZ) {
        EXPECT_EQ(ERROR_SUCCESS,
                  RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                                 (DWORD)text.size() + 1));
    }
    // The type and bytes of a value, read with the two-step size protocol.
    LONG query(HKEY root, const char* path, const char* name, DWORD& type, std::string& data) {
        HKEY key = nullptr;
        LONG result = RegOpenKeyExA(root, path, 0, KEY_READ, &key);
        if (result != ERROR_SUCCESS) {
            return result;
        }
        DWORD size = 0;
        result = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
        if (result == ERROR_SUCCESS) {
            std::vector<BYTE> buffer(size + 1);
            result = RegQueryValueExA(key, name, nullptr, &type, buffer.data(), &size);
            data.assign(reinterpret_cast<const char*>(buffer.data()), size);
        }
        EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
        return result;
    }

    TempDir m_dir;
};

TEST_F(RegistryTest, WritesEveryValueFormInTheExportFormat) {
    DWORD disposition = 0;
    HKEY key = createKey(HKEY_CURRENT_USER, "Software\\Tarvex\\Brevant", &disposition);
    EXPECT_EQ((DWORD)REG_CREATED_NEW_KEY, disposition);
    setText(key, nullptr, "Default");
    setText(key, "Domain Settings", "P:\\Domain \"A\"");
    setText(key, "Empty", "");
    setText(key, "Path", "%TEMP%\\x", REG_EXPAND_SZ);
    const DWORD number = 42;
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "Count", 0, REG_DWORD,
                                            reinterpret_cast<const BYTE*>(&number), 4));
    const BYTE blob[] = {0x00, 0x01, 0xff};
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "Blob", 0, REG_BINARY, blob, sizeof blob));
    const char multi[] = "a\0bc\0";
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "List", 0, REG_MULTI_SZ,
                                            reinterpret_cast<const BYTE*>(multi), sizeof multi));
    // A long value goes on over lines of at most 80 columns.
    const std::string longBlob(30, '\x11');
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "Long", 0, REG_BINARY,
                                            reinterpret_cast<const BYTE*>(longBlob.data()),
                                            (DWORD)longBlob.size()));
    ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(key));

    EXPECT_EQ(
        "Windows Registry Editor Version 5.00\r\n"
        "\r\n[HKEY_CURRENT_USER\\Software]\r\n"
        "\r\n[HKEY_CURRENT_USER\\Software\\Tarvex]\r\n"
        "\r\n[HKEY_CURRENT_USER\\Software\\Tarvex\\Brevant]\r\n"
        "@=\"Default\"\r\n"
        "\"Domain Settings\"=\"P:\\\\Domain \\\"A\\\"\"\r\n"
        "\"Empty\"=\"\"\r\n"
        "\"Path\"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,5c,00,78,00,00,00\r\n"
        "\"Count\"=dword:0000002a\r\n"
        "\"Blob\"=hex:00,01,ff\r\n"
        "\"List\"=hex(7):61,00,00,00,62,00,63,00,00,00,00,00\r\n"
        "\"Long\"=hex:11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,\\\r\n"
        "  11,11,11,11,11,11,11,11\r\n"
        "\r\n",
        readFile(userFile()));
    EXPECT_FALSE(brevant::test::fileExists(machineFile()));
}

TEST_F(RegistryTest, ReadsEveryValueFormFromAHandWrittenFile) {
    writeFile(machineFile(),
              "Windows Registry Editor Version 5.00\n"
              "\n"
              "; written by hand, with LF line ends\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Autodesk\\AutoCAD]\n"
              "\"CurVer\"=\"R15.0\"\n"
              "@=\"root\"\n"
              "\"Number\"=dword:0000002A\n"
              "\"Expand\"=hex(2):25,00,00,00\n"
              "\"Bin\"=hex:de,ad,\\\n"
              "    be,ef\n"
              "\"Empty\"=\"\"\n"
              "\"Gone\"=\"x\"\n"
              "\"Gone\"=-\n");
    struct Row {
        const char* name;
        LONG result;
        DWORD type;
        std::string data;
    } rows[] = {
        {"CurVer", ERROR_SUCCESS, REG_SZ, std::string("R15.0\0", 6)},
        {"curver", ERROR_SUCCESS, REG_SZ, std::string("R15.0\0", 6)},
        {"", ERROR_SUCCESS, REG_SZ, std::string("root\0", 5)},
        {"Number", ERROR_SUCCESS, REG_DWORD, std::string("\x2a\0\0\0", 4)},
        {"Expand", ERROR_SUCCESS, REG_EXPAND_SZ, std::string("%\0", 2)},
        {"Bin", ERROR_SUCCESS, REG_BINARY, "\xde\xad\xbe\xef"},
        {"Empty", ERROR_SUCCESS, REG_SZ, std::string("\0", 1)},
        {"Gone", ERROR_FILE_NOT_FOUND, REG_NONE, ""},
        {"Missing", ERROR_FILE_NOT_FOUND, REG_NONE, ""},
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE("row " + std::to_string(++n));
        DWORD type = REG_NONE;
        std::string data;
        EXPECT_EQ(row.result,
                  query(HKEY_LOCAL_MACHINE, "software\\AUTODESK\\AutoCAD", row.name, type, data));
        EXPECT_EQ(row.type, type);
        EXPECT_EQ(row.data, data);
    }
    // The default value is also reached with a NULL name.
    DWORD type = REG_NONE;
    std::string data;
    EXPECT_EQ(ERROR_SUCCESS,
              query(HKEY_LOCAL_MACHINE, "SOFTWARE\\Autodesk\\AutoCAD", nullptr, type, data));
    EXPECT_EQ(std::string("root\0", 5), data);
    // The user hive is a file of its own.
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              query(HKEY_CURRENT_USER, "SOFTWARE\\Autodesk\\AutoCAD", "CurVer", type, data));
}

TEST_F(RegistryTest, QueryFollowsTheBufferSizeProtocol) {
    HKEY written = createKey(HKEY_CURRENT_USER, "Software\\Size");
    setText(written, "Text", "abcdef");  // 7 bytes with the zero
    // A key opened for writing may not be read.
    DWORD ignored = 0;
    EXPECT_EQ(ERROR_ACCESS_DENIED,
              RegQueryValueExA(written, "Text", nullptr, nullptr, nullptr, &ignored));
    RegCloseKey(written);
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Size", 0, KEY_READ, &key));

    DWORD type = 0;
    DWORD size = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "Text", nullptr, &type, nullptr, &size));
    EXPECT_EQ(7u, size);
    EXPECT_EQ((DWORD)REG_SZ, type);

    BYTE buffer[16];
    memset(buffer, '#', sizeof buffer);
    size = 6;
    EXPECT_EQ(ERROR_MORE_DATA, RegQueryValueExA(key, "Text", nullptr, &type, buffer, &size));
    EXPECT_EQ(7u, size);

    size = 7;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "Text", nullptr, &type, buffer, &size));
    EXPECT_EQ(7u, size);
    EXPECT_STREQ("abcdef", reinterpret_cast<const char*>(buffer));
    EXPECT_EQ('#', buffer[7]);  // nothing written past the value

    EXPECT_EQ(ERROR_INVALID_PARAMETER,
              RegQueryValueExA(key, "Text", nullptr, &type, buffer, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "Text", nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExA(key, "Other", nullptr, &type, nullptr, &size));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
}

TEST_F(RegistryTest, KeysAreFoundAndCreatedWithoutRegardToCase) {
    HKEY key = createKey(HKEY_CURRENT_USER, "Software\\Autodesk\\AutoCAD\\R15.0");
    setText(key, "CurVer", "ACAD-1:409");
    RegCloseKey(key);

    DWORD disposition = 0;
    key =
        createKey(HKEY_CURRENT_USER, "SOFTWARE\\autodesk\\autocad\\r15.0\\Profiles", &disposition);
    EXPECT_EQ((DWORD)REG_CREATED_NEW_KEY, disposition);
    RegCloseKey(key);
    key = createKey(HKEY_CURRENT_USER, "software\\AUTODESK", &disposition);
    EXPECT_EQ((DWORD)REG_OPENED_EXISTING_KEY, disposition);
    RegCloseKey(key);

    // The stored names keep the case they were made with.
    const std::string text = readFile(userFile());
    EXPECT_NE(std::string::npos,
              text.find("[HKEY_CURRENT_USER\\Software\\Autodesk\\AutoCAD\\R15.0\\Profiles]"));
    EXPECT_EQ(std::string::npos, text.find("SOFTWARE"));

    // A key opened through another key, and values by either case.
    HKEY parent = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_CURRENT_USER, "software\\autodesk", 0, KEY_READ, &parent));
    HKEY child = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(parent, "AUTOCAD\\R15.0", 0, KEY_READ, &child));
    char buffer[32];
    DWORD size = sizeof buffer;
    EXPECT_EQ(ERROR_SUCCESS,
              RegQueryValueExA(child, "curver", nullptr, nullptr, (LPBYTE)buffer, &size));
    EXPECT_STREQ("ACAD-1:409", buffer);
    RegCloseKey(child);
    RegCloseKey(parent);

    HKEY missing = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Nowhere", 0, KEY_READ, &missing));
    EXPECT_EQ(nullptr, missing);
}

TEST_F(RegistryTest, HandlesAccessAndSecurityDescriptors) {
    HKEY written = createKey(HKEY_CURRENT_USER, "Software\\Access");
    setText(written, "Name", "x");
    RegCloseKey(written);

    HKEY readOnly = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Access", 0, KEY_READ, &readOnly));
    const BYTE data[] = "y";
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegSetValueExA(readOnly, "Name", 0, REG_SZ, data, 2));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteValueA(readOnly, "Name"));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(readOnly));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(readOnly));  // closed already
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegSetValueExA(readOnly, "Name", 0, REG_SZ, data, 2));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(HKEY_CURRENT_USER));

    HKEY other = nullptr;
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegOpenKeyExA(HKEY_CLASSES_ROOT, "x", 0, KEY_READ, &other));

    SECURITY_DESCRIPTOR descriptor;
    memset(&descriptor, 0x5a, sizeof descriptor);
    SetLastError(0);
    EXPECT_FALSE(InitializeSecurityDescriptor(&descriptor, 2));
    EXPECT_EQ((DWORD)ERROR_UNKNOWN_REVISION, GetLastError());
    // A descriptor that was never initialised is refused.
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, FALSE};
    HKEY key = nullptr;
    DWORD disposition = 0;
    EXPECT_EQ(ERROR_INVALID_SECURITY_DESCR,
              RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Sec", 0, nullptr, 0, KEY_WRITE,
                              &attributes, &key, &disposition));
    ASSERT_TRUE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
    EXPECT_EQ(1, descriptor.Revision);
    EXPECT_EQ(0, descriptor.Control);
    EXPECT_EQ(nullptr, descriptor.Dacl);

    // Deleting a value.
    written = createKey(HKEY_CURRENT_USER, "Software\\Access");
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteValueA(written, "Name"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteValueA(written, "Name"));
    RegCloseKey(written);
    EXPECT_EQ(std::string::npos, readFile(userFile()).find("\"Name\""));
}

TEST_F(RegistryTest, FolderIsMadeOnDemand) {
    const std::string folder = m_dir.file("a/b/registry");
    setenv("BREVANT_REGISTRY_DIR", folder.c_str(), 1);
    EXPECT_EQ(folder, brevant::platform::registryFolder());
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &key));
    EXPECT_FALSE(brevant::test::fileExists(folder));  // reading makes nothing
    key = createKey(HKEY_LOCAL_MACHINE, "SOFTWARE");
    RegCloseKey(key);
    EXPECT_TRUE(brevant::test::fileExists(folder + "/machine.reg"));
}

// A child process runs `body` and exits; its status tells whether it passed.
template <typename Body>
void inChildProcess(Body body) {
    const pid_t child = fork();
    ASSERT_NE(-1, child);
    if (child == 0) {
        _exit(body() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status));
}

TEST_F(RegistryTest, SeesWhatAnotherProcessWrote) {
    HKEY key = createKey(HKEY_CURRENT_USER, "Software\\Shared");
    setText(key, "Mine", "1");
    inChildProcess([] {
        HKEY child = nullptr;
        DWORD disposition = 0;
        const BYTE data[] = "2";
        return RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Shared", 0, nullptr, 0, KEY_WRITE,
                               nullptr, &child, &disposition) == ERROR_SUCCESS &&
               RegSetValueExA(child, "Theirs", 0, REG_SZ, data, 2) == ERROR_SUCCESS;
    });
    DWORD type = 0;
    std::string data;
    EXPECT_EQ(ERROR_SUCCESS, query(HKEY_CURRENT_USER, "Software\\Shared", "Theirs", type, data));
    EXPECT_EQ(std::string("2\0", 2), data);
    // This process's next write keeps the other's value.
    setText(key, "Mine", "3");
    RegCloseKey(key);
    EXPECT_NE(std::string::npos, readFile(userFile()).find("\"Theirs\"=\"2\""));
}

TEST_F(RegistryTest, TwoProcessesWritingDifferentValuesLoseNeither) {
    const int kWrites = 40;
    std::vector<pid_t> children;
    for (int p = 0; p < 2; ++p) {
        const pid_t child = fork();
        ASSERT_NE(-1, child);
        if (child == 0) {
            bool good = true;
            for (int i = 0; i < kWrites; ++i) {
                HKEY key = nullptr;
                DWORD disposition = 0;
                const std::string name = "p" + std::to_string(p) + "-" + std::to_string(i);
                good = good &&
                       RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Race", 0, nullptr, 0,
                                       KEY_WRITE, nullptr, &key, &disposition) == ERROR_SUCCESS &&
                       RegSetValueExA(key, name.c_str(), 0, REG_SZ, (const BYTE*)name.c_str(),
                                      (DWORD)name.size() + 1) == ERROR_SUCCESS &&
                       RegCloseKey(key) == ERROR_SUCCESS;
            }
            _exit(good ? 0 : 1);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(child, waitpid(child, &status, 0));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int p = 0; p < 2; ++p) {
        for (int i = 0; i < kWrites; ++i) {
            const std::string name = "p" + std::to_string(p) + "-" + std::to_string(i);
            SCOPED_TRACE(name);
            DWORD type = 0;
            std::string data;
            EXPECT_EQ(ERROR_SUCCESS,
                      query(HKEY_CURRENT_USER, "Software\\Race", name.c_str(), type, data));
            EXPECT_EQ(name + '\0', data);
        }
    }
}

TEST_F(RegistryTest, FailedWriteLeavesTheFileAndTheValuesAsTheyWere) {
    HKEY key = createKey(HKEY_CURRENT_USER, "Software\\Fault");
    setText(key, "Kept", "1");
    const std::string before = readFile(userFile());

    brevant::platform::failAfter(brevant::platform::Operation::RegistryWrite, 1);
    testing::internal::CaptureStderr();
    const BYTE data[] = "2";
    EXPECT_EQ(ERROR_DISK_FULL, RegSetValueExA(key, "Lost", 0, REG_SZ, data, 2));
    EXPECT_EQ("Registry file \"" + userFile() +
                  "\" cannot be written: there is not enough space on the disk. The registry is "
                  "left as it was.\n",
              testing::internal::GetCapturedStderr());
    EXPECT_EQ(before, readFile(userFile()));
    DWORD type = 0;
    std::string value;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              query(HKEY_CURRENT_USER, "Software\\Fault", "Lost", type, value));

    // A new key is not made either when its write fails.
    brevant::platform::failAfter(brevant::platform::Operation::RegistryWrite, 1,
                                 ERROR_ACCESS_DENIED);
    testing::internal::CaptureStderr();
    HKEY created = nullptr;
    DWORD disposition = 0;
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\New", 0, nullptr,
                                                   0, KEY_WRITE, nullptr, &created, &disposition));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(nullptr, created);
    EXPECT_EQ(before, readFile(userFile()));

    // Nothing but the hive and its lock file is left in the folder.
    std::vector<std::string> names;
    DIR* dir = opendir(m_dir.path().c_str());
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] != '.') {
            names.push_back(entry->d_name);
        }
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{"user.reg", "user.reg.lock"}), names);

    setText(key, "Lost", "2");  // the next write goes through
    EXPECT_NE(std::string::npos, readFile(userFile()).find("\"Lost\"=\"2\""));

    // A registry write counts as a RegistryWrite only, not as the file
    // operations it is made of: a fault armed for files stays armed.
    using brevant::platform::Operation;
    for (Operation operation : {Operation::FileCreate, Operation::FileWrite, Operation::Rename}) {
        SCOPED_TRACE((int)operation);
        brevant::platform::failAfter(operation, 1);
        setText(key, "Kept", "3");
        unsigned long error = 0;
        EXPECT_TRUE(brevant::platform::shouldFail(operation, error));
    }

    // Unless the file calls are counted: then each of them fails the write.
    brevant::platform::countRegistryFileCalls(true);
    for (Operation operation :
         {Operation::FileCreate, Operation::FileWrite, Operation::FileFlush, Operation::Rename}) {
        SCOPED_TRACE((int)operation);
        const std::string sBefore = readFile(userFile());
        brevant::platform::failAfter(operation, 1);
        testing::internal::CaptureStderr();
        EXPECT_EQ(ERROR_DISK_FULL, RegSetValueExA(key, "Counted", 0, REG_SZ, data, 2));
        EXPECT_NE(testing::internal::GetCapturedStderr().find("The registry is left as it was."),
                  std::string::npos);
        EXPECT_EQ(brevant::platform::pendingFault(operation), 0);
        EXPECT_EQ(sBefore, readFile(userFile()));
    }
    brevant::platform::countRegistryFileCalls(false);
    RegCloseKey(key);
}

TEST_F(RegistryTest, RefusesNamesTheFileCannotHold) {
    HKEY key = createKey(HKEY_CURRENT_USER, "Software\\Names");
    const BYTE data[] = "x";
    struct Row {
        std::string name;
        LONG result;
    } rows[] = {
        {"line\nbreak", ERROR_INVALID_PARAMETER},
        {std::string(16383, 'n'), ERROR_SUCCESS},
        {std::string(16384, 'n'), ERROR_INVALID_PARAMETER},
        {"quote \" and \\ backslash", ERROR_SUCCESS},
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE("row " + std::to_string(++n));
        EXPECT_EQ(row.result, RegSetValueExA(key, row.name.c_str(), 0, REG_SZ, data, 2));
    }
    EXPECT_EQ(ERROR_INVALID_PARAMETER,
              RegSetValueExA(key, "big", 0, REG_BINARY, data, 1024 * 1024 + 1));
    RegCloseKey(key);

    HKEY bad = nullptr;
    DWORD disposition = 0;
    const std::string longName = "Software\\" + std::string(256, 'k');
    EXPECT_EQ(ERROR_INVALID_PARAMETER,
              RegCreateKeyExA(HKEY_CURRENT_USER, longName.c_str(), 0, nullptr, 0, KEY_WRITE,
                              nullptr, &bad, &disposition));
}

}  // namespace
