// The run-time object root, the system registry and named services.
#include "rxobject.h"
#include "rxregsvc.h"

#include "core/RxDictionary.h"
#include "core/SysRegistry.h"
#include "brevant/editor.h"

#include <cstdarg>
#include <cstdio>
#include <string>
#include <unistd.h>

AcRxObject::~AcRxObject() = default;

const char* AcRxObject::className() const {
    return "AcRxObject";
}

AcRxDictionary* AcRxDictionary::cast(const AcRxObject* pObject) {
    return dynamic_cast<AcRxDictionary*>(const_cast<AcRxObject*>(pObject));
}

const char* AcRxService::className() const {
    return "AcRxService";
}

// The registry is made on first use and lives as long as the process: modules
// look their services up in it at any time, also from static objects.
AcRxDictionary* acrxSysRegistry() {
    static AcRxDictionary* s_pRegistry = [] {
        auto* pRegistry = new brevant::host::RxDictionary;
        pRegistry->atPut("ServiceDictionary", new brevant::host::RxDictionary);
        pRegistry->atPut("DynamicLinker", brevant::host::newDynamicLinker());
        pRegistry->atPut("AcEditor", brevant::host::newEditor());
        return pRegistry;
    }();
    return s_pRegistry;
}

AcRxDictionary* acrxServiceDictionary() {
    return AcRxDictionary::cast(acrxSysRegistry()->at("ServiceDictionary"));
}

// A second registration under a name hands back the service already there, so
// that nothing registered before is lost or left dangling.
AcRxObject* acrxRegisterService(const char* serviceName) {
    AcRxDictionary* pServices = acrxServiceDictionary();
    if (serviceName == nullptr || *serviceName == 0 || pServices == nullptr) {
        return nullptr;
    }
    if (AcRxObject* pExisting = pServices->at(serviceName)) {
        return pExisting;
    }
    AcRxObject* pService = new AcRxService;
    pServices->atPut(serviceName, pService);
    return pService;
}

bool acrxServiceIsRegistered(const char* serviceName) {
    AcRxDictionary* pServices = acrxServiceDictionary();
    return serviceName != nullptr && pServices != nullptr && pServices->has(serviceName);
}

// The editor prints the reason on its command line and its error output and
// ends the process without unloading modules or closing drawings, as the real
// editor's fatal error does.
void acrx_abort(const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    brevant::host::print(std::string("\nINTERNAL ERROR: ") + text + "\n");
    fprintf(stderr, "brevant-editor: INTERNAL ERROR: %s\n", text);
    fflush(NULL);
    _exit(3);
}
