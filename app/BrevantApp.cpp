// Placeholder until the application lands: answers every message.
#include "rxregsvc.h"

extern "C" __attribute__((visibility("default"))) AcRx::AppRetCode acrxEntryPoint(
    AcRx::AppMsgCode msg, void* pkt) {
    return AcRx::kRetOK;
}
