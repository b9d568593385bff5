// A module that refuses to initialise.
#include "adslib.h"
#include "rxregsvc.h"

extern "C" __attribute__((visibility("default"))) AcRx::AppRetCode acrxEntryPoint(
    AcRx::AppMsgCode msg, void* pkt) {
    if (msg == AcRx::kInitAppMsg) {
        acutPrintf("testrefuse: init\n");
        return AcRx::kRetError;
    }
    acutPrintf("testrefuse: message %d\n", (int)msg);
    return AcRx::kRetOK;
}
