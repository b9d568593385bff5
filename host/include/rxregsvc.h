// The entry point's messages, the dynamic linker and named services.
#pragma once

#include "rxobject.h"

namespace AcRx {
enum AppMsgCode {
    kNullMsg = 0,
    kInitAppMsg = 1,
    kUnloadAppMsg = 2,
    kLoadDwgMsg = 3,
    kUnloadDwgMsg = 4,
    kInvkSubrMsg = 5,
    kCfgMsg = 6,
    kEndMsg = 7,
    kQuitMsg = 8,
    kSaveMsg = 9,
    kDependencyMsg = 10,
    kNoDependencyMsg = 11,
    kOleUnloadAppMsg = 12,
    kPreQuitMsg = 13,
    kInitDialogMsg = 14,
    kEndDialogMsg = 15,
};
enum AppRetCode { kRetOK = 0, kRetError = 3 };
}  // namespace AcRx

// The interface version of release 15 that a module must report through its
// exported acrxGetApiVersion for the dynamic linker to keep it.
#define ACRX_API_VERSION_MAJOR 15
#define ACRX_API_VERSION_MINOR 0
#define ACRX_API_VERSION ((ACRX_API_VERSION_MAJOR << 16) | ACRX_API_VERSION_MINOR)

// The exports of a module file.
typedef AcRx::AppRetCode (*AcRxEntryPointFunc)(AcRx::AppMsgCode msg, void* pkt);
typedef int (*AcRxApiVersionFunc)();

// The system registry: "DynamicLinker", "AcEditor" and "ServiceDictionary".
AcRxDictionary* acrxSysRegistry();

class AcRxDynamicLinker : public AcRxObject {
public:
    static AcRxDynamicLinker* cast(const AcRxObject* pObject);

    // Loads a module file, checks its interface version and sends it the
    // initialise message (and the load-drawing message for each open drawing).
    // printit: the linker prints its own message on success and failure.
    virtual bool loadModule(const char* fileName, bool printit, bool asCmd = false) = 0;
    // Sends the unload message and unloads the module; a locked module stays.
    virtual bool unloadModule(const char* fileName, bool asCmd = false) = 0;
    // appId is the packet of the initialise message.
    virtual bool unlockApplication(void* appId) const = 0;
    virtual bool lockApplication(void* appId) const = 0;
    virtual bool isApplicationLocked(const char* fileName) const = 0;
    virtual bool registerAppMDIAware(void* appId) const = 0;
    virtual bool registerAppNotMDIAware(void* appId) const = 0;
};

#define acrxDynamicLinker AcRxDynamicLinker::cast(acrxSysRegistry()->at("DynamicLinker"))

// A named service object in the service dictionary.
class AcRxService : public AcRxObject {
public:
    const char* className() const override;
};

AcRxObject* acrxRegisterService(const char* serviceName);
bool acrxServiceIsRegistered(const char* serviceName);
AcRxDictionary* acrxServiceDictionary();

// Stops the editor at once after printing the formatted text: the last resort
// of a module that finds the database in a state it cannot go on from.
[[noreturn]] void acrx_abort(const char* format, ...) __attribute__((format(printf, 1, 2)));
