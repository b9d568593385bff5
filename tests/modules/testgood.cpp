// A module that answers every message: it prints each message it gets with
// the current drawing, unlocks itself, and in each drawing defines the LISP
// names TESTGOOD-ECHO (returns its arguments as a list) and TESTGOOD-PATH
// (returns "direct" or "invoke": how the editor reached it).
#include "aced.h"
#include "adslib.h"
#include "rxregsvc.h"

#include <cstdio>
#include <cstdlib>

namespace {

bool g_bInvoked = false;

const char* drawing() {
    static char name[512];
    resbuf value;
    if (acedGetVar("DWGNAME", &value) != RTNORM || value.restype != RTSTR) {
        return "?";
    }
    snprintf(name, sizeof(name), "%s", value.resval.rstring);
    free(value.resval.rstring);
    return name[0] != 0 ? name : "none";
}

int echo() {
    return acedRetList(acedGetArgs()) == RTNORM ? RSRSLT : RSERR;
}

int path() {
    acedRetStr(g_bInvoked ? "invoke" : "direct");
    return RSRSLT;
}

int (*const kFunctions[])() = {echo, path};
const char* const kNames[] = {"TESTGOOD-ECHO", "TESTGOOD-PATH"};

}  // namespace

extern "C" __attribute__((visibility("default"))) AcRx::AppRetCode acrxEntryPoint(
    AcRx::AppMsgCode msg, void* pkt) {
    switch (msg) {
        case AcRx::kInitAppMsg:
            acrxDynamicLinker->unlockApplication(pkt);
            acrxDynamicLinker->registerAppMDIAware(pkt);
            acutPrintf("testgood: init (%s)\n", drawing());
            break;
        case AcRx::kLoadDwgMsg:
            acutPrintf("testgood: load drawing %s\n", drawing());
            for (int i = 0; i < 2; ++i) {
                acedDefun(kNames[i], (short)i);
                acedRegFunc(kFunctions[i], i);
            }
            break;
        case AcRx::kUnloadDwgMsg:
            acutPrintf("testgood: unload drawing %s\n", drawing());
            for (int i = 0; i < 2; ++i) {
                acedUndef(kNames[i], (short)i);
            }
            break;
        case AcRx::kInvkSubrMsg: {
            const int code = acedGetFunCode();
            if (code >= 0 && code < 2) {
                g_bInvoked = true;
                kFunctions[code]();
                g_bInvoked = false;
            }
            break;
        }
        case AcRx::kUnloadAppMsg:
            acutPrintf("testgood: unload (%s)\n", drawing());
            break;
        default:
            break;
    }
    return AcRx::kRetOK;
}
