// The dynamic linker: loads module files, checks their interface version,
// sends them the entry point's messages and unloads them again.
#include "loader/Linker.h"

#include "brevant/editor.h"
#include "brevant/platform.h"
#include "core/SysRegistry.h"
#include "editor/Documents.h"
#include "editor/Editor.h"
#include "editor/Output.h"
#include "editor/SupportPath.h"
#include "lisp/Lisp.h"

#include <dlfcn.h>
#include <link.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace brevant::host {

namespace {

// The editor's own summary-information modules: they load without a file.
bool isBuiltInModule(const std::string& baseName) {
    return strcasecmp(baseName.c_str(), "acsiobj.arx") == 0 ||
           strcasecmp(baseName.c_str(), "acsiobj.dbx") == 0;
}

std::string baseNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string withoutExtension(const std::string& name) {
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

bool hasFolder(const std::string& path) {
    return path.find_first_of("\\/:") != std::string::npos;
}

bool isRegularFile(const std::string& native) {
    struct stat info;
    return stat(native.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The symbol from the module file itself, not from a library it depends on.
void* ownSymbol(void* handle, const char* name) {
    void* symbol = dlsym(handle, name);
    if (symbol == nullptr) {
        return nullptr;
    }
    struct link_map* map = nullptr;
    Dl_info info;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr ||
        dladdr(symbol, &info) == 0) {
        return symbol;
    }
    return info.dli_fbase == reinterpret_cast<void*>(map->l_addr) ? symbol : nullptr;
}

struct Registry {
    std::vector<std::unique_ptr<Module>> modules;
    Module host;  // id 0: handlers bound outside any module
    int nextId = 1;
    std::vector<int> callers;
};

Registry& registry() {
    static Registry* s_pRegistry = new Registry;
    return *s_pRegistry;
}

Module* findByName(const std::string& name) {
    const std::string base = baseNameOf(name);
    for (const auto& pModule : registry().modules) {
        if (strcasecmp(pModule->baseName.c_str(), base.c_str()) == 0 ||
            strcasecmp(withoutExtension(pModule->baseName).c_str(), base.c_str()) == 0) {
            return pModule.get();
        }
    }
    return nullptr;
}

Module* findByAppId(const void* appId) {
    for (const auto& pModule : registry().modules) {
        if (pModule.get() == appId) {
            return pModule.get();
        }
    }
    return nullptr;
}

// Closes the module file. A reactor that the module left with the editor
// would point into unmapped code: the editor drops it first.
void closeFile(Module& module) {
    if (module.handle == nullptr) {
        return;
    }
    struct link_map* map = nullptr;
    if (dlinfo(module.handle, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr) {
        Editor& theEditor = editor();
        for (AcEditorReactor* pReactor : theEditor.reactors()) {
            Dl_info info;
            const void* vtable = *reinterpret_cast<void* const*>(pReactor);
            if (dladdr(vtable, &info) != 0 &&
                info.dli_fbase == reinterpret_cast<void*>(map->l_addr)) {
                theEditor.removeReactor(pReactor);
            }
        }
    }
    dlclose(module.handle);
    module.handle = nullptr;
}

void removeModule(int id) {
    auto& modules = registry().modules;
    for (auto it = modules.begin(); it != modules.end(); ++it) {
        if ((*it)->id == id) {
            std::unique_ptr<Module> pModule = std::move(*it);
            modules.erase(it);
            lisp::forgetModule(id);
            closeFile(*pModule);
            return;
        }
    }
}

// Initialise message, then the load-drawing message for each open drawing
// with that drawing current. False when the module refused to initialise.
bool startModule(int id, const std::string& name, bool printit) {
    Module* pModule = findModule(id);
    const AcRx::AppRetCode result =
        pModule->entryPoint != nullptr ? sendMessage(id, AcRx::kInitAppMsg, pModule) : AcRx::kRetOK;
    if (findModule(id) == nullptr) {
        return false;  // it unloaded itself
    }
    if (result != AcRx::kRetOK) {
        removeModule(id);
        if (printit) {
            say(name + " failed to initialise.");
            say("Unable to load " + name + " file.");
        }
        return false;
    }
    if (printit) {
        say(name + " successfully loaded.");
    }
    forEachDocumentAsCurrent([id](Document* pDoc) {
        if (findModule(id) != nullptr) {
            sendMessage(id, AcRx::kLoadDwgMsg, pDoc);
        }
    });
    return findModule(id) != nullptr;
}

// Unload-drawing message for each open drawing, unload message, names and file gone.
void stopModule(int id) {
    forEachDocumentAsCurrent([id](Document* pDoc) {
        if (findModule(id) != nullptr) {
            sendMessage(id, AcRx::kUnloadDwgMsg, pDoc);
        }
    });
    if (findModule(id) != nullptr) {
        sendMessage(id, AcRx::kUnloadAppMsg, findModule(id));
    }
    removeModule(id);
}

Module* addModule(const std::string& name, const std::string& nativePath, void* handle,
                  AcRxEntryPointFunc entryPoint) {
    auto pModule = std::make_unique<Module>();
    pModule->id = registry().nextId++;
    pModule->name = name;
    pModule->baseName = baseNameOf(name);
    pModule->nativePath = nativePath;
    pModule->handle = handle;
    pModule->entryPoint = entryPoint;
    registry().modules.push_back(std::move(pModule));
    return registry().modules.back().get();
}

class Linker : public AcRxDynamicLinker {
public:
    const char* className() const override { return "AcRxDynamicLinker"; }

    bool loadModule(const char* fileName, bool printit, bool asCmd) override {
        const std::string name = fileName != nullptr ? fileName : "";
        if (name.empty()) {
            if (printit) {
                say("Unable to load  file: no module name given.");
            }
            return false;
        }
        if (Module* pLoaded = findByName(name)) {
            if (!asCmd) {
                ++pLoaded->loadCount;
            }
            if (printit) {
                say(name + " is already loaded.");
            }
            return true;
        }
        const std::string base = baseNameOf(name);
        if (isBuiltInModule(base)) {
            return startModule(addModule(name, "", nullptr, nullptr)->id, name, printit);
        }

        std::string reason;
        const std::string native = find(name, reason);
        if (native.empty()) {
            return refuse(name, reason, printit);
        }
        dlerror();
        void* handle = dlopen(native.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            const char* error = dlerror();
            return refuse(
                name, name + " cannot be loaded: " + (error != nullptr ? error : "unknown error"),
                printit);
        }
        auto entryPoint = reinterpret_cast<AcRxEntryPointFunc>(ownSymbol(handle, "acrxEntryPoint"));
        auto apiVersion =
            reinterpret_cast<AcRxApiVersionFunc>(ownSymbol(handle, "acrxGetApiVersion"));
        if (entryPoint == nullptr) {
            dlclose(handle);
            return refuse(name, name + " has no entry point acrxEntryPoint.", printit);
        }
        if (apiVersion == nullptr) {
            dlclose(handle);
            return refuse(name,
                          name + " does not report its interface version (acrxGetApiVersion).",
                          printit);
        }
        const int version = apiVersion();
        if ((version >> 16) != ACRX_API_VERSION_MAJOR) {
            dlclose(handle);
            return refuse(name,
                          name + " was built for interface version " +
                              std::to_string((version >> 16) & 0xFFFF) + "." +
                              std::to_string(version & 0xFFFF) + ", not " +
                              std::to_string(ACRX_API_VERSION_MAJOR) + "." +
                              std::to_string(ACRX_API_VERSION_MINOR) + ".",
                          printit);
        }
        return startModule(addModule(name, native, handle, entryPoint)->id, name, printit);
    }

    bool unloadModule(const char* fileName, bool asCmd) override {
        const std::string name = fileName != nullptr ? fileName : "";
        Module* pModule = findByName(name);
        if (pModule == nullptr) {
            if (asCmd) {
                say("Unable to unload " + name + ": it is not loaded.");
            }
            return false;
        }
        if (!asCmd && pModule->loadCount > 1) {
            --pModule->loadCount;
            return true;
        }
        if (pModule->locked && pModule->entryPoint != nullptr) {
            say("Unable to unload " + name + ": the application is locked.");
            return false;
        }
        stopModule(pModule->id);
        if (asCmd) {
            say(name + " successfully unloaded.");
        }
        return true;
    }

    bool unlockApplication(void* appId) const override {
        Module* pModule = findByAppId(appId);
        if (pModule == nullptr) {
            return false;
        }
        pModule->locked = false;
        return true;
    }

    bool lockApplication(void* appId) const override {
        Module* pModule = findByAppId(appId);
        if (pModule == nullptr) {
            return false;
        }
        pModule->locked = true;
        return true;
    }

    bool isApplicationLocked(const char* fileName) const override {
        Module* pModule = findByName(fileName != nullptr ? fileName : "");
        return pModule != nullptr && pModule->locked && pModule->entryPoint != nullptr;
    }

    bool registerAppMDIAware(void* appId) const override {
        Module* pModule = findByAppId(appId);
        if (pModule == nullptr) {
            return false;
        }
        pModule->mdiAware = true;
        return true;
    }

    bool registerAppNotMDIAware(void* appId) const override {
        Module* pModule = findByAppId(appId);
        if (pModule == nullptr) {
            return false;
        }
        pModule->mdiAware = false;
        return true;
    }

private:
    // The module file as a Linux path: the name as given (through the drive
    // map), and a bare name also in the editor's support folders (beside the
    // editor program, and where an installation keeps the modules).
    static std::string find(const std::string& name, std::string& reason) {
        std::vector<std::string> candidates{name};
        if (!hasFolder(name)) {
            for (const std::string& folder : supportFolders()) {
                candidates.push_back(folder + "/" + name);
            }
        }
        bool mapped = false;
        for (const std::string& candidate : candidates) {
            std::string native;
            if (!brevant::platform::toNativePath(candidate, native)) {
                continue;
            }
            mapped = true;
            if (isRegularFile(native)) {
                return native[0] == '/' ? native : "./" + native;
            }
        }
        reason = mapped ? "Cannot find " + name + "."
                        : "Cannot find " + name + ": its drive is not mapped.";
        return "";
    }

    static bool refuse(const std::string& name, const std::string& reason, bool printit) {
        if (printit) {
            say(reason);
            say("Unable to load " + name + " file.");
        }
        return false;
    }
};

}  // namespace

std::vector<Module*> loadedModules() {
    std::vector<Module*> list;
    for (const auto& pModule : registry().modules) {
        list.push_back(pModule.get());
    }
    return list;
}

Module* findModule(int id) {
    if (id == 0) {
        return &registry().host;
    }
    for (const auto& pModule : registry().modules) {
        if (pModule->id == id) {
            return pModule.get();
        }
    }
    return nullptr;
}

int callingModuleId() {
    const auto& callers = registry().callers;
    return callers.empty() ? 0 : callers.back();
}

CallerScope::CallerScope(int moduleId) {
    registry().callers.push_back(moduleId);
}

CallerScope::~CallerScope() {
    registry().callers.pop_back();
}

AcRx::AppRetCode sendMessage(int moduleId, AcRx::AppMsgCode msg, void* pkt) {
    Module* pModule = findModule(moduleId);
    if (pModule == nullptr || pModule->entryPoint == nullptr) {
        return AcRx::kRetOK;
    }
    const AcRxEntryPointFunc entryPoint = pModule->entryPoint;
    CallerScope caller(moduleId);
    if (msg == AcRx::kInvkSubrMsg) {
        return entryPoint(msg, pkt);
    }
    ApplicationContextScope context;
    return entryPoint(msg, pkt);
}

bool loadLinkedModule(const std::string& name, AcRxEntryPointFunc entryPoint, bool printit) {
    if (findByName(name) != nullptr) {
        if (printit) {
            say(name + " is already loaded.");
        }
        return true;
    }
    return startModule(addModule(name, "", nullptr, entryPoint)->id, name, printit);
}

void unloadAllModules() {
    while (!registry().modules.empty()) {
        stopModule(registry().modules.back()->id);
    }
}

AcRxObject* newDynamicLinker() {
    static Linker* s_pLinker = new Linker;
    return s_pLinker;
}

}  // namespace brevant::host

AcRxDynamicLinker* AcRxDynamicLinker::cast(const AcRxObject* pObject) {
    return dynamic_cast<AcRxDynamicLinker*>(const_cast<AcRxObject*>(pObject));
}
