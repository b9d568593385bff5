// Inside the host: the modules that the dynamic linker has loaded, and who is
// calling the host at a given moment.
#pragma once

#include "rxregsvc.h"

#include <map>
#include <string>
#include <vector>

namespace brevant::host {

struct Module {
    int id = 0;              // never reused; 0 is the host itself
    std::string name;        // as given when it was loaded
    std::string baseName;    // its file name, by which it is found again
    std::string nativePath;  // the file; empty for a module without one
    void* handle = nullptr;  // from dlopen; NULL for a module without a file
    AcRxEntryPointFunc entryPoint = nullptr;
    bool locked = true;  // until the module unlocks itself
    bool mdiAware = false;
    int loadCount = 1;                  // loads by other code that have not been undone yet
    std::map<int, int (*)()> handlers;  // LISP function codes bound with acedRegFunc
};

// The loaded modules in load order.
std::vector<Module*> loadedModules();
// The module with that id while it is loaded; id 0 is the host, which holds
// the handlers bound outside any module's code (tests). NULL when unloaded.
Module* findModule(int id);

// The module whose code runs now: its entry point or one of its LISP handlers.
// 0 when the host itself (or a test) calls.
int callingModuleId();

class CallerScope {
public:
    explicit CallerScope(int moduleId);
    ~CallerScope();
    CallerScope(const CallerScope&) = delete;
    CallerScope& operator=(const CallerScope&) = delete;
};

// Sends a message to a module's entry point with the module as the caller.
// Every message but the invoke message runs in the application context.
AcRx::AppRetCode sendMessage(int moduleId, AcRx::AppMsgCode msg, void* pkt);

// Loads a module whose entry point is linked into this program (tests of a
// module, and the editor's own modules): as loadModule, without a file.
bool loadLinkedModule(const std::string& name, AcRxEntryPointFunc entryPoint, bool printit);

// At the end of the session: every module, latest first, gets the unload
// message and is closed, whether or not it unlocked itself.
void unloadAllModules();

}  // namespace brevant::host
