// Loaded modules. An instance handle is the base address of a loaded shared
// object, as on Windows; "KERNEL32.DLL" is a built-in module that offers the
// debugger test.
#include "../paths/PathMap.h"

#include "brevant/platform.h"
#include "win/messages.h"
#include "win/module.h"

#include <cstring>
#include <dlfcn.h>
#include <link.h>
#include <map>
#include <mutex>
#include <set>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The built-in module's handle is the address of this object.
alignas(16) const char g_kernel32 = 0;
HMODULE kernel32Handle() {
    return reinterpret_cast<HMODULE>(const_cast<char*>(&g_kernel32));
}

std::mutex g_moduleMutex;
std::map<HMODULE, void*> g_loaded;   // modules loaded by LoadLibraryA: handle -> dlopen handle
std::map<HMODULE, int> g_loadCount;  // LoadLibraryA calls not yet freed
std::set<HMODULE> g_initFailed;

struct LoadedObject {
    HMODULE base = nullptr;
    std::string path;  // Linux path
};

std::string programPath() {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) {
        return std::string();
    }
    path[n] = 0;
    return path;
}

// Every loaded object with its base address (its lowest loaded segment).
std::vector<LoadedObject> loadedObjects() {
    std::vector<LoadedObject> objects;
    dl_iterate_phdr(
        [](struct dl_phdr_info* info, size_t, void* data) {
            auto* list = static_cast<std::vector<LoadedObject>*>(data);
            ElfW(Addr) lowest = ~(ElfW(Addr))0;
            for (int i = 0; i < info->dlpi_phnum; ++i) {
                if (info->dlpi_phdr[i].p_type == PT_LOAD && info->dlpi_phdr[i].p_vaddr < lowest) {
                    lowest = info->dlpi_phdr[i].p_vaddr;
                }
            }
            if (lowest == ~(ElfW(Addr))0) {
                return 0;
            }
            const long page = sysconf(_SC_PAGESIZE);
            LoadedObject object;
            object.base =
                reinterpret_cast<HMODULE>((info->dlpi_addr + lowest) & ~(ElfW(Addr))(page - 1));
            const bool isProgram = list->empty();
            object.path =
                isProgram ? programPath() : std::string(info->dlpi_name ? info->dlpi_name : "");
            if (!object.path.empty()) {
                if (char* real = realpath(object.path.c_str(), nullptr)) {
                    object.path = real;
                    free(real);
                }
                list->push_back(object);
            } else if (isProgram) {
                list->push_back(object);
            }
            return 0;
        },
        &objects);
    return objects;
}

bool findObject(HMODULE hModule, LoadedObject& found) {
    for (const LoadedObject& object : loadedObjects()) {
        if (object.base == hModule) {
            found = object;
            return true;
        }
    }
    return false;
}

bool isKernel32(const char* name) {
    return strcasecmp(name, "KERNEL32.DLL") == 0 || strcasecmp(name, "KERNEL32") == 0;
}

std::string fileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

BOOL WINAPI isDebuggerPresentEntry() {
    return IsDebuggerPresent();
}

}  // namespace

namespace brevant::platform {

HMODULE moduleHandleOf(const void* address) {
    Dl_info info;
    if (address == nullptr || dladdr(address, &info) == 0) {
        return nullptr;
    }
    return static_cast<HMODULE>(info.dli_fbase);
}

void reportDllInitFailure(HMODULE module) {
    std::lock_guard<std::mutex> lock(g_moduleMutex);
    g_initFailed.insert(module);
}

}  // namespace brevant::platform

// "KERNEL32.DLL" (any letter case) is built in; any other name is a shared
// object, by Windows or Linux path, or by name on the library search path.
// ERROR_MOD_NOT_FOUND when it is missing, ERROR_BAD_EXE_FORMAT when it cannot
// be loaded, ERROR_DLL_INIT_FAILED when its DllMain refused to start.
extern "C" HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName) {
    if (lpLibFileName == nullptr || *lpLibFileName == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (isKernel32(lpLibFileName)) {
        std::lock_guard<std::mutex> lock(g_moduleMutex);
        ++g_loadCount[kernel32Handle()];
        return kernel32Handle();
    }
    std::string target = lpLibFileName;
    if (target.find_first_of("\\/:") != std::string::npos) {
        brevant::platform::detail::ResolvedPath path;
        if (!brevant::platform::detail::resolvePath(lpLibFileName, path)) {
            if (GetLastError() != ERROR_FILENAME_EXCED_RANGE) {
                SetLastError(ERROR_MOD_NOT_FOUND);
            }
            return nullptr;
        }
        struct stat st;
        if (stat(path.native.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return nullptr;
        }
        target = path.native;
    }
    void* handle = dlopen(target.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        SetLastError(target.find('/') != std::string::npos ? ERROR_BAD_EXE_FORMAT
                                                           : ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    struct link_map* map = nullptr;
    HMODULE hModule = nullptr;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr) {
        for (const LoadedObject& object : loadedObjects()) {
            if (map->l_name != nullptr && *map->l_name) {
                char* real = realpath(map->l_name, nullptr);
                const bool same = real != nullptr && object.path == real;
                free(real);
                if (same) {
                    hModule = object.base;
                    break;
                }
            }
        }
    }
    if (hModule == nullptr) {
        dlclose(handle);
        SetLastError(ERROR_BAD_EXE_FORMAT);
        return nullptr;
    }
    std::unique_lock<std::mutex> lock(g_moduleMutex);
    if (g_initFailed.erase(hModule) != 0) {
        lock.unlock();
        dlclose(handle);
        SetLastError(ERROR_DLL_INIT_FAILED);
        return nullptr;
    }
    if (g_loaded.count(hModule) != 0) {
        lock.unlock();
        dlclose(handle);  // one dlopen reference per module is enough
        lock.lock();
    } else {
        g_loaded[hModule] = handle;
    }
    ++g_loadCount[hModule];
    return hModule;
}

// By name only; an ordinal or a missing name gives ERROR_PROC_NOT_FOUND.
extern "C" FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
    if (lpProcName == nullptr || (uintptr_t)lpProcName < 0x10000) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    if (hModule == kernel32Handle()) {
        if (strcmp(lpProcName, "IsDebuggerPresent") == 0) {
            return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&isDebuggerPresentEntry));
        }
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    void* handle = nullptr;
    {
        std::lock_guard<std::mutex> lock(g_moduleMutex);
        const auto it = g_loaded.find(hModule);
        if (it != g_loaded.end()) {
            handle = it->second;
        }
    }
    bool borrowed = false;
    if (handle == nullptr) {
        LoadedObject object;
        if (!findObject(hModule, object)) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return nullptr;
        }
        handle = dlopen(object.path.c_str(), RTLD_NOW | RTLD_NOLOAD);
        borrowed = handle != nullptr;
        if (handle == nullptr) {
            handle = RTLD_DEFAULT;
        }
    }
    void* symbol = dlsym(handle, lpProcName);
    if (borrowed) {
        dlclose(handle);
    }
    if (symbol == nullptr) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(symbol);
}

// Each LoadLibraryA is matched by one FreeLibrary; the last one unloads.
extern "C" BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
    void* handle = nullptr;
    {
        std::lock_guard<std::mutex> lock(g_moduleMutex);
        const auto count = g_loadCount.find(hLibModule);
        if (count == g_loadCount.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        if (--count->second > 0) {
            return TRUE;
        }
        g_loadCount.erase(count);
        const auto it = g_loaded.find(hLibModule);
        if (it != g_loaded.end()) {
            handle = it->second;
            g_loaded.erase(it);
        }
    }
    if (handle != nullptr) {
        dlclose(handle);
    }
    return TRUE;
}

// The Windows path of the module (NULL: the running program). A buffer too
// small gets the path cut to nSize - 1 characters and its zero, the result
// nSize and ERROR_INSUFFICIENT_BUFFER.
extern "C" DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
    std::string path;
    if (hModule == kernel32Handle()) {
        path = "C:\\WINDOWS\\system32\\KERNEL32.DLL";
    } else if (hModule == nullptr) {
        path = brevant::platform::toWindowsPath(programPath());
    } else {
        LoadedObject object;
        if (!findObject(hModule, object)) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return 0;
        }
        path = brevant::platform::toWindowsPath(object.path);
    }
    if (lpFilename == nullptr || nSize == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (path.size() >= nSize) {
        memcpy(lpFilename, path.data(), nSize - 1);
        lpFilename[nSize - 1] = 0;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nSize;
    }
    memcpy(lpFilename, path.c_str(), path.size() + 1);
    SetLastError(ERROR_SUCCESS);
    return (DWORD)path.size();
}

// NULL: the running program. Otherwise a loaded module by its file name or
// full path, without regard to case; ERROR_MOD_NOT_FOUND when none matches.
extern "C" HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
    const std::vector<LoadedObject> objects = loadedObjects();
    if (lpModuleName == nullptr) {
        return objects.empty() ? nullptr : objects.front().base;
    }
    if (isKernel32(lpModuleName)) {
        return kernel32Handle();
    }
    const std::string wanted = lpModuleName;
    const bool byPath = wanted.find_first_of("\\/") != std::string::npos;
    for (const LoadedObject& object : objects) {
        if (byPath) {
            const std::string windows = brevant::platform::toWindowsPath(object.path);
            if (strcasecmp(windows.c_str(),
                           brevant::platform::detail::fullWindowsPath(wanted).c_str()) == 0 ||
                strcasecmp(object.path.c_str(), wanted.c_str()) == 0) {
                return object.base;
            }
        } else if (strcasecmp(fileNameOf(object.path).c_str(), wanted.c_str()) == 0) {
            return object.base;
        }
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

extern "C" DWORD WINAPI GetCurrentProcessId(void) {
    return (DWORD)getpid();
}
