// The interface version a module reports to the dynamic linker: the release
// 15 version that the module was built against.
#include "rxregsvc.h"

extern "C" __attribute__((visibility("default"))) int acrxGetApiVersion() {
    return ACRX_API_VERSION;
}
