// A module that never unlocks itself, so that the editor refuses to unload it
// until the session ends.
#include "adslib.h"
#include "rxregsvc.h"

extern "C" __attribute__((visibility("default"))) AcRx::AppRetCode acrxEntryPoint(
    AcRx::AppMsgCode msg, void* pkt) {
    if (msg == AcRx::kInitAppMsg) {
        acutPrintf("testlocked: init\n");
    } else if (msg == AcRx::kUnloadAppMsg) {
        acutPrintf("testlocked: unload\n");
    }
    return AcRx::kRetOK;
}
