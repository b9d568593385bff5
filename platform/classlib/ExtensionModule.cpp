// Extension-module set-up: each module records its instance handle, and its
// CDynLinkLibrary joins the chain of modules whose resources are searched.
#include "afx.h"

#include "brevant/platform.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

std::mutex& chainMutex() {
    static std::mutex mutex;
    return mutex;
}

std::vector<CDynLinkLibrary*>& chain() {
    static std::vector<CDynLinkLibrary*>* libraries = new std::vector<CDynLinkLibrary*>;
    return *libraries;
}

}  // namespace

BOOL AFXAPI AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE hModule) {
    if (state.bInitialized) {
        return TRUE;  // a second call for the same module changes nothing
    }
    state.hModule = hModule;
    state.hResource = hModule;
    state.bInitialized = TRUE;
    return TRUE;
}

void AFXAPI AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL) {
    if (!state.bInitialized) {
        return;
    }
    std::vector<CDynLinkLibrary*> doomed;
    {
        std::lock_guard<std::mutex> lock(chainMutex());
        for (CDynLinkLibrary* library : chain()) {
            if (library->m_hModule == state.hModule) {
                doomed.push_back(library);
            }
        }
    }
    for (CDynLinkLibrary* library : doomed) {
        delete library;  // leaves the chain in its destructor
    }
    state.bInitialized = FALSE;
}

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL)
    : m_hModule(state.hModule), m_hResource(state.hResource) {
    std::lock_guard<std::mutex> lock(chainMutex());
    chain().push_back(this);
}

CDynLinkLibrary::~CDynLinkLibrary() {
    std::lock_guard<std::mutex> lock(chainMutex());
    auto& libraries = chain();
    libraries.erase(std::remove(libraries.begin(), libraries.end(), this), libraries.end());
}

namespace brevant::platform {

std::vector<HMODULE> extensionModuleChain() {
    std::lock_guard<std::mutex> lock(chainMutex());
    std::vector<HMODULE> modules;
    for (const CDynLinkLibrary* library : chain()) {
        modules.push_back(library->m_hModule);
    }
    return modules;
}

}  // namespace brevant::platform
