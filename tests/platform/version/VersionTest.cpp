#include "../files/PlatformFixture.h"

#include <cstring>
#include <vector>

#include "win/version.h"

using brevant::test::readFile;
using brevant::test::writeFile;

namespace {

const std::string kModules = PLATFORM_TEST_MODULES;

// The whole version buffer of a file, empty when it has none.
std::vector<char> versionBuffer(const std::string& path) {
    DWORD handle = 7;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    EXPECT_EQ(handle, 0u);
    std::vector<char> buffer(size);
    if (size > 0) {
        EXPECT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, buffer.data()));
    }
    return buffer;
}

std::string stringValue(const std::vector<char>& buffer, const char* subBlock) {
    LPVOID value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(buffer.data(), subBlock, &value, &length)) {
        return "<none>";
    }
    EXPECT_EQ(length, strlen(static_cast<char*>(value)) + 1);
    return static_cast<char*>(value);
}

}  // namespace

using VersionTest = PlatformTest;

TEST_F(VersionTest, ModuleResourceByWindowsPath) {
    brevant::platform::mapDrive("M", kModules);
    const std::vector<char> buffer = versionBuffer("M:\\VERSIONED.ARX");
    ASSERT_FALSE(buffer.empty());

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(buffer.data(), "\\", (LPVOID*)&fixed, &length));
    EXPECT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, VS_FFI_SIGNATURE);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x000F0002u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00030004u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x000F0000u);
    EXPECT_EQ(fixed->dwFileType, VFT_DLL);

    DWORD* translations = nullptr;
    ASSERT_TRUE(VerQueryValueA(buffer.data(), "\\VarFileInfo\\Translation", (LPVOID*)&translations,
                               &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translations[0], 0x04B00809u);  // language low, code page high

    const struct {
        const char* subBlock;
        const char* value;
    } cases[] = {
        {"\\StringFileInfo\\080904B0\\CompanyName", "Tarvex"},
        {"\\StringFileInfo\\080904B0\\ProductName", "Brevant"},
        {"\\StringFileInfo\\080904B0\\InternalName", "Brevant"},
        {"\\StringFileInfo\\080904B0\\FileDescription", "Brevant ARX Utilities"},
        {"\\StringFileInfo\\080904B0\\OriginalFilename", "versioned.arx"},
        {"\\StringFileInfo\\080904B0\\FileVersion", "15.2.3.4"},
        {"\\stringfileinfo\\080904b0\\productname", "Brevant"},  // keys in any case
        {"\\StringFileInfo\\080904B0\\Comments", "<none>"},
        {"\\StringFileInfo\\040704E4\\ProductName", "<none>"},
        {"\\NoSuchBlock", "<none>"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(stringValue(buffer, cases[i].subBlock), cases[i].value);
    }
}

TEST_F(VersionTest, SeveralTranslationsInTheirOrder) {
    const std::vector<char> buffer = versionBuffer(kModules + "/multilingual.arx");
    ASSERT_FALSE(buffer.empty());
    DWORD* translations = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(buffer.data(), "\\VarFileInfo\\Translation", (LPVOID*)&translations,
                               &length));
    ASSERT_EQ(length, 8u);
    EXPECT_EQ(translations[0], 0x04E40407u);
    EXPECT_EQ(translations[1], 0x04B00809u);
    EXPECT_EQ(stringValue(buffer, "\\StringFileInfo\\040704E4\\ProductName"), "Brevant");
    EXPECT_EQ(stringValue(buffer, "\\StringFileInfo\\080904B0\\ProductName"), "Brevant UK");
    EXPECT_EQ(stringValue(buffer, "\\StringFileInfo\\080904B0\\CompanyName"), "Tarvex");
    // Single-byte text: Latin-1 characters stay, others become "?".
    EXPECT_EQ(stringValue(buffer, "\\StringFileInfo\\080904B0\\Comments"), "Caf\xe9 ?");
}

TEST_F(VersionTest, FilesWithoutAResourceGiveZeroAndAnError) {
    writeFile(native("notes.txt"), "not a module");
    writeFile(native("short.arx"), std::string("\x7f"
                                               "ELF\x02\x01",
                                               6));
    const struct {
        std::string path;
        DWORD error;
    } cases[] = {
        {kModules + "/unversioned.arx", ERROR_RESOURCE_TYPE_NOT_FOUND},
        {"P:\\missing.arx", ERROR_FILE_NOT_FOUND},
        {"P:\\none\\missing.arx", ERROR_PATH_NOT_FOUND},
        {"Q:\\x.arx", ERROR_PATH_NOT_FOUND},
        {"P:\\notes.txt", ERROR_BAD_EXE_FORMAT},
        {"P:\\short.arx", ERROR_BAD_EXE_FORMAT},
        {"P:\\", ERROR_BAD_EXE_FORMAT},
        {"P:\\" + std::string(300, 'x'), ERROR_FILENAME_EXCED_RANGE},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        SetLastError(0);
        DWORD handle = 7;
        EXPECT_EQ(GetFileVersionInfoSizeA(cases[i].path.c_str(), &handle), 0u);
        EXPECT_EQ(GetLastError(), cases[i].error);
        char buffer[64];
        EXPECT_FALSE(GetFileVersionInfoA(cases[i].path.c_str(), 0, sizeof buffer, buffer));
    }
    const std::string versioned = kModules + "/versioned.arx";
    const DWORD size = GetFileVersionInfoSizeA(versioned.c_str(), NULL);
    std::vector<char> small(size - 1);
    EXPECT_FALSE(GetFileVersionInfoA(versioned.c_str(), 0, size - 1, small.data()));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
}

// Every byte of the resource spoiled in turn: the calls answer, never crash
// or read outside the buffer.
TEST_F(VersionTest, DamagedResourcesAreReadSafely) {
    const std::string original = readFile(kModules + "/versioned.arx");
    const std::string key("V\0S\0_\0V\0E\0R\0S\0I\0O\0N\0_\0I\0N\0F\0O\0", 30);
    const size_t keyAt = original.find(key);
    ASSERT_NE(keyAt, std::string::npos);
    const size_t start = keyAt - 6;
    const size_t length =
        (unsigned char)original[start] | ((unsigned char)original[start + 1] << 8);
    for (size_t i = 0; i < length; ++i) {
        for (unsigned char spoil : {0x00, 0xFF}) {
            std::string damaged = original;
            damaged[start + i] = (char)spoil;
            writeFile(native("damaged.arx"), damaged);
            const DWORD size = GetFileVersionInfoSizeA("P:\\damaged.arx", NULL);
            if (size == 0) {
                continue;
            }
            std::vector<char> buffer(size);
            if (!GetFileVersionInfoA("P:\\damaged.arx", 0, size, buffer.data())) {
                continue;
            }
            for (const char* subBlock :
                 {"\\", "\\VarFileInfo\\Translation", "\\StringFileInfo\\080904B0\\ProductName",
                  "\\StringFileInfo\\080904B0\\FileDescription"}) {
                LPVOID value = nullptr;
                UINT valueLength = 0;
                if (VerQueryValueA(buffer.data(), subBlock, &value, &valueLength)) {
                    ASSERT_GE(static_cast<char*>(value), buffer.data());
                    ASSERT_LE(static_cast<char*>(value) + valueLength, buffer.data() + size);
                }
            }
        }
    }
}
