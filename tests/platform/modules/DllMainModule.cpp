// A tiny module file whose DllMain records what the loader tells it. Built
// twice: once accepting DLL_PROCESS_ATTACH, once (BREVANT_REFUSE_ATTACH)
// refusing it.
#include "afx.h"
#include "brevant/dllmain.h"

#define EXPORTED extern "C" __attribute__((visibility("default")))

extern "C" {
__attribute__((visibility("default"))) HINSTANCE g_attachInstance = NULL;
__attribute__((visibility("default"))) int g_attachCount = 0;
__attribute__((visibility("default"))) void (*g_detachObserver)(HINSTANCE) = NULL;
}

static AFX_EXTENSION_MODULE g_extensionModule = {FALSE, NULL, NULL};

EXPORTED void* moduleAddress() {
    return (void*)&g_attachCount;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID) {
    if (dwReason == DLL_PROCESS_ATTACH) {
        ++g_attachCount;
        g_attachInstance = hInstance;
#ifdef BREVANT_REFUSE_ATTACH
        return FALSE;
#else
        AfxInitExtensionModule(g_extensionModule, hInstance);
        new CDynLinkLibrary(g_extensionModule);
#endif
    } else if (dwReason == DLL_PROCESS_DETACH) {
        AfxTermExtensionModule(g_extensionModule);
        if (g_detachObserver != NULL) {
            g_detachObserver(hInstance);
        }
    }
    return TRUE;
}
