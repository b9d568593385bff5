// A module with an entry point that does not report its interface version.
#include "rxregsvc.h"

extern "C" __attribute__((visibility("default"))) AcRx::AppRetCode acrxEntryPoint(
    AcRx::AppMsgCode msg, void* pkt) {
    return AcRx::kRetOK;
}
