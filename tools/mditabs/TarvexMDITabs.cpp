// The companion module: it loads and unloads cleanly and may be unloaded at
// any time; it takes part in every open drawing without doing anything there.
#include "rxregsvc.h"

extern "C" __attribute__((visibility("default"))) AcRx::AppRetCode acrxEntryPoint(
    AcRx::AppMsgCode msg, void* pkt) {
    if (msg == AcRx::kInitAppMsg) {
        AcRxDynamicLinker* pLinker = acrxDynamicLinker;
        if (pLinker != nullptr) {
            pLinker->unlockApplication(pkt);
            pLinker->registerAppMDIAware(pkt);
        }
    }
    return AcRx::kRetOK;
}
