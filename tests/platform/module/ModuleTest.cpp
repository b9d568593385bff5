#include "../files/PlatformFixture.h"

#include <algorithm>
#include <cstring>
#include <unistd.h>

#include "win/module.h"

using namespace brevant::platform;
using brevant::test::writeFile;

namespace {

const std::string kModules = PLATFORM_TEST_MODULES;
HINSTANCE g_detached = NULL;

void recordDetach(HINSTANCE hInstance) {
    g_detached = hInstance;
}

template <typename T>
T* exported(HMODULE h, const char* name) {
    return reinterpret_cast<T*>(reinterpret_cast<void*>(GetProcAddress(h, name)));
}

}  // namespace

using ModuleTest = PlatformTest;

TEST_F(ModuleTest, TheRunningProgram) {
    char exe[4096];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    ASSERT_GT(n, 0);
    exe[n] = 0;
    const std::string expected = toWindowsPath(exe);
    char path[MAX_PATH];
    EXPECT_EQ(GetModuleFileNameA(NULL, path, sizeof path), expected.size());
    EXPECT_EQ(path, expected);
    EXPECT_NE(GetModuleHandleA(NULL), nullptr);
    EXPECT_EQ(GetModuleFileNameA(GetModuleHandleA(NULL), path, sizeof path), expected.size());

    // Too small: cut to nSize - 1 characters and a zero, result nSize.
    char small[5];
    EXPECT_EQ(GetModuleFileNameA(NULL, small, sizeof small), 5u);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::string(small), expected.substr(0, 4));
    EXPECT_EQ(GetModuleFileNameA(NULL, small, 0), 0u);
    EXPECT_EQ(GetModuleFileNameA((HMODULE)&small, path, sizeof path), 0u);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_MOD_NOT_FOUND);
}

TEST_F(ModuleTest, Kernel32OffersTheDebuggerTest) {
    for (const char* name : {"KERNEL32.DLL", "kernel32.dll", "Kernel32"}) {
        SCOPED_TRACE(name);
        HMODULE h = LoadLibraryA(name);
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(GetModuleHandleA(name), h);
        typedef BOOL(WINAPI * IsDebuggerPresentFunction)(void);
        auto isDebuggerPresent = reinterpret_cast<IsDebuggerPresentFunction>(
            reinterpret_cast<void*>(GetProcAddress(h, "IsDebuggerPresent")));
        ASSERT_NE(isDebuggerPresent, nullptr);
        EXPECT_EQ(isDebuggerPresent(), IsDebuggerPresent());
        EXPECT_EQ(GetProcAddress(h, "NoSuchFunction"), nullptr);
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_PROC_NOT_FOUND);
        EXPECT_TRUE(FreeLibrary(h));
    }
}

TEST_F(ModuleTest, LoadFailuresGiveWindowsErrors) {
    writeFile(native("text.arx"), "not a module");
    const struct {
        std::string name;
        DWORD error;
    } cases[] = {
        {"P:\\missing.arx", ERROR_MOD_NOT_FOUND},
        {"Q:\\missing.arx", ERROR_MOD_NOT_FOUND},
        {"P:\\text.arx", ERROR_BAD_EXE_FORMAT},
        {"P:\\", ERROR_MOD_NOT_FOUND},
        {"nosuchlibrary.so", ERROR_MOD_NOT_FOUND},
        {"", ERROR_INVALID_PARAMETER},
        {"P:\\" + std::string(300, 'x'), ERROR_FILENAME_EXCED_RANGE},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(LoadLibraryA(cases[i].name.c_str()), nullptr);
        EXPECT_EQ(GetLastError(), cases[i].error);
    }
    EXPECT_FALSE(FreeLibrary((HMODULE)&cases));
    EXPECT_EQ(GetModuleHandleA("nosuchmodule.dll"), nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_MOD_NOT_FOUND);
}

TEST_F(ModuleTest, DllMainSeesAttachAndDetachWithItsInstance) {
    mapDrive("M", kModules);
    HMODULE h = LoadLibraryA("m:\\DllMain.ARX");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(*exported<int>(h, "g_attachCount"), 1);
    EXPECT_EQ(*exported<HINSTANCE>(h, "g_attachInstance"), h);
    auto moduleAddress = exported<void*()>(h, "moduleAddress");
    ASSERT_NE(moduleAddress, nullptr);
    EXPECT_EQ(moduleHandleOf(moduleAddress()), h);

    char path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(h, path, sizeof path), 0u);
    EXPECT_STREQ(path, "M:\\dllmain.arx");
    EXPECT_EQ(GetModuleHandleA("DLLMAIN.arx"), h);
    EXPECT_EQ(GetModuleHandleA("M:\\dllmain.arx"), h);
    std::vector<HMODULE> chain = extensionModuleChain();
    EXPECT_NE(std::find(chain.begin(), chain.end(), h), chain.end());

    // A second load is the same module and needs a second free.
    EXPECT_EQ(LoadLibraryA((kModules + "/dllmain.arx").c_str()), h);
    EXPECT_EQ(*exported<int>(h, "g_attachCount"), 1);
    *exported<void (*)(HINSTANCE)>(h, "g_detachObserver") = &recordDetach;
    g_detached = NULL;
    EXPECT_TRUE(FreeLibrary(h));
    EXPECT_EQ(g_detached, nullptr);
    EXPECT_TRUE(FreeLibrary(h));
    EXPECT_EQ(g_detached, h);
    chain = extensionModuleChain();
    EXPECT_EQ(std::find(chain.begin(), chain.end(), h), chain.end());
    EXPECT_EQ(GetModuleHandleA("dllmain.arx"), nullptr);
}

TEST_F(ModuleTest, RefusedAttachFailsTheLoad) {
    EXPECT_EQ(LoadLibraryA((kModules + "/refuses.arx").c_str()), nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_DLL_INIT_FAILED);
    EXPECT_EQ(GetModuleHandleA("refuses.arx"), nullptr);
}
