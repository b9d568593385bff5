// Included once by a module file that defines
//     BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved);
// Loading the shared object calls it with DLL_PROCESS_ATTACH and the module's
// own instance handle, unloading it with DLL_PROCESS_DETACH, as Windows does.
// A FALSE answer to DLL_PROCESS_ATTACH makes LoadLibraryA fail.
#pragma once

#include "brevant/platform.h"
#include "win/module.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved);

namespace {

HINSTANCE brevantDllInstance() {
    static const char marker = 0;
    return brevant::platform::moduleHandleOf(&marker);
}

__attribute__((constructor)) void brevantDllProcessAttach() {
    if (!DllMain(brevantDllInstance(), DLL_PROCESS_ATTACH, NULL)) {
        brevant::platform::reportDllInitFailure(brevantDllInstance());
    }
}

__attribute__((destructor)) void brevantDllProcessDetach() {
    DllMain(brevantDllInstance(), DLL_PROCESS_DETACH, NULL);
}

}  // namespace
